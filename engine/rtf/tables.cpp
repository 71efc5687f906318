#include "TextPage.h"

#include "PageRegion.h"
#include "RegionCell.h"
#include "TagWord.h"
#include "TextLine.h"
#include "page_writer.h"
#include "rtf_int.h"
#include "section_writer.h"
#include "tk_log.h"

#include <cmath>

namespace vlx {

void TextPage::writeTableRow(const TableRowContext& row, FILE* out, TextOutputFunc outputFunc, double height)
{
    tk_log(1, "TextPage::writeTableRow(height=%g)", height);
    const PageRegion* region = row.region;
    // A negative height asks for exactly 99.5 % of the row.
    std::fprintf(out, "\\trowd\\trql\\trgaph0\\trrh%d\\trleft%d\n", truncInt(20 * height * -0.995),
                 truncInt((region->xMin - row.left) * 20));
    for (const RegionCell* cell : region->cells) {
        std::fputs("\\clvertalb\n", out);
        std::fprintf(out, "\\cellx%d\n", truncInt((cell->xMax - row.left) * 20));
    }
    std::fputs("\\intbl\n", out);
}

namespace section_writer {

void assignTableKeys(const TextPage& page, const PageRegion* region, std::vector<TextLine*>& lines)
{
    int cells = region->cellCount;
    int rowBase = (region->kind + 1) * 10000;
    int sum = 0;
    int prevCell = 0;
    double prevYMax = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        TextLine* line = lines[k];
        int cell = line->cellIndex;
        int diff = cell - prevCell;
        if (diff < 0)
            sum += diff + cells; // wraps to a new row
        else if (diff > 0)
            sum += diff;
        else if (k > 0 && std::fabs(line->yMax - prevYMax) > 0.5 * page_writer::lineFontSize(page, line))
            sum += cells;
        prevCell = cell;
        prevYMax = line->yMax;
        line->cellIndex = rowBase + sum;
    }
}

namespace {

void endCell(TextPage& page, FILE* out)
{
    std::fputs("\\cell\n", out);
    page.paragraphClosed = true;
}

} // namespace

void writeTable(TextPage& page, FILE* out, TextOutputFunc outputFunc, PageRegion* region,
                std::vector<TextLine*>& lines, double top, double left, const TagWord& tagWord,
                const ColorList& colors, bool noCrlf)
{
    int cells = region->cellCount;
    if (lines.empty() || cells <= 0)
        return;
    assignTableKeys(page, region, lines);
    TableRowContext row{left, region};

    TextLine* first = lines[0];
    double fs = page_writer::lineFontSize(page, first);
    double h = first->yMax - top;
    if (h > 2.5 * fs) {
        if (!page.paragraphClosed) {
            std::fprintf(out, "%s\n", "\\par");
            page.paragraphClosed = true;
        }
        page.writeGap(out, outputFunc, 0, h - 1.5 * fs);
        // The row now starts below the gap; measured from the old top the first row's
        // cells would repeat the gap inside a row of exact height and lose their text.
        top += h - 1.5 * fs;
        h = 1.5 * fs;
    }
    if (h < fs)
        h = 1.1 * fs;
    if (page.paragraphDefaults) {
        // Anchored in the first cell, the page picture is dropped by readers and hides the row.
        // No "\\pard": right after the picture LibreOffice takes it for one more paragraph.
        std::fputs("\\plain\\fs2\\par\r\n", out);
        page.paragraphDefaults = false;
    }
    double rowBottom = top + h;
    page.writeTableRow(row, out, outputFunc, h);

    int keyBase = (first->cellIndex / 10000) * 10000;
    int lastWritten = -1;
    size_t k = 0;
    while (k < lines.size()) {
        int key = lines[k]->cellIndex;
        size_t e = k + 1;
        while (e < lines.size() && lines[e]->cellIndex == key)
            ++e;
        int cellNo = key - keyBase;
        TextLine* runLast = lines[e - 1];
        for (int j = lastWritten + 1; j <= cellNo; ++j) {
            if (j > 0 && j % cells == 0) {
                std::fputs("\\row\n", out);
                page.paragraphClosed = true;
                double rh = runLast->yMax - rowBottom;
                double lh = runLast->yMax - runLast->yMin;
                if (rh < lh && runLast->getAvgFontSize() > rh)
                    rh = lh;
                page.writeTableRow(row, out, outputFunc, rh);
                rowBottom = runLast->yMax;
            }
            if (j < cellNo)
                endCell(page, out);
        }
        int column = cellNo % cells;
        RegionCell* cell = region->cells[column];
        double cellLeft = column == 0 ? cell->xMin : region->cells[column - 1]->xMax;
        page.writeParagraphs(out, outputFunc, rowBottom, cellLeft, cell->xMin, cell->xMax, tagWord, colors,
                             &lines[k], static_cast<int>(e - k), noCrlf, true);
        endCell(page, out);
        lastWritten = cellNo;
        k = e;
    }
    for (int j = lastWritten + 1; j % cells != 0; ++j)
        endCell(page, out);
    std::fputs("\\row\\pard\n", out);
    page.paragraphClosed = true;
}

} // namespace section_writer
} // namespace vlx
