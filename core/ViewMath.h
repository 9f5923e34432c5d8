// The text view's scrolling, hit-testing and keyboard rules, free of any window, so the
// view's message handlers stay thin.
#pragma once

#include <cstdint>

namespace ViewMath {

// Scroll requests and keys as the system numbers them.
enum ScrollRequest {
    kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3,
    kThumbPosition = 4, kThumbTrack = 5, kTop = 6, kBottom = 7,
};
enum Key {
    kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyEnd = 0x23, kKeyHome = 0x24,
    kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28,
};

constexpr int kScrollPage = 20;   // lines or characters per page request of a bar
constexpr int kKeyPage = 10;      // lines per Page Up / Page Down key
constexpr int kWheelLines = 5;    // lines per wheel notch
constexpr int kWheelNotch = 120;

// Rows that fit the client height; 1 when either size is not positive.
int VisibleRows(int clientHeight, int lineHeight);
// Greatest top line; 0 when every line fits (the bar is hidden then).
int VerticalMax(int lineCount, int visibleRows);
// Greatest horizontal offset in characters for the measured width of the longest line;
// 0 when it fits or cannot be measured (the bar is hidden then). The range deliberately
// reaches a character width's worth of characters beyond the end of the longest line.
int HorizontalMax(int clientWidth, int64_t textWidth, int longest);

// Lines up to this many characters are measured whole; a longer one from the width of
// this many characters and the advance of one more.
constexpr int kMeasuredChars = 1024;
// Width of `length` characters from the width of the first kMeasuredChars of them and
// the advance of each further one (pixels, without the limits of int).
int64_t LongTextWidth(int64_t length, int measuredWidth, int advance);

// The horizontal bar carries at most this range: the 16 bits of a scroll message. A
// longer range of offsets is mapped onto it, so that the bar's ends are the offsets' ends.
constexpr int kMaxBarRange = 65535;
// The range the bar is given for a greatest offset.
int BarRange(int max);
// The bar position of an offset, and the offset of a bar position (both limited to
// their ranges); one to one while the offsets fit the bar.
int ToBar(int offset, int max);
int FromBar(int barPosition, int max);

// Characters of a line that painting hands on from the horizontal offset: the rest of
// the line, but no more than can be seen in a client width (a huge line is not given
// to the system whole on every paint).
int64_t CharsDrawn(int64_t restOfLine, int clientWidth);
// v limited to 0 … max; 0 when max is negative.
int Clamp(int v, int max);

// New position for a bar request, before limiting; thumbPos is the position the request
// carries. Top and bottom requests move by one step only.
int ScrollRequestTarget(int request, int current, int thumbPos);
// Top line after ScrollLines; unchanged when there is nothing to scroll.
int ScrollLinesTarget(int topLine, int delta, bool toFirst, bool toLast, int verticalMax);
// Lines to scroll for a wheel delta: a notch away from the user scrolls up.
int WheelLines(int wheelDelta);

// Index of the line under a client y coordinate; may lie beyond the last line; -1 when
// the line height is not positive.
int HitTestLine(int topLine, int y, int lineHeight);
// How many rows painting draws from the top line: only rows that fit entirely, and no
// more than the lines left.
int RowsDrawn(int clientHeight, int lineHeight, int topLine, int lineCount);

// What a key does in list mode.
struct KeyAction {
    enum Kind { None, MoveMark, Scroll, ScrollToFirst, ScrollToLast };
    Kind kind = None;
    int value = 0;  // the new marked line for MoveMark, the line delta for Scroll
};
// With exactly one mark the keys move it (without scrolling); otherwise they scroll.
KeyAction KeyDown(int key, int markCount, int markedLine, int lineCount);

// The marks after a click on line `hit` (from HitTestLine, 0 or more; it may lie below
// the last line). A plain click marks the line alone: a click on a marked line or below
// the last line leaves no mark. Ctrl+click marks or unmarks the line and keeps the other
// marks. Shift+click marks the lines from the anchor (the line of the last click without
// Shift) to this one (to the last line from below it) alone, Ctrl+Shift+click adds them
// to the marks; without an anchor among the lines, Shift plays no part.
struct ClickMarks {
    bool clearAll = false;      // every mark goes first
    int first = -1, last = -1;  // then these lines are marked; none when first < 0
    int unmark = -1;            // or this line is unmarked
    int anchor = -1;            // the anchor afterwards; -1: none
};
ClickMarks MarksAfterClick(int hit, bool hitWasMarked, int anchor, bool ctrl, bool shift, int lineCount);

// Font height in device pixels for a size in points: size × pixels per inch ÷ 72,
// truncated toward zero, kept within int.
int PointsToPixels(int points, int pixelsPerInch);

}  // namespace ViewMath
