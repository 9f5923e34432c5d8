// Window rectangles of the live move and resize, and the desktop test of a remembered
// placement.
#include "core/WindowRectMath.h"

#include <algorithm>
#include <cstdint>

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
        r.left = std::min(r.left + dx, r.right - minWidth);
        break;
    case SizingEdge::Top:
        r.top = std::min(r.top + dy, r.bottom - minHeight);
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

namespace {
// Overlap test in 64 bits: stored rectangles may hold any int values.
bool Overlap(const WindowRect& a, const WindowRect& b)
{
    return std::max<int64_t>(a.left, b.left) < std::min<int64_t>(a.right, b.right) &&
           std::max<int64_t>(a.top, b.top) < std::min<int64_t>(a.bottom, b.bottom);
}
}  // namespace

bool OverlapsAnyMonitor(const WindowRect& rect, const std::vector<WindowRect>& monitors)
{
    return std::any_of(monitors.begin(), monitors.end(), [&](const WindowRect& m) { return Overlap(rect, m); });
}

bool PlacementFitsDesktop(const WindowRect& rect, const std::vector<WindowRect>& monitors, int titleBarHeight)
{
    if (monitors.empty())
        return false;
    WindowRect desktop = monitors.front();
    for (const WindowRect& m : monitors) {
        desktop.left = std::min(desktop.left, m.left);
        desktop.top = std::min(desktop.top, m.top);
        desktop.right = std::max(desktop.right, m.right);
        desktop.bottom = std::max(desktop.bottom, m.bottom);
    }
    const int64_t width = int64_t{rect.right} - rect.left, height = int64_t{rect.bottom} - rect.top;
    if (width <= 0 || height <= 0 || width > int64_t{desktop.right} - desktop.left ||
        height > int64_t{desktop.bottom} - desktop.top)
        return false;
    WindowRect titleBar = rect;
    titleBar.bottom = static_cast<int>(std::min<int64_t>(rect.bottom, int64_t{rect.top} + std::max(titleBarHeight, 1)));
    return OverlapsAnyMonitor(titleBar, monitors);
}
