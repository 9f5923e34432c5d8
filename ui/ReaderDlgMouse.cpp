// The main window's mouse handlers: moving by the client area and resizing by the
// borders and the size grip, as the settings SHOW_DLGDATA_ONMOVE and
// SHOW_DLGDATA_ONSIZE ask.
#include "ui/ReaderDlg.h"

#include "core/AppSettings.h"

void CReaderDlg::OnLButtonDown(UINT, POINT)
{
    m_liveSizing.ClientButtonDown(m_hWnd, m_settings.showDlgDataOnMove != 0);
    Default();
}

void CReaderDlg::OnNcLButtonDown(UINT hitTest, POINT)
{
    if (!m_liveSizing.NonClientButtonDown(m_hWnd, hitTest, m_settings.showDlgDataOnSize != 0))
        Default();
}

void CReaderDlg::OnMouseMove(UINT, POINT)
{
    m_liveSizing.MouseMove(m_hWnd);
    Default();
}

void CReaderDlg::OnLButtonUp(UINT, POINT)
{
    m_liveSizing.ButtonUp();
    Default();
}

void CReaderDlg::OnNcLButtonUp(UINT, POINT)
{
    m_liveSizing.ButtonUp();
    Default();
}

LRESULT CReaderDlg::OnNcHitTest(WPARAM, LPARAM lp)
{
    // The drawn size grip sizes the window like the bottom-right corner of its border,
    // rather than being client area that a press would move.
    const POINT screen = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    const LRESULT grip = SizeGripHitTest(m_hWnd, m_scale.GripRect(), screen);
    return grip != HTNOWHERE ? grip : Default();
}

void CReaderDlg::OnCaptureChanged()
{
    m_liveSizing.CaptureLost();
    Default();
}
