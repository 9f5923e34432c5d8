// Print preview geometry and paging rules.
#include "core/PreviewMath.h"

#include "core/DpiScale.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace PreviewMath {

int MulDiv(int a, int num, int den)
{
    if (den == 0)
        return -1;
    int64_t p = static_cast<int64_t>(a) * num;
    int64_t d = den;
    if (d < 0) {
        p = -p;
        d = -d;
    }
    const int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
    return q > INT_MAX || q < INT_MIN ? -1 : static_cast<int>(q);
}

Ratio FitRatio(Size display, Size page)
{
    if (page.cx <= 0 || page.cy <= 0)
        return {1, 1};
    // Fit the height, unless the width then overflows.
    if (MulDiv(page.cx, display.cy, page.cy) > display.cx)
        return {display.cx, page.cx};
    return {display.cy, page.cy};
}

Ratio ZoomRatio(int state, Ratio z)
{
    const bool shrunk = z.num < z.den;  // the paper is larger than the display
    switch (state) {
    case 0:
        return z;
    case 1:
        return shrunk ? Ratio{(z.num + z.den) / 2, z.den} : Ratio{(3 * z.num - z.den) / 2, z.den};
    case 2:
        return shrunk ? Ratio{1, 1} : Ratio{2 * z.num - z.den, z.den};
    case 3:
        return {15, 10};
    case 4:
        return {25, 10};
    default:
        return {4, 1};
    }
}

int ZoomAfterClick(int state)
{
    return state >= kMaxZoom ? 0 : state + 1;
}

Spacing SpacingForDpi(int dpi)
{
    Spacing s;
    s.gap = ScaleForDpi(kGap, dpi);
    s.line = std::max(1, ScaleForDpi(1, dpi));
    return s;
}

Display DisplayFor(Size client, int vBarWidth, int zoomState, int firstPage, int lastPage, int pagesAcross,
                   const Spacing& spacing)
{
    const int gap = spacing.gap;
    int w = client.cx;
    if (zoomState == 0 && lastPage != 0xFFFF && lastPage != firstPage)
        w -= vBarWidth;
    const int across = pagesAcross == 2 ? 2 : 1;
    Display d;
    d.spacing = spacing;
    d.hStep = (w - gap) / 2;
    d.page.cx = (w - across * gap - gap) / across;
    d.page.cy = client.cy - 2 * gap;
    return d;
}

Box SlotRect(Size scaled, const Display& display, int slot, int pagesAcross, int zoomState)
{
    const int gap = display.spacing.gap, edge = display.spacing.Edge();
    Box r{gap, gap, scaled.cx + gap + edge, scaled.cy + gap + edge};
    if (zoomState != 0)
        return r;
    const int across = pagesAcross == 2 ? 2 : 1;
    const int dx = (display.page.cx - (r.right - r.left)) / 2 - 1 + display.hStep * (slot % across);
    const int dy = (display.page.cy - (r.bottom - r.top)) / 2 - 1;
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

BarRange PageBarRange(int firstPage, int lastPage, int pagesShown)
{
    BarRange b;
    if (lastPage >= 0x8000 || lastPage - firstPage > 0x7FFF)
        return b;
    b.shown = true;
    b.min = firstPage;
    b.max = LastScreenPage(firstPage, lastPage, pagesShown);
    return b;
}

int LastScreenPage(int firstPage, int lastPage, int pagesShown)
{
    const int shown = pagesShown > 1 ? pagesShown : 1;
    const int64_t start = static_cast<int64_t>(lastPage) - shown + 1;
    return start > firstPage ? static_cast<int>(start) : firstPage;
}

int ClampPage(int page, int firstPage, int lastPage, int pagesShown)
{
    const int last = LastScreenPage(firstPage, lastPage, pagesShown);
    return page < firstPage ? firstPage : page > last ? last : page;
}

namespace {
int ClampWide(int64_t page, int firstPage, int lastPage, int pagesShown)
{
    return ClampPage(static_cast<int>(page < INT_MIN ? INT_MIN : page > INT_MAX ? INT_MAX : page), firstPage,
                     lastPage, pagesShown);
}
}  // namespace

int PageAfterWheel(int delta, int current, int firstPage, int lastPage, int pagesShown)
{
    const int64_t target = static_cast<int64_t>(current) + (delta > 0 ? -1 : delta < 0 ? 1 : 0);
    return ClampWide(target, firstPage, lastPage, pagesShown);
}

int PageAfterScroll(int code, int thumb, int current, int firstPage, int lastPage, int pagesShown)
{
    // A tenth of the report, at least one page.
    const int64_t tenth = (static_cast<int64_t>(lastPage) - firstPage + 9) / 10;
    const int64_t step = tenth > 0 ? tenth : 1;
    int64_t target = current;
    switch (code) {
    case 0: target = static_cast<int64_t>(current) - 1; break;  // line up
    case 1: target = static_cast<int64_t>(current) + 1; break;  // line down
    case 2: target = current - step; break;                     // page up
    case 3: target = current + step; break;                     // page down
    case 4: target = thumb; break;                              // thumb position
    case 6: target = firstPage; break;                          // top
    case 7: target = lastPage; break;                           // bottom: the last screen
    default: break;                                             // thumb track and others
    }
    return ClampWide(target, firstPage, lastPage, pagesShown);
}

int ScrollCodeForKey(int virtualKey)
{
    switch (virtualKey) {
    case 0x26: return 0;  // up
    case 0x28: return 1;  // down
    case 0x21: return 2;  // page up
    case 0x22: return 3;  // page down
    case 0x24: return 6;  // home
    case 0x23: return 7;  // end
    default: return -1;
    }
}

int ClampScroll(int position, int total, int view)
{
    const int max = total > view ? total - view : 0;
    return position < 0 ? 0 : position > max ? max : position;
}

}  // namespace PreviewMath
