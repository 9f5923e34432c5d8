// The command line's run: once the main window is shown it loads the file, picks the
// port and baud rate and presses Start as the operator would. While that run lasts a
// timer on the window's thread watches the lines as they arrive: no line within the
// wait gives up, a quiet time after the last line stops the run. Then the lines are
// saved as Save As would save them, and the window closes as its close box closes it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "ui/StartOptions.h"

class CAcquisitionSession;

// What the command line's run asks of the main window, each as the operator does it.
class IStartOptionsWindow {
public:
    // Load of this file; false, after telling, when it was not loaded.
    virtual bool LoadFile(const std::string& path) = 0;
    virtual void SelectPortAndBaud(const CommandLineOptions& options) = 0;
    virtual void PressStartStop() = 0;
    // Stop as its button stops a run (also a worker that ended by itself), then the lines
    // still queued reach the document.
    virtual void StopRunAndDeliver() = 0;
    virtual int DocumentLines() const = 0;
    // Save As to this name without its dialog; false, after telling, when not saved.
    virtual bool SaveAs(const std::string& path) = 0;
    // The close box.
    virtual void CloseWindow() = 0;

protected:
    ~IStartOptionsWindow() = default;
};

class CStartOptionsRun {
public:
    CStartOptionsRun(IStartOptionsWindow& window, const CAcquisitionSession& session);

    // Set before the window is created.
    void Set(const StartOptions& options);
    // The command line asks for something: the window posts itself WM_APP_START_OPTIONS.
    bool HasWork() const;
    // Nobody may be asked or told anything.
    bool Unattended() const { return m_startOptions.unattended; }
    // The program's exit code as the run has left it. A run that asked for something and
    // did not get to its end (the window closed first) did nothing: it never says 0.
    int ExitCode() const { return m_exitCode; }

    // WM_APP_START_OPTIONS, posted to `window`.
    void OnMessage(HWND window, WPARAM wp);
    // A timer of the window; false when it is not this part's.
    bool OnTimer(HWND window, UINT_PTR id);
    // A run's end was delivered; `running`: a new run has started meanwhile.
    void RunEnded(HWND window, bool running);

private:
    void StopWatchedRun(HWND window);
    void Finish(bool received);

    IStartOptionsWindow& m_window;
    const CAcquisitionSession& m_session;
    StartOptions m_startOptions;
    // The quiet time is measured from Start, then from the last line to arrive.
    bool m_bWatched = false;
    ULONGLONG m_startTick = 0;
    int m_exitCode = kExitDone;
};
