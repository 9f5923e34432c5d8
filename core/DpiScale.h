// Pixel sizes for a display scale. The window's fixed sizes are pixels at 96 dots per
// inch (100 %); at 144 DPI (150 %) the same size takes half as many pixels again.
#pragma once

#include <cstddef>
#include <vector>

#include "core/WindowRectMath.h"

// The scale of the classic display, at which the program's pixel constants hold.
const int kDefaultDpi = 96;

// value * numerator / denominator rounded to the nearest integer, halves away from zero
// (-5 * 1 / 2 gives -3), as the platform's MulDiv does: -1 for a zero denominator or a
// result outside the int range.
int MulDivRound(int value, int numerator, int denominator);

// A DPI that can be scaled by: a value that is not positive (unknown) means 96.
int UsableDpi(int dpi);

// A length in pixels at fromDpi, in pixels at toDpi (an unknown DPI counts as 96).
int ScaleForDpi(int value, int toDpi, int fromDpi = kDefaultDpi);

// A window rectangle remembered at fromDpi, for a display at toDpi: the top-left corner
// stays where it was (it is a place on the desktop, which the scale does not move); the
// width and height scale. A rectangle with no width or height stays as it is.
WindowRect ScaleRectForDpi(const WindowRect& rect, int fromDpi, int toDpi);

// The smallest size the main window may take (420 x 350 at 96 DPI), at this DPI.
struct TrackSize {
    int width = 0;
    int height = 0;
};
TrackSize MinTrackSizeForDpi(int dpi);

// The main window's client size as its template lays it out at 96 DPI.
const int kNaturalClientWidth96 = 480;
const int kNaturalClientHeight96 = 510;

// The smallest size of the main window at dpi, whose template was laid out at layoutDpi
// with this client size: MinTrackSizeForDpi, grown in each direction as much more as the
// layout grew than the scale did (a font that comes in fixed sizes can make it). A
// layout that grew less leaves it as it is.
TrackSize MinTrackSizeForLayout(int dpi, int layoutDpi, int naturalWidth, int naturalHeight);

// Which of the renderings of a picture suits a target of targetWidth x targetHeight
// pixels best, given the size of the picture at 100 % and the scales (in percent) it
// is drawn at. The picture is stretched to the target afterwards, so what counts is how
// far the picture must grow: the smaller of the two stretch factors; the rendering
// whose scale is nearest to it wins, the smaller on a tie. Returns the index into
// scalesPercent, 0 when nothing can be compared.
std::size_t ClosestRendering(int targetWidth, int targetHeight, int baseWidth, int baseHeight,
                        const std::vector<int>& scalesPercent);
