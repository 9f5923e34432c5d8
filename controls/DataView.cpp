// The text view control: line store, double-buffered painting, own scroll bars, marks.
#include "controls/DataView.h"

#include "fw/Gdi.h"
#include "controls/ViewClipboard.h"
#include "core/DpiScale.h"
#include "core/LineHeightSample.h"
#include "core/ViewMath.h"
#include "fw/App.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace {
constexpr LRESULT kListDlgCode = DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;

std::string TrimSpaces(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace

BEGIN_MESSAGE_MAP(CDataView, CStatic)
    ON_WM_PAINT()
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_WM_ERASEBKGND_NONE()
    ON_WM_SIZE()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_WM_KEYDOWN()
    ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
END_MESSAGE_MAP()

CDataView::~CDataView()
{
    DestroyScrollBars();
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

// --- binding and window text --------------------------------------------------------

void CDataView::PreSubclassWindow()
{
    // Without SS_NOTIFY a static control lets clicks fall through to its parent; the
    // bars are children drawn over the rows, so painting must leave them alone.
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    const LONG_PTR wanted = style | SS_NOTIFY | WS_CLIPCHILDREN;
    if (wanted != style)
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, wanted);
    CreateListFont();
    CStatic::PreSubclassWindow();
}

void CDataView::PostNcDestroy()
{
    // The bars went with the window.
    m_hVBar = m_hHBar = nullptr;
    m_bVBarVisible = m_bHBarVisible = false;
    CStatic::PostNcDestroy();
}

LRESULT CDataView::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    // The view shows its lines, never a window text.
    if (msg == WM_SETTEXT)
        return 0;
    if (msg == WM_GETTEXT) {
        char* buffer = reinterpret_cast<char*>(lp);
        const size_t size = static_cast<size_t>(wp);
        if (!buffer || size == 0)
            return 0;
        const int written = std::snprintf(buffer, size, "%s", m_singleText.c_str());
        if (written < 0) {
            buffer[0] = '\0';
            return 0;
        }
        // The count of characters actually copied, as WM_GETTEXT promises.
        return static_cast<size_t>(written) < size ? written : static_cast<LRESULT>(size - 1);
    }
    return CStatic::DefWindowProc(msg, wp, lp);
}

// --- settings -----------------------------------------------------------------------

void CDataView::SetListMode(bool on)
{
    m_bListMode = on;
    CreateScrollBars();
    InvalidateView();
}

void CDataView::EnableHighlight(bool on)
{
    m_bHighlight = on;
}

void CDataView::SetTextFormat(UINT format)
{
    m_textFormat = format;
    if (format & DT_CENTER)
        m_singleText = TrimSpaces(m_singleText);
    if (IsWindow())
        Invalidate(true);
}

void CDataView::SetListFont(const DataViewFont& font)
{
    m_font = font;
    CreateListFont();
    InvalidateView();
}

void CDataView::SetDpi(int dpi)
{
    m_dpi = UsableDpi(dpi);
    m_barThickness = ScaleForDpi(kBarThickness, m_dpi);
    CreateListFont();
    if (!IsWindow())
        return;
    UpdateVScrollBar();
    UpdateHScrollBar();
    InvalidateView();
}

void CDataView::SetTextColor(COLORREF color)
{
    m_textColor = color;
    if (IsWindow())
        Invalidate(true);
}

void CDataView::CreateListFont()
{
    if (!IsWindow())
        return;
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return;
    if (m_hFont) {
        ::DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
    int height = m_dpi > 0 ? ViewMath::PointsToPixels(m_font.size, m_dpi) : PointsToLogical(dc, m_font.size);
    if (height == INT_MIN)
        height = -INT_MAX;
    // A negative height asks for the character height, as a point size means.
    m_hFont = ::CreateFontA(-height, 0, 0, 0, m_font.weight, m_font.italic != 0, m_font.underline != 0,
                            m_font.strikeout != 0, m_font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, m_font.face.c_str());
    m_lineHeight = 16;
    if (m_hFont) {
        HGDIOBJ old = ::SelectObject(dc, m_hFont);
        RECT rc = {0, 0, 0, 0};
        ::DrawTextA(dc, kLineHeightSample, -1, &rc, DT_CALCRECT);
        m_lineHeight = rc.bottom - rc.top + ScaleForDpi(2, m_dpi > 0 ? m_dpi : ::GetDeviceCaps(dc, LOGPIXELSY));
        ::SelectObject(dc, old);
    }
    ::ReleaseDC(m_hWnd, dc);
    m_measuredLongest = -1;
}

// --- lines --------------------------------------------------------------------------

void CDataView::SetDocument(CLineStore* lines)
{
    m_pLines = lines ? lines : &m_ownStore;
    m_marks.clear();
    m_anchor = -1;
    m_topLine = m_hOffset = 0;
    m_vMax = m_hMax = 0;
    m_measuredLongest = -1;
    UpdateVScrollBar();
    UpdateHScrollBar();
    InvalidateView();
}

ViewAdd CDataView::AddLine(const char* text, bool autoScroll)
{
    if (!m_bListMode) {
        try {
            m_singleText = text ? text : "";
        } catch (const std::bad_alloc&) {
            return ViewAdd::NoRoom;
        }
        m_pLines->NoteLength(text);
        InvalidateView();
        return ViewAdd::NotListMode;
    }
    if (m_pLines->AddLine(text) < 0)
        return ViewAdd::NoRoom;
    UpdateVScrollBar();
    UpdateHScrollBar();
    if (autoScroll)
        ScrollLines(0, false, true, false);
    InvalidateView();
    return ViewAdd::Added;
}

ViewAdd CDataView::AddLines(std::vector<std::string> lines, bool autoScroll)
{
    if (!m_bListMode)
        return ViewAdd::NotListMode;
    return LinesAdded(m_pLines->AddLines(lines), autoScroll);
}

ViewAdd CDataView::AddLines(CLineStore&& lines, bool autoScroll)
{
    if (!m_bListMode)
        return ViewAdd::NotListMode;
    return LinesAdded(m_pLines->AddLines(std::move(lines)), autoScroll);
}

ViewAdd CDataView::LinesAdded(bool all, bool autoScroll)
{
    UpdateVScrollBar();
    UpdateHScrollBar();
    if (autoScroll)
        ScrollLines(0, false, true, false);
    InvalidateView();
    return all ? ViewAdd::Added : ViewAdd::NoRoom;
}

void CDataView::ResetContent()
{
    m_singleText.clear();
    m_pLines->Reset();
    m_marks.clear();
    m_anchor = -1;
    m_topLine = m_hOffset = 0;
    m_vMax = m_hMax = 0;
    UpdateVScrollBar();
    UpdateHScrollBar();
    InvalidateView();
}

// --- scroll bars --------------------------------------------------------------------

void CDataView::CreateScrollBars()
{
    DestroyScrollBars();
    if (!IsWindow())
        return;
    if (m_dpi <= 0)
        m_barThickness = ScaleForDpi(kBarThickness, WindowDpi(m_hWnd));
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE));
    m_hVBar = ::CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0,
                                m_barThickness, m_barThickness, m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kVBarId)), instance, nullptr);
    if (!m_hVBar)
        return;
    m_hHBar = ::CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 0,
                                m_barThickness, m_barThickness, m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHBarId)), instance, nullptr);
    m_bVBarVisible = m_bHBarVisible = true;
    m_vBarRect = m_hBarRect = RECT{0, 0, m_barThickness, m_barThickness};
    for (HWND bar : {m_hVBar, m_hHBar}) {
        if (!bar)
            continue;
        SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
        ::SetScrollInfo(bar, SB_CTL, &si, FALSE);
    }
    HideBar(m_hVBar, &m_bVBarVisible);
    HideBar(m_hHBar, &m_bHBarVisible);
    m_bVBarShown = m_bHBarShown = false;
}

void CDataView::DestroyScrollBars()
{
    for (HWND bar : {m_hVBar, m_hHBar}) {
        if (bar && m_hWnd && ::IsWindow(bar) && ::GetParent(bar) == m_hWnd)
            ::DestroyWindow(bar);
    }
    m_hVBar = m_hHBar = nullptr;
    m_bVBarShown = m_bHBarShown = false;
}

void CDataView::ShowBar(HWND bar, const RECT& where, int max, RECT* placed, bool* visible)
{
    if (!SameRect(where, *placed)) {
        ::MoveWindow(bar, where.left, where.top, where.right - where.left, where.bottom - where.top, TRUE);
        *placed = where;
    }
    if (!*visible) {
        ::ShowWindow(bar, SW_SHOW);
        *visible = true;
    }
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE, 0, max, 1, 0, 0};
    ::SetScrollInfo(bar, SB_CTL, &si, FALSE);
    RepaintBar(bar);
}

void CDataView::SetBarPosition(HWND bar, int position)
{
    if (!bar)
        return;
    ::SetScrollPos(bar, SB_CTL, position, FALSE);
    RepaintBar(bar);
}

void CDataView::RepaintBar(HWND)
{
    // A bar that redraws itself at once costs milliseconds per append. Every change of
    // a bar is followed by InvalidateView, which marks the bars together with the rows.
    m_bBarsDirty = true;
}

void CDataView::HideBar(HWND bar, bool* visible)
{
    if (!bar)
        return;
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ::SetScrollInfo(bar, SB_CTL, &si, FALSE);
    if (*visible) {
        ::ShowWindow(bar, SW_HIDE);
        *visible = false;
    }
}

void CDataView::HideVScrollBar()
{
    m_topLine = 0;
    m_vMax = 0;
    HideBar(m_hVBar, &m_bVBarVisible);
}

void CDataView::HideHScrollBar()
{
    m_hOffset = 0;
    m_hMax = 0;
    m_bHBarMapped = false;
    HideBar(m_hHBar, &m_bHBarVisible);
}

void CDataView::UpdateVScrollBar()
{
    m_bVBarShown = false;
    if (!m_hVBar)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int rows = ViewMath::VisibleRows(client.bottom - client.top, m_lineHeight);
    const int lines = m_pLines->Count() < m_pLines->Capacity() ? m_pLines->Count() : m_pLines->Capacity();
    m_vMax = ViewMath::VerticalMax(lines, rows);
    if (m_vMax <= 0) {
        HideVScrollBar();
        return;
    }
    const RECT where = {client.right - m_barThickness, 0, client.right, client.bottom};
    ShowBar(m_hVBar, where, m_vMax, &m_vBarRect, &m_bVBarVisible);
    // The bar keeps the old position within the new range.
    m_topLine = ::GetScrollPos(m_hVBar, SB_CTL);
    m_bVBarShown = true;
}

int64_t CDataView::MeasureLongestLine(const RECT& client)
{
    const int longest = m_pLines->Longest();
    if (longest == m_measuredLongest)
        return m_measuredWidth;
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return 0;
    HGDIOBJ old = m_hFont ? ::SelectObject(dc, m_hFont) : nullptr;
    // As wide as that many 'w' characters. A line of any length is measured without a
    // text of its length: up to kMeasuredChars whole, beyond that from the advance of
    // one more 'w' (the same for each further one).
    char sample[ViewMath::kMeasuredChars];
    std::memset(sample, 'w', sizeof sample);
    auto width = [&](int chars) {
        RECT rc = client;
        ::DrawTextA(dc, sample, chars, &rc, DT_CALCRECT);
        return rc.right - client.left;
    };
    int64_t measured;
    if (longest <= ViewMath::kMeasuredChars) {
        measured = width(longest);
    } else {
        const int whole = width(ViewMath::kMeasuredChars);
        measured = ViewMath::LongTextWidth(longest, whole, whole - width(ViewMath::kMeasuredChars - 1));
    }
    if (old)
        ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    m_measuredLongest = longest;
    m_measuredWidth = measured;
    return m_measuredWidth;
}

void CDataView::UpdateHScrollBar()
{
    m_bHBarShown = false;
    if (!m_hHBar)
        return;
    if (m_pLines->Longest() == 0) {
        HideHScrollBar();
        return;
    }
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int clientWidth = client.right - client.left;
    const int64_t textWidth = clientWidth > 0 ? MeasureLongestLine(client) : 0;
    m_hMax = ViewMath::HorizontalMax(clientWidth, textWidth, m_pLines->Longest());
    if (m_hMax <= 0) {
        HideHScrollBar();
        return;
    }
    const int width = clientWidth - (m_bVBarShown ? m_barThickness : 0);
    const RECT where = {client.left, client.bottom - m_barThickness, client.left + width, client.bottom};
    ShowBar(m_hHBar, where, ViewMath::BarRange(m_hMax), &m_hBarRect, &m_bHBarVisible);
    const bool mapped = m_hMax > ViewMath::kMaxBarRange;
    if (!mapped && !m_bHBarMapped) {
        m_hOffset = ::GetScrollPos(m_hHBar, SB_CTL);
    } else {
        // The bar shows the offset on its own range.
        m_hOffset = ViewMath::Clamp(m_hOffset, m_hMax);
        SetBarPosition(m_hHBar, ViewMath::ToBar(m_hOffset, m_hMax));
    }
    m_bHBarMapped = mapped;
    m_bHBarShown = true;
}

void CDataView::ScrollLines(int delta, bool toFirst, bool toLast, bool redraw)
{
    if (m_vMax <= 0)
        return;
    m_topLine = ViewMath::ScrollLinesTarget(m_topLine, delta, toFirst, toLast, m_vMax);
    SetBarPosition(m_hVBar, m_topLine);
    if (redraw)
        InvalidateView();
}

// Both bars take the same requests: one line, one page, or the thumb's position; the
// horizontal bar's positions may stand for a longer range of offsets.
// (The thumb's position is read in full, which matters beyond 65535 lines.)
void CDataView::ScrollBy(HWND bar, int& position, int max, bool mapped, UINT code)
{
    int thumb = ThumbTrackPosition();
    if (mapped)
        thumb = ViewMath::FromBar(thumb, max);
    const int target = ViewMath::ScrollRequestTarget(static_cast<int>(code), position, thumb);
    position = ViewMath::Clamp(target, max);
    SetBarPosition(bar, mapped ? ViewMath::ToBar(position, max) : position);
    InvalidateView();
}

void CDataView::OnVScroll(UINT code, HWND)
{
    ScrollBy(m_hVBar, m_topLine, m_vMax, false, code);
    Default();
}

void CDataView::OnHScroll(UINT code, HWND)
{
    ScrollBy(m_hHBar, m_hOffset, m_hMax, true, code);
    Default();
}

void CDataView::OnSize(UINT, int, int)
{
    Default();
    UpdateVScrollBar();
    UpdateHScrollBar();
    InvalidateView();
}

void CDataView::OnMouseWheel(UINT, short delta, POINT)
{
    if (m_bListMode)
        ScrollLines(ViewMath::WheelLines(delta), false, false, true);
    Default();
}

// --- marks, mouse and keys ----------------------------------------------------------

int CDataView::HitTestLine(int, int y) const
{
    return ViewMath::HitTestLine(m_topLine, y, m_lineHeight);
}

void CDataView::AddHighlight(int line, bool redraw)
{
    const int limit = m_pLines->Count() < m_pLines->Capacity() ? m_pLines->Count() : m_pLines->Capacity();
    if (!m_bListMode || !m_bHighlight || line < 0 || line >= limit)
        return;
    m_marks[line] = kHighlightColor;
    if (redraw)
        InvalidateView();
}

void CDataView::RemoveHighlight(int line, bool redraw)
{
    if (m_marks.erase(line) && redraw)
        InvalidateView();
}

void CDataView::ClearHighlights()
{
    m_marks.clear();
    InvalidateView();
}

std::vector<int> CDataView::GetMarkedLines() const
{
    std::vector<int> lines;
    lines.reserve(m_marks.size());
    for (const auto& mark : m_marks)
        lines.push_back(mark.first);
    return lines;
}

void CDataView::ShowMarkedLine(int line)
{
    const int limit = m_pLines->Count() < m_pLines->Capacity() ? m_pLines->Count() : m_pLines->Capacity();
    if (!m_bListMode || !m_bHighlight || line < 0 || line >= limit)
        return;
    m_marks.clear();
    AddHighlight(line, false);
    m_anchor = line;
    // The rows the horizontal bar leaves uncovered.
    RECT client = {0, 0, 0, 0};
    if (IsWindow())
        ::GetClientRect(m_hWnd, &client);
    const int height = client.bottom - client.top - (m_bHBarShown ? m_barThickness : 0);
    const int rows = ViewMath::VisibleRows(height, m_lineHeight);
    if (line < m_topLine)
        ScrollLines(line - m_topLine, false, false, false);
    else if (line >= m_topLine + rows)
        ScrollLines(line - rows + 1 - m_topLine, false, false, false);
    InvalidateView();
}

void CDataView::OnLButtonDown(UINT flags, POINT point)
{
    Default();
    if (m_bListMode)
        ::SetFocus(m_hWnd);
    const int hit = HitTestLine(point.x, point.y);
    if (hit >= 0) {
        const ViewMath::ClickMarks marks = ViewMath::MarksAfterClick(
            hit, IsMarked(hit), m_anchor, (flags & MK_CONTROL) != 0, (flags & MK_SHIFT) != 0, m_pLines->Count());
        if (marks.clearAll)
            m_marks.clear();
        if (marks.unmark >= 0)
            RemoveHighlight(marks.unmark, false);
        for (int line = marks.first; marks.first >= 0 && line <= marks.last; ++line)
            AddHighlight(line, false);
        m_anchor = marks.anchor;
        InvalidateView();
    }
    // The main window starts moving itself from a press anywhere in its client area.
    if (HWND parent = ::GetParent(m_hWnd)) {
        POINT pt = point;
        ::MapWindowPoints(m_hWnd, parent, &pt, 1);
        ::SendMessageA(parent, WM_LBUTTONDOWN, flags, MAKELPARAM(pt.x, pt.y));
    }
}

LRESULT CDataView::OnGetDlgCode(WPARAM, LPARAM)
{
    if (m_bListMode)
        return kListDlgCode;
    return Default();
}

void CDataView::OnKeyDown(UINT key)
{
    // Ctrl+C and Ctrl+Insert copy (AltGr, which is Ctrl+Alt, does not); the marks and the
    // scrolling stay as they are.
    if (m_bListMode && (key == 'C' || key == VK_INSERT) && ::GetKeyState(VK_CONTROL) < 0 &&
        ::GetKeyState(VK_MENU) >= 0) {
        if (CopyViewText(*this) == CopyResult::NoMemory)
            AfxMessageBox(AfxGetUiText()[TXT_NO_MEMORY_COPY].c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Ctrl+Home and Ctrl+End show the first and the last line; a mark stays where it is.
    if (m_bListMode && (key == VK_HOME || key == VK_END) && ::GetKeyState(VK_CONTROL) < 0) {
        ScrollLines(0, key == VK_HOME, key == VK_END, true);
        Default();
        return;
    }
    if (m_bListMode) {
        if (m_marks.size() == 1) {
            const int marked = m_marks.begin()->first;
            RemoveHighlight(marked, true);
            const ViewMath::KeyAction action = ViewMath::KeyDown(static_cast<int>(key), 1, marked, m_pLines->Count());
            AddHighlight(action.value, false);
            m_anchor = action.value;
        } else {
            const ViewMath::KeyAction action =
                ViewMath::KeyDown(static_cast<int>(key), static_cast<int>(m_marks.size()), -1, m_pLines->Count());
            switch (action.kind) {
            case ViewMath::KeyAction::Scroll:
                ScrollLines(action.value, false, false, true);
                break;
            case ViewMath::KeyAction::ScrollToFirst:
                ScrollLines(0, true, false, true);
                break;
            case ViewMath::KeyAction::ScrollToLast:
                ScrollLines(0, false, true, true);
                break;
            default:
                break;
            }
        }
    }
    Default();
}

// --- painting -----------------------------------------------------------------------

void CDataView::InvalidateView()
{
    if (!IsWindow())
        return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (m_bListMode) {
        if (m_vMax > 0)
            rc.right -= m_barThickness;
        else if (m_hMax > 0)
            rc.bottom -= m_barThickness;
    }
    // Each invalidation is a round trip to the window system (under Wine it costs more
    // than the rest of an append): while an earlier one that covers this one waits for
    // its paint, another would change nothing.
    RECT covered;
    const bool pendingCovers = m_bPaintPending && (!m_bBarsDirty || m_bPendingWithBars) &&
                               ::UnionRect(&covered, &m_pendingRect, &rc) && ::EqualRect(&covered, &m_pendingRect);
    if (pendingCovers) {
        m_bBarsDirty = false;
        return;
    }
    if (m_bBarsDirty) {
        // One call for the rows and the bars: an append then costs one invalidation, not
        // three. The rows never paint over the bars (WS_CLIPCHILDREN).
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        m_bBarsDirty = false;
        m_bPendingWithBars = true;
        ::GetClientRect(m_hWnd, &rc);
    } else {
        ::InvalidateRect(m_hWnd, &rc, TRUE);
    }
    if (m_bPaintPending)
        ::UnionRect(&m_pendingRect, &m_pendingRect, &rc);
    else
        m_pendingRect = rc;
    m_bPaintPending = true;
}

void CDataView::OnPaint()
{
    m_bPaintPending = false;
    m_bPendingWithBars = false;
    CBufferedPaint paint(m_hWnd);
    DoPaint(paint.Dc(), paint.Client());
}

LRESULT CDataView::OnPrintClient(WPARAM wp, LPARAM)
{
    CBufferedPaint paint(m_hWnd, reinterpret_cast<HDC>(wp));
    DoPaint(paint.Dc(), paint.Client());
    return 0;
}

void CDataView::DoPaint(HDC dc, const RECT& client)
{
    if (!dc)
        return;
    HBRUSH background = ::CreateSolidBrush(m_bkColor);
    if (background) {
        ::FillRect(dc, &client, background);
        ::DeleteObject(background);
    } else {
        ::PatBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, WHITENESS);
    }
    CSelectObject font(dc, m_hFont);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_textColor);
    if (m_bListMode) {
        DrawRows(dc, client);
    } else {
        RECT rc = client;
        ::DrawTextA(dc, m_singleText.c_str(), -1, &rc, m_textFormat | DT_NOPREFIX);
    }
}

void CDataView::DrawRows(HDC dc, const RECT& client)
{
    if (m_lineHeight <= 0)
        return;
    const int last = m_pLines->Count() < m_pLines->Capacity() ? m_pLines->Count() : m_pLines->Capacity();
    RECT row = {client.left, client.top, client.right, client.top};
    const size_t offset = m_hOffset > 0 ? static_cast<size_t>(m_hOffset) : 0;
    // Only the rows from the top line down to the last one that fits are touched, so a
    // million lines paint as fast as a hundred; and of each line only what the width
    // can show, so a line of megabytes paints as fast as a short one.
    const int end = m_topLine + ViewMath::RowsDrawn(client.bottom - client.top, m_lineHeight, m_topLine, last);
    for (int i = m_topLine; i < end; ++i) {
        const std::string_view line = m_pLines->Line(i);
        const size_t rest = offset < line.size() ? line.size() - offset : 0;
        const std::string_view part =
            rest ? line.substr(offset, static_cast<size_t>(ViewMath::CharsDrawn(static_cast<int64_t>(rest),
                                                                                  client.right - client.left)))
                 : std::string_view();
        const char* text = part.data();
        int length = static_cast<int>(part.size());
        if (m_textFormat & DT_CENTER) {
            while (length > 0 && *text == ' ') {
                ++text;
                --length;
            }
            while (length > 0 && text[length - 1] == ' ')
                --length;
        }
        row.bottom = row.top + m_lineHeight;
        if (m_bHighlight) {
            const auto mark = m_marks.find(i);
            if (mark != m_marks.end()) {
                ::DrawFocusRect(dc, &row);
                RECT fill = row;
                ::InflateRect(&fill, -1, -1);
                HBRUSH brush = ::CreateSolidBrush(mark->second);
                ::FillRect(dc, &fill, brush);
                ::DeleteObject(brush);
            }
        }
        if (length > 0)
            ::DrawTextA(dc, text, length, &row, m_textFormat | DT_NOPREFIX);
        row.top = row.bottom;
    }
}
