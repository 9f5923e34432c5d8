// Sizes, the minimum window size and remembered rectangles at other display scales,
// and the choice among a picture's renderings.
#include "core/DpiScale.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {
WindowRect R(int l, int t, int r, int b)
{
    WindowRect rc;
    rc.left = l; rc.top = t; rc.right = r; rc.bottom = b;
    return rc;
}

std::tuple<int, int, int, int> T(const WindowRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}
}  // namespace

TEST(DpiScale, MulDivRoundsHalvesAwayFromZeroAndReportsWhatItCannotGive)
{
    struct Case { int value, num, den, want; } cases[] = {
        {5, 1, 2, 3},      {-5, 1, 2, -3},   {5, -1, 2, -3},  {-5, -1, -2, -3}, {7, 3, 4, 5},
        {-7, 3, 4, -5},    {-6, 1, 4, -2},   {6, 1, -4, -2},  {10, 144, 96, 15}, {1, 0, 7, 0},
        {3, 5, 0, -1},     {INT_MAX, 2, 1, -1}, {INT_MAX, 2, 2, INT_MAX}, {INT_MIN, 1, 1, -1},
        {-INT_MAX, 1, 1, -INT_MAX}, {1000000, 3000, 1, -1}, {1000000, 3000, 1000, 3000000},  // the product needs 64 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDivRound(c.value, c.num, c.den), c.want) << c.value << " * " << c.num << " / " << c.den;
}

TEST(DpiScale, LengthsAndTheMinimumSizeFollowTheScaleAndAnUnknownDpiIs96)
{
    EXPECT_EQ(ScaleForDpi(420, 144), 630);
    EXPECT_EQ(ScaleForDpi(350, 120), 438);        // 437.5
    EXPECT_EQ(ScaleForDpi(421, 120), 526);        // 526.25
    EXPECT_EQ(ScaleForDpi(631, 96, 144), 421);    // 420.67: down as well as up
    EXPECT_EQ(ScaleForDpi(-17, 192), -34);
    EXPECT_EQ(ScaleForDpi(351, 0), 351);
    EXPECT_EQ(ScaleForDpi(351, 144, -3), 527);    // 526.5, from an unknown (96) DPI
    EXPECT_EQ(UsableDpi(0), 96);
    EXPECT_EQ(UsableDpi(-120), 96);
    EXPECT_EQ(UsableDpi(168), 168);

    struct Case { int dpi, width, height; } cases[] = {
        {96, 420, 350}, {120, 525, 438}, {144, 630, 525}, {168, 735, 613}, {192, 840, 700}, {0, 420, 350},
    };
    for (const Case& c : cases) {
        const TrackSize size = MinTrackSizeForDpi(c.dpi);
        EXPECT_EQ(size.width, c.width) << c.dpi;
        EXPECT_EQ(size.height, c.height) << c.dpi;
    }
}

TEST(DpiScale, ARememberedRectangleKeepsItsTopLeftAndScalesItsSize)
{
    // 500 x 400 on a monitor left of the primary one, from 100 % to 150 %.
    EXPECT_EQ(T(ScaleRectForDpi(R(-1500, 37, -1000, 437), 96, 144)), T(R(-1500, 37, -750, 637)));
    // 631 x 351 from 150 % back to 100 %: 420.67 and 234 pixels.
    EXPECT_EQ(T(ScaleRectForDpi(R(10, 20, 641, 371), 144, 96)), T(R(10, 20, 431, 254)));
    // 125 %: 421 x 351 grows to 526.25 x 438.75.
    EXPECT_EQ(T(ScaleRectForDpi(R(3, 5, 424, 356), 96, 120)), T(R(3, 5, 529, 444)));
    // Nothing to scale: the same DPI, an unknown one taken as 96, no width, no height.
    for (const WindowRect& r : {R(1, 2, 503, 407), R(40, 50, 40, 90), R(40, 50, 90, 49)}) {
        EXPECT_EQ(T(ScaleRectForDpi(r, 144, 144)), T(r));
        EXPECT_EQ(T(ScaleRectForDpi(r, 0, 96)), T(r));
    }
    EXPECT_EQ(T(ScaleRectForDpi(R(40, 50, 40, 90), 96, 192)), T(R(40, 50, 40, 90)));
    EXPECT_EQ(T(ScaleRectForDpi(R(40, 50, 90, 49), 96, 192)), T(R(40, 50, 90, 49)));
    // A size that would leave the int range is left alone rather than wrapped.
    const WindowRect far = R(INT_MAX - 600, 7, INT_MAX - 100, 307);
    EXPECT_EQ(T(ScaleRectForDpi(far, 96, 192)), T(far));
    const WindowRect huge = R(-2000000000, 0, 2000000000, 300);
    EXPECT_EQ(T(ScaleRectForDpi(huge, 96, 144)), T(huge));
}

TEST(DpiScale, ThePictureRenderingNearestToTheLeastStretchWins)
{
    const std::vector<int> scales = {100, 150, 200};
    // A strip cell of 85 x 25 at 100 %.
    EXPECT_EQ(ClosestRendering(104, 33, 85, 25, scales), 0u);  // stretch 1.22 (width) of 1.32
    EXPECT_EQ(ClosestRendering(90, 21, 85, 25, scales), 0u);   // 0.84
    EXPECT_EQ(ClosestRendering(135, 32, 85, 25, scales), 1u);  // 1.28
    EXPECT_EQ(ClosestRendering(158, 50, 85, 25, scales), 2u);  // 1.86
    EXPECT_EQ(ClosestRendering(900, 400, 85, 25, scales), 2u);
    EXPECT_EQ(ClosestRendering(12, 3, 85, 25, scales), 0u);
    // The order of the list does not matter; on a tie the smaller rendering wins.
    EXPECT_EQ(ClosestRendering(125, 140, 100, 100, {150, 100}), 1u);  // 1.25: halfway
    EXPECT_EQ(ClosestRendering(126, 140, 100, 100, {150, 100}), 0u);
    EXPECT_EQ(ClosestRendering(175, 190, 100, 100, {200, 100, 150}), 2u);
    // Nothing to compare.
    EXPECT_EQ(ClosestRendering(0, 40, 85, 25, scales), 0u);
    EXPECT_EQ(ClosestRendering(90, 40, 85, -25, scales), 0u);
    EXPECT_EQ(ClosestRendering(90, 40, 85, 25, {}), 0u);
}
