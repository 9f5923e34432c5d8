// Window rectangles while the operator drags the window or one of its borders, and
// whether a remembered rectangle still shows on the desktop. Screen coordinates.
#pragma once

#include <vector>

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// From any rectangle with left, top, right and bottom members (the platform's own).
template <typename Rect>
WindowRect ToWindowRect(const Rect& r)
{
    WindowRect w;
    w.left = r.left;
    w.top = r.top;
    w.right = r.right;
    w.bottom = r.bottom;
    return w;
}

// The border part that a border drag pulls.
enum class SizingEdge { None, Right, Bottom, Left, Top, TopLeft, TopRight, BottomLeft, BottomRight };

// The drag's start rectangle moved by the cursor's travel since the press; same size.
WindowRect MovedRect(const WindowRect& start, int dx, int dy);

// The rectangle for a border drag: the pulled edges of the start rectangle follow the
// cursor's travel since the press (dx, dy), the others stay. Every drag that moves the
// left or the top edge pins that edge at the minimum width or height once the cursor
// goes past it, however fast: the window then is exactly minWidth wide or minHeight
// high. Nothing here keeps the right or bottom edge from shrinking the window: the
// window's own minimum size does that. False (out untouched) only for no edge.
bool SizedRect(SizingEdge edge, const WindowRect& start, int dx, int dy, int minWidth, int minHeight,
               WindowRect& out);

// Whether the rectangle shares at least one pixel with the screen (0, 0, width, height).
bool OverlapsScreen(const WindowRect& rect, int screenWidth, int screenHeight);

// Whether the rectangle shares at least one pixel with one of the monitors (each in
// desktop coordinates, which are negative left of and above the primary monitor).
bool OverlapsAnyMonitor(const WindowRect& rect, const std::vector<WindowRect>& monitors);

// Whether a remembered normal rectangle may be given back to the window: its width and
// height are positive and no larger than the desktop (the smallest rectangle around
// all monitors), and its title bar (the top titleBarHeight rows) shows on a monitor,
// so the operator can take hold of it. Any int values, without overflow.
bool PlacementFitsDesktop(const WindowRect& rect, const std::vector<WindowRect>& monitors, int titleBarHeight);
