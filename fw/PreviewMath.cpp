// Print preview geometry and paging rules.
#include "fw/PreviewMath.h"

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

Display DisplayFor(Size client, int vBarWidth, int zoomState, int firstPage, int lastPage, int pagesAcross)
{
    int w = client.cx;
    if (zoomState == 0 && lastPage != 0xFFFF && lastPage != firstPage)
        w -= vBarWidth;
    const int across = pagesAcross == 2 ? 2 : 1;
    Display d;
    d.hStep = (w - kGap) / 2;
    d.page.cx = (w - across * kGap - kGap) / across;
    d.page.cy = client.cy - 2 * kGap;
    return d;
}

Box SlotRect(Size scaled, const Display& display, int slot, int pagesAcross, int zoomState)
{
    Box r{kGap, kGap, scaled.cx + kGap + kShadow, scaled.cy + kGap + kShadow};
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
    b.max = lastPage - pagesShown + 1;
    if (b.max < b.min)
        b.max = b.min;
    return b;
}

int PageAfterWheel(int delta, int current, int lastPage, int pagesShown)
{
    if (delta > 0 && current > 1)
        return current - 1;
    if (delta < 0 && current < lastPage - pagesShown + 1)
        return current + 1;
    return 0;
}

int PageAfterScroll(int code, int thumb, int current, int firstPage, int lastPage, int pagesShown)
{
    const int step = (lastPage - firstPage + 9) / 10;
    switch (code) {
    case 0:  // line up
        return current - 1;
    case 1:  // line down
        return current <= lastPage - pagesShown ? current + 1 : 0;
    case 2:  // page up
        return current - step < firstPage ? firstPage : current - step;
    case 3:  // page down
        return current + step;
    case 4:  // thumb position
        return thumb;
    case 6:  // top
        return firstPage;
    case 7:  // bottom
        return lastPage;
    default:  // thumb track and anything else
        return 0;
    }
}

int ClampPage(int page, int firstPage, int lastPage)
{
    return page < firstPage ? firstPage : page > lastPage ? lastPage : page;
}

int ClampScroll(int position, int total, int view)
{
    const int max = total > view ? total - view : 0;
    return position < 0 ? 0 : position > max ? max : position;
}

}  // namespace PreviewMath
