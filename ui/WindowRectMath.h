// Window rectangles while the operator drags the window or one of its borders, and
// whether a remembered rectangle still shows on the screen. Screen coordinates.
#pragma once

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
// cursor's travel since the press (dx, dy), the others stay. Pulling the left or the
// top border alone is refused (false, out untouched) once the width would fall to
// minWidth or the height to minHeight; the corners that move the left or the top edge
// pin that edge at the minimum instead (bottom-left only the width, top-right only the
// height). Nothing here keeps the right or bottom edge from shrinking the window: the
// window's own minimum size does that.
bool SizedRect(SizingEdge edge, const WindowRect& start, int dx, int dy, int minWidth, int minHeight,
               WindowRect& out);

// Whether the rectangle shares at least one pixel with the screen (0, 0, width, height).
bool OverlapsScreen(const WindowRect& rect, int screenWidth, int screenHeight);
