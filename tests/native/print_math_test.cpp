// Report pagination and header layout; preview zoom, slots and paging.
#include "core/PreviewMath.h"
#include "core/ReportMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {
constexpr int kNotch = 120;  // one notch of the wheel
}  // namespace

TEST(ReportMath, PagesAndTheLinesOfEachPage)
{
    const int L = 57;
    struct Case {
        int lines, pages;
    } cases[] = {{0, 1}, {1, 1}, {L, 1}, {L + 1, 2}, {2 * L, 2}, {2 * L + 1, 3}, {100000, 1755}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        const int pages = ReportMath::CountPages(c.lines, L);
        EXPECT_EQ(pages, c.pages);
        // Every line lands on exactly one page, in order; only the last page is short.
        int next = 0;
        for (int p = 1; p <= pages; ++p) {
            const ReportMath::PageLines lines = ReportMath::LinesOfPage(p, L, c.lines);
            EXPECT_EQ(lines.first, next);
            if (p < pages) {
                EXPECT_EQ(lines.count, L);
            }
            next += lines.count;
        }
        EXPECT_EQ(next, c.lines);
        EXPECT_EQ(ReportMath::LinesOfPage(pages + 1, L, c.lines).count, 0);
    }
    // An area too small for one line still gives one page, and nothing overflows.
    EXPECT_EQ(ReportMath::CountPages(500, 0), 1);
    EXPECT_EQ(ReportMath::CountPages(INT_MAX, 1), INT_MAX);
    EXPECT_EQ(ReportMath::LinesOfPage(INT_MAX, INT_MAX, INT_MAX).count, 0);
    EXPECT_EQ(ReportMath::LinesPerPage(27700 - 1000, 462), 57);
    // A line taller than the page, or no room at all, still gets a page of its own.
    EXPECT_EQ(ReportMath::LinesPerPage(1000, 0), 1);
    EXPECT_EQ(ReportMath::LinesPerPage(26700, 26701), 1);
    EXPECT_EQ(ReportMath::LinesPerPage(-40, 16), 1);
}

// Every line of a report lands on exactly one page, in order, in a box of its own
// inside the page's body, whatever the font size: from the smallest to sizes far
// taller than the page (those print one line a page, cut at the bottom).
TEST(ReportMath, EveryLinePrintsAtEveryFontSize)
{
    const ReportMath::Box body{1000, 1835, 19990, 28700};  // A4 under the header
    const int textHeight = 28700 - 1000;
    const int lineCount = 37;
    struct Case {
        int viewSize;       // the view's font size setting
        int measuredExtra;  // how the measured cell height differs from the em height
    } cases[] = {{INT_MAX, 13}, {INT_MIN, 0}, {INT_MIN + 1, 2}, {1, 1}, {-1, 0}, {0, 3}, {10, 2}, {-2667, 5},
                 {784, 9}, {785, 0}, {790, 11}, {100000, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewSize);
        const int points = ReportMath::PagePoints(ReportMath::BodyPoints(c.viewSize), textHeight);
        ASSERT_GE(points, 1);
        // No font is made taller than about the text area (one point of slack).
        EXPECT_LE(static_cast<long long>(points) * 2540 / 72, textHeight + 2540 / 72);
        const int emHeight = static_cast<int>(static_cast<long long>(points) * 2540 / 72);
        const int lineHeight = ReportMath::LineHeight(emHeight + emHeight / 8 + c.measuredExtra);
        const int perPage = ReportMath::LinesPerPage(body.bottom - body.top, lineHeight);
        const int pages = ReportMath::CountPages(lineCount, perPage);
        int next = 0;
        for (int page = 1; page <= pages; ++page) {
            const ReportMath::PageLines lines = ReportMath::LinesOfPage(page, perPage, lineCount);
            ASSERT_GE(lines.count, 1) << "page " << page << " prints no line";
            EXPECT_EQ(lines.first, next);
            for (int row = 0; row < lines.count; ++row) {
                const ReportMath::Box box = ReportMath::LineBox(body, row, lineHeight);
                EXPECT_LT(box.top, box.bottom) << "line " << lines.first + row << " has no room";
                EXPECT_GE(box.top, body.top);
                EXPECT_LE(box.bottom, body.bottom);
            }
            next += lines.count;
        }
        EXPECT_EQ(next, lineCount);
    }
    // Sizes that fit are kept as they are.
    EXPECT_EQ(ReportMath::PagePoints(10, textHeight), 10);
    EXPECT_EQ(ReportMath::PagePoints(1, textHeight), 1);
    EXPECT_EQ(ReportMath::PagePoints(700, textHeight), 700);
    EXPECT_EQ(ReportMath::PagePoints(INT_MAX, textHeight), 786);  // 27700 units are 785.2 points
    EXPECT_EQ(ReportMath::PagePoints(INT_MAX, 0), 1);

    // Rows follow each other; the row that runs past the bottom is cut there.
    const ReportMath::Box second = ReportMath::LineBox({0, 100, 500, 1000}, 1, 400);
    EXPECT_EQ(second.top, 500);
    EXPECT_EQ(second.bottom, 900);
    const ReportMath::Box cut = ReportMath::LineBox({0, 100, 500, 1000}, 2, 400);
    EXPECT_EQ(cut.top, 900);
    EXPECT_EQ(cut.bottom, 1000);
    const ReportMath::Box tall = ReportMath::LineBox({0, 100, 500, 1000}, 0, INT_MAX);
    EXPECT_EQ(tall.top, 100);
    EXPECT_EQ(tall.bottom, 1000);
    const ReportMath::Box beyond = ReportMath::LineBox({0, 100, 500, 1000}, INT_MAX, INT_MAX);
    EXPECT_EQ(beyond.top, beyond.bottom);
}

TEST(ReportMath, FontSizesLineHeightAndPageLabel)
{
    EXPECT_EQ(ReportMath::BodyPoints(10), 10);
    EXPECT_EQ(ReportMath::BodyPoints(0), 10);
    EXPECT_EQ(ReportMath::BodyPoints(-13), 13);
    EXPECT_EQ(ReportMath::BodyPoints(INT_MIN), INT_MAX);
    EXPECT_EQ(ReportMath::LineHeight(423), 429);
    EXPECT_EQ(ReportMath::LineHeight(0), 16);
    EXPECT_EQ(ReportMath::LineHeight(INT_MAX), 16);
    EXPECT_EQ(ReportMath::PageLabel("Pag. ", 3, 12), "Pag. 3/12");
    // The prefix is text, never a format.
    EXPECT_EQ(ReportMath::PageLabel("%s%n ", 1, 1), "%s%n 1/1");
}

// The pages a range of the printer dialog prints of a report: From and To as typed, in
// either order, cut to the report's pages; a range beyond the last page prints nothing.
TEST(ReportMath, PagesToPrintFromTheDialogsRange)
{
    using R = ReportMath::PrintRange;
    const struct {
        R::Kind kind;
        int from, to, pages;
        int first, last;  // last < first: no page
    } rows[] = {
        {R::All, 4, 2, 10, 1, 10},           // From and To play no part
        {R::Selection, 3, 5, 1, 1, 1},       // the marked lines' own report
        {R::Pages, 3, 5, 10, 3, 5},
        {R::Pages, 7, 7, 1450, 7, 7},
        {R::Pages, 1448, 1451, 1450, 1448, 1450},  // To beyond the last page
        {R::Pages, 8, 65535, 12, 8, 12},
        {R::Pages, 9, 4, 10, 4, 9},           // From > To: the pages between them
        {R::Pages, 14, 6, 10, 6, 10},
        {R::Pages, 10, 10, 10, 10, 10},       // the last page alone
        {R::Pages, 11, 11, 10, 11, 10},       // just beyond: nothing
        {R::Pages, 12, 30, 10, 12, 10},
        {R::Pages, 0, 2, 5, 1, 2},            // From below 1
        {R::Pages, 0, 0, 5, 1, 0},
        {R::Pages, -3, -1, 5, 1, -1},
        {R::Pages, 1, 65535, 700000, 1, 65535},  // the dialog's 16 bits, not the report's
        {R::Pages, INT_MAX, INT_MIN, 6, 1, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + "-" + std::to_string(row.to) + " of " + std::to_string(row.pages));
        const ReportMath::PageSpan span = ReportMath::PagesToPrint({row.kind, row.from, row.to}, row.pages);
        EXPECT_EQ(span.first, row.first);
        EXPECT_EQ(span.last, row.last);
        EXPECT_EQ(span.Count(), row.last >= row.first ? row.last - row.first + 1 : 0);
    }
    EXPECT_EQ(ReportMath::PageSpan{}.Count(), 0);
}

TEST(ReportMath, HeaderBandCellsAndBody)
{
    const ReportMath::Box paper{0, 0, 20990, 29700};
    const ReportMath::Box full = ReportMath::TextArea(paper, 1000, 1000, 1000, 1000);
    EXPECT_EQ(full.left, 1000);
    EXPECT_EQ(full.bottom, 28700);

    const ReportMath::Header h = ReportMath::LayoutHeader({0, 100, 1000, 5000}, 40);
    EXPECT_EQ(h.band.bottom, 145);  // the rule: text height + 5 under the top
    EXPECT_EQ(h.body.top, 185);     // one text height of gap under the rule
    EXPECT_EQ(h.body.bottom, 5000);
    EXPECT_EQ(h.left.left, 0);
    EXPECT_EQ(h.left.right, 250);
    EXPECT_EQ(h.centre.left, 250);
    EXPECT_EQ(h.centre.right, 750);
    EXPECT_EQ(h.right.left, 750);
    EXPECT_EQ(h.right.right, 1000);
    EXPECT_EQ(h.centre.top, 100);
    EXPECT_EQ(h.centre.bottom, 142);

    // Edges are cut to whole units one after the other: 0.25 × 1001 = 250.25 → 250,
    // 250 + 500.5 → 750, 750 + 250.25 → 1000.
    const ReportMath::Header odd = ReportMath::LayoutHeader({0, 0, 1001, 10}, 1);
    EXPECT_EQ(odd.centre.left, 250);
    EXPECT_EQ(odd.right.left, 750);
    EXPECT_EQ(odd.right.right, 1000);
}

TEST(PreviewMath, ZoomStatesFromTheFitRatio)
{
    using PreviewMath::Ratio;
    // An A4 page of 794 × 1123 screen pixels in a 1248 × 900 display: the height rules.
    const Ratio z = PreviewMath::FitRatio({1248, 900}, {794, 1123});
    EXPECT_EQ(z.num, 900);
    EXPECT_EQ(z.den, 1123);
    // A wide display but a narrow one: the width rules.
    const Ratio w = PreviewMath::FitRatio({300, 900}, {794, 1123});
    EXPECT_EQ(w.num, 300);
    EXPECT_EQ(w.den, 794);

    auto expect = [](Ratio r, int num, int den) {
        EXPECT_EQ(r.num, num);
        EXPECT_EQ(r.den, den);
    };
    // Paper larger than the display: halfway, physical size, then fixed ratios.
    expect(PreviewMath::ZoomRatio(0, z), 900, 1123);
    expect(PreviewMath::ZoomRatio(1, z), 1011, 1123);
    expect(PreviewMath::ZoomRatio(2, z), 1, 1);
    expect(PreviewMath::ZoomRatio(3, z), 15, 10);
    expect(PreviewMath::ZoomRatio(4, z), 25, 10);
    expect(PreviewMath::ZoomRatio(5, z), 4, 1);
    // Paper smaller than the display: 1.5 r − 0.5 and 2 r − 1.
    expect(PreviewMath::ZoomRatio(1, {3, 2}), 3, 2);
    expect(PreviewMath::ZoomRatio(2, {3, 2}), 4, 2);

    // Six clicks go round all states back to the fitted view.
    int state = 0;
    for (int i = 0; i < 6; ++i)
        state = PreviewMath::ZoomAfterClick(state);
    EXPECT_EQ(state, 0);

    EXPECT_EQ(PreviewMath::MulDiv(794, 900, 1123), 636);
    EXPECT_EQ(PreviewMath::MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(PreviewMath::MulDiv(5, 1, 0), -1);
    EXPECT_EQ(PreviewMath::MulDiv(INT_MAX, 4, 1), -1);
}

TEST(PreviewMath, SlotsOneAndTwoPages)
{
    // One page report: the bar takes no width, the page is centred in the window.
    PreviewMath::Display one = PreviewMath::DisplayFor({1280, 950}, 16, 0, 1, 1, 1);
    EXPECT_EQ(one.page.cx, 1264);
    EXPECT_EQ(one.page.cy, 934);
    PreviewMath::Box r = PreviewMath::SlotRect({660, 934}, one, 0, 1, 0);
    EXPECT_EQ(r.right - r.left, 663);
    EXPECT_LE(std::abs((r.left + r.right) - 1280), 4);
    EXPECT_EQ(r.top, 8 + (934 - 937) / 2 - 1);

    // Several pages: the bar takes its width; two pages sit side by side without overlap.
    PreviewMath::Display two = PreviewMath::DisplayFor({1280, 950}, 16, 0, 1, 9, 2);
    EXPECT_EQ(two.page.cx, (1264 - 24) / 2);
    EXPECT_EQ(two.hStep, (1264 - 8) / 2);
    const PreviewMath::Box a = PreviewMath::SlotRect({400, 566}, two, 0, 2, 0);
    const PreviewMath::Box b = PreviewMath::SlotRect({400, 566}, two, 1, 2, 0);
    EXPECT_EQ(b.left - a.left, two.hStep);
    EXPECT_LT(a.right, b.left);
    EXPECT_LE(b.right, 1264);
    EXPECT_EQ(a.top, b.top);

    // Zoomed: the page starts at the gap and the bar is not subtracted.
    EXPECT_EQ(PreviewMath::DisplayFor({1280, 950}, 16, 3, 1, 9, 1).page.cx, 1264);
    const PreviewMath::Box z = PreviewMath::SlotRect({3000, 4000}, two, 0, 2, 3);
    EXPECT_EQ(z.left, 8);
    EXPECT_EQ(z.bottom, 4011);
}

TEST(PreviewMath, TheRoomRoundPagesGrowsWithTheDisplayScale)
{
    // 100 % keeps the classic spacing; at 150 % a gap of 12 and lines of 2.
    EXPECT_EQ(PreviewMath::SpacingForDpi(96).gap, PreviewMath::kGap);
    EXPECT_EQ(PreviewMath::SpacingForDpi(96).Edge(), PreviewMath::kShadow);
    EXPECT_EQ(PreviewMath::SpacingForDpi(120).line, 1);
    const PreviewMath::Spacing s = PreviewMath::SpacingForDpi(144);
    const PreviewMath::Display two = PreviewMath::DisplayFor({1920, 1403}, 25, 0, 1, 7, 2, s);
    EXPECT_EQ(two.page.cx, (1895 - 36) / 2);
    EXPECT_EQ(two.page.cy, 1403 - 24);
    EXPECT_EQ(two.hStep, (1895 - 12) / 2);
    const PreviewMath::Box z = PreviewMath::SlotRect({3001, 4003}, two, 0, 2, 4);
    EXPECT_EQ(z.left, 12);
    EXPECT_EQ(z.top, 12);
    EXPECT_EQ(z.right, 3001 + 12 + 6);
    EXPECT_EQ(z.bottom, 4003 + 12 + 6);
}

TEST(PreviewMath, PagingByWheelAndBarStopsAtTheEnds)
{
    // Two pages shown of 9: the bar's range ends at 8; line down stops once page 9 shows.
    const PreviewMath::BarRange range = PreviewMath::PageBarRange(1, 9, 2);
    EXPECT_TRUE(range.shown);
    EXPECT_EQ(range.max, 8);
    EXPECT_FALSE(PreviewMath::PageBarRange(1, 0xFFFF, 1).shown);
    EXPECT_EQ(PreviewMath::PageAfterScroll(1, 0, 7, 1, 9, 2), 8);
    EXPECT_EQ(PreviewMath::PageAfterScroll(1, 0, 8, 1, 9, 2), 8);
    EXPECT_EQ(PreviewMath::PageAfterScroll(6, 0, 5, 1, 9, 2), 1);
    EXPECT_EQ(PreviewMath::PageAfterScroll(7, 0, 5, 1, 9, 2), 8);
    EXPECT_EQ(PreviewMath::PageAfterScroll(4, 6, 5, 1, 9, 2), 6);
    EXPECT_EQ(PreviewMath::PageAfterScroll(5, 6, 5, 1, 9, 2), 5);
    // Page up from 2 with a step of 3 (25 pages) goes to 1; page down adds the step.
    EXPECT_EQ(PreviewMath::PageAfterScroll(2, 0, 2, 1, 25, 1), 1);
    EXPECT_EQ(PreviewMath::PageAfterScroll(3, 0, 2, 1, 25, 1), 5);

    // Wheel: up at the first page and down at the last position do nothing.
    EXPECT_EQ(PreviewMath::PageAfterWheel(120, 1, 1, 9, 1), 1);
    EXPECT_EQ(PreviewMath::PageAfterWheel(120, 4, 1, 9, 1), 3);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 4, 1, 9, 1), 5);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 9, 1, 9, 1), 9);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 8, 1, 9, 2), 8);
    EXPECT_EQ(PreviewMath::PageAfterWheel(0, 4, 1, 9, 1), 4);

    EXPECT_EQ(PreviewMath::ClampPage(12, 1, 9), 9);
    EXPECT_EQ(PreviewMath::ClampScroll(-5, 4000, 900), 0);
    EXPECT_EQ(PreviewMath::ClampScroll(5000, 4000, 900), 3100);
    EXPECT_EQ(PreviewMath::ClampScroll(50, 400, 900), 0);
}

// 25 pages, one and two shown: every way of paging stops at both ends, and the last
// screen always shows the last pages (24 and 25 side by side, never 25 beside an
// empty slot); nothing goes before page 1.
TEST(PreviewMath, PagingEndCasesForEveryInput)
{
    enum { LineUp, LineDown, PageUp, PageDown, Thumb, Track, Top, Bottom };
    const int first = 1, last = 25;
    for (int shown = 1; shown <= 2; ++shown) {
        SCOPED_TRACE(shown);
        const int end = last - shown + 1;  // the first page of the last screen
        EXPECT_EQ(PreviewMath::LastScreenPage(first, last, shown), end);
        EXPECT_EQ(PreviewMath::PageBarRange(first, last, shown).max, end);

        auto scroll = [&](int code, int current, int thumb = 0) {
            return PreviewMath::PageAfterScroll(code, thumb, current, first, last, shown);
        };
        auto wheel = [&](int delta, int current) {
            return PreviewMath::PageAfterWheel(delta, current, first, last, shown);
        };
        auto key = [&](int vk, int current) { return scroll(PreviewMath::ScrollCodeForKey(vk), current); };
        // Forty steps of one input from a page: more than enough to reach either end.
        auto forty = [](const auto& step, int page) {
            for (int i = 0; i < 40; ++i)
                page = step(page);
            return page;
        };

        // Towards the end, from the start: each way stops on the last screen.
        EXPECT_EQ(forty([&](int p) { return scroll(LineDown, p); }, first), end);
        EXPECT_EQ(forty([&](int p) { return scroll(PageDown, p); }, first), end);
        EXPECT_EQ(forty([&](int p) { return wheel(-kNotch, p); }, first), end);
        EXPECT_EQ(forty([&](int p) { return key(0x22 /* page down */, p); }, first), end);
        EXPECT_EQ(scroll(Bottom, 3), end);
        EXPECT_EQ(key(0x23 /* end */, 3), end);
        EXPECT_EQ(scroll(Thumb, 3, last), end);
        EXPECT_EQ(scroll(Thumb, 3, 0xFFFF), end);
        EXPECT_EQ(scroll(PageDown, 22), end);  // a step of 3 past the end stops there
        EXPECT_EQ(scroll(LineDown, end), end);
        EXPECT_EQ(key(0x28 /* down */, end), end);
        EXPECT_EQ(wheel(-kNotch, end), end);
        // From the last page itself (a report that got shorter, say) it comes back.
        EXPECT_EQ(wheel(-kNotch, last), end);
        EXPECT_EQ(scroll(LineDown, last), end);
        // Back one step from the last screen.
        EXPECT_EQ(wheel(kNotch, end), end - 1);
        EXPECT_EQ(scroll(LineUp, end), end - 1);
        EXPECT_EQ(key(0x26 /* up */, end), end - 1);
        EXPECT_EQ(scroll(PageUp, end), end - 3);

        // Towards the start: no step goes before page 1.
        EXPECT_EQ(forty([&](int p) { return scroll(LineUp, p); }, end), first);
        EXPECT_EQ(forty([&](int p) { return scroll(PageUp, p); }, end), first);
        EXPECT_EQ(forty([&](int p) { return wheel(kNotch, p); }, end), first);
        EXPECT_EQ(forty([&](int p) { return key(0x21 /* page up */, p); }, end), first);
        EXPECT_EQ(scroll(Top, 17), first);
        EXPECT_EQ(key(0x24 /* home */, 17), first);
        EXPECT_EQ(scroll(Thumb, 17, 0), first);
        EXPECT_EQ(scroll(PageUp, 3), first);
        EXPECT_EQ(wheel(kNotch, first), first);
        EXPECT_EQ(wheel(kNotch * 4, 2), first);  // one page a message, however far
        EXPECT_EQ(scroll(LineUp, first), first);
        // Forward one step from the start.
        EXPECT_EQ(wheel(-kNotch, first), first + 1);
        EXPECT_EQ(scroll(LineDown, first), first + 1);
        EXPECT_EQ(scroll(PageDown, first), first + 3);

        // Thumb tracking, no wheel movement and keys of no meaning change nothing.
        EXPECT_EQ(scroll(Track, 9, 20), 9);
        EXPECT_EQ(wheel(0, 9), 9);
        EXPECT_EQ(PreviewMath::ScrollCodeForKey(0x41 /* A */), -1);
        EXPECT_EQ(scroll(Thumb, 9, 20), 20 < end ? 20 : end);

        // Whatever the page and the request, the result is a page of a full screen.
        for (int current = first; current <= last; ++current)
            for (int code = LineUp; code <= Bottom; ++code) {
                const int to = scroll(code, current, current * 3);
                EXPECT_GE(to, first);
                EXPECT_LE(to, end);
            }
    }
    // A one-page report in the two-page layout stays on page 1.
    EXPECT_EQ(PreviewMath::PageAfterScroll(7, 0, 1, 1, 1, 2), 1);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 1, 1, 1, 2), 1);
    EXPECT_EQ(PreviewMath::ClampPage(25, 1, 25, 2), 24);
}
