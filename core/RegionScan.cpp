// Row scan of an image into rectangles of its opaque pixels.
#include "core/RegionScan.h"

#include <algorithm>

namespace RegionScan {

namespace {
const int32_t kInvertedLow = 0x7FFFFFFF;

Rect EmptyBounds()
{
    return Rect{kInvertedLow, kInvertedLow, 0, 0};
}
}  // namespace

KeyRange MakeKeyRange(uint32_t key, uint32_t tolerance)
{
    KeyRange range{};
    for (int c = 0; c < 3; ++c) {
        const int k = static_cast<int>((key >> (8 * c)) & 0xFF);
        const int t = static_cast<int>((tolerance >> (8 * c)) & 0xFF);
        range.low[c] = static_cast<uint8_t>(std::max(k - t, 0));
        range.high[c] = static_cast<uint8_t>(std::min(k + t, 255));
    }
    return range;
}

bool IsTransparent(uint32_t pixel, const KeyRange& range)
{
    const uint8_t rgb[3] = {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                            static_cast<uint8_t>(pixel)};
    for (int c = 0; c < 3; ++c) {
        if (rgb[c] < range.low[c] || rgb[c] > range.high[c])
            return false;
    }
    return true;
}

void ScanOpaqueRuns(const uint32_t* pixels, int width, int height, int stride, const KeyRange& range,
                    const Flush& flush, size_t batch)
{
    const size_t kGrowth = 100;
    std::vector<Rect> rects;
    rects.reserve(kGrowth);
    Rect bounds = EmptyBounds();
    if (batch == 0)
        batch = kBatchSize;

    for (int y = 0; pixels && y < height; ++y) {
        const uint32_t* row = pixels + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < width;) {
            while (x < width && IsTransparent(row[x], range))
                ++x;
            if (x == width)
                break;
            const int x0 = x;
            while (x < width && !IsTransparent(row[x], range))
                ++x;
            if (rects.size() == rects.capacity())
                rects.reserve(rects.capacity() + kGrowth);
            rects.push_back(Rect{x0, y, x, y + 1});
            bounds.left = std::min(bounds.left, x0);
            bounds.top = std::min(bounds.top, y);
            bounds.right = std::max(bounds.right, x);
            bounds.bottom = std::max(bounds.bottom, y + 1);
            if (rects.size() == batch) {
                flush(rects, bounds);
                rects.clear();
                bounds = EmptyBounds();
            }
        }
    }
    flush(rects, bounds);
}

}  // namespace RegionScan
