// The preview's page view.
#include "print/MyPreviewView.h"

#include "fw/App.h"
#include "print/MyPrintPreview.h"
#include "res/resource.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CMyPreviewView, CPreviewView)
    ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    // A quick second click is a click too, not a double click that zooms nothing.
    ON_MOUSE_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDown)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
    ON_MESSAGE(WM_NOTIFY, OnNotify)
    ON_COMMAND(ID_PREVIEW_ZOOMIN, OnZoomIn)
    ON_COMMAND(ID_PREVIEW_ZOOMOUT, OnZoomOut)
    ON_COMMAND(ID_PREVIEW_NUMPAGE, OnNumPageChange)
    ON_COMMAND(ID_PREVIEW_PRINT, OnPreviewPrint)
END_MESSAGE_MAP()

PreviewMath::Display CMyPreviewView::DisplaySize()
{
    const SIZE client = GetTrueClientSize();
    const PreviewMath::Display d = PreviewMath::DisplayFor(
        {client.cx, client.cy}, ::GetSystemMetrics(SM_CXVSCROLL), static_cast<int>(m_nZoomState),
        static_cast<int>(m_info.m_nMinPage), static_cast<int>(m_info.m_nMaxPage), pagesAcross);
    m_nHorzPageStep = d.hStep;
    m_nVertPageStep = 0;  // one row of pages
    return d;
}

void CMyPreviewView::PositionPage(UINT slot)
{
    const PreviewMath::Display d = DisplaySize();
    HDC printer = m_info.m_hAttribDC;
    const SIZE paper = PaperPixels(printer);
    HDC screen = ::GetDC(nullptr);
    const int screenX = ::GetDeviceCaps(screen, LOGPIXELSX), screenY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    PageInfo& info = m_pPageInfo[slot];
    info.sizeUnscaled = {PreviewMath::MulDiv(paper.cx, screenX, ::GetDeviceCaps(printer, LOGPIXELSX)),
                         PreviewMath::MulDiv(paper.cy, screenY, ::GetDeviceCaps(printer, LOGPIXELSY))};
    info.sizeZoomOutRatio = CalcScaleRatio({d.page.cx, d.page.cy}, info.sizeUnscaled);
    SetScaledSize(slot);
}

void CMyPreviewView::SetScaledSize(UINT slot)
{
    const PreviewMath::Display d = DisplaySize();
    PageInfo& info = m_pPageInfo[slot];
    info.sizeScaleRatio = PreviewMath::ZoomRatio(static_cast<int>(m_nZoomState), info.sizeZoomOutRatio);
    const PreviewMath::Size scaled = {
        PreviewMath::MulDiv(info.sizeUnscaled.cx, info.sizeScaleRatio.num, info.sizeScaleRatio.den),
        PreviewMath::MulDiv(info.sizeUnscaled.cy, info.sizeScaleRatio.num, info.sizeScaleRatio.den)};
    const PreviewMath::Box r =
        PreviewMath::SlotRect(scaled, d, static_cast<int>(slot), pagesAcross, static_cast<int>(m_nZoomState));
    info.rectScreen = {r.left, r.top, r.right, r.bottom};
    if (m_nZoomState != 0)
        SetScrollSizes({r.right - r.left + PreviewMath::kGap, r.bottom - r.top + PreviewMath::kGap},
                       {d.page.cx, d.page.cy}, {0, 0});
}

void CMyPreviewView::SetZoomState(UINT state, UINT slot, POINT point)
{
    if (state == m_nZoomState || state > PreviewMath::kMaxZoom || slot >= static_cast<UINT>(kSlots))
        return;
    if (m_pPageInfo[slot].sizeZoomOutRatio.den == 0)
        PositionPage(slot);  // not painted yet
    m_nZoomState = state;
    if (state == 0) {
        m_nPages = m_nZoomOutPages;
        EndScrolling();
        SetCurrentPage(m_nCurrentPage, true);
        UpdateScrollRange();
    } else {
        m_nPages = 1;
        m_pPageInfo[0].sizeZoomOutRatio = m_pPageInfo[slot].sizeZoomOutRatio;
        m_pPageInfo[0].sizeUnscaled = m_pPageInfo[slot].sizeUnscaled;
        SetCurrentPage(m_nCurrentPage + slot, false);
        SetScaledSize(0);
        // The clicked point stays in view: scaled to the new size of the page it is on.
        const PageInfo& page = m_pPageInfo[0];
        point.x = PreviewMath::MulDiv(point.x, page.sizeScaleRatio.num, page.sizeScaleRatio.den) +
                  page.rectScreen.left;
        point.y = PreviewMath::MulDiv(point.y, page.sizeScaleRatio.num, page.sizeScaleRatio.den) +
                  page.rectScreen.top;
        CenterOnPoint(point);
    }
    UpdateToolbar();
}

bool CMyPreviewView::IsCommandEnabled(UINT id) const
{
    if (id == ID_PREVIEW_ZOOMIN)
        return m_nZoomState != PreviewMath::kMaxZoom;
    if (id == ID_PREVIEW_ZOOMOUT)
        return m_nZoomState != 0;
    return CPreviewView::IsCommandEnabled(id);
}

void CMyPreviewView::OnZoomIn()
{
    if (m_nZoomState != PreviewMath::kMaxZoom)
        SetZoomState(m_nZoomState + 1, 0, {0, 0});
}

void CMyPreviewView::OnZoomOut()
{
    if (m_nZoomState != 0)
        SetZoomState(m_nZoomState - 1, 0, {0, 0});
}

void CMyPreviewView::OnNumPageChange()
{
    pagesAcross = pagesAcross == 1 ? 2 : 1;
    CPreviewView::OnNumPageChange();
}

void CMyPreviewView::OnPreviewPrint()
{
    // The printer dialog is open already (a command sent past the disabled frame).
    if (m_bPrinting)
        return;
    auto* printView = dynamic_cast<CMyPrintPreview*>(m_pPrintView);
    if (printView) {
        const std::weak_ptr<bool> alive = AliveToken();
        HWND self = m_hWnd;
        m_bPrinting = true;
        printView->PrintFromPreview(m_pFrame ? m_pFrame->m_hWnd : nullptr);
        // The dialog's own message loop may have closed the preview meanwhile, and
        // deleted this view with it.
        if (alive.expired() || !::IsWindow(self))
            return;
        m_bPrinting = false;
    }
    CPreviewView::OnPreviewPrint();  // closes the preview, printed or not
}

void CMyPreviewView::OnLButtonDown(UINT, POINT point)
{
    UINT slot = 0;
    if (FindPageRect(point, slot))
        SetZoomState(static_cast<UINT>(PreviewMath::ZoomAfterClick(static_cast<int>(m_nZoomState))), slot, point);
}

LRESULT CMyPreviewView::OnMouseWheel(WPARAM wp, LPARAM)
{
    const int delta = GET_WHEEL_DELTA_WPARAM(wp);
    if (m_nZoomState > 0) {
        const POINT at = GetScrollPosition();
        ScrollToPosition({at.x, at.y - delta});
    } else {
        SetCurrentPage(static_cast<UINT>(PreviewMath::PageAfterWheel(
                           delta, static_cast<int>(m_nCurrentPage), static_cast<int>(m_info.m_nMinPage),
                           static_cast<int>(m_info.m_nMaxPage), static_cast<int>(m_nPages))),
                       true);
    }
    return 0;
}

LRESULT CMyPreviewView::OnSetCursor(WPARAM, LPARAM lp)
{
    if (LOWORD(lp) != HTCLIENT)
        return Default();
    // Loaded once and kept; a shared cursor is never destroyed.
    static const HCURSOR magnifier = static_cast<HCURSOR>(::LoadImageA(
        AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_PREVIEW_MAGNIFY), IMAGE_CURSOR, 32, 32, LR_SHARED));
    POINT point;
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hWnd, &point);
    UINT slot = 0;
    const bool onPage = m_nZoomState != PreviewMath::kMaxZoom && FindPageRect(point, slot);
    ::SetCursor(onPage && magnifier ? magnifier : ::LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT CMyPreviewView::OnVScroll(WPARAM wp, LPARAM lp)
{
    if (m_nZoomState > 0)
        return CPreviewView::OnVScroll(wp, lp);
    UpdateScrollRange();
    const int code = LOWORD(wp);
    if (code == SB_THUMBTRACK || code == SB_ENDSCROLL)
        return 0;
    SetCurrentPage(static_cast<UINT>(PreviewMath::PageAfterScroll(
                       code, HIWORD(wp), static_cast<int>(m_nCurrentPage), static_cast<int>(m_info.m_nMinPage),
                       static_cast<int>(m_info.m_nMaxPage), static_cast<int>(m_nPages))),
                   true);
    return 0;
}

LRESULT CMyPreviewView::OnKeyDown(WPARAM wp, LPARAM lp)
{
    // The keys do what the scroll bar does: whole pages while zoomed out, the page's
    // pixels while zoomed in (left and right then move across).
    if (m_nZoomState > 0 && (wp == VK_LEFT || wp == VK_RIGHT)) {
        CPreviewView::OnHScroll(wp == VK_LEFT ? SB_LINEUP : SB_LINEDOWN, 0);
        return 0;
    }
    const int code = PreviewMath::ScrollCodeForKey(static_cast<int>(wp));
    if (code < 0)
        return Default();
    OnVScroll(static_cast<WPARAM>(code), lp);
    return 0;
}

LRESULT CMyPreviewView::OnNotify(WPARAM, LPARAM lp)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (!hdr || !hdr->hwndFrom || hdr->code != TTN_NEEDTEXTA)
        return FALSE;
    auto* tip = reinterpret_cast<NMTTDISPINFOA*>(lp);
    if (!(tip->uFlags & TTF_IDISHWND))
        return FALSE;
    const char* text;
    switch (::GetDlgCtrlID(reinterpret_cast<HWND>(hdr->idFrom))) {
    case ID_PREVIEW_CLOSE: text = "Close print preview mode"; break;
    case ID_PREVIEW_NEXT: text = "Move to next page"; break;
    case ID_PREVIEW_PREV: text = "Move to previous page"; break;
    // The button toggles: its tip says what it does now, as its caption does.
    case ID_PREVIEW_NUMPAGE: text = m_nZoomOutPages == 1 ? "Show two pages side by side" : "Show one page"; break;
    case ID_PREVIEW_PRINT: text = "Print the report"; break;
    case ID_PREVIEW_ZOOMIN: text = "Zoom in"; break;
    case ID_PREVIEW_ZOOMOUT: text = "Zoom out"; break;
    default: text = "Unrecognised control ID"; break;
    }
    tip->lpszText = const_cast<char*>(text);
    return TRUE;
}
