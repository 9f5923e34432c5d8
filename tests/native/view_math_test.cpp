// Text view rules: rows, scroll ranges, bar requests, wheel, keys and marks.
#include "core/ViewMath.h"

#include <gtest/gtest.h>

using namespace ViewMath;

TEST(ViewMath, RowsAndVerticalRange)
{
    EXPECT_EQ(VisibleRows(160, 16), 10);
    EXPECT_EQ(VisibleRows(170, 16), 10);
    EXPECT_EQ(VisibleRows(0, 16), 1);
    EXPECT_EQ(VisibleRows(160, 0), 1);
    EXPECT_EQ(VisibleRows(10, 16), 0);

    // The tenth row ends exactly on the bottom edge and is drawn; an eleventh would not fit.
    EXPECT_EQ(RowsDrawn(160, 16, 0, 100), 10);
    EXPECT_EQ(RowsDrawn(170, 16, 0, 100), 10);
    EXPECT_EQ(RowsDrawn(160, 16, 95, 100), 5);
    EXPECT_EQ(RowsDrawn(160, 16, 0, 0), 0);
    EXPECT_EQ(RowsDrawn(160, 0, 0, 100), 0);
    // A million lines cost no more rows than a hundred.
    EXPECT_EQ(RowsDrawn(160, 16, 500000, 1000000), 10);

    EXPECT_EQ(VerticalMax(25, 10), 15);
    EXPECT_EQ(VerticalMax(10, 10), 0);
    EXPECT_EQ(VerticalMax(3, 10), 0);
    EXPECT_EQ(VerticalMax(25, 0), 0);
}

TEST(ViewMath, HorizontalRangeOnlyWhenALineIsWiderThanTheView)
{
    // 40 characters of 8 pixels in a 300-pixel view: 20 pixels over, 2 characters, plus
    // the character width as extra characters.
    EXPECT_EQ(HorizontalMax(300, 320, 40), 2 + 8);
    EXPECT_EQ(HorizontalMax(320, 320, 40), 0);
    EXPECT_EQ(HorizontalMax(400, 320, 40), 0);
    // Nothing to measure, or a zero character width, hides the bar.
    EXPECT_EQ(HorizontalMax(300, 320, 0), 0);
    EXPECT_EQ(HorizontalMax(0, 320, 40), 0);
    EXPECT_EQ(HorizontalMax(300, 0, 40), 0);
    EXPECT_EQ(HorizontalMax(10, 39, 40), 0);
}

TEST(ViewMath, BarRequestsAndClamping)
{
    EXPECT_EQ(ScrollRequestTarget(kLineUp, 5, 0), 4);
    EXPECT_EQ(ScrollRequestTarget(kLineDown, 5, 0), 6);
    // Top and bottom move by one line only.
    EXPECT_EQ(ScrollRequestTarget(kTop, 5, 0), 4);
    EXPECT_EQ(ScrollRequestTarget(kBottom, 5, 0), 6);
    EXPECT_EQ(ScrollRequestTarget(kPageUp, 5, 0), -15);
    EXPECT_EQ(ScrollRequestTarget(kPageDown, 5, 0), 25);
    EXPECT_EQ(ScrollRequestTarget(kThumbTrack, 5, 9), 9);
    EXPECT_EQ(ScrollRequestTarget(kThumbPosition, 5, 2), 2);
    EXPECT_EQ(ScrollRequestTarget(8, 5, 9), 5);

    // SB_PAGEDOWN with a maximum of 15 stops there; with no range everything is 0.
    EXPECT_EQ(Clamp(ScrollRequestTarget(kPageDown, 0, 0), 15), 15);
    EXPECT_EQ(Clamp(ScrollRequestTarget(kPageUp, 3, 0), 15), 0);
    EXPECT_EQ(Clamp(ScrollRequestTarget(kLineDown, 0, 0), 0), 0);
    EXPECT_EQ(Clamp(7, -1), 0);
}

TEST(ViewMath, ScrollLinesAndWheel)
{
    EXPECT_EQ(ScrollLinesTarget(0, 10, false, false, 15), 10);
    EXPECT_EQ(ScrollLinesTarget(10, 10, false, false, 15), 15);
    EXPECT_EQ(ScrollLinesTarget(4, -10, false, false, 15), 0);
    EXPECT_EQ(ScrollLinesTarget(4, 0, true, false, 15), 0);
    EXPECT_EQ(ScrollLinesTarget(4, 0, false, true, 15), 15);
    // Nothing happens without a range.
    EXPECT_EQ(ScrollLinesTarget(0, 10, false, true, 0), 0);

    EXPECT_EQ(WheelLines(-240), 10);
    EXPECT_EQ(WheelLines(120), -5);
    EXPECT_EQ(WheelLines(60), 0);
    EXPECT_EQ(WheelLines(-119), 0);
    EXPECT_EQ(WheelLines(-250), 10);
}

TEST(ViewMath, HitTestIgnoresXAndMayPassTheLastLine)
{
    EXPECT_EQ(HitTestLine(0, 0, 16), 0);
    EXPECT_EQ(HitTestLine(0, 15, 16), 0);
    EXPECT_EQ(HitTestLine(0, 16, 16), 1);
    EXPECT_EQ(HitTestLine(7, 50, 16), 10);
    EXPECT_EQ(HitTestLine(0, 10000, 16), 625);
    EXPECT_EQ(HitTestLine(3, 20, 0), -1);
}

TEST(ViewMath, KeysWithoutOrWithSeveralMarksScroll)
{
    // 25 lines in 10 rows: Page Down goes to 10, then to the maximum 15.
    const int vmax = VerticalMax(25, 10);
    KeyAction a = KeyDown(kKeyPageDown, 0, -1, 25);
    ASSERT_EQ(a.kind, KeyAction::Scroll);
    int top = ScrollLinesTarget(0, a.value, false, false, vmax);
    EXPECT_EQ(top, 10);
    top = ScrollLinesTarget(top, KeyDown(kKeyPageDown, 0, -1, 25).value, false, false, vmax);
    EXPECT_EQ(top, 15);

    EXPECT_EQ(KeyDown(kKeyPageUp, 2, 3, 25).value, -10);
    EXPECT_EQ(KeyDown(kKeyDown, 0, -1, 25).value, 1);
    EXPECT_EQ(KeyDown(kKeyRight, 0, -1, 25).value, 1);
    EXPECT_EQ(KeyDown(kKeyLeft, 0, -1, 25).value, -1);
    EXPECT_EQ(KeyDown(kKeyUp, 0, -1, 25).value, -1);
    EXPECT_EQ(KeyDown(kKeyEnd, 0, -1, 25).kind, KeyAction::ScrollToLast);
    EXPECT_EQ(KeyDown(kKeyHome, 0, -1, 25).kind, KeyAction::ScrollToFirst);
    EXPECT_EQ(KeyDown('A', 0, -1, 25).kind, KeyAction::None);
}

TEST(ViewMath, OneMarkMovesWithTheKeysAndStaysInRange)
{
    KeyAction a = KeyDown(kKeyDown, 1, 3, 25);
    EXPECT_EQ(a.kind, KeyAction::MoveMark);
    EXPECT_EQ(a.value, 4);
    EXPECT_EQ(KeyDown(kKeyRight, 1, 3, 25).value, 4);
    EXPECT_EQ(KeyDown(kKeyUp, 1, 3, 25).value, 2);
    EXPECT_EQ(KeyDown(kKeyPageDown, 1, 3, 25).value, 13);
    // The last line and line 0 hold the mark at the ends.
    EXPECT_EQ(KeyDown(kKeyDown, 1, 24, 25).value, 24);
    EXPECT_EQ(KeyDown(kKeyPageDown, 1, 20, 25).value, 24);
    EXPECT_EQ(KeyDown(kKeyPageUp, 1, 0, 25).value, 0);
    // Home, End and other keys leave the mark where it is.
    EXPECT_EQ(KeyDown(kKeyHome, 1, 7, 25).value, 7);
    EXPECT_EQ(KeyDown(kKeyEnd, 1, 7, 25).value, 7);
}

// A plain click marks one line or clears the marks; Ctrl+click marks or unmarks one line
// among the others; Shift+click marks the lines from the anchor, alone or (with Ctrl)
// added to the others.
TEST(ViewMath, ClickMarksOneLineSeveralOrARun)
{
    const struct {
        const char* what;
        int hit;
        bool wasMarked;
        int anchor;
        bool ctrl, shift;
        bool clearAll;
        int first, last, unmark, anchorAfter;
    } rows[] = {
        {"plain click", 3, false, 17, false, false, true, 3, 3, -1, 3},
        {"plain click on a marked line", 3, true, 3, false, false, true, -1, -1, -1, 3},
        {"plain click below the lines", 25, false, 8, false, false, true, -1, -1, -1, -1},
        {"no line under the point", -1, false, 8, false, false, false, -1, -1, -1, 8},
        {"Ctrl marks one more", 6, false, 2, true, false, false, 6, 6, -1, 6},
        {"Ctrl unmarks a marked one", 6, true, 2, true, false, false, -1, -1, 6, 6},
        {"Ctrl below the lines", 30, false, 2, true, false, false, -1, -1, -1, 2},
        {"Shift down from the anchor", 11, false, 4, false, true, true, 4, 11, -1, 4},
        {"Shift up from the anchor", 1, true, 9, false, true, true, 1, 9, -1, 9},
        {"Shift on the anchor", 9, true, 9, false, true, true, 9, 9, -1, 9},
        {"Shift below the lines", 40, false, 20, false, true, true, 20, 24, -1, 20},
        {"Ctrl+Shift adds the run", 13, false, 16, true, true, false, 13, 16, -1, 16},
        {"Shift without an anchor", 1, false, -1, false, true, true, 1, 1, -1, 1},
        {"Shift, the anchor gone with its lines", 2, false, 25, false, true, true, 2, 2, -1, 2},
        {"Ctrl+Shift without an anchor", 5, true, -1, true, true, false, -1, -1, 5, 5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const ClickMarks m = MarksAfterClick(r.hit, r.wasMarked, r.anchor, r.ctrl, r.shift, 25);
        EXPECT_EQ(m.clearAll, r.clearAll);
        EXPECT_EQ(m.first, r.first);
        EXPECT_EQ(m.last, r.last);
        EXPECT_EQ(m.unmark, r.unmark);
        EXPECT_EQ(m.anchor, r.anchorAfter);
    }
}

TEST(ViewMath, PointsToPixels)
{
    EXPECT_EQ(PointsToPixels(10, 96), 13);
    EXPECT_EQ(PointsToPixels(12, 96), 16);
    EXPECT_EQ(PointsToPixels(0, 96), 0);
    EXPECT_EQ(PointsToPixels(-10, 96), -13);
    EXPECT_EQ(PointsToPixels(10, 600), 83);
    EXPECT_EQ(PointsToPixels(2000000000, 600), 2147483647);
}

// A line of 50 million characters: its width passes the limits of int, its offsets do
// not fit the bar's 16 bits, and the bar still reaches both of its ends.
TEST(ViewMath, HugeLinesMeasureWithoutLimitsAndMapOntoTheBar)
{
    // 1024 characters measured 7168 pixels wide, 7 more each: 50,000,000 of them.
    const int64_t width = LongTextWidth(50000000, 7168, 7);
    EXPECT_EQ(width, 350000000);
    EXPECT_EQ(LongTextWidth(1000, 7000, 7), 7000);  // measured whole
    // Over 2^31 pixels: 400 million characters of 8.
    const int64_t wide = LongTextWidth(400000000, 8192, 8);
    EXPECT_EQ(wide, int64_t{3200000000});
    EXPECT_EQ(HorizontalMax(600, wide, 400000000), 400000000 - 75 + 8);
    EXPECT_EQ(HorizontalMax(500, width, 50000000), (350000000 - 500) / 7 + 7);

    // Offsets that fit the bar stay one to one.
    EXPECT_EQ(BarRange(0), 0);
    EXPECT_EQ(BarRange(1234), 1234);
    EXPECT_EQ(BarRange(kMaxBarRange), kMaxBarRange);
    EXPECT_EQ(ToBar(77, 1234), 77);
    EXPECT_EQ(FromBar(77, 1234), 77);
    EXPECT_EQ(FromBar(5000, 1234), 1234);
    EXPECT_EQ(FromBar(-3, 1234), 0);

    // Longer: the bar's ends are the offsets' ends, in order, and every bar position
    // names an offset that maps back to it.
    const int max = 49999937;
    EXPECT_EQ(BarRange(max), kMaxBarRange);
    EXPECT_EQ(ToBar(0, max), 0);
    EXPECT_EQ(ToBar(max, max), kMaxBarRange);
    EXPECT_EQ(ToBar(max + 10, max), kMaxBarRange);
    EXPECT_EQ(FromBar(0, max), 0);
    EXPECT_EQ(FromBar(kMaxBarRange, max), max);
    EXPECT_EQ(FromBar(kMaxBarRange + 9, max), max);
    int previous = -1;
    for (int bar = 0; bar <= kMaxBarRange; bar += 97) {
        const int offset = FromBar(bar, max);
        ASSERT_GT(offset, previous);
        ASSERT_EQ(ToBar(offset, max), bar);
        previous = offset;
    }
    // The middle of the bar is the middle of the line, within one bar step.
    EXPECT_NEAR(FromBar(kMaxBarRange / 2, max), max / 2, max / kMaxBarRange + 1);
    // One more character moves the offset, not necessarily the bar: steps of 1 and 20
    // reach every offset.
    EXPECT_EQ(ToBar(1, max), 0);
    EXPECT_EQ(Clamp(ScrollRequestTarget(kLineDown, max - 1, 0), max), max);
}

TEST(ViewMath, PaintingHandsOnOnlyWhatAWidthCanShow)
{
    EXPECT_EQ(CharsDrawn(0, 500), 0);
    EXPECT_EQ(CharsDrawn(-4, 500), 0);
    EXPECT_EQ(CharsDrawn(200, 500), 200);
    EXPECT_EQ(CharsDrawn(6095, 500), 6095);  // a line of any usual length stays whole
    EXPECT_EQ(CharsDrawn(50000000, 500), 4 * 500 + 4096);
    EXPECT_EQ(CharsDrawn(50000000, 0), 4096);
}
