// The main window's title of a run or a loaded file.
#include "ui/TitlePart.h"

#include <new>

#include "core/RunTitle.h"
#include "core/UiText.h"
#include "link/AcquisitionSession.h"

void CTitlePart::Attach(HWND window)
{
    m_hWnd = window;
    m_shown.clear();
    Show();
}

void CTitlePart::RunStarted(int port, int baud)
{
    if (m_shows != Shows::Run)
        m_beforeRun = m_shows;
    m_shows = Shows::Run;
    m_port = port;
    m_baud = baud;
    m_startTick = m_refreshTick = ::GetTickCount64();
    m_stopTick = 0;
    if (m_hWnd)
        ::SetTimer(m_hWnd, kTimer, kTickMs, nullptr);
    Show();
}

void CTitlePart::RunEnded()
{
    if (m_shows != Shows::Run || m_stopTick != 0)
        return;
    m_stopTick = ::GetTickCount64();
    if (m_hWnd)
        ::KillTimer(m_hWnd, kTimer);
    if (m_session.RunBytes() == 0)
        m_shows = m_beforeRun;
    Show();
}

void CTitlePart::FileLoaded(const std::string& fileName, uint64_t lines)
{
    m_fileName = fileName;
    m_fileLines = lines;
    if (m_shows == Shows::Run && m_stopTick == 0)
        m_beforeRun = Shows::File;
    else
        m_shows = Shows::File;
    Show();
}

void CTitlePart::Cleared()
{
    if (m_beforeRun == Shows::File)
        m_beforeRun = Shows::Idle;
    if (m_shows == Shows::File)
        m_shows = Shows::Idle;
    Show();
}

bool CTitlePart::OnTimer(UINT_PTR id)
{
    if (id != kTimer)
        return false;
    // A timer message that was held back comes late, and the next one soon after it (or
    // just after a delivery brought the title up to date): the title keeps its pace.
    RefreshAfter(kTickMs - kTickMs / 5);
    return true;
}

void CTitlePart::LinesDelivered()
{
    if (m_shows == Shows::Run && m_stopTick == 0)
        RefreshAfter(2 * kTickMs);
}

void CTitlePart::RefreshAfter(ULONGLONG ms)
{
    const ULONGLONG now = ::GetTickCount64();
    if (now - m_refreshTick < ms)
        return;
    m_refreshTick = now;
    Show();
}

std::string CTitlePart::Text() const
{
    switch (m_shows) {
    case Shows::Idle:
        break;
    case Shows::File:
        return FileTitle(m_texts, m_fileName, m_fileLines);
    case Shows::Run: {
        RunFacts run;
        run.port = m_port;
        run.baud = m_baud;
        run.bytes = m_session.RunBytes();
        run.msSinceLastByte = m_session.MsSinceLastByte();
        run.state = RunStateOf(m_stopTick == 0 && m_session.IsRunning(), run.bytes, run.msSinceLastByte);
        run.lines = m_session.RunLines();
        run.elapsedMs = (m_stopTick ? m_stopTick : ::GetTickCount64()) - m_startTick;
        return RunTitle(m_texts, run);
    }
    }
    return m_texts[TXT_TITLE_IDLE];
}

void CTitlePart::Show()
{
    if (!m_hWnd)
        return;
    // Without memory for the text the title stays as it is, until the next change.
    std::string text;
    try {
        text = Text();
    } catch (const std::bad_alloc&) {
        return;
    }
    if (text == m_shown)
        return;
    ::SetWindowTextA(m_hWnd, text.c_str());
    m_shown.swap(text);
}
