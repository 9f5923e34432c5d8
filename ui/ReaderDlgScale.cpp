// The main window's size and display scale: the anchored layout on every resize, the
// smallest size, the size grip, and a change of scale (WM_DPICHANGED).
#include "ui/ReaderDlg.h"

#include "core/DpiScale.h"
#include "fw/Gdi.h"

void CReaderDlg::UpdateGripRect(bool invalidate)
{
    m_scale.UpdateGripRect(CurrentDpi(), invalidate);
}

void CReaderDlg::OnSize(UINT type, int cx, int cy)
{
    if (m_anchors.IsInitialized())
        m_anchors.ApplyLayout(cx, cy);
    else
        Default();
    if (m_scale.SkinScaleDue() && type != SIZE_MINIMIZED)
        RescaleSkinButtons();
    if (type != SIZE_MAXIMIZED && type != SIZE_MINIMIZED) {
        m_scale.InvalidateGrip();
        UpdateGripRect(true);
    }
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CReaderDlg::OnGetMinMaxInfo(WPARAM, LPARAM lp)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lp);
    const TrackSize minimum = m_scale.MinTrackSize(CurrentDpi());
    info->ptMinTrackSize.x = minimum.width;
    info->ptMinTrackSize.y = minimum.height;
    return Default();
}

int CReaderDlg::CurrentDpi() const
{
    return m_scale.Dpi() > 0 ? m_scale.Dpi() : WindowDpi(m_hWnd);
}

LRESULT CReaderDlg::OnDpiChanged(WPARAM wp, LPARAM lp)
{
    // Before the window is set up its template is laid out at the scale it is made at.
    const int natural = m_scale.NaturalDpi();
    if (natural <= 0)
        return Default();
    // The scale comes from the message: the system may still report the old one.
    const int dpi = UsableDpi(LOWORD(wp));
    m_scale.SetDpi(dpi, m_view.m_hWnd);
    m_view.SetDpi(dpi);
    // The first layout, grown as the scale did.
    m_anchors.Rescale(dpi, natural, dpi, natural);
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lp)) {
        if (::IsIconic(m_hWnd))
            CDialogScale::SetRestoredRect(m_hWnd, *suggested);
        else
            ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Laid out here too: a suggested size that equals the old one sends no WM_SIZE.
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (m_anchors.IsInitialized() && !::IsIconic(m_hWnd))
        m_anchors.ApplyLayout(client.right, client.bottom);
    // The buttons have their new sizes: each takes the picture nearest to it. A
    // minimized window lays its controls out when it is restored: they follow then.
    m_scale.SetSkinScaleDue(::IsIconic(m_hWnd) != 0);
    if (!m_scale.SkinScaleDue())
        RescaleSkinButtons();
    UpdateGripRect(true);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return 0;
}

void CReaderDlg::RescaleSkinButtons()
{
    m_scale.SetSkinScaleDue(false);
    for (CSkinButton& button : m_skinButtons)
        button.SetDpi(m_scale.Dpi());
}
