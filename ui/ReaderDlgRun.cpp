// The main window's side of an acquisition run: Start and Stop hand the run to the
// session, whose deliveries come back here on the window's thread; the command line's
// run asks the window for what the operator would do; Find's commands go to its part.
#include "ui/ReaderDlg.h"

#include <cstdio>

#include "core/AppSettings.h"
#include "core/UiText.h"
#include "fw/App.h"
#include "res/resource.h"
#include "ui/AppContext.h"
#include "ui/Messages.h"

// --- acquisition ------------------------------------------------------------------

void CReaderDlg::StartAcquisition()
{
    UpdateData(true);
    // A worker that ended by itself is released first, as a new run's start does.
    if (m_session.HasWorker())
        m_session.Stop();
    ControlsToSettings();
    PublishLineFormat();
    AcquisitionRun run;
    run.port = m_settings.comPort;
    run.baud = m_settings.baudRate;
    // The run's own tables: the worker reads nothing that this thread may change.
    run.translation = TranslationWith(m_context.m_sharedTranslation, m_translationTable);
    run.invalidChars = m_invalidChars;
    run.library = &m_context.m_commLibrary;
    run.openErrorText = m_context.m_uiText[TXT_ERR_OPEN_COM];
    run.libraryAnsweredText = m_context.m_uiText[TXT_LIBRARY_ANSWERED];
    run.faultText = m_context.m_uiText[TXT_RUN_FAULT];
    if (m_session.Start(std::move(run), m_context.m_programDir))
        m_title.RunStarted(m_settings.comPort, m_settings.baudRate);
    else
        SetStartCaption(false);
}

void CReaderDlg::StopAcquisition()
{
    m_session.Stop();
}

LRESULT CReaderDlg::OnAcquisitionMessage(WPARAM, LPARAM)
{
    m_session.Drain(this);
    m_title.LinesDelivered();
    return 0;
}

bool CReaderDlg::OnLine(const std::string& text, bool follow)
{
    return m_view.AddLine(text.c_str(), follow) != ViewAdd::NoRoom;
}

void CReaderDlg::OnDocumentFull()
{
    Tell(m_context.m_uiText[TXT_VIEW_FULL].c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CReaderDlg::OnRunEnded(const std::string& errorText)
{
    // A new run may have started before this end of the previous one arrived (a click
    // just after a failed Open): its caption stays.
    const bool running = m_session.IsRunning();
    if (!running) {
        SetStartCaption(false);
        m_title.RunEnded();
    }
    m_startRun.RunEnded(m_hWnd, running);
    if (!errorText.empty())
        Tell(errorText.c_str(), MB_OK);
}

bool CReaderDlg::PortPresentForStart()
{
    // A configured port missing from the list leaves nothing selected.
    if (m_portCombo.GetCurSel() >= 0)
        return true;
    if (m_portCombo.GetCount() == 0) {
        Tell(m_context.m_uiText[TXT_NO_PORT].c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    Tell(m_context.m_uiText.With(TXT_PORT_NOT_PRESENT, std::to_string(m_settings.comPort)).c_str(),
         MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CReaderDlg::Tell(const char* text, UINT type)
{
    if (!m_startRun.Unattended())
        AfxMessageBox(text, type);
}

// --- the command line's run ---------------------------------------------------------

LRESULT CReaderDlg::OnStartOptionsMessage(WPARAM wp, LPARAM)
{
    m_startRun.OnMessage(m_hWnd, wp);
    return 0;
}

void CReaderDlg::OnTimer(UINT_PTR id)
{
    if (id == kPortPollTimer)
        RefreshClosedPortList();
    else if (!m_title.OnTimer(id))
        m_startRun.OnTimer(m_hWnd, id);
}

bool CReaderDlg::LoadFile(const std::string& path)
{
    return LoadOutputFile(path);
}

void CReaderDlg::SelectPortAndBaud(const CommandLineOptions& options)
{
    if (options.port)
        m_selector.SelectPort(*options.port);
    if (options.baud)
        m_selector.SelectBaud(*options.baud);
}

void CReaderDlg::PressStartStop()
{
    OnStartStop();
}

void CReaderDlg::StopRunAndDeliver()
{
    if (m_session.IsRunning() || m_session.HasWorker()) {
        // As the Stop button does.
        StopAcquisition();
        SetStartCaption(false);
        m_title.RunEnded();
    }
    m_session.Drain(this);
}

int CReaderDlg::DocumentLines() const
{
    return m_document.Count();
}

void CReaderDlg::CloseWindow()
{
    if (IsWindow())
        OnCancel();
}

// --- Find ---------------------------------------------------------------------------

void CReaderDlg::OnFind()
{
    m_find.Open(m_hWnd);
}

void CReaderDlg::OnFindNext()
{
    m_find.Again(m_hWnd, true);
}

void CReaderDlg::OnFindPrevious()
{
    m_find.Again(m_hWnd, false);
}

LRESULT CReaderDlg::OnFindMessage(WPARAM, LPARAM lp)
{
    m_find.OnMessage(reinterpret_cast<const FINDREPLACEA*>(lp));
    return 0;
}
