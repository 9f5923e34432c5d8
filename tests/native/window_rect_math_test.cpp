// Border drags with their limits, and the screen and desktop tests of a remembered
// placement.
#include "core/WindowRectMath.h"

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
}
