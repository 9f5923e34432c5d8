// Page layout of the printed report, free of any device: the header band and its three
// cells, lines per page, page count and the lines of a page. All sizes are logical units
// of the page (hundredths of a millimetre of paper when printing).
#pragma once

#include <string>

namespace ReportMath {

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The body font's size in points for the view's font size: a negative size is a
// character height taken as points, 0 means 10.
int BodyPoints(int viewFontSize);
// The body font's size in points for a page whose text area is `textHeight` units
// (hundredths of a millimetre) tall: a font taller than that area shows no more of a
// line than one just as tall, so larger sizes come down to that; at least 1.
int PagePoints(int points, int textHeight);
// Distance between report lines for a measured text height.
int LineHeight(int measuredHeight);
// Whole lines that fit a height, and never less than one: a line taller than the
// page still gets a page of its own, clipped at the page's bottom.
int LinesPerPage(int height, int lineHeight);
// The box of the row-th line (0-based) of a page's body: lineHeight tall, cut at the
// bottom of the body.
Box LineBox(const Box& body, int row, int lineHeight);
// Pages for lineCount lines at linesPerPage a page; never less than 1.
int CountPages(int lineCount, int linesPerPage);

// The lines page `page` (1-based) shows: indices first … first + count − 1.
struct PageLines {
    int first = 0;
    int count = 0;
};
PageLines LinesOfPage(int page, int linesPerPage, int lineCount);

// Header band laid out from the full text area and the header font's text height: the
// band (its bottom is the rule), the body area under it after a gap of one text
// height, and the left, centre and right cells (a quarter, a half and a quarter).
struct Header {
    Box band, body, left, centre, right;
};
Header LayoutHeader(const Box& full, int textHeight);

// Paper inset by the margins.
Box TextArea(const Box& paper, int marginLeft, int marginTop, int marginRight, int marginBottom);

// What the printer dialog asks to print: every page, the pages From to To as typed, or
// the marked lines alone (a report of their own).
struct PrintRange {
    enum Kind { All, Pages, Selection };
    Kind kind = All;
    int from = 1, to = 1;
};
// Pages first … last of a report; none when last < first.
struct PageSpan {
    int first = 1, last = 0;
    int Count() const { return last >= first ? last - first + 1 : 0; }
};
// The pages of a report of `pageCount` pages that a range prints: every page for All and
// for Selection; for Pages those from From to To, taken the other way round when From is
// the greater, a To beyond the last page coming down to it and a From below 1 up to 1.
// None when the range lies wholly beyond the last page (or below the first).
PageSpan PagesToPrint(const PrintRange& range, int pageCount);

// "<prefix><page>/<last>", as "Pag. 2/5".
std::string PageLabel(const std::string& prefix, int page, int lastPage);

}  // namespace ReportMath
