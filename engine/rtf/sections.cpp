#include "TextPage.h"

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "TagWord.h"
#include "TextLine.h"
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

void writeColumns(TextPage& page, FILE* out, TextOutputFunc outputFunc, PageRegion* region, double top,
                  double left, double right, const TagWord& tagWord, const ColorList& colors, bool noCrlf)
{
    int count = region->cellCount;
    // Nested regions are never columns, so this is the page's own region.
    const bool endsPage = page.lastRegion;
    if ((region->kind != 0 || region->nested != 0) && !page.sectionFresh) {
        std::fputs("\\sect", out);
        std::fprintf(out, "%s\\sbknone", "\\sectd");
        page.sectionFresh = true;
    }
    page.paragraphClosed = true;
    std::fprintf(out, "\\cols%d", count);
    auto leftEdge = [&](int i) { return i == 0 ? left : region->cells[i]->xMin; };
    auto rightEdge = [&](int i) { return i == count - 1 ? right : region->cells[i]->xMax; };
    // Cells may overlap; readers hide the text of a section with a negative width or gap.
    auto twips = [](double points) { return std::max(0, rtf_twips(points)); };
    for (int i = 0; i < count; ++i) {
        std::fprintf(out, "\\colno%d\\colw%d", i + 1, twips(rightEdge(i) - leftEdge(i)));
        if (i + 1 < count)
            std::fprintf(out, "\\colsr%d", twips(region->cells[i + 1]->xMin - region->cells[i]->xMax));
    }
    std::fputs("\n", out);

    for (int c = 0; c < count; ++c) {
        RegionCell* cell = region->cells[c];
        double le = leftEdge(c), re = rightEdge(c);
        bool interleave = region->nested == 0 && !cell->nestedRegions.empty();
        size_t nestIdx = 0;
        size_t nestCount = interleave ? cell->nestedRegions.size() : 0;
        double bound = nestCount ? cell->nestedRegions[0]->yMin : cell->yMax;
        double runTop = std::min(top, cell->yMin);
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
        if (c + 1 < count) {
            closeParagraph(page, out);
            std::fputs("\\column\n", out);
        }
    }
    if (count > 1) {
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
