#include "TextPage.h"

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "TagWord.h"
#include "TextLine.h"
#include "TextWord.h"
#include "page_writer.h"
#include "rtf_int.h"
#include "section_writer.h"
#include "tk_log.h"
#include "vlx_conv.h"
#include "vlx_sort.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vlx {

namespace {

// Ends the open paragraph once.
void closeParagraph(TextPage& page, FILE* out)
{
    if (!page.paragraphClosed) {
        std::fprintf(out, "%s\n", "\\par");
        page.paragraphClosed = true;
    }
}

// The widest word of the cell's own lines, in twips.
int longestWord(const RegionCell* cell)
{
    int widest = 0;
    for (const TextLine* line : cell->lines)
        for (const TextWord* w = line->words; w; w = w->next)
            widest = std::max(widest, rtf_twips(w->xMax - w->xMin));
    return widest;
}

// Column widths and gaps in twips, and the edges each column's text is written between.
struct ColumnFit {
    std::vector<int> widths, gaps;
    std::vector<double> left, right;
    bool single = false; // the columns cannot be fitted: one column, the cells in order
};

// Overlapping cells give widths that add up to more than the text width, and readers then squeeze
// every column while its paragraphs keep their indents: a letter a line. The excess is taken
// where no text stands, from the gaps and from the outer margins of the first and last cells;
// what is left over, or a column narrower than its widest word, makes the section one column.
ColumnFit fitColumns(const PageRegion* region, double left, double right)
{
    const int count = region->cellCount;
    ColumnFit fit;
    // Cells may overlap; readers hide the text of a section with a negative width or gap.
    auto twips = [](double points) { return std::max(0, rtf_twips(points)); };
    int total = 0;
    for (int i = 0; i < count; ++i) {
        fit.left.push_back(i == 0 ? left : region->cells[i]->xMin);
        fit.right.push_back(i == count - 1 ? right : region->cells[i]->xMax);
        fit.widths.push_back(twips(fit.right[i] - fit.left[i]));
        if (i + 1 < count)
            fit.gaps.push_back(twips(region->cells[i + 1]->xMin - region->cells[i]->xMax));
        total += fit.widths[i] + (i + 1 < count ? fit.gaps[i] : 0);
    }
    int excess = total - twips(right - left);
    if (excess <= 0)
        return fit;
    auto take = [&](int& from) {
        int t = std::min(from, excess);
        from -= t;
        excess -= t;
        return t;
    };
    for (int& gap : fit.gaps)
        take(gap);
    int lastSlack = twips(right - region->cells[count - 1]->xMax);
    int taken = take(lastSlack);
    fit.widths[count - 1] -= taken;
    fit.right[count - 1] -= taken / 20.0;
    int firstSlack = twips(region->cells[0]->xMin - left);
    taken = take(firstSlack);
    fit.widths[0] -= taken;
    fit.left[0] += taken / 20.0;
    fit.single = excess > 0;
    for (int i = 0; i < count && !fit.single; ++i)
        fit.single = fit.widths[i] < longestWord(region->cells[i]);
    return fit;
}

void writeColumns(TextPage& page, FILE* out, TextOutputFunc outputFunc, PageRegion* region, double top,
                  double left, double right, const TagWord& tagWord, const ColorList& colors, bool noCrlf)
{
    int count = region->cellCount;
    // Nested regions are never columns, so this is the page's own region.
    const bool endsPage = page.lastRegion;
    ColumnFit fit = fitColumns(region, left, right);
    if (fit.single) {
        fit.left.assign(static_cast<size_t>(count), left);
        fit.right.assign(static_cast<size_t>(count), right);
    } else {
        if ((region->kind != 0 || region->nested != 0) && !page.sectionFresh) {
            std::fputs("\\sect", out);
            std::fprintf(out, "%s\\sbknone", "\\sectd");
            page.sectionFresh = true;
        }
        page.paragraphClosed = true;
        std::fprintf(out, "\\cols%d", count);
        for (int i = 0; i < count; ++i) {
            std::fprintf(out, "\\colno%d\\colw%d", i + 1, fit.widths[i]);
            if (i + 1 < count)
                std::fprintf(out, "\\colsr%d", fit.gaps[i]);
        }
        std::fputs("\n", out);
    }

    for (int c = 0; c < count; ++c) {
        RegionCell* cell = region->cells[c];
        double le = fit.left[c], re = fit.right[c];
        bool interleave = region->nested == 0 && !cell->nestedRegions.empty();
        size_t nestIdx = 0;
        size_t nestCount = interleave ? cell->nestedRegions.size() : 0;
        double bound = nestCount ? cell->nestedRegions[0]->yMin : cell->yMax;
        // One column: a later cell follows the one before it instead of starting at the top.
        double runTop = fit.single && c > 0 ? cell->yMin : std::min(top, cell->yMin);
        size_t lineIdx = 0;
        while (lineIdx < cell->lines.size() || nestIdx < nestCount) {
            // Once no nested region is left, every remaining line belongs to this pass, even
            // one whose baseline lies below the cell's box.
            double limit = nestIdx < nestCount ? bound : std::numeric_limits<double>::infinity();
            std::vector<TextLine*> taken;
            while (lineIdx < cell->lines.size() && cell->lines[lineIdx]->base <= limit)
                taken.push_back(cell->lines[lineIdx++]);
            if (!taken.empty()) {
                vlx_sort(taken, TextLine::cmpYX);
                page.writeParagraphs(out, outputFunc, runTop, le, cell->xMin, re, tagWord, colors, taken.data(),
                                     static_cast<int>(taken.size()), noCrlf, false);
                runTop = taken.back()->yMax;
            }
            if (nestIdx < nestCount && (cell->yMax > bound - 0.1 || taken.empty())) {
                PageRegion* nested = cell->nestedRegions[nestIdx];
                closeParagraph(page, out);
                page.writeSection(out, outputFunc, nested, runTop, le, re, tagWord, colors);
                runTop = nested->yMax;
                ++nestIdx;
                bound = nestIdx < nestCount ? cell->nestedRegions[nestIdx]->yMin : cell->yMax;
            }
        }
        if (c + 1 < count && !fit.single) {
            closeParagraph(page, out);
            std::fputs("\\column\n", out);
        }
    }
    if (count > 1 && !fit.single) {
        closeParagraph(page, out);
        // Nothing of the page follows: the page's own section break ends the columns. A
        // continuous break here would leave an empty section, which readers push onto a page
        // of its own when the columns fill the page.
        if (!page.sectionFresh && !endsPage) {
            std::fprintf(out, "%s%s\\sbknone", "\\sect", "\\sectd");
            page.sectionFresh = true;
        }
    }
}

} // namespace

void TextPage::writeSection(FILE* out, TextOutputFunc outputFunc, PageRegion* region, double top, double left,
                            double right, TagWord tagWord, ColorList colors)
{
    tk_log(1, "TextPage::writeSection(kind=%d,top=%g,left=%g,right=%g)", region->kind, top, left, right);
    bool noCrlf = vellix_convertor::instance().no_crlf_mode;
    if (region->cellCount <= 0)
        return;
    if (region->kind != 0)
        closeParagraph(*this, out);
    double d = getRegionLayout(region);
    if (d == 0) {
        writeColumns(*this, out, outputFunc, region, top, left, right, tagWord, colors, noCrlf);
        return;
    }
    int n = truncInt(d);
    bool table = std::fabs(d - n - 0.4) < 0.01;

    std::vector<TextLine*> lines;
    for (int c = 0; c < region->cellCount; ++c) {
        for (TextLine* line : region->cells[c]->lines) {
            line->cellIndex = c;
            lines.push_back(line);
        }
    }
    vlx_sort(lines, TextLine::cmpYX);
    if (!table) {
        writeParagraphs(out, outputFunc, top, left, region->xMin, right, tagWord, colors, lines.data(),
                        static_cast<int>(lines.size()), noCrlf, false);
        return;
    }
    section_writer::writeTable(*this, out, outputFunc, region, lines, top, left, tagWord, colors, noCrlf);
}

} // namespace vlx
