// Pixel sizes and rectangles for a display scale.
#include "core/DpiScale.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

int MulDivRound(int value, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = int64_t{value} * numerator;
    int64_t divisor = denominator;
    if (divisor < 0) {
        divisor = -divisor;
        product = -product;
    }
    // Half the divisor towards the product's sign, then truncation: halves go away from zero.
    const int64_t half = divisor / 2;
    const int64_t result = (product >= 0 ? product + half : product - half) / divisor;
    if (result > INT_MAX || result < -INT_MAX)
        return -1;
    return static_cast<int>(result);
}

int UsableDpi(int dpi)
{
    return dpi > 0 ? dpi : kDefaultDpi;
}

int ScaleForDpi(int value, int toDpi, int fromDpi)
{
    toDpi = UsableDpi(toDpi);
    fromDpi = UsableDpi(fromDpi);
    if (toDpi == fromDpi)
        return value;
    return MulDivRound(value, toDpi, fromDpi);
}

WindowRect ScaleRectForDpi(const WindowRect& rect, int fromDpi, int toDpi)
{
    const int64_t width = int64_t{rect.right} - rect.left, height = int64_t{rect.bottom} - rect.top;
    if (UsableDpi(fromDpi) == UsableDpi(toDpi) || width <= 0 || height <= 0 || width > INT_MAX ||
        height > INT_MAX)
        return rect;
    const int newWidth = ScaleForDpi(static_cast<int>(width), toDpi, fromDpi);
    const int newHeight = ScaleForDpi(static_cast<int>(height), toDpi, fromDpi);
    // A size that does not fit an int leaves the rectangle alone: the desktop test
    // turns it away anyway.
    const int64_t right = int64_t{rect.left} + newWidth, bottom = int64_t{rect.top} + newHeight;
    if (newWidth < 0 || newHeight < 0 || right > INT_MAX || bottom > INT_MAX)
        return rect;
    WindowRect r = rect;
    r.right = static_cast<int>(right);
    r.bottom = static_cast<int>(bottom);
    return r;
}

TrackSize MinTrackSizeForDpi(int dpi)
{
    TrackSize size;
    size.width = ScaleForDpi(420, dpi);
    size.height = ScaleForDpi(350, dpi);
    return size;
}

TrackSize MinTrackSizeForLayout(int dpi, int layoutDpi, int naturalWidth, int naturalHeight)
{
    TrackSize size = MinTrackSizeForDpi(dpi);
    const auto grown = [](int minimum, int natural, int expected) {
        if (expected <= 0 || natural <= expected)
            return minimum;
        const int result = MulDivRound(minimum, natural, expected);
        return result > minimum ? result : minimum;
    };
    size.width = grown(size.width, naturalWidth, ScaleForDpi(kNaturalClientWidth96, layoutDpi));
    size.height = grown(size.height, naturalHeight, ScaleForDpi(kNaturalClientHeight96, layoutDpi));
    return size;
}

std::size_t ClosestRendering(int targetWidth, int targetHeight, int baseWidth, int baseHeight,
                        const std::vector<int>& scalesPercent)
{
    if (targetWidth <= 0 || targetHeight <= 0 || baseWidth <= 0 || baseHeight <= 0 || scalesPercent.empty())
        return 0;
    // The stretch in percent, in integers: no rounding of its own decides a choice.
    // stretch = min(targetWidth / baseWidth, targetHeight / baseHeight) * 100 is
    // compared as the fraction num / den.
    int64_t num = int64_t{targetWidth} * 100, den = baseWidth;
    if (int64_t{targetHeight} * baseWidth < int64_t{targetWidth} * baseHeight) {
        num = int64_t{targetHeight} * 100;
        den = baseHeight;
    }
    size_t best = 0;
    int64_t bestDistance = -1;  // |num - scale * den|, over the common denominator den
    for (size_t i = 0; i < scalesPercent.size(); ++i) {
        const int64_t distance = std::llabs(num - int64_t{scalesPercent[i]} * den);
        const bool nearer = bestDistance < 0 || distance < bestDistance ||
                            (distance == bestDistance && scalesPercent[i] < scalesPercent[best]);
        if (nearer) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}
