#include "TextPage.h"

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "TagWord.h"
#include "TextBlock.h"
#include "TextFlow.h"
#include "TextLine.h"
#include "TextWord.h"
#include "page_margins.h"
#include "page_writer.h"
#include "rtf_int.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <algorithm>
#include <cmath>

namespace vlx {

namespace {

// Gives lines below the page top a baseline inside their box, and removes lines that
// have no words; the page owns its lines, so a removed line is deleted here.
void tidyLines(TextPage& page)
{
    for (TextFlow* flow = page.flows; flow; flow = flow->next) {
        for (TextBlock* blk = flow->blocks; blk; blk = blk->next) {
            TextLine* prev = nullptr;
            TextLine* line = blk->lines;
            while (line) {
                TextLine* next = line->next;
                if (!line->words) {
                    if (prev)
                        prev->next = next;
                    else
                        blk->lines = next;
                    if (blk->curLine == line)
                        blk->curLine = prev;
                    --blk->nLines;
                    delete line;
                } else {
                    if (line->base < 0)
                        line->base = 0.72 * line->yMax + 0.28 * line->yMin;
                    prev = line;
                }
                line = next;
            }
        }
    }
}

void writeExactLayout(TextPage& page, FILE* out, TextOutputFunc outputFunc, const TagWord& tagWord,
                      const ColorList& colors, LineFlags& flags)
{
    for (TextFlow* flow = page.flows; flow; flow = flow->next) {
        for (TextBlock* blk = flow->blocks; blk; blk = blk->next) {
            for (TextLine* line = blk->lines; line && line->words; line = line->next) {
                flags.bullet = false;
                bool box = false;
                double w = std::fabs(line->xMax - line->xMin) * 20 * 1.05;
                double h = std::fabs(line->yMax - line->yMin) * 20;
                TextWord* first = line->words;
                if (first->flowCode != 0) {
                    page.writeTextBox(out, outputFunc, line);
                    box = true;
                } else {
                    // A frame reaching over the page's top or left edge starts at the edge.
                    std::fprintf(out, "%s%s%s%d%s%s%d%s%d%s%d \\li-5\\ri-15 ", "{", "\\phpg", "\\posx",
                                 std::max(0, rtf_twips(line->xMin)), "\\pvpg", "\\posy",
                                 std::max(0, rtf_twips(line->yMin)), "\\absw",
                                 truncInt(std::min(page.pageWidth * 20, w)), "\\absh", truncInt(h));
                }
                if (page_writer::startsWithBullet(line) && first->flowCode == 0)
                    flags.bullet = true;
                TextPage::dumpLine(out, outputFunc, tagWord, colors, line, &flags.bullet, &flags.link,
                                   &flags.brace);
                page_writer::closeLink(out, flags);
                std::fprintf(out, "%s%s", "\\par", "}");
                if (box)
                    std::fputs("}}", out);
                std::fputs("\r\n", out);
            }
        }
    }
}

void writeFlowingLayout(TextPage& page, FILE* out, TextOutputFunc outputFunc, TagWord& tagWord,
                        const ColorList& colors, LineFlags& flags)
{
    RegionList list;
    list.PageRegionsBuilding(page.blocks.data(), page.blockCount);
    const PageMargins& margins = pageMargins;
    // The page start has reset the paragraph properties (so has the document start).
    page.paragraphDefaults = true;
    PageRegion* last = nullptr;
    for (PageRegion* region : list.regions)
        if (region->cellCount != 0)
            last = region;
    bool boxes = false, body = false;
    for (PageRegion* region : list.regions) {
        if (region->cellCount == 0)
            continue;
        page.lastRegion = region == last;
        if (region->kind == PageRegion::VERTICAL_KIND) {
            flags = LineFlags();
            for (RegionCell* cell : region->cells)
                for (TextLine* line : cell->lines)
                    page_writer::writeTextBoxLine(page, out, outputFunc, tagWord, colors, line, flags);
            boxes = true;
            continue;
        }
        body = true;
        page.writeSection(out, outputFunc, region, runningRegionBottom, margins.left,
                          page.pageWidth - margins.right, tagWord, colors);
        runningRegionBottom = std::max(runningRegionBottom, region->yMax);
        if (!page.paragraphClosed) {
            std::fprintf(out, "%s\n", "\\par");
            page.paragraphClosed = true;
        }
    }
    // A page of text boxes alone (a turned page) needs a paragraph of its own to keep them.
    if (boxes && !body) {
        page_writer::writeAnchorParagraph(out);
        page.paragraphClosed = true;
    }
    page.lastRegion = false;
    page.paragraphDefaults = false;
}

} // namespace

void TextPage::dump(FILE* out, TextOutputFunc outputFunc, bool physLayout, ColorList colors)
{
    tk_log(2, "TextPage::dump");
    TagWord tagWord;
    LineFlags flags;
    tidyLines(*this);
    if (physLayout || rawOrder) {
        tk_log(1, "Got: physLayout=%d, rawOrder=%d", physLayout ? 1 : 0, rawOrder ? 1 : 0);
        writeExactLayout(*this, out, outputFunc, tagWord, colors, flags);
        return;
    }
    tk_log(1, "TextPage::dump: undoing the physical layout");
    runningRegionBottom = pageMargins.top;
    if (vellix_convertor::instance().noframe_mode)
        writeFlowingLayout(*this, out, outputFunc, tagWord, colors, flags);
    else
        page_writer::writeFramedBlocks(*this, out, outputFunc, tagWord, colors);
}

} // namespace vlx
