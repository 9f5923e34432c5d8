// Private window messages of the program.
#pragma once

#include <windows.h>

// Posted by the acquisition worker to the main window when its hand-off queue goes
// from empty to non-empty; the window then takes every queued line and event.
#define WM_APP_ACQUISITION (WM_APP + 1)

// Posted to itself by the main window when it opens with command-line options: they are
// acted on once the window is shown.
#define WM_APP_START_OPTIONS (WM_APP + 2)
