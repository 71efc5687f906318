#include "TextBlock.h"

#include "TextLine.h"
#include "TextPage.h"
#include "TextPool.h"
#include "TextWord.h"
#include "text_chain.h"
#include "text_geom.h"

#include <tk_log.h>

#include <algorithm>

namespace vlx {

TextBlock::TextBlock(TextPage* pageA, int rotA)
    : page(pageA), rot(rotA), xMin(0), xMax(-1), yMin(0), yMax(-1), priMin(0),
      priMax(pageA ? pageA->pageWidth : 0), pool(new TextPool()), lines(nullptr), curLine(nullptr), nLines(0),
      charCount(0), col(0), nColumns(0), next(nullptr), stackNext(nullptr)
{
    tk_log(1, "TextBlock::TextBlock(rot=%d)", rotA);
}

TextBlock::~TextBlock()
{
    delete pool;
    deleteChain(lines);
}

void TextBlock::addWord(TextWord* word)
{
    tk_log(1, "TextBlock::addWord");
    pool->addWord(word);
    if (xMin > xMax) {
        xMin = word->xMin;
        xMax = word->xMax;
        yMin = word->yMin;
        yMax = word->yMax;
    } else {
        xMin = std::min(xMin, word->xMin);
        xMax = std::max(xMax, word->xMax);
        yMin = std::min(yMin, word->yMin);
        yMax = std::max(yMax, word->yMax);
    }
}

void TextBlock::updatePriMinMax(TextBlock* other)
{
    tk_log(1, "TextBlock::updatePriMinMax");
    if (page->primaryRot == 0 || page->primaryRot == 2) {
        if (other->yMin < yMax && other->yMax > yMin) {
            if (other->xMin < xMin)
                priMin = std::max(priMin, std::min(xMin, other->xMax));
            if (other->xMax > xMax)
                priMax = std::min(priMax, std::max(xMax, other->xMin));
        }
    } else {
        // Vertical pages: the free space runs along y, so it is bounded by y extents.
        if (other->xMin < xMax && other->xMax > xMin) {
            if (other->yMin < yMin)
                priMin = std::max(priMin, std::min(yMin, other->yMax));
            if (other->yMax > yMax)
                priMax = std::min(priMax, std::max(yMax, other->yMin));
        }
    }
}

bool TextBlock::isBelow(TextBlock* other)
{
    tk_log(1, "TextBlock::isBelow");
    switch (page->primaryRot) {
    case 0:
        return xMin >= other->priMin && xMax <= other->priMax && yMin > other->yMin;
    case 1:
        return yMin >= other->priMin && yMax <= other->priMax && xMax < other->xMax;
    case 2:
        return xMin >= other->priMin && xMax <= other->priMax && yMax < other->yMax;
    case 3:
        return yMin >= other->priMin && yMax <= other->priMax && xMin > other->xMin;
    default:
        return false;
    }
}

int TextBlock::cmpXYPrimaryRot(const TextBlock* a, const TextBlock* b)
{
    double d1, d2;
    switch (a->page->primaryRot) {
    case 1:
        d1 = a->yMin - b->yMin;
        d2 = b->xMax - a->xMax;
        break;
    case 2:
        d1 = b->xMax - a->xMax;
        d2 = b->yMin - a->yMin;
        break;
    case 3:
        d1 = b->yMax - a->yMax;
        d2 = a->xMax - b->xMax;
        break;
    default:
        d1 = a->xMin - b->xMin;
        d2 = a->yMin - b->yMin;
        break;
    }
    int c = tolerantSign(d1);
    return c != 0 ? c : tolerantSign(d2);
}

int TextBlock::cmpYXPrimaryRot(const TextBlock* a, const TextBlock* b)
{
    double d1, d2;
    switch (a->page->primaryRot) {
    case 1:
        d1 = b->xMax - a->xMax;
        d2 = a->yMin - b->yMin;
        break;
    case 2:
        d1 = b->yMin - a->yMin;
        d2 = b->xMax - a->xMax;
        break;
    case 3:
        d1 = a->xMax - b->xMax;
        d2 = b->yMax - a->yMax;
        break;
    default:
        d1 = a->yMin - b->yMin;
        d2 = a->xMin - b->xMin;
        break;
    }
    int c = tolerantSign(d1);
    return c != 0 ? c : tolerantSign(d2);
}

} // namespace vlx
