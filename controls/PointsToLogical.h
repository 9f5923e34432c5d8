// Font sizes in points to logical heights of a device context; shared by the text view,
// the report printer and the skinned buttons.
#pragma once

#include <windows.h>

// size × vertical pixels per inch ÷ 72 (truncated toward zero), converted from device to
// logical units of the context. The sign of the size is kept.
int PointsToLogical(HDC dc, int points);
