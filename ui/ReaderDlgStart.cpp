// The main window acting on the command line: once it is shown it loads the file, picks
// the port and baud rate and presses Start as the operator would. While that run lasts a
// timer on the window's thread watches the lines as they arrive: no line within the
// wait gives up, a quiet time after the last line stops the run. Then the lines are
// saved as Save As would save them, and the window closes as its close box closes it.
#include "ui/ReaderDlg.h"

#include "core/CommandLine.h"
#include "fw/App.h"
#include "res/resource.h"
#include "ui/AppContext.h"
#include "ui/Messages.h"
#include "ui/OutputPathBox.h"

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

void CReaderDlg::Tell(const char* text, UINT type)
{
    if (!m_startOptions.unattended)
        AfxMessageBox(text, type);
}

LRESULT CReaderDlg::OnStartOptionsMessage(WPARAM wp, LPARAM)
{
    if (wp == kStartRunEnded) {
        StopUnattendedRun();
        return 0;
    }
    const CommandLineOptions& o = m_startOptions.options;
    if (!m_startOptions.error.empty()) {
        // Nothing is done of a bad command line: the window stays as a plain start
        // leaves it.
        m_exitCode = kExitBadCommandLine;
        if (m_startOptions.unattended)
            OnCancel();
        else
            AfxMessageBox((m_startOptions.error + "\n\n" + CommandLineUsage()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (!o.file.empty() && !LoadOutputFile(o.file)) {
        // Nothing more is done: a save now would put an empty or earlier view in the
        // place of a file.
        m_exitCode = kExitLoadFailed;
        if (o.exit)
            OnCancel();
        return 0;
    }
    if (o.port)
        m_selector.SelectPort(*o.port);
    if (o.baud)
        m_selector.SelectBaud(*o.baud);
    if (!o.start) {
        FinishStartOptions(true);
        return 0;
    }
    OnStartStop();
    if (!m_pWorker) {
        // The port is not there or the run could not begin: nothing can arrive.
        FinishStartOptions(false);
        return 0;
    }
    m_bStartRunWatched = true;
    m_startRunLines = 0;
    m_startTick = m_lastLineTick = ::GetTickCount64();
    if (o.waitSeconds || o.idleStopSeconds)
        ::SetTimer(m_hWnd, kStartRunTimer, kStartRunTickMs, nullptr);
    return 0;
}

void CReaderDlg::OnTimer(UINT_PTR id)
{
    if (id == kPortPollTimer) {
        RefreshClosedPortList();
        return;
    }
    if (id != kStartRunTimer)
        return;
    if (!m_bStartRunWatched) {
        ::KillTimer(m_hWnd, kStartRunTimer);
        return;
    }
    const CommandLineOptions& o = m_startOptions.options;
    const ULONGLONG now = ::GetTickCount64();
    if (m_startRunLines == 0) {
        if (o.waitSeconds && Elapsed(m_startTick, now, *o.waitSeconds))
            StopUnattendedRun();
    } else if (o.idleStopSeconds && Elapsed(m_lastLineTick, now, *o.idleStopSeconds)) {
        StopUnattendedRun();
    }
}

void CReaderDlg::StopUnattendedRun()
{
    m_bStartRunWatched = false;
    ::KillTimer(m_hWnd, kStartRunTimer);
    if (m_bRunning || m_pWorker) {
        // As the Stop button does.
        StopAcquisition();
        m_bRunning = false;
        SetStartCaption(false);
    }
    // The lines still queued reach the view before it is saved.
    DrainAcquisitionQueue(true);
    FinishStartOptions(m_startRunLines > 0);
}

void CReaderDlg::FinishStartOptions(bool received)
{
    const CommandLineOptions& o = m_startOptions.options;
    // With no line to save, the file named keeps what it holds.
    if (!received || (o.savePath && m_view.GetLineCount() == 0)) {
        m_exitCode = kExitNothingArrived;
    } else if (o.savePath) {
        // As Save As to this name, without its dialog: a file that now holds the
        // lines becomes the output file.
        const std::string& path = *o.savePath;
        if (SaveViewTo(path)) {
            m_settings.outputFile = path;
            ShowOutputPath(GetDlgItem(IDC_OUTPUT_PATH), path);
        } else {
            m_exitCode = kExitSaveFailed;
        }
    }
    if (o.exit && IsWindow())
        OnCancel();
}
