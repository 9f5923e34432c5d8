// Print preview machinery: frame, printing view and the page-showing preview view.
#include "fw/PrintPreview.h"

#include "fw/App.h"

#include <commctrl.h>
#include <commdlg.h>

namespace {
const UINT kViewId = 0xE900;  // the frame's one view pane

INT_PTR CALLBACK ToolbarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp)
{
    // The buttons' commands belong to the frame, which gives them to its view.
    if (msg == WM_COMMAND) {
        HWND frame = ::GetParent(bar);
        ::SendMessageA(frame, WM_COMMAND, wp, lp);
        // A clicked button took the focus: the keys go back to the view (unless the
        // command closed the preview, toolbar and all).
        if (::IsWindow(bar) && ::IsChild(bar, ::GetFocus()))
            ::SetFocus(frame);
        return TRUE;
    }
    return FALSE;
}

// Every tool of the toolbar asks the preview view for its text.
void AddToolTips(HWND toolbar, HWND view)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND tips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  view, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!tips)
        return;
    for (HWND button = ::GetWindow(toolbar, GW_CHILD); button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = view;
        ti.uId = reinterpret_cast<UINT_PTR>(button);
        ti.lpszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}
}  // namespace

// --- frame --------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_SIZE()
    ON_MESSAGE(WM_CLOSE, OnClose)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
END_MESSAGE_MAP()

bool CFrameWnd::Create(const char* title, UINT menuId)
{
    HMENU menu = menuId ? ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(menuId)) : nullptr;
    const char* cls = RegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW),
                                       ::GetSysColorBrush(COLOR_BTNFACE));
    const RECT r = {0, 0, 800, 600};
    if (!CreateEx(0, cls, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, nullptr, menu)) {
        if (menu)
            ::DestroyMenu(menu);
        return false;
    }
    return true;
}

void CFrameWnd::SetActiveView(CWnd* view)
{
    m_pView = view;
    RecalcLayout();
}

void CFrameWnd::SetToolbar(HWND toolbar)
{
    m_hToolbar = toolbar;
    RecalcLayout();
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int top = 0;
    if (m_hToolbar) {
        RECT bar;
        ::GetWindowRect(m_hToolbar, &bar);
        top = bar.bottom - bar.top;
        ::MoveWindow(m_hToolbar, 0, 0, client.right, top, TRUE);
    }
    if (m_pView && m_pView->m_hWnd)
        ::MoveWindow(m_pView->m_hWnd, 0, top, client.right, client.bottom > top ? client.bottom - top : 0, TRUE);
}

void CFrameWnd::OnSize(UINT, int, int)
{
    RecalcLayout();
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND && m_pView && m_pView->m_hWnd)
        return m_pView->SendMessage(WM_COMMAND, wp, lp);
    return CWnd::WindowProc(msg, wp, lp);
}

LRESULT CFrameWnd::OnClose(WPARAM, LPARAM)
{
    if (m_bPreviewMode && m_pView && m_pView->m_hWnd)
        m_pView->SendMessage(WM_COMMAND, MAKEWPARAM(kPreviewClose, 0));
    else
        DestroyWindow();
    return 0;
}

LRESULT CFrameWnd::OnSetFocus(WPARAM, LPARAM)
{
    // The keys belong to the view, also when the frame gets the focus back from a
    // dialog it owned.
    if (m_pView && m_pView->IsWindow() && ::IsWindowVisible(m_pView->m_hWnd))
        ::SetFocus(m_pView->m_hWnd);
    return 0;
}

CFrameWnd* CSingleDocTemplate::CreateNewFrame() const
{
    auto* frame = new CFrameWnd;
    if (!frame->Create("", m_menuId)) {
        delete frame;
        return nullptr;
    }
    CView* view = m_createView ? m_createView() : nullptr;
    if (!view || !view->Create(frame)) {
        delete view;
        frame->DestroyWindow();  // deletes the frame
        return nullptr;
    }
    return frame;
}

// --- printing view ------------------------------------------------------------------

bool CView::Create(CFrameWnd* frame)
{
    const char* cls = RegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_WINDOW));
    const RECT r = {0, 0, 0, 0};
    if (!frame || !CreateEx(0, cls, "", WS_CHILD | WS_VISIBLE, r, frame->m_hWnd,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewId))))
        return false;
    frame->SetActiveView(this);
    return true;
}

bool CView::DoPreparePrinting(CPrintInfo* info)
{
    if (!info || !info->m_bPreview)
        return false;
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = GetParent();
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC | PD_NOWARNING;
    if (!::PrintDlgA(&pd)) {
        m_previewFailure = PreviewFailure::PrinterError;
        // Not every system warns here; the page set-up query does, with the system's
        // own words, and only then.
        if (::CommDlgExtendedError() == PDERR_NODEFAULTPRN) {
            PAGESETUPDLGA psd = {};
            psd.lStructSize = sizeof psd;
            psd.hwndOwner = pd.hwndOwner;
            psd.Flags = PSD_RETURNDEFAULT;
            if (::PageSetupDlgA(&psd)) {
                ::GlobalFree(psd.hDevMode);
                ::GlobalFree(psd.hDevNames);
            } else {
                m_previewFailure = PreviewFailure::NoPrinter;
            }
        }
        return false;
    }
    if (pd.hDevMode)
        ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        ::GlobalFree(pd.hDevNames);
    info->m_hAttribDC = pd.hDC;
    if (!pd.hDC)
        m_previewFailure = PreviewFailure::PrinterError;
    return pd.hDC != nullptr;
}

bool CView::DoPrintPreview(UINT toolbarId, CPreviewView* preview)
{
    m_previewFailure = PreviewFailure::None;
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(GetParent()));
    if (!preview) {
        m_previewFailure = PreviewFailure::NoWindow;
        return false;
    }
    preview->m_pPrintView = this;
    preview->m_pFrame = frame;
    preview->m_info.m_bPreview = true;
    HWND toolbar = nullptr;
    const char* cls = RegisterWndClass(CS_BYTEALIGNCLIENT | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    const RECT r = {0, 0, 0, 0};
    if (!frame) {
        m_previewFailure = PreviewFailure::NoWindow;
        delete preview;
        return false;
    }
    const std::weak_ptr<bool> alive = m_alive;
    const bool prepared = OnPreparePrinting(&preview->m_info);
    if (alive.expired()) {
        delete preview;
        return false;
    }
    if (!prepared ||
        !(toolbar = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(toolbarId), frame->m_hWnd,
                                         ToolbarProc, 0)) ||
        !preview->CreateEx(0, cls, "", WS_CHILD | WS_VSCROLL | WS_HSCROLL, r, frame->m_hWnd,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewId + 1)))) {
        if (prepared)
            m_previewFailure = PreviewFailure::NoWindow;
        else if (m_previewFailure == PreviewFailure::None)
            m_previewFailure = PreviewFailure::PrinterError;  // an override said no
        if (toolbar)
            ::DestroyWindow(toolbar);
        delete preview;
        return false;
    }
    OnBeginPrinting(preview->m_info.m_hAttribDC, &preview->m_info);

    if (HMENU menu = ::GetMenu(frame->m_hWnd)) {
        ::SetMenu(frame->m_hWnd, nullptr);
        ::DestroyMenu(menu);
    }
    ::ShowWindow(m_hWnd, SW_HIDE);
    AddToolTips(toolbar, preview->m_hWnd);
    frame->SetToolbar(toolbar);
    frame->SetActiveView(preview);
    frame->SetPreviewMode(true);
    ::ShowScrollBar(preview->m_hWnd, SB_HORZ, FALSE);
    preview->SetCurrentPage(preview->m_info.m_nCurPage, true);
    preview->UpdateScrollRange();
    ::ShowWindow(preview->m_hWnd, SW_SHOW);
    ::SetFocus(preview->m_hWnd);
    return true;
}

void CView::OnEndPrintPreview(HDC, CPrintInfo*, CPreviewView* preview)
{
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(GetParent()));
    if (frame) {
        if (HWND toolbar = frame->GetToolbar())
            ::DestroyWindow(toolbar);
        frame->SetToolbar(nullptr);
        frame->SetPreviewMode(false);
        frame->SetActiveView(this);
    }
    ::ShowWindow(m_hWnd, SW_SHOW);
    if (preview)
        preview->DestroyWindow();
}

// --- preview view -------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPreviewView, CWnd)
    ON_WM_PAINT()
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_WM_SIZE()
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_HSCROLL, OnHScroll)
    ON_COMMAND(kPreviewClose, OnPreviewClose)
    ON_COMMAND(kPreviewNumPage, OnNumPageChange)
    ON_COMMAND(kPreviewNext, OnNextPageCommand)
    ON_COMMAND(kPreviewPrev, OnPrevPageCommand)
    ON_COMMAND(kPreviewPrint, OnPreviewPrint)
END_MESSAGE_MAP()

CPreviewView::CPreviewView() = default;

CPreviewView::~CPreviewView()
{
    if (m_info.m_hAttribDC)
        ::DeleteDC(m_info.m_hAttribDC);
}

LRESULT CPreviewView::WindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    // A toolbar button that is disabled does nothing, even when its command is sent.
    if (msg == WM_COMMAND && LOWORD(wp) >= kPreviewClose && LOWORD(wp) <= kPreviewZoomOut &&
        !IsCommandEnabled(LOWORD(wp)))
        return 0;
    return CWnd::WindowProc(msg, wp, lp);
}

void CPreviewView::SetCurrentPage(UINT page, bool clearRatios)
{
    // The last screen shows the last pages: with two pages shown it starts one early.
    m_nCurrentPage = static_cast<UINT>(PreviewMath::ClampPage(
        static_cast<int>(page), static_cast<int>(m_info.m_nMinPage), static_cast<int>(m_info.m_nMaxPage),
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

bool CPreviewView::FindPageRect(POINT& point, UINT& slot) const
{
    for (UINT i = 0; i < m_nPages && i < static_cast<UINT>(kSlots); ++i) {
        const PageInfo& info = m_pPageInfo[i];
        if (info.sizeScaleRatio.den == 0 || info.sizeScaleRatio.num == 0)
            continue;
        RECT r = info.rectScreen;
        if (m_bScrolling)
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

void CPreviewView::OnNextPage()
{
    if (IsCommandEnabled(kPreviewNext))
        SetCurrentPage(m_nCurrentPage + 1, true);
}

void CPreviewView::OnPrevPage()
{
    if (IsCommandEnabled(kPreviewPrev))
        SetCurrentPage(m_nCurrentPage - 1, true);
}

PreviewMath::Ratio CPreviewView::CalcScaleRatio(SIZE display, SIZE page)
{
    return PreviewMath::FitRatio({display.cx, display.cy}, {page.cx, page.cy});
}

SIZE CPreviewView::PaperPixels(HDC printer)
{
    const SIZE sheet = {::GetDeviceCaps(printer, PHYSICALWIDTH), ::GetDeviceCaps(printer, PHYSICALHEIGHT)};
    if (sheet.cx > 0 && sheet.cy > 0)
        return sheet;
    return {::GetDeviceCaps(printer, HORZRES), ::GetDeviceCaps(printer, VERTRES)};
}

bool CPreviewView::IsCommandEnabled(UINT id) const
{
    switch (id) {
    case kPreviewNext:
        return m_nCurrentPage + m_nPages - 1 < m_info.m_nMaxPage;
    case kPreviewPrev:
        return m_nCurrentPage > m_info.m_nMinPage;
    case kPreviewNumPage:
        return m_nZoomState == 0 && (m_info.m_nMaxPage > m_info.m_nMinPage || m_nPages > 1);
    default:
        return true;
    }
}

void CPreviewView::UpdateToolbar()
{
    HWND toolbar = m_pFrame ? m_pFrame->GetToolbar() : nullptr;
    if (!toolbar)
        return;
    for (UINT id = kPreviewClose; id <= kPreviewZoomOut; ++id)
        if (HWND button = ::GetDlgItem(toolbar, static_cast<int>(id)))
            ::EnableWindow(button, IsCommandEnabled(id));
    ::SetDlgItemTextA(toolbar, kPreviewNumPage, m_nZoomOutPages == 1 ? "&Two Page" : "&One Page");
}

void CPreviewView::ClosePreview()
{
    // The print view's end hook destroys this window (and may destroy the frame); this
    // object is gone when it returns.
    EndJob();
    m_pPrintView->OnEndPrintPreview(m_info.m_hAttribDC, &m_info, this);
}

void CPreviewView::EndJob()
{
    if (m_bJobEnded)
        return;
    m_bJobEnded = true;
    m_pPrintView->OnEndPrinting(m_info.m_hAttribDC, &m_info);
}

void CPreviewView::OnNumPageChange()
{
    m_nZoomOutPages = m_nZoomOutPages == 1 ? 2 : 1;
    m_nPages = m_nZoomOutPages;
    SetCurrentPage(m_nCurrentPage, true);
    UpdateScrollRange();
}

void CPreviewView::OnPreviewPrint()
{
    ClosePreview();
}

void CPreviewView::UpdateScrollRange()
{
    const PreviewMath::BarRange range = PreviewMath::PageBarRange(
        static_cast<int>(m_info.m_nMinPage), static_cast<int>(m_info.m_nMaxPage), static_cast<int>(m_nPages));
    if (!range.shown) {
        ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
        return;
    }
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, range.min, range.max, 1,
                     static_cast<int>(m_nCurrentPage), 0};
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void CPreviewView::EndScrolling()
{
    m_bScrolling = false;
    m_scroll = {0, 0};
    ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
}

// --- scrolling of a zoomed page -----------------------------------------------------

SIZE CPreviewView::GetTrueClientSize() const
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

void CPreviewView::SetScrollSizes(SIZE total, SIZE page, SIZE line)
{
    m_bScrolling = true;
    m_total = total;
    m_pageSize = page;
    m_lineSize = {line.cx > 0 ? line.cx : page.cx / 10, line.cy > 0 ? line.cy : page.cy / 10};
    ApplyScrollBars();
}

void CPreviewView::ApplyScrollBars()
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

void CPreviewView::ScrollToPosition(POINT point)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_scroll.x = PreviewMath::ClampScroll(point.x, m_total.cx, client.right);
    m_scroll.y = PreviewMath::ClampScroll(point.y, m_total.cy, client.bottom);
    ::SetScrollPos(m_hWnd, SB_HORZ, m_scroll.x, TRUE);
    ::SetScrollPos(m_hWnd, SB_VERT, m_scroll.y, TRUE);
    Invalidate(false);
}

void CPreviewView::CenterOnPoint(POINT point)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ScrollToPosition({point.x - client.right / 2, point.y - client.bottom / 2});
}

void CPreviewView::ScrollBy(int bar, WPARAM wp)
{
    const bool vertical = bar == SB_VERT;
    POINT pos = m_scroll;
    LONG& p = vertical ? pos.y : pos.x;
    const LONG line = vertical ? m_lineSize.cy : m_lineSize.cx;
    const LONG page = vertical ? m_pageSize.cy : m_pageSize.cx;
    SCROLLINFO si = {sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    switch (LOWORD(wp)) {
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

LRESULT CPreviewView::OnVScroll(WPARAM wp, LPARAM)
{
    if (m_bScrolling)
        ScrollBy(SB_VERT, wp);
    return 0;
}

LRESULT CPreviewView::OnHScroll(WPARAM wp, LPARAM)
{
    if (m_bScrolling)
        ScrollBy(SB_HORZ, wp);
    return 0;
}

void CPreviewView::OnSize(UINT, int, int)
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

LRESULT CPreviewView::OnEraseBkgnd(WPARAM, LPARAM)
{
    return 1;  // painting covers everything
}

void CPreviewView::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HDC mem = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = mem ? ::CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
    HDC target = bitmap ? mem : dc;
    HGDIOBJ oldBitmap = bitmap ? ::SelectObject(mem, bitmap) : nullptr;

    ::FillRect(target, &client, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    for (UINT i = 0; i < m_nPages && i < static_cast<UINT>(kSlots); ++i) {
        const UINT page = m_nCurrentPage + i;
        if (page > m_info.m_nMaxPage)
            break;
        if (m_pPageInfo[i].sizeScaleRatio.den == 0)
            PositionPage(i);
        DrawPage(target, i, page);
    }

    if (bitmap) {
        ::BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, oldBitmap);
        ::DeleteObject(bitmap);
    }
    if (mem)
        ::DeleteDC(mem);
    ::EndPaint(m_hWnd, &ps);
}

void CPreviewView::DrawPage(HDC dc, UINT slot, UINT page)
{
    RECT r = m_pPageInfo[slot].rectScreen;
    if (m_bScrolling)
        ::OffsetRect(&r, -m_scroll.x, -m_scroll.y);
    // A black frame round the paper, a shadow along its right and bottom edges.
    const RECT frame = {r.left, r.top, r.right - 1, r.bottom - 1};
    const RECT paper = {frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1};
    const RECT shadowRight = {frame.right, r.top + 2, r.right, r.bottom};
    const RECT shadowBottom = {r.left + 2, frame.bottom, r.right, r.bottom};
    ::FillRect(dc, &shadowRight, ::GetSysColorBrush(COLOR_3DDKSHADOW));
    ::FillRect(dc, &shadowBottom, ::GetSysColorBrush(COLOR_3DDKSHADOW));
    ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::FillRect(dc, &paper, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));

    // The page is drawn for the printer into a metafile, which is then played onto
    // the paper: the same drawing as on paper, scaled.
    HDC printer = m_info.m_hAttribDC;
    const int dpiX = ::GetDeviceCaps(printer, LOGPIXELSX), dpiY = ::GetDeviceCaps(printer, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0)
        return;
    const SIZE size = PaperPixels(printer);
    const int offsetX = ::GetDeviceCaps(printer, PHYSICALOFFSETX), offsetY = ::GetDeviceCaps(printer, PHYSICALOFFSETY);
    // The metafile's frame is the whole sheet, in hundredths of a millimetre, measured
    // from the printable area's corner where the printer's origin lies.
    const RECT sheet = {::MulDiv(-offsetX, 2540, dpiX), ::MulDiv(-offsetY, 2540, dpiY),
                        ::MulDiv(size.cx - offsetX, 2540, dpiX), ::MulDiv(size.cy - offsetY, 2540, dpiY)};
    HDC record = ::CreateEnhMetaFileA(printer, nullptr, &sheet, nullptr);
    if (!record)
        return;
    m_info.m_nCurPage = page;
    m_pPrintView->OnPrint(record, &m_info);
    if (HENHMETAFILE picture = ::CloseEnhMetaFile(record)) {
        ::PlayEnhMetaFile(dc, picture, &paper);
        ::DeleteEnhMetaFile(picture);
    }
}
