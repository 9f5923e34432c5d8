// Report page layout.
#include "core/ReportMath.h"

#include <climits>
#include <cstdint>

namespace ReportMath {

int BodyPoints(int size)
{
    if (size < 0)
        return size == INT_MIN ? INT_MAX : -size;
    return size > 0 ? size : 10;
}

int PagePoints(int points, int textHeight)
{
    // 72 points to the inch of 2540 hundredths of a millimetre; one point more so that
    // the font is never the smaller of the two.
    const int64_t pagePoints = textHeight > 0 ? static_cast<int64_t>(textHeight) * 72 / 2540 + 1 : 1;
    if (points < 1)
        return 1;
    return points < pagePoints ? points : static_cast<int>(pagePoints);
}

int LineHeight(int measuredHeight)
{
    return measuredHeight >= 1 && measuredHeight <= INT_MAX - 6 ? measuredHeight + 6 : 16;
}

int LinesPerPage(int height, int lineHeight)
{
    const int lines = lineHeight > 0 && height > 0 ? height / lineHeight : 0;
    return lines > 1 ? lines : 1;
}

Box LineBox(const Box& body, int row, int lineHeight)
{
    const int64_t step = lineHeight > 0 ? lineHeight : 0;
    const int64_t top = body.top + static_cast<int64_t>(row > 0 ? row : 0) * step;
    const int64_t bottom = top + step < body.bottom ? top + step : body.bottom;
    auto fit = [](int64_t v) { return static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v); };
    const int boxTop = fit(top);
    const int boxBottom = fit(bottom);
    return {body.left, boxTop, body.right, boxBottom > boxTop ? boxBottom : boxTop};
}

int CountPages(int lineCount, int linesPerPage)
{
    if (lineCount <= linesPerPage || linesPerPage < 1)
        return 1;
    return static_cast<int>((static_cast<int64_t>(lineCount) + linesPerPage - 1) / linesPerPage);
}

PageLines LinesOfPage(int page, int linesPerPage, int lineCount)
{
    PageLines lines;
    if (page < 1 || linesPerPage < 1)
        return lines;
    const int64_t first = static_cast<int64_t>(page - 1) * linesPerPage;
    if (first >= lineCount)
        return lines;
    lines.first = static_cast<int>(first);
    lines.count = lineCount - lines.first < linesPerPage ? lineCount - lines.first : linesPerPage;
    return lines;
}

Header LayoutHeader(const Box& full, int textHeight)
{
    Header h;
    h.band = full;
    h.band.bottom = full.top + textHeight + 5;
    h.body = full;
    h.body.top = h.band.bottom + textHeight;

    Box cell = h.band;
    cell.bottom = h.band.bottom - 3;
    // The cell edges are cut to whole units one after the other, as the printed header
    // has always placed them.
    const double width = static_cast<double>(h.band.right) - h.band.left;
    const int x1 = static_cast<int>(h.band.left + 0.25 * width);
    const int x2 = static_cast<int>(x1 + 0.5 * width);
    const int x3 = static_cast<int>(x2 + 0.25 * width);
    h.left = h.centre = h.right = cell;
    h.left.right = x1;
    h.centre.left = x1;
    h.centre.right = x2;
    h.right.left = x2;
    h.right.right = x3;
    return h;
}

Box TextArea(const Box& paper, int marginLeft, int marginTop, int marginRight, int marginBottom)
{
    return {paper.left + marginLeft, paper.top + marginTop, paper.right - marginRight,
            paper.bottom - marginBottom};
}

PageSpan PagesToPrint(const PrintRange& range, int pageCount)
{
    PageSpan span;
    span.last = pageCount;
    if (range.kind != PrintRange::Pages)
        return span;
    const int low = range.from < range.to ? range.from : range.to;
    const int high = range.from < range.to ? range.to : range.from;
    span.first = low > 1 ? low : 1;
    span.last = high < pageCount ? high : pageCount;
    return span;
}

std::string PageLabel(const std::string& prefix, int page, int lastPage)
{
    return prefix + std::to_string(page) + "/" + std::to_string(lastPage);
}

}  // namespace ReportMath
