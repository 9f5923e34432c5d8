// The display scale a window is drawn at, in dots per inch (96 at 100 %).
#pragma once

#include <windows.h>

// The window's own DPI where the system knows one per window (Windows 10 from 1607 on,
// found in user32 at run time: Windows 7 lacks it), else the system DPI. Never 0.
int WindowDpi(HWND window);
// The system DPI: the screen's horizontal pixels per logical inch.
int SystemDpi();
