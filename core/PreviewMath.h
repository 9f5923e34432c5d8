// Print preview geometry and paging rules, free of any window: zoom ratios, the space
// a page gets, where each page slot goes, and what the wheel and the scroll bar do
// while whole pages are shown.
#pragma once

namespace PreviewMath {

struct Ratio {
    int num = 1, den = 1;
};
struct Size {
    int cx = 0, cy = 0;
};
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
};

constexpr int kZoomStates = 6;       // 0 fits whole pages, 5 is four times the paper
constexpr int kMaxZoom = kZoomStates - 1;
constexpr int kGap = 8;              // pixels around and between pages
constexpr int kShadow = 3;           // the page's frame and shadow beyond its paper

// The room round the pages on the screen at a display scale: the gap round and between
// pages, the width of the paper's frame line and of its shadow. At 96 DPI the gap is
// kGap and the frame with its shadow kShadow: a line each side and the shadow's line.
struct Spacing {
    int gap = kGap;
    int line = 1;
    // The frame's two lines and the shadow beyond the paper.
    int Edge() const { return 3 * line; }
};
Spacing SpacingForDpi(int dpi);

// a × num ÷ den rounded to the nearest integer (halves away from zero); -1 when den is 0
// or the result does not fit, as the system's MulDiv.
int MulDiv(int a, int num, int den);

// The largest ratio at which a page fits the display size.
Ratio FitRatio(Size display, Size page);
// Scale of a page at a zoom state, from its fit ratio z.
Ratio ZoomRatio(int state, Ratio z);
// State after a click on a page: one step in, and from the closest back to the fit.
int ZoomAfterClick(int state);

// Room for one page. The client size is the size without scroll bars; while whole pages
// are shown and the report has more than one page, the vertical bar takes its width.
struct Display {
    Size page;       // space for one page
    int hStep = 0;   // from one slot to the next on its right
    Spacing spacing;
};
Display DisplayFor(Size client, int vBarWidth, int zoomState, int firstPage, int lastPage, int pagesAcross,
                   const Spacing& spacing = Spacing());

// The rectangle of slot k for a page of `scaled` pixels: centred in its share of the
// window while zoomed out, at the top left of the scrolled area otherwise (the display's
// spacing apart from the window's edges and from each other).
Box SlotRect(Size scaled, const Display& display, int slot, int pagesAcross, int zoomState);

// Page range of the vertical bar while zoomed out: first … last − pagesShown + 1.
struct BarRange {
    bool shown = false;
    int min = 0, max = 0;
};
BarRange PageBarRange(int firstPage, int lastPage, int pagesShown);

// Paging while whole pages are shown: the screen shows pagesShown pages from the
// current one, so the last screen starts at last − pagesShown + 1 (never before the
// first page). Every result below stays within first … that page, and equals
// `current` when the request changes nothing.
int LastScreenPage(int firstPage, int lastPage, int pagesShown);
// The current page kept within first … the first page of the last screen.
int ClampPage(int page, int firstPage, int lastPage, int pagesShown = 1);
// A wheel turn: one page back for a positive delta, one page on for a negative one.
int PageAfterWheel(int delta, int current, int firstPage, int lastPage, int pagesShown);
// A request of the vertical bar. Codes as the system numbers them (line up 0 …
// bottom 7); thumb tracking changes nothing until the thumb is let go.
int PageAfterScroll(int code, int thumb, int current, int firstPage, int lastPage, int pagesShown);
// The bar's request a key stands for: up and down a line, page up and down, home to
// the top, end to the bottom; -1 for any other key. Key codes as the system's.
int ScrollCodeForKey(int virtualKey);

// A scroll position kept within 0 … total − view (0 when the view is larger).
int ClampScroll(int position, int total, int view);

}  // namespace PreviewMath
