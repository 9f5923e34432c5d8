// The main window's placement in the user's profile: show state, flags, minimized and
// maximized positions and the normal rectangle, as ten integer values of one section,
// and after them the DPI the window was shown at when it was stored.
#pragma once

#include <windows.h>

struct WindowPlacementStore : WINDOWPLACEMENT {
    // With nothing stored the record keeps these values: a shown normal window with an
    // empty normal rectangle, which no screen shows, so nothing is applied.
    WindowPlacementStore();

    // The DPI of the stored rectangle; a placement stored without one was stored at 96.
    int dpi = 96;

    // Each value missing from the section leaves its field as it is.
    void LoadPlacement(const char* section);
    void SavePlacement(const char* section) const;
};

// Loads the record and applies it to the window when its normal rectangle fits the
// desktop of the monitors attached now (PlacementFitsDesktop: a sensible size, the
// title bar at least partly on a monitor, whichever one); returns whether it did. A
// rectangle stored at another DPI than the window's is first scaled to the window's,
// its top-left corner staying where it was.
bool RestoreWindowPlacement(WindowPlacementStore& record, const char* section, HWND window);
// Reads the window's placement and DPI into the record and saves it.
void StoreWindowPlacement(WindowPlacementStore& record, const char* section, HWND window);
