#include "TextFlow.h"

#include "TextBlock.h"
#include "TextLine.h"
#include "TextPage.h"
#include "text_chain.h"

#include <tk_log.h>

#include <algorithm>

namespace vlx {

TextFlow::TextFlow(TextPage* pageA, TextBlock* blk)
    : page(pageA), xMin(blk->xMin), xMax(blk->xMax), yMin(blk->yMin), yMax(blk->yMax), priMin(blk->priMin),
      priMax(blk->priMax), blocks(blk), lastBlk(blk), next(nullptr)
{
    tk_log(1, "TextFlow::TextFlow");
    // The block may still carry a link from a list it was gathered in.
    blk->next = nullptr;
}

TextFlow::~TextFlow()
{
    deleteChain(blocks);
}

void TextFlow::addBlock(TextBlock* blk)
{
    tk_log(1, "TextFlow::addBlock");
    blk->next = nullptr;
    if (lastBlk)
        lastBlk->next = blk;
    else
        blocks = blk;
    lastBlk = blk;
    xMin = std::min(xMin, blk->xMin);
    xMax = std::max(xMax, blk->xMax);
    yMin = std::min(yMin, blk->yMin);
    yMax = std::max(yMax, blk->yMax);
}

bool TextFlow::blockFits(TextBlock* blk)
{
    tk_log(1, "TextFlow::blockFits");
    double blkSize = blk->lines ? blk->lines->getAvgFontSize() : 0;
    double lastSize = lastBlk && lastBlk->lines ? lastBlk->lines->getAvgFontSize() : 0;
    if (blkSize > lastSize)
        return false;
    switch (page->primaryRot) {
    case 0:
    case 2:
        return blk->xMin >= priMin && blk->xMax <= priMax;
    case 1:
    case 3:
        return blk->yMin >= priMin && blk->yMax <= priMax;
    default:
        return false;
    }
}

} // namespace vlx
