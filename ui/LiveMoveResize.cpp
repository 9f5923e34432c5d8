// Live move by the client area and resize by the borders.
#include "ui/LiveMoveResize.h"

namespace {
// Where the cursor was when the message being handled was posted, in screen
// coordinates: the window may have moved since, so client coordinates would drift.
POINT MessageCursor()
{
    const DWORD pos = ::GetMessagePos();
    return POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

WindowRect WindowRectOf(HWND window)
{
    RECT r = {};
    ::GetWindowRect(window, &r);
    return ToWindowRect(r);
}

SizingEdge EdgeOf(UINT hitTest)
{
    switch (hitTest) {
    case HTRIGHT: return SizingEdge::Right;
    case HTBOTTOM: return SizingEdge::Bottom;
    case HTLEFT: return SizingEdge::Left;
    case HTTOP: return SizingEdge::Top;
    case HTTOPLEFT: return SizingEdge::TopLeft;
    case HTTOPRIGHT: return SizingEdge::TopRight;
    case HTBOTTOMLEFT: return SizingEdge::BottomLeft;
    case HTBOTTOMRIGHT: return SizingEdge::BottomRight;
    default: return SizingEdge::None;
    }
}
}  // namespace

void CLiveMoveResize::ClientButtonDown(HWND window, bool moveEnabled)
{
    if (!moveEnabled || ::IsZoomed(window) || ::IsIconic(window))
        return;
    m_moveStartRect = WindowRectOf(window);
    m_moveStartCursor = MessageCursor();
    m_bMoving = true;
    ::SetCapture(window);
    m_bCaptured = true;
}

bool CLiveMoveResize::NonClientButtonDown(HWND window, UINT hitTest, bool sizeEnabled)
{
    m_sizeStartRect = WindowRectOf(window);
    m_sizeStartCursor = MessageCursor();
    const SizingEdge edge = EdgeOf(hitTest);
    if (!sizeEnabled || edge == SizingEdge::None || ::IsZoomed(window))
        return false;
    // The minimum size the window itself reports to the system's sizing.
    MINMAXINFO info = {};
    ::SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    m_minSize = info.ptMinTrackSize;
    ::SetCapture(window);
    m_edge = edge;
    m_bCaptured = true;
    return true;
}

void CLiveMoveResize::MouseMove(HWND window)
{
    const POINT c = MessageCursor();
    if (m_bMoving) {
        const WindowRect r = MovedRect(m_moveStartRect, c.x - m_moveStartCursor.x, c.y - m_moveStartCursor.y);
        ::SetWindowPos(window, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::UpdateWindow(window);
    }
    WindowRect r;
    if (SizedRect(m_edge, m_sizeStartRect, c.x - m_sizeStartCursor.x, c.y - m_sizeStartCursor.y, m_minSize.x,
                  m_minSize.y, r)) {
        // Position and size in one step: the window never shows a half-done resize.
        ::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::UpdateWindow(window);
    }
}

void CLiveMoveResize::ButtonUp()
{
    if (!m_bCaptured)
        return;
    Clear();
    ::ReleaseCapture();
}

void CLiveMoveResize::CaptureLost()
{
    Clear();
}

void CLiveMoveResize::Clear()
{
    m_bCaptured = false;
    m_bMoving = false;
    m_edge = SizingEdge::None;
}

LRESULT SizeGripHitTest(HWND window, const RECT& grip, POINT screenPoint)
{
    if (::IsZoomed(window) || ::IsIconic(window))
        return HTNOWHERE;
    ::ScreenToClient(window, &screenPoint);
    return ::PtInRect(&grip, screenPoint) ? HTBOTTOMRIGHT : HTNOWHERE;
}
