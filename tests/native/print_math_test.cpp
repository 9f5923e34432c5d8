// Report pagination and header layout; preview zoom, slots and paging.
#include "fw/PreviewMath.h"
#include "print/ReportMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

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
            if (p < pages)
                EXPECT_EQ(lines.count, L);
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
    EXPECT_EQ(ReportMath::LinesPerPage(1000, 0), 0);
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

TEST(PreviewMath, PagingByWheelAndBarStopsAtTheEnds)
{
    // Two pages shown of 9: the bar's range ends at 8; line down stops once page 9 shows.
    const PreviewMath::BarRange range = PreviewMath::PageBarRange(1, 9, 2);
    EXPECT_TRUE(range.shown);
    EXPECT_EQ(range.max, 8);
    EXPECT_FALSE(PreviewMath::PageBarRange(1, 0xFFFF, 1).shown);
    EXPECT_EQ(PreviewMath::PageAfterScroll(1, 0, 7, 1, 9, 2), 8);
    EXPECT_EQ(PreviewMath::PageAfterScroll(1, 0, 8, 1, 9, 2), 0);
    EXPECT_EQ(PreviewMath::PageAfterScroll(6, 0, 5, 1, 9, 2), 1);
    EXPECT_EQ(PreviewMath::PageAfterScroll(7, 0, 5, 1, 9, 2), 9);
    EXPECT_EQ(PreviewMath::PageAfterScroll(4, 6, 5, 1, 9, 2), 6);
    EXPECT_EQ(PreviewMath::PageAfterScroll(5, 6, 5, 1, 9, 2), 0);
    // Page up from 2 with a step of 3 (25 pages) goes to 1; page down adds the step.
    EXPECT_EQ(PreviewMath::PageAfterScroll(2, 0, 2, 1, 25, 1), 1);
    EXPECT_EQ(PreviewMath::PageAfterScroll(3, 0, 2, 1, 25, 1), 5);

    // Wheel: up at the first page and down at the last position do nothing.
    EXPECT_EQ(PreviewMath::PageAfterWheel(120, 1, 9, 1), 0);
    EXPECT_EQ(PreviewMath::PageAfterWheel(120, 4, 9, 1), 3);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 4, 9, 1), 5);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 9, 9, 1), 0);
    EXPECT_EQ(PreviewMath::PageAfterWheel(-120, 8, 9, 2), 0);
    EXPECT_EQ(PreviewMath::PageAfterWheel(0, 4, 9, 1), 0);

    EXPECT_EQ(PreviewMath::ClampPage(12, 1, 9), 9);
    EXPECT_EQ(PreviewMath::ClampScroll(-5, 4000, 900), 0);
    EXPECT_EQ(PreviewMath::ClampScroll(5000, 4000, 900), 3100);
    EXPECT_EQ(PreviewMath::ClampScroll(50, 400, 900), 0);
}
