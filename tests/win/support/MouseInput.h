// Real mouse input for the Windows tests: SendInput, as a user's mouse would give it,
// so that the system does the hit-testing, the capture and the move and sizing loops.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

namespace wintest {

// Moves the cursor to a screen point; returns whether it got there exactly.
bool MouseTo(POINT p);
void LeftButton(bool down);
// A press and release of the left button at a screen point.
void ClickAt(POINT p);

// Presses at from, moves to `to` in equal steps and releases, from a thread of its
// own while this thread handles its messages: the system's move and sizing loops are
// modal, so the input must come from elsewhere.
void DragFromAnotherThread(POINT from, POINT to, int steps);

RECT WindowRectOf(HWND window);
// A screen point relative to the window's top-left corner.
POINT At(HWND window, int dx, int dy);
::testing::AssertionResult SameRect(const RECT& got, const RECT& want);

}  // namespace wintest
