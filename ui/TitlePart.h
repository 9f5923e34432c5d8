// The main window's title: "Korvex" until something happens, then the run (port, state,
// lines, kilobytes and time since Start) while it is on and after it, or the file that
// Load brought in and its lines. During a run a timer brings the title up to date twice
// a second, and the window's text is set only when it changed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CAcquisitionSession;
class UiTextTable;

class CTitlePart {
public:
    CTitlePart(const CAcquisitionSession& session, const UiTextTable& texts) : m_session(session), m_texts(texts) {}
    CTitlePart(const CTitlePart&) = delete;
    CTitlePart& operator=(const CTitlePart&) = delete;

    // The window whose title this is; it shows the idle title at once.
    void Attach(HWND window);
    // A run started on this port and baud rate: its title, and the timer while it lasts.
    void RunStarted(int port, int baud);
    // The run ended (Stop, or by itself): its time stops there. A run that received
    // nothing gives the title back to what it showed before.
    void RunEnded();
    // A file was loaded with this many lines (told during a run, it shows after a run
    // that received nothing).
    void FileLoaded(const std::string& fileName, uint64_t lines);
    // The document was cleared: a loaded file's title goes.
    void Cleared();
    // True when the timer was this part's.
    bool OnTimer(UINT_PTR id);
    // Lines were delivered. A timer message comes only when no other message waits, and
    // a steady flow of lines on a busy machine can keep one waiting: the title then
    // follows the deliveries, once a second, so that it never stands still in a run.
    void LinesDelivered();

private:
    enum class Shows { Idle, Run, File };
    // Brings the run's title up to date unless that was done less than `ms` ago.
    void RefreshAfter(ULONGLONG ms);
    void Show();
    std::string Text() const;

    static constexpr UINT_PTR kTimer = 0x4B54;
    static constexpr UINT kTickMs = 500;

    const CAcquisitionSession& m_session;
    const UiTextTable& m_texts;
    HWND m_hWnd = nullptr;
    Shows m_shows = Shows::Idle;
    Shows m_beforeRun = Shows::Idle;  // what an empty run gives back
    int m_port = 0;
    int m_baud = 0;
    ULONGLONG m_startTick = 0;
    ULONGLONG m_stopTick = 0;  // 0 while the run is on
    ULONGLONG m_refreshTick = 0;  // the last time the run's title was brought up to date
    std::string m_fileName;
    uint64_t m_fileLines = 0;
    std::string m_shown;
};
