// Point sizes to logical heights of a device context.
#include "controls/PointsToLogical.h"

#include "controls/ViewMath.h"

int PointsToLogical(HDC dc, int points)
{
    if (!dc)
        return 0;
    POINT pt = {0, ViewMath::PointsToPixels(points, ::GetDeviceCaps(dc, LOGPIXELSY))};
    POINT origin = {0, 0};
    // A distance, not a position: the context's origin must not shift it.
    ::DPtoLP(dc, &pt, 1);
    ::DPtoLP(dc, &origin, 1);
    return pt.y - origin.y;
}
