// The region scan of skinned buttons: which pixels are cut away, and the rectangles
// that cover exactly the rest, in bounded batches.
#include "core/RegionScan.h"

#include <gtest/gtest.h>

#include <random>

using namespace RegionScan;

namespace {

// 0x00BBGGRR colour to a 32-bit DIB pixel (0x00RRGGBB).
uint32_t Pixel(uint32_t colorref)
{
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

struct Collected {
    std::vector<std::vector<Rect>> batches;
    std::vector<Rect> bounds;
    Flush Sink()
    {
        return [this](const std::vector<Rect>& rects, const Rect& box) {
            batches.push_back(rects);
            bounds.push_back(box);
        };
    }
};

}  // namespace

TEST(RegionScan, KeyRangePerComponentLimitedToTheByte)
{
    // White with the default tolerance: 239 … 255 on every component.
    KeyRange r = MakeKeyRange(0xFFFFFF, 0x101010);
    EXPECT_TRUE(IsTransparent(Pixel(0xFFFFFF), r));
    EXPECT_TRUE(IsTransparent(Pixel(0xEFEFEF), r));
    EXPECT_FALSE(IsTransparent(Pixel(0xEEFFFF), r));  // blue 0xEE is one below
    // All three components must be in range, not one of them.
    EXPECT_FALSE(IsTransparent(Pixel(0xC8FFFF), r));

    // Tolerance 0: only the key itself; per-component keys keep red, green and blue apart.
    r = MakeKeyRange(0x0000FF, 0);
    EXPECT_TRUE(IsTransparent(Pixel(0x0000FF), r));
    EXPECT_FALSE(IsTransparent(Pixel(0xFF0000), r));
    EXPECT_FALSE(IsTransparent(Pixel(0x0000FE), r));
    EXPECT_EQ(r.low[0], 255);
    EXPECT_EQ(r.high[2], 0);

    // Near black with a wide tolerance stays at 0 instead of wrapping round.
    r = MakeKeyRange(0x050505, 0x202020);
    EXPECT_EQ(r.low[0], 0);
    EXPECT_EQ(r.high[1], 0x25);
    EXPECT_TRUE(IsTransparent(Pixel(0x000000), r));
    // The unused byte of a pixel does not count.
    EXPECT_TRUE(IsTransparent(0xFF000000u | Pixel(0x101010), r));
}

TEST(RegionScan, LargeNoisyImagesComeInBatchesThatTogetherMatchEveryPixel)
{
    // Rows longer than the image (their tail must not count), runs touching both edges.
    const int w = 300, h = 120, stride = 307;
    std::mt19937 rng(7);
    std::vector<uint32_t> image(static_cast<size_t>(stride) * h, Pixel(0x000000));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image[static_cast<size_t>(y) * stride + x] = (rng() % 3 == 0) ? Pixel(0xFFFFFF) : Pixel(rng() & 0xFFFFFF);

    const size_t batch = 2000;
    Collected got;
    ScanOpaqueRuns(image.data(), w, h, stride, MakeKeyRange(0xFFFFFF, 0), got.Sink(), batch);

    std::vector<int> cover(image.size(), 0);
    const auto at = [&](int x, int y) { return static_cast<size_t>(y) * stride + x; };
    size_t total = 0;
    for (size_t i = 0; i < got.batches.size(); ++i) {
        const auto& rects = got.batches[i];
        if (i + 1 < got.batches.size())
            EXPECT_EQ(rects.size(), batch);
        else
            EXPECT_LE(rects.size(), batch);
        Rect box{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
        for (const Rect& r : rects) {
            ASSERT_EQ(r.bottom, r.top + 1);
            ASSERT_LT(r.left, r.right);
            // Runs are maximal: bounded by a cut-away pixel or the edge on both sides.
            const uint32_t* row = &image[at(0, r.top)];
            EXPECT_TRUE(r.left == 0 || row[r.left - 1] == Pixel(0xFFFFFF));
            EXPECT_TRUE(r.right == w || row[r.right] == Pixel(0xFFFFFF));
            for (int x = r.left; x < r.right; ++x)
                ++cover[at(x, r.top)];
            box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
                   std::max(box.bottom, r.bottom)};
        }
        const Rect& b = got.bounds[i];
        if (!rects.empty()) {
            EXPECT_TRUE(b.left == box.left && b.top == box.top && b.right == box.right && b.bottom == box.bottom)
                << "bounds of batch " << i;
        }
        total += rects.size();
    }
    EXPECT_GT(total, 2 * batch);  // the image needs several batches
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(cover[at(x, y)], image[at(x, y)] == Pixel(0xFFFFFF) ? 0 : 1) << "pixel " << x << "," << y;

    // All cut away, or no image: one empty batch, its bounding box still inverted.
    const std::vector<uint32_t> white(64, Pixel(0xFFFFFF));
    for (const uint32_t* pixels : {white.data(), static_cast<const uint32_t*>(nullptr)}) {
        Collected none;
        ScanOpaqueRuns(pixels, 8, 8, 8, MakeKeyRange(0xFFFFFF, 0), none.Sink());
        ASSERT_EQ(none.batches.size(), 1u);
        EXPECT_TRUE(none.batches[0].empty());
        EXPECT_GT(none.bounds[0].left, none.bounds[0].right);
    }
}
