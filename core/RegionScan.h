// The opaque pixels of an image as rows of rectangles: the shape that a skinned
// button's window takes. Pixels whose colour is within a tolerance of the key colour
// are transparent (cut away).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace RegionScan {

struct Rect {
    int32_t left, top, right, bottom;
};

// Per component (red, green, blue): key ± tolerance, limited to 0 … 255. Key and
// tolerance are 0x00BBGGRR colours, the tolerance one byte per component.
struct KeyRange {
    uint8_t low[3];
    uint8_t high[3];
};
KeyRange MakeKeyRange(uint32_t key, uint32_t tolerance);

// A pixel of a 32-bit device-independent bitmap: bytes blue, green, red, unused
// (0x00RRGGBB as an integer).
bool IsTransparent(uint32_t pixel, const KeyRange& range);

// Rectangles are handed on in batches of this many, so that no single region is
// built from an unbounded list.
constexpr size_t kBatchSize = 2000;

// Receives a batch of rectangles and their bounding box.
using Flush = std::function<void(const std::vector<Rect>& rects, const Rect& bounds)>;

// Scans a top-down image row by row; each run of opaque pixels becomes a rectangle
// one row high. `flush` runs whenever `batch` rectangles have gathered and once at the
// end for the rest (possibly none). `stride` is the row length in pixels.
void ScanOpaqueRuns(const uint32_t* pixels, int width, int height, int stride, const KeyRange& range,
                    const Flush& flush, size_t batch = kBatchSize);

}  // namespace RegionScan
