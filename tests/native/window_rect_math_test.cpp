// Border drags with their limits, and the screen test of a remembered placement.
#include "ui/WindowRectMath.h"

#include <gtest/gtest.h>

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
        {SizingEdge::Left, 80, 0, false, {}},                                 // 420 is refused, as is all beyond
        {SizingEdge::Left, 5000, 0, false, {}},
        {SizingEdge::Top, 0, 49, true, R(100, 249, 600, 600)},
        {SizingEdge::Top, 0, 50, false, {}},
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
