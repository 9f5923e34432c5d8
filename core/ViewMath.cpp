// Scrolling, hit-testing and keyboard rules of the text view.
#include "core/ViewMath.h"

#include <climits>
#include <cstdint>

namespace ViewMath {

namespace {
int Saturate(int64_t v)
{
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}
}  // namespace

int VisibleRows(int clientHeight, int lineHeight)
{
    if (clientHeight <= 0 || lineHeight <= 0)
        return 1;
    return clientHeight / lineHeight;
}

int VerticalMax(int lineCount, int visibleRows)
{
    if (visibleRows <= 0 || lineCount <= visibleRows)
        return 0;
    return lineCount - visibleRows;
}

int HorizontalMax(int clientWidth, int64_t textWidth, int longest)
{
    if (clientWidth <= 0 || textWidth <= 0 || longest <= 0)
        return 0;
    const int64_t charWidth = textWidth / longest;
    if (charWidth <= 0)
        return 0;
    const int64_t overflow = textWidth - clientWidth;
    if (overflow <= 0)
        return 0;
    return Saturate(overflow / charWidth + charWidth);
}

int64_t LongTextWidth(int64_t length, int measuredWidth, int advance)
{
    if (length <= kMeasuredChars || advance <= 0)
        return measuredWidth;
    // At most INT_MAX characters of at most INT_MAX pixels: well inside 64 bits.
    return static_cast<int64_t>(measuredWidth) + (length - kMeasuredChars) * advance;
}

int BarRange(int max)
{
    if (max <= 0)
        return 0;
    return max > kMaxBarRange ? kMaxBarRange : max;
}

int ToBar(int offset, int max)
{
    const int position = Clamp(offset, max);
    if (max <= kMaxBarRange)
        return position;
    // Rounded to the nearest bar position, so that both ends map to the bar's ends.
    return static_cast<int>((static_cast<int64_t>(position) * kMaxBarRange + max / 2) / max);
}

int FromBar(int barPosition, int max)
{
    if (max <= kMaxBarRange)
        return Clamp(barPosition, max);
    const int position = Clamp(barPosition, kMaxBarRange);
    return static_cast<int>((static_cast<int64_t>(position) * max + kMaxBarRange / 2) / kMaxBarRange);
}

int64_t CharsDrawn(int64_t restOfLine, int clientWidth)
{
    if (restOfLine <= 0)
        return 0;
    // Every character drawn is at least a pixel wide; four times the width and a few
    // thousand characters leave lines of any usual length whole.
    const int64_t visible = 4 * static_cast<int64_t>(clientWidth > 0 ? clientWidth : 0) + 4096;
    return restOfLine < visible ? restOfLine : visible;
}

int Clamp(int v, int max)
{
    if (max < 0 || v < 0)
        return 0;
    return v > max ? max : v;
}

int ScrollRequestTarget(int request, int current, int thumbPos)
{
    int64_t target = current;
    switch (request) {
    case kLineUp:
    case kTop:
        target -= 1;
        break;
    case kLineDown:
    case kBottom:
        target += 1;
        break;
    case kPageUp:
        target -= kScrollPage;
        break;
    case kPageDown:
        target += kScrollPage;
        break;
    case kThumbPosition:
    case kThumbTrack:
        target = thumbPos;
        break;
    default:
        break;
    }
    return Saturate(target);
}

int ScrollLinesTarget(int topLine, int delta, bool toFirst, bool toLast, int verticalMax)
{
    if (verticalMax <= 0)
        return topLine;
    int64_t target;
    if (toFirst)
        target = 0;
    else if (toLast)
        target = verticalMax;
    else
        target = static_cast<int64_t>(topLine) + delta;
    return Clamp(Saturate(target), verticalMax);
}

int WheelLines(int wheelDelta)
{
    return -kWheelLines * (wheelDelta / kWheelNotch);
}

int HitTestLine(int topLine, int y, int lineHeight)
{
    if (lineHeight <= 0)
        return -1;
    return Saturate(static_cast<int64_t>(topLine) + y / lineHeight);
}

int RowsDrawn(int clientHeight, int lineHeight, int topLine, int lineCount)
{
    if (lineHeight <= 0 || clientHeight <= 0 || topLine < 0 || topLine >= lineCount)
        return 0;
    const int fit = clientHeight / lineHeight;
    const int left = lineCount - topLine;
    return fit < left ? fit : left;
}

KeyAction KeyDown(int key, int markCount, int markedLine, int lineCount)
{
    KeyAction action;
    if (markCount == 1) {
        int64_t k = markedLine;
        switch (key) {
        case kKeyPageUp: k -= kKeyPage; break;
        case kKeyPageDown: k += kKeyPage; break;
        case kKeyLeft:
        case kKeyUp: k -= 1; break;
        case kKeyRight:
        case kKeyDown: k += 1; break;
        default: break;
        }
        action.kind = KeyAction::MoveMark;
        action.value = Clamp(Saturate(k), lineCount - 1);
        return action;
    }
    switch (key) {
    case kKeyPageUp: action = {KeyAction::Scroll, -kKeyPage}; break;
    case kKeyPageDown: action = {KeyAction::Scroll, kKeyPage}; break;
    case kKeyEnd: action = {KeyAction::ScrollToLast, 0}; break;
    case kKeyHome: action = {KeyAction::ScrollToFirst, 0}; break;
    case kKeyLeft:
    case kKeyUp: action = {KeyAction::Scroll, -1}; break;
    case kKeyRight:
    case kKeyDown: action = {KeyAction::Scroll, 1}; break;
    default: break;
    }
    return action;
}

ClickMarks MarksAfterClick(int hit, bool hitWasMarked, int anchor, bool ctrl, bool shift, int lineCount)
{
    ClickMarks marks;
    marks.anchor = anchor;
    if (hit < 0)
        return marks;
    const bool onLine = hit < lineCount;
    if (shift && anchor >= 0 && anchor < lineCount) {
        const int end = onLine ? hit : lineCount - 1;
        marks.clearAll = !ctrl;
        marks.first = anchor < end ? anchor : end;
        marks.last = anchor < end ? end : anchor;
        return marks;
    }
    marks.anchor = onLine ? hit : -1;
    if (!ctrl) {
        marks.clearAll = true;
        if (onLine && !hitWasMarked)
            marks.first = marks.last = hit;
    } else if (onLine) {
        if (hitWasMarked)
            marks.unmark = hit;
        else
            marks.first = marks.last = hit;
    } else {
        marks.anchor = anchor;  // a Ctrl+click below the lines changes nothing
    }
    return marks;
}

int PointsToPixels(int points, int pixelsPerInch)
{
    return Saturate(static_cast<int64_t>(points) * pixelsPerInch / 72);
}

}  // namespace ViewMath
