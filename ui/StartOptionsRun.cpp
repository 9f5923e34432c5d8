// The main window acting on the command line.
#include "ui/StartOptionsRun.h"

#include "core/CommandLine.h"
#include "fw/App.h"
#include "link/AcquisitionSession.h"
#include "ui/Messages.h"

namespace {
const UINT_PTR kStartRunTimer = 0x4B57;
const UINT kStartRunTickMs = 200;
// WM_APP_START_OPTIONS's wParam: act on the options, or the watched run has ended.
const WPARAM kActOnOptions = 0;
const WPARAM kStartRunEnded = 1;

// In 64-bit milliseconds, which neither the tick count nor a day's wait can wrap.
bool Elapsed(ULONGLONG since, ULONGLONG now, int seconds)
{
    return now - since >= static_cast<ULONGLONG>(seconds) * 1000;
}
}  // namespace

CStartOptionsRun::CStartOptionsRun(IStartOptionsWindow& window, const CAcquisitionSession& session)
    : m_window(window), m_session(session)
{
}

void CStartOptionsRun::Set(const StartOptions& options)
{
    m_startOptions = options;
    m_exitCode = HasWork() ? kExitNothingArrived : kExitDone;
}

bool CStartOptionsRun::HasWork() const
{
    const CommandLineOptions& o = m_startOptions.options;
    return m_startOptions.unattended || !m_startOptions.error.empty() || o.start || !o.file.empty() || o.port ||
           o.baud || o.savePath;
}

void CStartOptionsRun::OnMessage(HWND window, WPARAM wp)
{
    if (wp == kStartRunEnded) {
        StopWatchedRun(window);
        return;
    }
    if (wp != kActOnOptions)
        return;
    const CommandLineOptions& o = m_startOptions.options;
    if (!m_startOptions.error.empty()) {
        // Nothing is done of a bad command line: the window stays as a plain start
        // leaves it.
        m_exitCode = kExitBadCommandLine;
        if (m_startOptions.unattended)
            m_window.CloseWindow();
        else
            AfxMessageBox((m_startOptions.error + "\n\n" + CommandLineUsage(AfxGetUiText())).c_str(),
                          MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!o.file.empty() && !m_window.LoadFile(o.file)) {
        // Nothing more is done: a save now would put an empty or earlier view in the
        // place of a file.
        m_exitCode = kExitLoadFailed;
        if (o.exit)
            m_window.CloseWindow();
        return;
    }
    m_window.SelectPortAndBaud(o);
    if (!o.start) {
        Finish(true);
        return;
    }
    m_window.PressStartStop();
    if (!m_session.HasWorker()) {
        // The port is not there or the run could not begin: nothing can arrive.
        Finish(false);
        return;
    }
    m_bWatched = true;
    m_startTick = ::GetTickCount64();
    if (o.waitSeconds || o.idleStopSeconds)
        ::SetTimer(window, kStartRunTimer, kStartRunTickMs, nullptr);
}

bool CStartOptionsRun::OnTimer(HWND window, UINT_PTR id)
{
    if (id != kStartRunTimer)
        return false;
    if (!m_bWatched) {
        ::KillTimer(window, kStartRunTimer);
        return true;
    }
    const CommandLineOptions& o = m_startOptions.options;
    const ULONGLONG now = ::GetTickCount64();
    if (m_session.RunLines() == 0) {
        if (o.waitSeconds && Elapsed(m_startTick, now, *o.waitSeconds))
            StopWatchedRun(window);
    } else if (o.idleStopSeconds && Elapsed(m_session.LastLineTick(), now, *o.idleStopSeconds)) {
        StopWatchedRun(window);
    }
    return true;
}

void CStartOptionsRun::RunEnded(HWND window, bool running)
{
    // The watched run ended by itself (or by Stop): what follows it comes after this
    // delivery.
    if (running || !m_bWatched)
        return;
    m_bWatched = false;
    ::PostMessageA(window, WM_APP_START_OPTIONS, kStartRunEnded, 0);
}

void CStartOptionsRun::StopWatchedRun(HWND window)
{
    // The run's lines, as they stood when it was no longer watched.
    const size_t received = m_session.RunLines();
    m_bWatched = false;
    ::KillTimer(window, kStartRunTimer);
    // As the Stop button does; the lines still queued reach the document before it is
    // saved.
    m_window.StopRunAndDeliver();
    Finish(received > 0);
}

void CStartOptionsRun::Finish(bool received)
{
    const CommandLineOptions& o = m_startOptions.options;
    if (!received || (o.savePath && m_window.DocumentLines() == 0)) {
        // With no line to save, the file named keeps what it holds.
        m_exitCode = kExitNothingArrived;
    } else if (o.savePath && !m_window.SaveAs(*o.savePath)) {
        // Saved as Save As would save to this name, without its dialog: a file that
        // now holds the lines becomes the output file.
        m_exitCode = kExitSaveFailed;
    } else {
        m_exitCode = kExitDone;
    }
    if (o.exit)
        m_window.CloseWindow();
}
