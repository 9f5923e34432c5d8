// One acquisition run at a time: the worker thread that reads the register through the
// communication library and cuts the bytes into lines, the hand-off of those lines to
// the window's thread, and the record of the run on disk.
//
// Who touches what is in the types. The worker gets an AcquisitionRun of its own (its
// copies of the tables and texts, the library, where to post its wake-up) and, through
// it, the CAcquisitionShared block, whose every member is an atomic or the lock-free
// queue. Everything else of CAcquisitionSession belongs to the window's thread, which
// is the only one to call its methods.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/LineAssembler.h"
#include "core/LineQueue.h"
#include "core/TranslationTables.h"
#include "link/LastRunRecord.h"

class CommLibrary;

// What the worker and the window's thread share while a run lasts.
struct CAcquisitionShared {
    CLineQueue queue;  // the worker pushes, the window's thread takes
    std::atomic<bool> stopRequested{false};  // set by Stop, read by the worker at every pass
    std::atomic<bool> running{false};        // set by Start, cleared by Stop or the worker's end
    CSharedLineFormat lineFormat;            // set by the window's thread, read per line
    // What the run received: zeroed by Start before the worker starts, then written by
    // the worker after each read that delivered and read by the window's thread. The
    // tick is stored before the count, so a count above 0 comes with its tick.
    std::atomic<uint64_t> bytesReceived{0};
    std::atomic<uint32_t> lastByteTick{0};  // GetTickCount() of the last such read
};

// What one run's worker is started with: its own copies, made on the window's thread
// before the worker starts and only read by the worker afterwards.
struct AcquisitionRun {
    int32_t port = 1;
    int32_t baud = 9600;
    TranslationTables translation;
    TranslationTables invalidChars;
    CommLibrary* library = nullptr;  // the program's; only this run calls it while it lasts
    // Told when the port does not open, with the port and why on a line of their own:
    // the system's reason where the library left one, and always the library's answer
    // (a pattern whose %s takes the number).
    std::string openErrorText;
    std::string libraryAnsweredText;
    std::string faultText;  // told when the worker meets an exception
    // Filled in by the session.
    CAcquisitionShared* shared = nullptr;
    HWND wakeWindow = nullptr;
    UINT wakeMessage = 0;
};

// What the window's thread hears of the runs when it drains the hand-off.
class IAcquisitionSink {
public:
    // A finished line, in order of arrival. False when the document could not take it:
    // it is then given no more lines of this run (the record still gets every line).
    virtual bool OnLine(const std::string& text, bool follow) = 0;
    // After the lines of one drain: a line was refused in it for the first time this run.
    virtual void OnDocumentFull() = 0;
    // A run ended: by Stop, after a failed Open (errorText says so) or a fault.
    virtual void OnRunEnded(const std::string& errorText) = 0;

protected:
    ~IAcquisitionSink() = default;
};

class CAcquisitionSession {
public:
    CAcquisitionSession() = default;
    // Stops a run and lets the record have the lines still queued (as Close).
    ~CAcquisitionSession();
    CAcquisitionSession(const CAcquisitionSession&) = delete;
    CAcquisitionSession& operator=(const CAcquisitionSession&) = delete;

    // Where the worker posts its wake-up when the queue goes from empty to non-empty;
    // set once the window exists, before the first Start.
    void SetWakeUp(HWND window, UINT message);
    // The indentation and "Update bar position" for the lines to come.
    void SetLineFormat(const LineFormat& format);

    // Starts a run on the run's port (a worker that is still recorded is stopped first);
    // its record goes into recordFolder (empty: none). False, and not running, when no
    // worker could be started.
    bool Start(AcquisitionRun run, const std::string& recordFolder);
    // Stops the recorded worker: the stop flag, up to 300 ms for it to see it, then a
    // forced end. Not running afterwards.
    void Stop();
    // Stop, then the lines still queued go to the record only, and the record ends.
    void Close();

    // True from Start until Stop or the end of the run.
    bool IsRunning() const { return m_shared.running; }
    // A worker is recorded: a run, or one that ended by itself and has not been stopped.
    bool HasWorker() const { return m_worker != nullptr; }

    // Hands what is queued to the sink (null: to the record only).
    void Drain(IAcquisitionSink* sink);
    // When Drain last handed out a line.
    ULONGLONG LastLineTick() const { return m_lastLineTick; }
    // The current run, or the last one once it has ended: the lines handed out by Drain,
    // the bytes the library delivered, and how long ago the last of them came.
    size_t RunLines() const { return m_runLines; }
    uint64_t RunBytes() const { return m_shared.bytesReceived.load(std::memory_order_acquire); }
    uint64_t MsSinceLastByte() const;

    // True when the path leads to the file the running record is written into.
    bool IsLiveRecord(const std::string& path) { return m_record.IsLiveFile(path); }

    // The worker thread's entry, given an AcquisitionRun; always returns 0. A missing
    // run or one without its shared block is told as a critical error.
    static DWORD WINAPI WorkerProc(void* run);

private:
    struct Worker {
        HANDLE thread = nullptr;
        std::unique_ptr<AcquisitionRun> run;  // lives until the thread has ended
    };
    void PostWakeUp();

    CAcquisitionShared m_shared;
    // The window's thread only.
    std::unique_ptr<Worker> m_worker;
    HWND m_wakeWindow = nullptr;
    UINT m_wakeMessage = 0;
    CLastRunRecord m_record;
    std::string m_recordFolder;
    int m_recordPort = 0;
    bool m_bDocumentFull = false;  // the document took no more lines in this run
    ULONGLONG m_lastLineTick = 0;
    size_t m_runLines = 0;
};
