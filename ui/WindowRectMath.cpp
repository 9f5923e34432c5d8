// Window rectangles of the live move and resize, and the screen test of a remembered
// placement.
#include "ui/WindowRectMath.h"

#include <algorithm>

WindowRect MovedRect(const WindowRect& start, int dx, int dy)
{
    WindowRect r = start;
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    return r;
}

bool SizedRect(SizingEdge edge, const WindowRect& start, int dx, int dy, int minWidth, int minHeight,
               WindowRect& out)
{
    WindowRect r = start;
    switch (edge) {
    case SizingEdge::None:
        return false;
    case SizingEdge::Right:
        r.right += dx;
        break;
    case SizingEdge::Bottom:
        r.bottom += dy;
        break;
    case SizingEdge::BottomRight:
        r.right += dx;
        r.bottom += dy;
        break;
    case SizingEdge::Left:
        r.left += dx;
        if (r.right - r.left <= minWidth)
            return false;
        break;
    case SizingEdge::Top:
        r.top += dy;
        if (r.bottom - r.top <= minHeight)
            return false;
        break;
    case SizingEdge::BottomLeft:
        r.left = std::min(r.left + dx, r.right - minWidth);
        r.bottom += dy;
        break;
    case SizingEdge::TopLeft:
        r.left = std::min(r.left + dx, r.right - minWidth);
        r.top = std::min(r.top + dy, r.bottom - minHeight);
        break;
    case SizingEdge::TopRight:
        r.top = std::min(r.top + dy, r.bottom - minHeight);
        r.right += dx;
        break;
    }
    out = r;
    return true;
}

bool OverlapsScreen(const WindowRect& rect, int screenWidth, int screenHeight)
{
    return std::max(rect.left, 0) < std::min(rect.right, screenWidth) &&
           std::max(rect.top, 0) < std::min(rect.bottom, screenHeight);
}
