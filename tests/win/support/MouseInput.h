// Real mouse input for the Windows tests: SendInput, as a user's mouse would give it,
// so that the system does the hit-testing, the capture and the move and sizing loops.
#pragma once

#include <windows.h>

namespace wintest {

// Moves the cursor to a screen point; returns whether it got there exactly.
bool MouseTo(POINT p);
void LeftButton(bool down);

// Presses at from, moves to `to` in equal steps and releases, with a pause after each
// event, on a thread of its own while this thread handles its messages: the system's
// move and sizing loops are modal, so the input must come from elsewhere.
void DragFromAnotherThread(POINT from, POINT to, int steps, DWORD pauseMs = 20);

// The window's rectangle, and a point relative to its top-left corner.
RECT WindowRectOf(HWND window);
POINT At(HWND window, int dx, int dy);

}  // namespace wintest
