// Moving a window by its client area and resizing it by its borders with the mouse,
// instead of the system's move and sizing loops, so that the window is laid out and
// drawn at every step. Every step is computed from the rectangle and the cursor at the
// press, never from the step before, so a fast mouse accumulates no error.
#pragma once

#include <windows.h>

#include "core/WindowRectMath.h"

class CLiveMoveResize {
public:
    // Left button down in the client area: starts a move of a normal (neither
    // maximized nor minimized) window when moving is on.
    void ClientButtonDown(HWND window, bool moveEnabled);
    // Left button down in the non-client area. Returns true when the press started a
    // border drag: the system's sizing loop must then not run. Caption, menu and
    // buttons, a maximized window's borders and every press while sizing is off are
    // left to the system. The left and top borders stop at the minimum size the window
    // reports (SizedRect).
    bool NonClientButtonDown(HWND window, UINT hitTest, bool sizeEnabled);
    // Follows the cursor while a drag is on.
    void MouseMove(HWND window);
    // Left button up, in the client or the non-client area: ends the drag.
    void ButtonUp();
    // The capture went elsewhere (another window took it, a box opened): the drag ends
    // where it is, so the window no longer follows a released mouse.
    void CaptureLost();

private:
    void Clear();

    POINT m_minSize = {};
    bool m_bMoving = false;
    POINT m_moveStartCursor = {};
    WindowRect m_moveStartRect;
    POINT m_sizeStartCursor = {};
    WindowRect m_sizeStartRect;
    SizingEdge m_edge = SizingEdge::None;
    bool m_bCaptured = false;
};

// The hit-test code of a screen point on the window's size grip (the grip given in
// client coordinates): the bottom-right sizing border, while the window is neither
// maximized nor minimized; HTNOWHERE anywhere else.
LRESULT SizeGripHitTest(HWND window, const RECT& grip, POINT screenPoint);
