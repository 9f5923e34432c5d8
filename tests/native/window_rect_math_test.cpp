// Border drags with their limits, and the screen test of a remembered placement.
#include "ui/WindowRectMath.h"

#include <gtest/gtest.h>

namespace {
WindowRect R(int l, int t, int r, int b)
{
    WindowRect rc;
    rc.left = l; rc.top = t; rc.right = r; rc.bottom = b;
    return rc;
}

::testing::AssertionResult Same(const WindowRect& got, const WindowRect& want)
{
    if (got.left == want.left && got.top == want.top && got.right == want.right && got.bottom == want.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.left << ", " << got.top << ", " << got.right << ", "
                                         << got.bottom << ") want (" << want.left << ", " << want.top << ", "
                                         << want.right << ", " << want.bottom << ")";
}

const WindowRect kStart = R(100, 200, 600, 600);  // 500 x 400
const int kMinW = 420, kMinH = 350;
}  // namespace

TEST(WindowRectMath, EachEdgeMovesOnlyItsOwnSidesAndTheMoveKeepsTheSize)
{
    struct Case {
        SizingEdge edge;
        WindowRect want;
    } cases[] = {
        {SizingEdge::Right, R(100, 200, 630, 600)},       {SizingEdge::Bottom, R(100, 200, 600, 620)},
        {SizingEdge::BottomRight, R(100, 200, 630, 620)}, {SizingEdge::Left, R(130, 200, 600, 600)},
        {SizingEdge::Top, R(100, 220, 600, 600)},         {SizingEdge::BottomLeft, R(130, 200, 600, 620)},
        {SizingEdge::TopLeft, R(130, 220, 600, 600)},     {SizingEdge::TopRight, R(100, 220, 630, 600)},
    };
    for (const Case& c : cases) {
        WindowRect out;
        ASSERT_TRUE(SizedRect(c.edge, kStart, 30, 20, kMinW, kMinH, out)) << static_cast<int>(c.edge);
        EXPECT_TRUE(Same(out, c.want)) << static_cast<int>(c.edge);
    }
    WindowRect untouched = R(1, 2, 3, 4);
    EXPECT_FALSE(SizedRect(SizingEdge::None, kStart, 30, 20, kMinW, kMinH, untouched));
    EXPECT_TRUE(Same(untouched, R(1, 2, 3, 4)));
    EXPECT_TRUE(Same(MovedRect(kStart, -150, 2000), R(-50, 2200, 450, 2600))) << "the window may leave the screen";
}

TEST(WindowRectMath, LeftAndTopRefuseTheMinimumWhileCornersPinAtIt)
{
    WindowRect out = R(1, 2, 3, 4);
    // Left: 79 leaves 421 wide, 80 would leave exactly 420 and is refused, as is all beyond.
    ASSERT_TRUE(SizedRect(SizingEdge::Left, kStart, 79, 0, kMinW, kMinH, out));
    EXPECT_TRUE(Same(out, R(179, 200, 600, 600)));
    for (int dx : {80, 81, 500, 5000}) {
        WindowRect kept = out;
        EXPECT_FALSE(SizedRect(SizingEdge::Left, kStart, dx, 0, kMinW, kMinH, kept)) << dx;
        EXPECT_TRUE(Same(kept, out));
    }
    ASSERT_TRUE(SizedRect(SizingEdge::Top, kStart, 0, 49, kMinW, kMinH, out));
    EXPECT_TRUE(Same(out, R(100, 249, 600, 600)));
    EXPECT_FALSE(SizedRect(SizingEdge::Top, kStart, 0, 50, kMinW, kMinH, out));

    // The corners that move the left or top edge stop at exactly the minimum, with the
    // opposite edges where they were.
    ASSERT_TRUE(SizedRect(SizingEdge::TopLeft, kStart, 400, 300, kMinW, kMinH, out));
    EXPECT_TRUE(Same(out, R(180, 250, 600, 600)));
    ASSERT_TRUE(SizedRect(SizingEdge::TopLeft, kStart, 80, -10, kMinW, kMinH, out)) << "exactly at the minimum";
    EXPECT_TRUE(Same(out, R(180, 190, 600, 600)));
    ASSERT_TRUE(SizedRect(SizingEdge::BottomLeft, kStart, 300, -300, kMinW, kMinH, out));
    EXPECT_TRUE(Same(out, R(180, 200, 600, 300))) << "the height is left to the window's own minimum";
    ASSERT_TRUE(SizedRect(SizingEdge::TopRight, kStart, -300, 300, kMinW, kMinH, out));
    EXPECT_TRUE(Same(out, R(100, 250, 300, 600))) << "the width is left to the window's own minimum";
    ASSERT_TRUE(SizedRect(SizingEdge::BottomRight, kStart, -300, -300, kMinW, kMinH, out));
    EXPECT_TRUE(Same(out, R(100, 200, 300, 300)));
}

TEST(WindowRectMath, ARectangleCountsAsOnScreenWithOnePixelOfOverlap)
{
    const int w = 1280, h = 1024;
    EXPECT_TRUE(OverlapsScreen(R(100, 100, 600, 500), w, h));
    EXPECT_TRUE(OverlapsScreen(R(1279, 1023, 1779, 1523), w, h));
    EXPECT_TRUE(OverlapsScreen(R(-499, -399, 1, 1), w, h));
    EXPECT_TRUE(OverlapsScreen(R(-5000, -5000, 5000, 5000), w, h));
    EXPECT_FALSE(OverlapsScreen(R(1280, 100, 1780, 500), w, h)) << "touching the right edge is off";
    EXPECT_FALSE(OverlapsScreen(R(-500, 100, 0, 500), w, h));
    EXPECT_FALSE(OverlapsScreen(R(100, 1024, 600, 1424), w, h));
    EXPECT_FALSE(OverlapsScreen(R(100, -400, 600, 0), w, h));
    EXPECT_FALSE(OverlapsScreen(R(1800, 100, 2300, 500), w, h)) << "a monitor no longer attached";
    EXPECT_FALSE(OverlapsScreen(R(0, 0, 0, 0), w, h)) << "nothing stored";
    EXPECT_FALSE(OverlapsScreen(R(600, 500, 100, 100), w, h)) << "an inverted rectangle";
}
