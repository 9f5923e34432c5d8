// The preview's page view.
#include "print/MyPreviewView.h"

#include "core/DpiScale.h"
#include "fw/App.h"
#include "fw/Gdi.h"
#include "fw/WaitCursor.h"
#include "print/MyPrintPreview.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {
// The whole sheet in the printer's pixels (its printable area when it cannot say).
SIZE PaperPixels(HDC printer)
{
    const SIZE sheet = {::GetDeviceCaps(printer, PHYSICALWIDTH), ::GetDeviceCaps(printer, PHYSICALHEIGHT)};
    if (sheet.cx > 0 && sheet.cy > 0)
        return sheet;
    return {::GetDeviceCaps(printer, HORZRES), ::GetDeviceCaps(printer, VERTRES)};
}
}  // namespace

BEGIN_MESSAGE_MAP(CMyPreviewView, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND_NONE()
    ON_WM_SIZE()
    ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    // A quick second click is a click too, not a double click that zooms nothing.
    ON_MOUSE_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDown)
    ON_WM_MOUSEWHEEL()
    ON_WM_SETCURSOR()
    // The thumb position comes with the message: while whole pages are shown it is a
    // page number.
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_WM_HSCROLL()
    ON_WM_KEYDOWN()
    ON_MESSAGE(WM_NOTIFY, OnNotify)
    ON_COMMAND(ID_PREVIEW_CLOSE, OnClose)
    ON_COMMAND(ID_PREVIEW_NUMPAGE, OnNumPageChange)
    ON_COMMAND(ID_PREVIEW_NEXT, OnNextPage)
    ON_COMMAND(ID_PREVIEW_PREV, OnPrevPage)
    ON_COMMAND(ID_PREVIEW_PRINT, OnPrint)
    ON_COMMAND(ID_PREVIEW_ZOOMIN, OnZoomIn)
    ON_COMMAND(ID_PREVIEW_ZOOMOUT, OnZoomOut)
END_MESSAGE_MAP()

CMyPreviewView::~CMyPreviewView()
{
    DropRecordings();
    if (m_hPrinter)
        ::DeleteDC(m_hPrinter);
}

bool CMyPreviewView::Create(CMyPrintPreview* frame, HDC printer, UINT id)
{
    m_pFrame = frame;
    const char* cls = RegisterWndClass(CS_BYTEALIGNCLIENT | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    const RECT r = {0, 0, 0, 0};
    if (!CreateEx(0, cls, "", WS_CHILD | WS_VSCROLL | WS_HSCROLL, r, frame->m_hWnd,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return false;
    m_hPrinter = printer;
    return true;
}

void CMyPreviewView::Start(CPageSource* source, int pages)
{
    // The first pages are drawn here, under the wait cursor.
    CWaitCursor wait;
    m_pSource = source;
    m_nLastPage = static_cast<UINT>(pages < 1 ? 1 : pages);
    ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
    SetCurrentPage(1, true);
    UpdateScrollRange();
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
}

LRESULT CMyPreviewView::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    // A toolbar button that is disabled does nothing, even when its command is sent.
    if (msg == WM_COMMAND && LOWORD(wp) >= ID_PREVIEW_CLOSE && LOWORD(wp) <= ID_PREVIEW_ZOOMOUT &&
        !IsCommandEnabled(LOWORD(wp)))
        return 0;
    return CWnd::WindowProc(msg, wp, lp);
}

// --- pages and zoom -----------------------------------------------------------------

void CMyPreviewView::SetCurrentPage(UINT page, bool clearRatios)
{
    // The last screen shows the last pages: with two pages shown it starts one early.
    m_nCurrentPage = static_cast<UINT>(PreviewMath::ClampPage(static_cast<int>(page), 1,
                                                              static_cast<int>(m_nLastPage),
                                                              static_cast<int>(m_nPages)));
    if (clearRatios)
        for (PageInfo& slot : m_pageInfo)
            slot.sizeScaleRatio = {0, 0};
    if (m_hWnd) {
        if (!m_bScrolling)
            ::SetScrollPos(m_hWnd, SB_VERT, static_cast<int>(m_nCurrentPage), TRUE);
        Invalidate(false);
    }
    UpdateToolbar();
}

bool CMyPreviewView::FindPageRect(POINT& point, UINT& slot) const
{
    for (UINT i = 0; i < m_nPages && i < kSlots; ++i) {
        const PageInfo& info = m_pageInfo[i];
        if (info.sizeScaleRatio.den == 0 || info.sizeScaleRatio.num == 0)
            continue;
        RECT r = info.rectScreen;
        ::OffsetRect(&r, -m_scroll.x, -m_scroll.y);
        if (!::PtInRect(&r, point))
            continue;
        slot = i;
        point.x = PreviewMath::MulDiv(point.x - r.left, info.sizeScaleRatio.den, info.sizeScaleRatio.num);
        point.y = PreviewMath::MulDiv(point.y - r.top, info.sizeScaleRatio.den, info.sizeScaleRatio.num);
        return true;
    }
    return false;
}

PreviewMath::Display CMyPreviewView::DisplaySize() const
{
    const SIZE client = GetTrueClientSize();
    return PreviewMath::DisplayFor({client.cx, client.cy}, ::GetSystemMetrics(SM_CXVSCROLL),
                                   static_cast<int>(m_nZoomState), 1, static_cast<int>(m_nLastPage), pagesAcross,
                                   Spacing());
}

PreviewMath::Spacing CMyPreviewView::Spacing() const
{
    return PreviewMath::SpacingForDpi(WindowDpi(m_hWnd));
}

void CMyPreviewView::PositionPage(UINT slot)
{
    const PreviewMath::Display d = DisplaySize();
    const SIZE paper = PaperPixels(m_hPrinter);
    HDC screen = ::GetDC(nullptr);
    const int screenX = ::GetDeviceCaps(screen, LOGPIXELSX), screenY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    PageInfo& info = m_pageInfo[slot];
    info.sizeUnscaled = {PreviewMath::MulDiv(paper.cx, screenX, ::GetDeviceCaps(m_hPrinter, LOGPIXELSX)),
                         PreviewMath::MulDiv(paper.cy, screenY, ::GetDeviceCaps(m_hPrinter, LOGPIXELSY))};
    info.sizeZoomOutRatio =
        PreviewMath::FitRatio({d.page.cx, d.page.cy}, {info.sizeUnscaled.cx, info.sizeUnscaled.cy});
    SetScaledSize(slot);
}

void CMyPreviewView::SetScaledSize(UINT slot)
{
    const PreviewMath::Display d = DisplaySize();
    PageInfo& info = m_pageInfo[slot];
    info.sizeScaleRatio = PreviewMath::ZoomRatio(static_cast<int>(m_nZoomState), info.sizeZoomOutRatio);
    const PreviewMath::Size scaled = {
        PreviewMath::MulDiv(info.sizeUnscaled.cx, info.sizeScaleRatio.num, info.sizeScaleRatio.den),
        PreviewMath::MulDiv(info.sizeUnscaled.cy, info.sizeScaleRatio.num, info.sizeScaleRatio.den)};
    const PreviewMath::Box r =
        PreviewMath::SlotRect(scaled, d, static_cast<int>(slot), pagesAcross, static_cast<int>(m_nZoomState));
    info.rectScreen = {r.left, r.top, r.right, r.bottom};
    if (m_nZoomState != 0)
        SetScrollSizes({r.right - r.left + d.spacing.gap, r.bottom - r.top + d.spacing.gap},
                       {d.page.cx, d.page.cy});
}

void CMyPreviewView::SetZoomState(UINT state, UINT slot, POINT point)
{
    if (state == m_nZoomState || state > PreviewMath::kMaxZoom || slot >= kSlots)
        return;
    if (m_pageInfo[slot].sizeZoomOutRatio.den == 0)
        PositionPage(slot);  // not painted yet
    m_nZoomState = state;
    DropRecordings();  // recorded for the zoom state they were shown at
    if (state == 0) {
        m_nPages = static_cast<UINT>(pagesAcross);
        m_bScrolling = false;
        m_scroll = {0, 0};
        ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
        SetCurrentPage(m_nCurrentPage, true);
        UpdateScrollRange();
    } else {
        m_nPages = 1;
        m_pageInfo[0].sizeZoomOutRatio = m_pageInfo[slot].sizeZoomOutRatio;
        m_pageInfo[0].sizeUnscaled = m_pageInfo[slot].sizeUnscaled;
        SetCurrentPage(m_nCurrentPage + slot, false);
        SetScaledSize(0);
        // The clicked point stays in view: scaled to the new size of the page it is on.
        const PageInfo& page = m_pageInfo[0];
        point.x = PreviewMath::MulDiv(point.x, page.sizeScaleRatio.num, page.sizeScaleRatio.den) +
                  page.rectScreen.left;
        point.y = PreviewMath::MulDiv(point.y, page.sizeScaleRatio.num, page.sizeScaleRatio.den) +
                  page.rectScreen.top;
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        ScrollToPosition({point.x - client.right / 2, point.y - client.bottom / 2});
    }
    UpdateToolbar();
}

// --- toolbar ------------------------------------------------------------------------

bool CMyPreviewView::IsCommandEnabled(UINT id) const
{
    switch (id) {
    case ID_PREVIEW_NEXT:
        return m_nCurrentPage + m_nPages - 1 < m_nLastPage;
    case ID_PREVIEW_PREV:
        return m_nCurrentPage > 1;
    case ID_PREVIEW_NUMPAGE:
        return m_nZoomState == 0 && (m_nLastPage > 1 || m_nPages > 1);
    case ID_PREVIEW_ZOOMIN:
        return m_nZoomState != PreviewMath::kMaxZoom;
    case ID_PREVIEW_ZOOMOUT:
        return m_nZoomState != 0;
    default:
        return true;
    }
}

void CMyPreviewView::UpdateToolbar()
{
    HWND toolbar = m_pFrame ? m_pFrame->Toolbar() : nullptr;
    if (!toolbar)
        return;
    for (UINT id = ID_PREVIEW_CLOSE; id <= ID_PREVIEW_ZOOMOUT; ++id)
        if (HWND button = ::GetDlgItem(toolbar, static_cast<int>(id)))
            ::EnableWindow(button, IsCommandEnabled(id));
    ::SetDlgItemTextA(toolbar, ID_PREVIEW_NUMPAGE,
                      m_pFrame->Texts()[pagesAcross == 1 ? TXT_PREVIEW_TWO_PAGES : TXT_PREVIEW_ONE_PAGE].c_str());
}

void CMyPreviewView::OnClose()
{
    m_pFrame->ClosePreview();  // this object is gone
}

void CMyPreviewView::OnNumPageChange()
{
    pagesAcross = pagesAcross == 1 ? 2 : 1;
    m_nPages = static_cast<UINT>(pagesAcross);
    SetCurrentPage(m_nCurrentPage, true);
    UpdateScrollRange();
}

void CMyPreviewView::OnNextPage()
{
    SetCurrentPage(m_nCurrentPage + 1, true);
}

void CMyPreviewView::OnPrevPage()
{
    SetCurrentPage(m_nCurrentPage - 1, true);
}

void CMyPreviewView::OnPrint()
{
    m_pFrame->PrintFromPreview();  // closes the preview, printed or not
}

void CMyPreviewView::OnZoomIn()
{
    SetZoomState(m_nZoomState + 1, 0, {0, 0});
}

void CMyPreviewView::OnZoomOut()
{
    SetZoomState(m_nZoomState - 1, 0, {0, 0});
}

LRESULT CMyPreviewView::OnNotify(WPARAM, LPARAM lp)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (!hdr || !hdr->hwndFrom || hdr->code != TTN_NEEDTEXTA || !m_pFrame)
        return FALSE;
    auto* tip = reinterpret_cast<NMTTDISPINFOA*>(lp);
    if (!(tip->uFlags & TTF_IDISHWND))
        return FALSE;
    UiTextId text;
    switch (::GetDlgCtrlID(reinterpret_cast<HWND>(hdr->idFrom))) {
    case ID_PREVIEW_CLOSE: text = TXT_TIP_CLOSE; break;
    case ID_PREVIEW_NEXT: text = TXT_TIP_NEXT; break;
    case ID_PREVIEW_PREV: text = TXT_TIP_PREV; break;
    // The button toggles: its tip says what it does now, as its caption does.
    case ID_PREVIEW_NUMPAGE: text = pagesAcross == 1 ? TXT_TIP_TWO_PAGES : TXT_TIP_ONE_PAGE; break;
    case ID_PREVIEW_PRINT: text = TXT_TIP_PRINT; break;
    case ID_PREVIEW_ZOOMIN: text = TXT_TIP_ZOOM_IN; break;
    case ID_PREVIEW_ZOOMOUT: text = TXT_TIP_ZOOM_OUT; break;
    default: text = TXT_TIP_UNKNOWN; break;
    }
    // The frame's table outlives the tip's use of the text.
    tip->lpszText = const_cast<char*>(m_pFrame->Texts()[text].c_str());
    return TRUE;
}

// --- mouse and keys -----------------------------------------------------------------

void CMyPreviewView::OnLButtonDown(UINT, POINT point)
{
    UINT slot = 0;
    if (FindPageRect(point, slot))
        SetZoomState(static_cast<UINT>(PreviewMath::ZoomAfterClick(static_cast<int>(m_nZoomState))), slot, point);
}

void CMyPreviewView::OnMouseWheel(UINT, short delta, POINT)
{
    if (m_nZoomState > 0)
        ScrollToPosition({m_scroll.x, m_scroll.y - delta});
    else
        SetCurrentPage(static_cast<UINT>(PreviewMath::PageAfterWheel(delta, static_cast<int>(m_nCurrentPage), 1,
                                                                      static_cast<int>(m_nLastPage),
                                                                      static_cast<int>(m_nPages))),
                       true);
}

bool CMyPreviewView::OnSetCursor(HWND, UINT hitTest, UINT)
{
    if (hitTest != HTCLIENT)
        return false;
    // Loaded once and kept; a shared cursor is never destroyed.
    // Drawn 32 pixels square for 100 %, as large as the scale makes it.
    static const int size = ScaleForDpi(32, WindowDpi(m_hWnd));
    static const HCURSOR magnifier = static_cast<HCURSOR>(::LoadImageA(
        AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_PREVIEW_MAGNIFY), IMAGE_CURSOR, size, size, LR_SHARED));
    POINT point;
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hWnd, &point);
    UINT slot = 0;
    const bool onPage = m_nZoomState != PreviewMath::kMaxZoom && FindPageRect(point, slot);
    ::SetCursor(onPage && magnifier ? magnifier : ::LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

LRESULT CMyPreviewView::OnVScroll(WPARAM wp, LPARAM)
{
    if (m_nZoomState > 0) {
        ScrollBy(SB_VERT, LOWORD(wp));
        return 0;
    }
    UpdateScrollRange();
    const int code = LOWORD(wp);
    if (code == SB_THUMBTRACK || code == SB_ENDSCROLL)
        return 0;
    SetCurrentPage(static_cast<UINT>(PreviewMath::PageAfterScroll(code, HIWORD(wp), static_cast<int>(m_nCurrentPage),
                                                                   1, static_cast<int>(m_nLastPage),
                                                                   static_cast<int>(m_nPages))),
                   true);
    return 0;
}

void CMyPreviewView::OnHScroll(UINT code, HWND)
{
    if (m_bScrolling)
        ScrollBy(SB_HORZ, code);
}

void CMyPreviewView::OnKeyDown(UINT key)
{
    // The keys do what the scroll bar does: whole pages while zoomed out, the page's
    // pixels while zoomed in (left and right then move across).
    if (m_nZoomState > 0 && (key == VK_LEFT || key == VK_RIGHT)) {
        OnHScroll(key == VK_LEFT ? SB_LINEUP : SB_LINEDOWN, nullptr);
        return;
    }
    const int code = PreviewMath::ScrollCodeForKey(static_cast<int>(key));
    if (code >= 0)
        OnVScroll(static_cast<WPARAM>(code), 0);
}

// --- scroll bars --------------------------------------------------------------------

void CMyPreviewView::UpdateScrollRange()
{
    const PreviewMath::BarRange range =
        PreviewMath::PageBarRange(1, static_cast<int>(m_nLastPage), static_cast<int>(m_nPages));
    if (!range.shown) {
        ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
        return;
    }
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, range.min, range.max, 1,
                     static_cast<int>(m_nCurrentPage), 0};
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

SIZE CMyPreviewView::GetTrueClientSize() const
{
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    SIZE size = {r.right, r.bottom};
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    if (style & WS_VSCROLL)
        size.cx += ::GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        size.cy += ::GetSystemMetrics(SM_CYHSCROLL);
    return size;
}

void CMyPreviewView::SetScrollSizes(SIZE total, SIZE page)
{
    m_bScrolling = true;
    m_total = total;
    m_pageSize = page;
    m_lineSize = {page.cx / 10, page.cy / 10};
    ApplyScrollBars();
}

void CMyPreviewView::ApplyScrollBars()
{
    // Showing one bar narrows the room for the other: settle in two rounds.
    for (int round = 0; round < 2; ++round) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        m_scroll.x = PreviewMath::ClampScroll(m_scroll.x, m_total.cx, client.right);
        m_scroll.y = PreviewMath::ClampScroll(m_scroll.y, m_total.cy, client.bottom);
        SCROLLINFO h = {sizeof h, SIF_RANGE | SIF_PAGE | SIF_POS, 0, m_total.cx - 1,
                        static_cast<UINT>(client.right), m_scroll.x, 0};
        SCROLLINFO v = {sizeof v, SIF_RANGE | SIF_PAGE | SIF_POS, 0, m_total.cy - 1,
                        static_cast<UINT>(client.bottom), m_scroll.y, 0};
        ::SetScrollInfo(m_hWnd, SB_HORZ, &h, TRUE);
        ::SetScrollInfo(m_hWnd, SB_VERT, &v, TRUE);
    }
    Invalidate(false);
}

void CMyPreviewView::ScrollToPosition(POINT point)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const POINT from = m_scroll;
    m_scroll.x = PreviewMath::ClampScroll(point.x, m_total.cx, client.right);
    m_scroll.y = PreviewMath::ClampScroll(point.y, m_total.cy, client.bottom);
    if (m_scroll.x != from.x)
        ::SetScrollPos(m_hWnd, SB_HORZ, m_scroll.x, TRUE);
    if (m_scroll.y != from.y)
        ::SetScrollPos(m_hWnd, SB_VERT, m_scroll.y, TRUE);
    // What is shown already moves along; only the part that comes into view is painted.
    ::ScrollWindowEx(m_hWnd, from.x - m_scroll.x, from.y - m_scroll.y, nullptr, nullptr, nullptr, nullptr,
                     SW_INVALIDATE);
}

void CMyPreviewView::ScrollBy(int bar, UINT code)
{
    const bool vertical = bar == SB_VERT;
    POINT pos = m_scroll;
    LONG& p = vertical ? pos.y : pos.x;
    const LONG line = vertical ? m_lineSize.cy : m_lineSize.cx;
    const LONG page = vertical ? m_pageSize.cy : m_pageSize.cx;
    SCROLLINFO si = {sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    switch (code) {
    case SB_LINEUP: p -= line; break;
    case SB_LINEDOWN: p += line; break;
    case SB_PAGEUP: p -= page; break;
    case SB_PAGEDOWN: p += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ::GetScrollInfo(m_hWnd, bar, &si);
        p = si.nTrackPos;
        break;
    case SB_TOP: p = 0; break;
    case SB_BOTTOM: p = vertical ? m_total.cy : m_total.cx; break;
    default: return;
    }
    ScrollToPosition(pos);
}

void CMyPreviewView::OnSize(UINT, int, int)
{
    if (m_bScrolling) {
        ApplyScrollBars();
    } else {
        for (PageInfo& slot : m_pageInfo)
            slot.sizeScaleRatio = {0, 0};
        Invalidate(false);
    }
}

// --- painting -----------------------------------------------------------------------

void CMyPreviewView::OnPaint()
{
    RECT update;
    ::GetUpdateRect(m_hWnd, &update, FALSE);
    CBufferedPaint paint(m_hWnd);
    HDC dc = paint.Dc();
    if (!dc)
        return;
    // Only what needs painting is drawn: the pages, and the background around them.
    ::IntersectClipRect(dc, update.left, update.top, update.right, update.bottom);
    const int saved = ::SaveDC(dc);
    const int line = Spacing().line;
    UINT shown = 0;
    for (; shown < m_nPages && shown < kSlots && m_nCurrentPage + shown <= m_nLastPage; ++shown) {
        if (m_pageInfo[shown].sizeScaleRatio.den == 0)
            PositionPage(shown);
        const RECT& r = m_pageInfo[shown].rectScreen;
        ::ExcludeClipRect(dc, r.left - m_scroll.x, r.top - m_scroll.y, r.right - line - m_scroll.x,
                          r.bottom - line - m_scroll.y);  // the paper and its frame
    }
    ::FillRect(dc, &paint.Client(), ::GetSysColorBrush(COLOR_APPWORKSPACE));
    ::RestoreDC(dc, saved);
    for (UINT i = 0; i < shown; ++i)
        DrawPage(dc, i, m_nCurrentPage + i);
}

void CMyPreviewView::DrawPage(HDC dc, UINT slot, UINT page)
{
    RECT r = m_pageInfo[slot].rectScreen;
    ::OffsetRect(&r, -m_scroll.x, -m_scroll.y);
    // A black frame round the paper, a shadow along its right and bottom edges, each a
    // line wide (a pixel at 100 %).
    const int line = Spacing().line;
    const RECT frame = {r.left, r.top, r.right - line, r.bottom - line};
    const RECT paper = {frame.left + line, frame.top + line, frame.right - line, frame.bottom - line};
    const RECT shadowRight = {frame.right, r.top + 2 * line, r.right, r.bottom};
    const RECT shadowBottom = {r.left + 2 * line, frame.bottom, r.right, r.bottom};
    ::FillRect(dc, &shadowRight, ::GetSysColorBrush(COLOR_3DDKSHADOW));
    ::FillRect(dc, &shadowBottom, ::GetSysColorBrush(COLOR_3DDKSHADOW));
    ::FillRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::FillRect(dc, &paper, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (HENHMETAFILE picture = PageRecording(page))
        ::PlayEnhMetaFile(dc, picture, &paper);
}

HENHMETAFILE CMyPreviewView::PageRecording(UINT page)
{
    Recording* free = nullptr;
    for (Recording& r : m_recorded) {
        if (r.picture && r.page == page && r.zoom == m_nZoomState)
            return r.picture;
        // A page no longer shown makes room.
        if (!free && (!r.picture || r.page < m_nCurrentPage || r.page >= m_nCurrentPage + m_nPages))
            free = &r;
    }
    if (!free || !m_pSource)
        return nullptr;
    // The page is drawn for the printer into a metafile whose frame is the whole
    // sheet, in hundredths of a millimetre, measured from the printable area's corner
    // where the printer's origin lies.
    const int dpiX = ::GetDeviceCaps(m_hPrinter, LOGPIXELSX), dpiY = ::GetDeviceCaps(m_hPrinter, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0)
        return nullptr;
    const SIZE size = PaperPixels(m_hPrinter);
    const int offsetX = ::GetDeviceCaps(m_hPrinter, PHYSICALOFFSETX);
    const int offsetY = ::GetDeviceCaps(m_hPrinter, PHYSICALOFFSETY);
    const RECT sheet = {::MulDiv(-offsetX, 2540, dpiX), ::MulDiv(-offsetY, 2540, dpiY),
                        ::MulDiv(size.cx - offsetX, 2540, dpiX), ::MulDiv(size.cy - offsetY, 2540, dpiY)};
    HDC record = ::CreateEnhMetaFileA(m_hPrinter, nullptr, &sheet, nullptr);
    if (!record)
        return nullptr;
    m_pSource->PrintPage(record, static_cast<int>(page));
    ++m_recordings;
    if (free->picture)
        ::DeleteEnhMetaFile(free->picture);
    *free = {page, m_nZoomState, ::CloseEnhMetaFile(record)};
    return free->picture;
}

void CMyPreviewView::DropRecordings()
{
    for (Recording& r : m_recorded) {
        if (r.picture)
            ::DeleteEnhMetaFile(r.picture);
        r = Recording();
    }
}
