// The region scan of skinned buttons: which pixels are cut away, and the rectangles
// that cover exactly the rest, in bounded batches.
#include "skin/RegionScan.h"

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

TEST(RegionScan, RowRunsCoverExactlyTheOpaquePixels)
{
    // A rounded shape on white, with a hole, runs touching both edges, a blank row,
    // and a stride wider than the image.
    const char* rows[] = {
        "..####..",
        ".######.",
        "###..###",
        "........",
        "#......#",
    };
    const int w = 8, h = 5, stride = 11;
    std::vector<uint32_t> image(static_cast<size_t>(stride) * h, 0xDEADBEEF);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image[static_cast<size_t>(y) * stride + x] = Pixel(rows[y][x] == '#' ? 0x203040 : 0xFFFFFF);

    Collected got;
    ScanOpaqueRuns(image.data(), w, h, stride, MakeKeyRange(0xFFFFFF, 0), got.Sink());
    ASSERT_EQ(got.batches.size(), 1u);
    const std::vector<Rect> want = {{2, 0, 6, 1}, {1, 1, 7, 2}, {0, 2, 3, 3}, {5, 2, 8, 3}, {0, 4, 1, 5}, {7, 4, 8, 5}};
    ASSERT_EQ(got.batches[0].size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const Rect& a = got.batches[0][i];
        EXPECT_TRUE(a.left == want[i].left && a.top == want[i].top && a.right == want[i].right &&
                    a.bottom == want[i].bottom)
            << "rect " << i;
    }
    const Rect& b = got.bounds[0];
    EXPECT_TRUE(b.left == 0 && b.top == 0 && b.right == 8 && b.bottom == 5);

    // All cut away: one empty batch with the bounding box still inverted.
    std::vector<uint32_t> white(64, Pixel(0xFFFFFF));
    Collected none;
    ScanOpaqueRuns(white.data(), 8, 8, 8, MakeKeyRange(0xFFFFFF, 0), none.Sink());
    ASSERT_EQ(none.batches.size(), 1u);
    EXPECT_TRUE(none.batches[0].empty());
    EXPECT_GT(none.bounds[0].left, none.bounds[0].right);
    // No image at all: the same.
    Collected nothing;
    ScanOpaqueRuns(nullptr, 8, 8, 8, MakeKeyRange(0xFFFFFF, 0), nothing.Sink());
    EXPECT_EQ(nothing.batches.size(), 1u);
}

TEST(RegionScan, LargeNoisyImagesComeInBatchesThatTogetherMatchEveryPixel)
{
    const int w = 300, h = 120;
    std::mt19937 rng(7);
    std::vector<uint32_t> image(static_cast<size_t>(w) * h);
    for (uint32_t& p : image)
        p = (rng() % 3 == 0) ? Pixel(0xFFFFFF) : Pixel(rng() & 0xFFFFFF);

    const size_t batch = 2000;
    Collected got;
    ScanOpaqueRuns(image.data(), w, h, w, MakeKeyRange(0xFFFFFF, 0), got.Sink(), batch);

    std::vector<int> cover(image.size(), 0);
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
            const uint32_t* row = &image[static_cast<size_t>(r.top) * w];
            EXPECT_TRUE(r.left == 0 || row[r.left - 1] == Pixel(0xFFFFFF));
            EXPECT_TRUE(r.right == w || row[r.right] == Pixel(0xFFFFFF));
            for (int x = r.left; x < r.right; ++x)
                ++cover[static_cast<size_t>(r.top) * w + x];
            box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
                   std::max(box.bottom, r.bottom)};
        }
        const Rect& b = got.bounds[i];
        if (!rects.empty())
            EXPECT_TRUE(b.left == box.left && b.top == box.top && b.right == box.right && b.bottom == box.bottom)
                << "bounds of batch " << i;
        total += rects.size();
    }
    EXPECT_GT(total, 2 * batch);  // the image needs several batches
    for (size_t i = 0; i < image.size(); ++i)
        ASSERT_EQ(cover[i], image[i] == Pixel(0xFFFFFF) ? 0 : 1) << "pixel " << i % w << "," << i / w;
}
