// The main window's COM port list follows the adapters: it asks the library for the
// ports present as it opens, when the system says a device came or went, and every few
// seconds while it holds no port at all, so that an adapter plugged in after start-up
// can be chosen.
#include "ui/ReaderDlg.h"

#include <dbt.h>

#include "link/CommLibrary.h"
#include "ui/AppContext.h"

namespace {
const UINT kPortPollMs = 2000;
}  // namespace

void CReaderDlg::OnPortListDropDown()
{
    RefreshPortList();
}

LRESULT CReaderDlg::OnDeviceChange(WPARAM wp, LPARAM)
{
    if (wp == DBT_DEVICEARRIVAL || wp == DBT_DEVICEREMOVECOMPLETE || wp == DBT_DEVNODES_CHANGED)
        RefreshClosedPortList();
    return TRUE;
}

void CReaderDlg::RefreshClosedPortList()
{
    // An open list is not refilled under the operator's pointer; it was filled as it opened.
    if (!m_portCombo.SendMessage(CB_GETDROPPEDSTATE))
        RefreshPortList();
}

void CReaderDlg::RefreshPortList()
{
    // The library hears from one thread at a time: while a run reads, the list stays.
    std::vector<std::string> present;
    if (m_session.IsRunning() || !ListInstalledPorts(m_context.m_commLibrary, present))
        return;
    // The configured port, missing until now, is chosen as it appears.
    if (m_selector.FollowPorts(present) && m_portCombo.GetCurSel() < 0)
        m_selector.SelectPort(m_settings.comPort);
    PollPortsWhileNone();
}

void CReaderDlg::PollPortsWhileNone()
{
    if (m_portCombo.GetCount() == 0)
        ::SetTimer(m_hWnd, kPortPollTimer, kPortPollMs, nullptr);
    else
        ::KillTimer(m_hWnd, kPortPollTimer);
}
