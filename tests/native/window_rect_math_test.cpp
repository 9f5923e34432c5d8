// Border drags with their limits, the screen and desktop tests of a remembered
// placement, and its sizes at other display scales.
#include "core/WindowRectMath.h"
#include "core/DpiScale.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

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

TEST(WindowRectMath, EachEdgeMovesItsOwnSidesWithinItsLimits)
{
    const WindowRect start = R(100, 200, 600, 600);  // 500 x 400, minimum 420 x 350
    struct Case {
        SizingEdge edge;
        int dx, dy;
        bool accepted;
        WindowRect want;
    } cases[] = {
        {SizingEdge::Right, 30, 20, true, R(100, 200, 630, 600)},
        {SizingEdge::Bottom, 30, 20, true, R(100, 200, 600, 620)},
        {SizingEdge::BottomRight, -300, -300, true, R(100, 200, 300, 300)},  // the window's own minimum stops it
        {SizingEdge::Left, 79, 0, true, R(179, 200, 600, 600)},               // 421 wide
        {SizingEdge::Left, 80, 0, true, R(180, 200, 600, 600)},               // exactly the minimum
        {SizingEdge::Left, 5000, 0, true, R(180, 200, 600, 600)},             // a fast pull stops there
        {SizingEdge::Left, -70, 0, true, R(30, 200, 600, 600)},
        {SizingEdge::Top, 0, 49, true, R(100, 249, 600, 600)},
        {SizingEdge::Top, 0, 50, true, R(100, 250, 600, 600)},
        {SizingEdge::Top, 33, 4000, true, R(100, 250, 600, 600)},            // dx does not move the top border
        {SizingEdge::TopLeft, 30, 20, true, R(130, 220, 600, 600)},
        {SizingEdge::TopLeft, 400, 300, true, R(180, 250, 600, 600)},  // pinned at exactly the minimum
        {SizingEdge::BottomLeft, 300, -300, true, R(180, 200, 600, 300)},
        {SizingEdge::TopRight, -300, 300, true, R(100, 250, 300, 600)},
        {SizingEdge::None, 30, 20, false, {}},
    };
    for (const Case& c : cases) {
        WindowRect out = R(1, 2, 3, 4);
        EXPECT_EQ(SizedRect(c.edge, start, c.dx, c.dy, 420, 350, out), c.accepted) << static_cast<int>(c.edge);
        EXPECT_EQ(T(out), T(c.accepted ? c.want : R(1, 2, 3, 4))) << static_cast<int>(c.edge) << " by " << c.dx;
    }
    EXPECT_EQ(T(MovedRect(start, -150, 2000)), T(R(-50, 2200, 450, 2600)));
}

TEST(WindowRectMath, ARectangleCountsAsOnScreenWithOnePixelOfOverlap)
{
    for (const WindowRect& on : {R(1279, 1023, 1779, 1523), R(-499, -399, 1, 1), R(-5000, -5000, 5000, 5000)})
        EXPECT_TRUE(OverlapsScreen(on, 1280, 1024)) << on.left;
    for (const WindowRect& off : {R(1280, 100, 1780, 500), R(-500, 100, 0, 500), R(100, 1024, 600, 1424),
                                  R(100, -400, 600, 0), R(0, 0, 0, 0), R(600, 500, 100, 100)})
        EXPECT_FALSE(OverlapsScreen(off, 1280, 1024)) << off.left;
}

TEST(WindowRectMath, ARectangleCountsOnAnyMonitorOfTheDesktop)
{
    // The primary monitor at the origin, a second one left of it and 200 higher.
    const std::vector<WindowRect> desktop = {R(0, 0, 1280, 1024), R(-1600, -200, 0, 1000)};
    for (const WindowRect& on : {R(-900, -150, -300, 300),    // wholly on the second monitor
                                 R(-1, -200, 500, -199),       // one pixel of the second
                                 R(-1700, 999, -1599, 1100),   // its bottom-left pixel
                                 R(1279, 1023, 1300, 1050)})  // the primary's bottom-right pixel
        EXPECT_TRUE(OverlapsAnyMonitor(on, desktop)) << on.left << "," << on.top;
    for (const WindowRect& off : {R(-900, -400, -300, -200),  // above the second monitor
                                  R(10, -300, 500, 0),         // above the primary, beside the second
                                  R(-1600, 1000, 0, 1100),     // below the second
                                  R(-2000, 0, -1600, 500),     // left of it
                                  R(1280, 0, 1900, 500),       // right of the primary
                                  R(-800, 100, -800, 400)})    // empty
        EXPECT_FALSE(OverlapsAnyMonitor(off, desktop)) << off.left << "," << off.top;
    EXPECT_FALSE(OverlapsAnyMonitor(R(0, 0, 100, 100), {}));
}

TEST(WindowRectMath, APlacementIsUsedOnlyWithASensibleSizeAndItsTitleBarOnAMonitor)
{
    const std::vector<WindowRect> desktop = {R(0, 0, 1280, 1024), R(-1600, -200, 0, 1000)};
    // The desktop spans 2880 x 1224.
    EXPECT_TRUE(PlacementFitsDesktop(R(-1500, -150, -900, 350), desktop, 20));
    EXPECT_TRUE(PlacementFitsDesktop(R(-1600, -200, 1280, 1024), desktop, 20));   // exactly the desktop
    EXPECT_TRUE(PlacementFitsDesktop(R(1279, 300, 1779, 800), desktop, 20));      // one column of title bar
    EXPECT_TRUE(PlacementFitsDesktop(R(-1000, 999, -500, 1500), desktop, 20));    // one row of title bar
    EXPECT_TRUE(PlacementFitsDesktop(R(300, -19, 800, 400), desktop, 20));        // the bar's last row on the primary

    EXPECT_FALSE(PlacementFitsDesktop(R(-1601, -200, 1280, 1024), desktop, 20));  // one pixel too wide
    EXPECT_FALSE(PlacementFitsDesktop(R(-1600, -201, 1280, 1024), desktop, 20));  // one pixel too high
    EXPECT_FALSE(PlacementFitsDesktop(R(-100000, -100000, 100000, 100000), desktop, 20));
    EXPECT_FALSE(PlacementFitsDesktop(R(INT_MIN, INT_MIN, INT_MAX, INT_MAX), desktop, 20));
    EXPECT_FALSE(PlacementFitsDesktop(R(INT_MAX, INT_MAX, INT_MIN, INT_MIN), desktop, 20));
    EXPECT_FALSE(PlacementFitsDesktop(R(0, 0, 0, 0), desktop, 20));               // nothing stored
    EXPECT_FALSE(PlacementFitsDesktop(R(100, 100, 100, 500), desktop, 20));       // no width
    EXPECT_FALSE(PlacementFitsDesktop(R(100, 100, 600, 100), desktop, 20));       // no height
    EXPECT_FALSE(PlacementFitsDesktop(R(600, 500, 100, 100), desktop, 20));       // negative both ways
    EXPECT_FALSE(PlacementFitsDesktop(R(300, -20, 800, 400), desktop, 20));       // the bar just above the primary
    EXPECT_FALSE(PlacementFitsDesktop(R(300, -600, 800, 100), desktop, 20));      // only the body shows
    EXPECT_FALSE(PlacementFitsDesktop(R(1280, 100, 1780, 600), desktop, 20));     // beside the primary
    EXPECT_FALSE(PlacementFitsDesktop(R(-1500, -150, -900, 350), {}, 20));        // no monitor known

    // Each edge of this desktop is another monitor's, none of them the primary's, and no
    // monitor is as wide or as high as the desktop (3584 x 1700).
    const std::vector<WindowRect> spread = {R(0, 0, 1280, 1024),       // the primary
                                            R(-1024, 200, 0, 968),     // the left edge
                                            R(1280, -300, 2560, 700),  // the top and right edges
                                            R(0, 1024, 1280, 1400)};   // the bottom edge
    const struct {
        WindowRect rect;
        bool fits;
    } spreadCases[] = {
        {R(1300, -250, 1600, 1450), true},   // the desktop's height
        {R(1300, -251, 1600, 1450), false},  // one row more
        {R(-1024, 10, 2560, 500), true},     // the desktop's width
        {R(-1025, 10, 2560, 500), false},    // one column more
        {R(-1024, -300, 2560, 1400), true},  // the whole desktop
    };
    for (const auto& c : spreadCases)
        EXPECT_EQ(PlacementFitsDesktop(c.rect, spread, 20), c.fits)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
}

// Sizes, the minimum window size and remembered rectangles at other display scales,
// and the choice among a picture's renderings.
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

    // A layout that grew more than its scale grows the minimum as much more, each way
    // on its own; one that grew less, or no layout, leaves the scaled minimum.
    struct Grown { int dpi, layoutDpi, naturalWidth, naturalHeight, width, height; } grown[] = {
        {96, 96, 480, 510, 420, 350},
        {120, 120, 640, 628, 560, 438},   // 640 of 600 across (525 * 16 / 15); 628 of 638 down
        {144, 120, 640, 628, 672, 525},   // the same layout after a change to 150 %
        {144, 144, 720, 785, 630, 539},   // 785 of 765 down: 538.7
        {192, 192, 720, 785, 840, 700},   // grew less than 200 %
        {120, 96, 0, 0, 525, 438},
    };
    for (const Grown& g : grown) {
        const TrackSize size = MinTrackSizeForLayout(g.dpi, g.layoutDpi, g.naturalWidth, g.naturalHeight);
        EXPECT_EQ(size.width, g.width) << g.dpi << " from " << g.naturalWidth << " at " << g.layoutDpi;
        EXPECT_EQ(size.height, g.height) << g.dpi << " from " << g.naturalHeight << " at " << g.layoutDpi;
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
