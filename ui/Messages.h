// Private window messages of the program.
#pragma once

#include <windows.h>

// Posted by the acquisition worker to the main window when its hand-off queue goes
// from empty to non-empty; the window then takes every queued line and event.
#define WM_APP_ACQUISITION (WM_APP + 1)
