#include "TextPage.h"

#include "TextBlock.h"
#include "TextFlow.h"
#include "TextLine.h"
#include "TextPool.h"
#include "TextUnicodeType.h"
#include "TextWord.h"
#include "text_geom.h"
#include "vlx_sort.h"

#include <pdf_ulin.h>
#include <tk_log.h>

#include <GlobalParams.h>
#include <UnicodeMap.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vlx {

namespace {

bool overlapsAlong(const TextWord* w, const TextBlock* blk, int rot, double widen)
{
    if (rot == 0 || rot == 2)
        return w->xMin < blk->xMax + widen && w->xMax > blk->xMin - widen;
    return w->yMin < blk->yMax + widen && w->yMax > blk->yMin - widen;
}

bool closeOnLeft(const TextWord* w, const TextBlock* blk, int rot, double colSpace)
{
    if (rot == 0 || rot == 2)
        return w->xMax <= blk->xMin && w->xMax > blk->xMin - colSpace;
    return w->yMax <= blk->yMin && w->yMax > blk->yMin - colSpace;
}

bool closeOnRight(const TextWord* w, const TextBlock* blk, int rot, double colSpace)
{
    if (rot == 0 || rot == 2)
        return w->xMin >= blk->xMax && w->xMin < blk->xMax + colSpace;
    return w->yMin >= blk->yMax && w->yMin < blk->yMax + colSpace;
}

// Secondary delta of block a to block n, by a's rotation.
double secondaryDelta(const TextBlock* a, const TextBlock* n)
{
    switch (a->rot) {
    case 0:
        return n->yMin - a->yMax;
    case 1:
        return a->xMin - n->xMax;
    case 2:
        return a->yMin - n->yMax;
    default:
        return n->xMin - a->xMax;
    }
}

// n comes before b along n's primary axis by more than the tolerance.
bool primaryBefore(const TextBlock* n, const TextBlock* b)
{
    switch (n->rot) {
    case 0:
        return n->xMin < b->xMin - kLayoutTolerance;
    case 1:
        return n->yMin < b->yMin - kLayoutTolerance;
    case 2:
        return n->xMax > b->xMax + kLayoutTolerance;
    default:
        return n->yMax > b->yMax + kLayoutTolerance;
    }
}

// Aligned-column groups: runs of words that start (and maybe end) at the same x on
// consecutive lines. Every word is also asked whether it stands in a table cell.
void markColumnGroups(TextPool* pool, pdf_uline_processor* proc)
{
    std::vector<TextWord*> words;
    for (int idx = pool->minBaseIdx; idx <= pool->maxBaseIdx; ++idx)
        for (TextWord* w = pool->getPool(idx); w; w = w->next) {
            w->cellIndex = proc->process_is_inCell(w->xMin, w->xMax, w->yMin, w->yMax) ? 1 : 0;
            words.push_back(w);
        }
    if (words.size() <= 3)
        return;
    vlx_sort(words, TextWord::cmpXYTables);

    const size_t n = words.size();
    int group = 1;
    size_t t = 0;
    while (t < n) {
        const TextWord* s = words[t];
        const double sxMin = s->xMin;
        const double sxMax = s->xMax;
        const double fs = s->getFontSize();
        size_t o = 1;
        bool flag = false;
        double prev = s->base;
        while (t + o < n && std::fabs(words[t + o]->xMin - sxMin) < 0.1) {
            const TextWord* w = words[t + o];
            flag = std::fabs(w->xMax - sxMax) < 0.1;
            if (std::fabs(w->base - prev) > 4 * fs && !flag && o < 4) {
                t += o;
                o = 1;
            } else {
                ++o;
            }
            prev = w->base;
        }
        if (o > 3 || flag) {
            for (size_t k = t; k < t + o; ++k)
                words[k]->columnGroup = group;
            ++group;
        }
        t += o;
    }
}

// Moves every word of buckets [fromIdx, toIdx] that `take` accepts from the pool into the
// block; returns the last word moved.
template <class Take>
TextWord* moveWords(TextPool* pool, TextBlock* blk, int fromIdx, int toIdx, bool downwards, Take take)
{
    TextWord* lastMoved = nullptr;
    for (int idx = fromIdx; downwards ? idx >= toIdx : idx <= toIdx; downwards ? --idx : ++idx) {
        TextWord* prev = nullptr;
        TextWord* w = pool->getPool(idx);
        while (w) {
            TextWord* following = w->next;
            if (take(w)) {
                pool->unlinkWord(idx, prev, w);
                blk->addWord(w);
                lastMoved = w;
            } else {
                prev = w;
            }
            w = following;
        }
    }
    return lastMoved;
}

// Words of the same lines standing just beside the block: up to three buckets of them join.
template <class Near>
bool addSideWords(TextPool* pool, TextBlock* blk, int fromIdx, int toIdx, double lo, double hi, double fs,
                  double* minBase, double* maxBase, Near near)
{
    TextWord* firsts[3] = {nullptr, nullptr, nullptr};
    int firstIdx[3] = {0, 0, 0};
    TextWord* firstPrev[3] = {nullptr, nullptr, nullptr};
    int count = 0;
    for (int idx = fromIdx; idx <= toIdx; ++idx) {
        TextWord* prev = nullptr;
        for (TextWord* w = pool->getPool(idx); w; prev = w, w = w->next) {
            if (w->base >= lo && w->base <= hi && near(w) && std::fabs(w->fontSize - fs) < 0.2 * fs) {
                if (count < 3) {
                    firsts[count] = w;
                    firstIdx[count] = idx;
                    firstPrev[count] = prev;
                }
                ++count;
                break;
            }
        }
    }
    if (count < 1 || count > 3)
        return false;
    for (int k = 0; k < count; ++k) {
        TextWord* w = firsts[k];
        pool->unlinkWord(firstIdx[k], firstPrev[k], w);
        blk->addWord(w);
        if (w->base < *minBase)
            *minBase = w->base;
        else if (w->base > *maxBase)
            *maxBase = w->base;
    }
    return true;
}

// Gathers one block around a start word taken from the pool.
TextBlock* assembleBlock(TextPage* page, TextPool* pool, int rot, TextWord* word0)
{
    TextBlock* blk = new TextBlock(page, rot);
    blk->addWord(word0);
    const double fs = word0->fontSize;
    double minBase = word0->base;
    double maxBase = word0->base;
    const double colSpace1 = 0.3 * fs;
    const double colSpace2 = 1.0 * fs;
    const double lineSpace = 1.5 * fs;
    const double intraLineSpace = 0.7 * fs;

    bool found;
    do {
        found = false;

        // The line above the block's top.
        {
            const double lo = minBase - lineSpace;
            const double top = minBase;
            TextWord* w = moveWords(pool, blk, pool->getBaseIdx(top), pool->getBaseIdx(lo), true,
                                    [&](const TextWord* u) {
                                        return u->base >= lo && u->base < top && overlapsAlong(u, blk, rot, 0) &&
                                               std::fabs(u->fontSize - fs) < 0.05 * fs;
                                    });
            if (w) {
                found = true;
                minBase = w->base;
            }
        }

        // The line below the block's bottom.
        {
            const double bottom = maxBase;
            const double hi = maxBase + lineSpace;
            TextWord* w = moveWords(pool, blk, pool->getBaseIdx(bottom), pool->getBaseIdx(hi), false,
                                    [&](const TextWord* u) {
                                        return u->base > bottom && u->base <= hi && overlapsAlong(u, blk, rot, 0) &&
                                               std::fabs(u->fontSize - fs) < 0.05 * fs;
                                    });
            if (w) {
                found = true;
                maxBase = w->base;
            }
        }

        // More words on the block's own lines.
        {
            const double lo = minBase - intraLineSpace;
            const double hi = maxBase + intraLineSpace;
            TextWord* w = moveWords(pool, blk, pool->getBaseIdx(lo), pool->getBaseIdx(hi), false,
                                    [&](const TextWord* u) {
                                        return u->base >= lo && u->base <= hi &&
                                               overlapsAlong(u, blk, rot, colSpace1) &&
                                               std::fabs(u->fontSize - fs) < 0.6 * fs;
                                    });
            if (w)
                found = true;
        }

        // Short labels just beside the block.
        if (!found) {
            double lo = minBase - intraLineSpace;
            double hi = maxBase + intraLineSpace;
            if (addSideWords(pool, blk, pool->getBaseIdx(lo), pool->getBaseIdx(hi), lo, hi, fs, &minBase, &maxBase,
                             [&](const TextWord* u) { return closeOnLeft(u, blk, rot, colSpace2); }))
                found = true;
            lo = minBase - intraLineSpace;
            hi = maxBase + intraLineSpace;
            if (addSideWords(pool, blk, pool->getBaseIdx(lo), pool->getBaseIdx(hi), lo, hi, fs, &minBase, &maxBase,
                             [&](const TextWord* u) { return closeOnRight(u, blk, rot, colSpace2); }))
                found = true;
        }
    } while (found);
    return blk;
}

// The block column of b0 as seen from an earlier block b1.
int blockColumnAfter(const TextBlock* b1, const TextBlock* b0, int primaryRot)
{
    double gapBefore, width, offset;
    switch (primaryRot) {
    case 1:
        gapBefore = b0->yMin - b1->yMax;
        width = b1->yMax - b1->yMin;
        offset = b0->yMin - b1->yMin;
        break;
    case 2:
        gapBefore = b1->xMin - b0->xMax;
        width = b1->xMax - b1->xMin;
        offset = b1->xMax - b0->xMax;
        break;
    case 3:
        gapBefore = b1->yMin - b0->yMax;
        width = b1->yMax - b1->yMin;
        offset = b1->yMax - b0->yMax;
        break;
    default:
        gapBefore = b0->xMin - b1->xMax;
        width = b1->xMax - b1->xMin;
        offset = b0->xMin - b1->xMin;
        break;
    }
    if (gapBefore > 0)
        return b1->col + b1->nColumns + 3;
    if (width == 0)
        return b1->col;
    return b1->col + truncInt(offset / width * b1->nColumns);
}

} // namespace

void TextPage::coalesce(bool physLayout)
{
    tk_log(1, "TextPage::coalesce(physLayout=%d)", physLayout ? 1 : 0);

    if (rawOrder) {
        primaryRot = 0;
        primaryLR = true;
        return;
    }

    const UnicodeMap* uMap = globalParams ? globalParams->getTextEncoding() : nullptr;
    primaryRot = -1;
    blockCount = 0;
    blocks.clear();

    pdf_uline_processor* proc = pdf_uline_processor::slot();
    if (proc && proc->tables_mode)
        for (int r = 0; r < 4; ++r)
            if (pools[r])
                markColumnGroups(pools[r], proc);

    // Blocks, gathered rotation by rotation.
    std::vector<TextBlock*> gathered;
    int count[4] = {0, 0, 0, 0};
    for (int r = 0; r < 4; ++r) {
        TextPool* pool = pools[r];
        if (!pool)
            continue;
        int startBaseIdx = pool->minBaseIdx;
        while (TextWord* word0 = pool->takeStartWord(&startBaseIdx)) {
            TextBlock* blk = assembleBlock(this, pool, r, word0);
            blk->coalesce(uMap);
            gathered.push_back(blk);
            count[r] += blk->charCount;
            if (primaryRot < 0 || count[r] > count[primaryRot])
                primaryRot = r;
        }
    }
    blockCount = static_cast<int>(gathered.size());

    // Direction balance.
    long lrCount = 0;
    for (const TextBlock* blk : gathered)
        for (const TextLine* line = blk->lines; line; line = line->next)
            for (const TextWord* w = line->words; w; w = w->next)
                for (int k = 0; k < w->len; ++k) {
                    const Unicode c = w->text[static_cast<size_t>(k)];
                    if (unicodeTypeL(c))
                        ++lrCount;
                    else if (unicodeTypeR(c))
                        --lrCount;
                }
    primaryLR = lrCount >= 0;

    blocks = gathered;
    vlx_sort(blocks, TextBlock::cmpXYPrimaryRot);

    // Block columns.
    for (size_t i = 0; i < blocks.size(); ++i) {
        TextBlock* b0 = blocks[i];
        int col1 = 0;
        for (size_t j = 0; j < i; ++j)
            col1 = std::max(col1, blockColumnAfter(blocks[j], b0, primaryRot));
        b0->col = col1;
        for (TextLine* line = b0->lines; line; line = line->next)
            for (int& c : line->col)
                c += col1;
    }

    vlx_sort(blocks, TextBlock::cmpYXPrimaryRot);

    // Free space beside each block. On vertical pages it runs along y, up to the page height.
    const bool vertical = primaryRot == 1 || primaryRot == 3;
    for (TextBlock* blk : blocks) {
        blk->priMin = 0;
        blk->priMax = vertical ? pageHeight : pageWidth;
    }
    for (TextBlock* b : blocks)
        for (TextBlock* o : blocks)
            if (b != o)
                b->updatePriMinMax(o);

    // Flows.
    std::vector<TextBlock*> remaining = blocks;
    size_t left = remaining.size();
    size_t firstIdx = 0;
    TextFlow* lastFlow = flows;
    while (lastFlow && lastFlow->next)
        lastFlow = lastFlow->next;
    while (left > 0) {
        while (!remaining[firstIdx])
            ++firstIdx;

        // The upper-left block of what remains.
        size_t bIdx = firstIdx;
        TextBlock* b = remaining[firstIdx];
        for (size_t j = firstIdx + 1; j < remaining.size(); ++j) {
            TextBlock* n = remaining[j];
            if (!n)
                continue;
            if (secondaryDelta(b, n) > 0)
                break;
            if (primaryBefore(n, b)) {
                b = n;
                bIdx = j;
            }
        }
        remaining[bIdx] = nullptr;
        --left;

        TextFlow* flow = new TextFlow(this, b);
        if (lastFlow)
            lastFlow->next = flow;
        else
            flows = flow;
        lastFlow = flow;

        b->stackNext = nullptr;
        TextBlock* top = b;
        while (top) {
            const double blkSpace = 2.5 * (top->lines ? top->lines->getAvgFontSize() : 0);
            TextBlock* k = nullptr;
            size_t kIdx = 0;
            for (size_t j = firstIdx; j < remaining.size(); ++j) {
                TextBlock* n = remaining[j];
                if (!n)
                    continue;
                if (secondaryDelta(top, n) > blkSpace)
                    break;
                if (k && secondaryDelta(k, n) > 0)
                    break;
                if (n->isBelow(top) && (!k || primaryBefore(n, k))) {
                    k = n;
                    kIdx = j;
                }
            }
            if (k && flow->blockFits(k)) {
                remaining[kIdx] = nullptr;
                --left;
                flow->addBlock(k);
                k->stackNext = top;
                top = k;
            } else {
                TextBlock* popped = top;
                top = top->stackNext;
                popped->stackNext = nullptr;
            }
        }
    }
}

} // namespace vlx
