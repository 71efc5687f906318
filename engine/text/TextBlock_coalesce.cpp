#include "TextBlock.h"

#include "TextLine.h"
#include "TextPool.h"
#include "TextWord.h"
#include "text_geom.h"
#include "vlx_sort.h"

#include <tk_log.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vlx {

namespace {

bool sameText(const TextWord* a, const TextWord* b)
{
    if (a->len != b->len)
        return false;
    for (int k = 0; k < a->len; ++k)
        if (a->text[static_cast<size_t>(k)] != b->text[static_cast<size_t>(k)])
            return false;
    return true;
}

// The same text drawn a second time on (nearly) the same spot.
bool isDuplicate(const TextWord* w0, const TextWord* w2, int rot, double priDelta, double secDelta)
{
    if (!sameText(w0, w2))
        return false;
    const double dx = (rot == 0 || rot == 2) ? priDelta : secDelta;
    const double dy = (rot == 0 || rot == 2) ? secDelta : priDelta;
    return std::fabs(w0->xMin - w2->xMin) < dx && std::fabs(w0->xMax - w2->xMax) < dx &&
           std::fabs(w0->yMin - w2->yMin) < dy && std::fabs(w0->yMax - w2->yMax) < dy;
}

// Deletes the first duplicate of w0 found from w0 on through bucket lastIdx.
bool removeOneDuplicate(TextPool* pool, int idx, TextWord* w0, int lastIdx, int rot)
{
    const double fs = w0->fontSize;
    const double priDelta = 0.1 * fs;
    const double secDelta = 0.2 * fs;
    TextWord* prev = w0;
    TextWord* w2 = w0->next;
    for (int j = idx; j <= lastIdx; ++j) {
        if (j > idx) {
            prev = nullptr;
            w2 = pool->getPool(j);
        }
        for (; w2; prev = w2, w2 = w2->next) {
            if (isDuplicate(w0, w2, rot, priDelta, secDelta)) {
                pool->unlinkWord(j, prev, w2);
                delete w2;
                return true;
            }
        }
    }
    return false;
}

// Along the block's primary axis, does `start` lie at or beyond `pos`?
bool startsAtOrAfter(const TextLine* line, double pos, int rot)
{
    switch (rot) {
    case 0:
        return line->xMin >= pos;
    case 1:
        return line->yMin >= pos;
    case 2:
        return line->xMax <= pos;
    default:
        return line->yMax <= pos;
    }
}

// Gap from the end of l1 to the start of l0 along the primary axis.
double lineGap(const TextLine* l1, const TextLine* l0, int rot)
{
    switch (rot) {
    case 0:
        return l0->xMin - l1->xMax;
    case 1:
        return l0->yMin - l1->yMax;
    case 2:
        return l1->xMin - l0->xMax;
    default:
        return l1->yMin - l0->yMax;
    }
}

} // namespace

void TextBlock::coalesce(const UnicodeMap* uMap)
{
    tk_log(1, "TextBlock::coalesce(rot=%d)", rot);

    // Duplicates (fake bold, shadows). The search runs towards higher buckets for every
    // rotation, so each pair is met from its lower word whatever the rotation.
    for (int idx = pool->minBaseIdx; idx <= pool->maxBaseIdx; ++idx) {
        TextWord* w0 = pool->getPool(idx);
        while (w0) {
            const int lastIdx = std::max(idx, pool->getBaseIdx(w0->base + 0.2 * w0->fontSize));
            if (!removeOneDuplicate(pool, idx, w0, lastIdx, rot))
                w0 = w0->next;
        }
    }

    // Lines.
    int startBaseIdx = pool->minBaseIdx;
    while (TextWord* word0 = pool->takeStartWord(&startBaseIdx)) {
        TextLine* line = new TextLine(this, word0->rot, word0->base);
        line->addWord(word0);
        const double fs = word0->fontSize;
        double window = 0.7 * fs;
        if (fs > 25)
            window *= 0.7;
        const double minBase = word0->base - window;
        const double maxBase = word0->base + window;
        const int fromIdx = pool->getBaseIdx(minBase);
        const int toIdx = pool->getBaseIdx(maxBase);

        TextWord* last = word0;
        for (;;) {
            TextWord* best = nullptr;
            TextWord* bestPrev = nullptr;
            int bestIdx = 0;
            for (int idx = fromIdx; idx <= toIdx; ++idx) {
                TextWord* prev = nullptr;
                for (TextWord* u = pool->getPool(idx); u; prev = u, u = u->next) {
                    if (u->base < minBase || u->base > maxBase || u->cellIndex != last->cellIndex)
                        continue;
                    const double gap = last->primaryDelta(u);
                    if (!(gap >= -0.33 * fs))
                        continue;
                    if (gap < 1.5 * fs && (!best || primaryDiff(u, best) < -kLayoutTolerance)) {
                        best = u;
                        bestPrev = prev;
                        bestIdx = idx;
                    }
                    break;
                }
            }
            if (!best)
                break;
            pool->unlinkWord(bestIdx, bestPrev, best);
            line->addWord(best);
            last = best;
        }

        // Insert in top-to-bottom order, starting after the last insertion when that is safe.
        TextLine* prevLine = nullptr;
        TextLine* l = lines;
        if (curLine && TextLine::cmpYX(line, curLine) > 0) {
            prevLine = curLine;
            l = curLine->next;
        }
        while (l && TextLine::cmpYX(line, l) > 0) {
            prevLine = l;
            l = l->next;
        }
        line->next = l;
        if (prevLine)
            prevLine->next = line;
        else
            lines = line;
        curLine = line;

        line->coalesce(uMap);
        charCount += line->len;
        ++nLines;
    }

    // Output columns of the lines.
    std::vector<TextLine*> sorted;
    sorted.reserve(static_cast<size_t>(nLines));
    for (TextLine* line = lines; line; line = line->next)
        sorted.push_back(line);
    vlx_sort(sorted, TextLine::cmpXY);
    nColumns = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
        TextLine* l0 = sorted[i];
        int col1 = 0;
        for (size_t j = 0; j < i; ++j) {
            const TextLine* l1 = sorted[j];
            int col2;
            if (lineGap(l1, l0, rot) >= 0) {
                col2 = l1->col[static_cast<size_t>(l1->len)] + 1;
            } else {
                int k = 0;
                while (k < l1->len) {
                    const double mid =
                        0.5 * (l1->edge[static_cast<size_t>(k)] + l1->edge[static_cast<size_t>(k) + 1]);
                    if (!startsAtOrAfter(l0, mid, rot))
                        break;
                    ++k;
                }
                col2 = l1->col[static_cast<size_t>(k)];
            }
            col1 = std::max(col1, col2);
        }
        for (int& c : l0->col)
            c += col1;
        nColumns = std::max(nColumns, l0->col[static_cast<size_t>(l0->len)]);
    }
}

} // namespace vlx
