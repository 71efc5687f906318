#include "TextLine.h"

#include "TextWord.h"
#include "overlapRatio.h"
#include "text_chain.h"
#include "text_geom.h"

#include <tk_log.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vlx {

TextLine::TextLine(TextBlock* blkA, int rotA, double baseA)
    : xMin(0), xMax(-1), base(baseA), blk(blkA), rot(rotA), yMin(0), yMax(-1), words(nullptr),
      lastWord(nullptr), len(0), convertedLen(0), hyphenated(false), next(nullptr), columnGroup(0),
      regionMark(0), cellIndex(0)
{
}

TextLine::~TextLine()
{
    deleteChain(words);
}

void TextLine::addWord(TextWord* word)
{
    tk_log(1, "TextLine::addWord");
    TextWord* prev = lastWord;
    // A word keeps no link into the pool or list it came from.
    word->next = nullptr;

    if (prev) {
        if (prev == words && prev->len == 1 && word->len > 1)
            base = word->base;
        prev->next = word;
    } else {
        words = word;
        cellIndex = word->cellIndex;
    }

    if (columnGroup == 0 && word->columnGroup != 0)
        columnGroup = word->columnGroup;

    if (xMin > xMax) {
        xMin = word->xMin;
        xMax = word->xMax;
        yMin = word->yMin;
        yMax = word->yMax;
    } else {
        xMin = std::min(xMin, word->xMin);
        xMax = std::max(xMax, word->xMax);
        if (prev) {
            double d = std::fabs(word->base - prev->base);
            double wfs = word->fontSize;
            double pfs = prev->fontSize;
            if (d > 0.7 && prev->upShift == 0 && prev->downShift == 0 && d < std::min(wfs, pfs) && wfs != pfs) {
                // The edges give the size of the shift; a small raised character before a taller
                // word has the lower top, so only the baselines tell raised from lowered.
                TextWord* small = wfs < pfs ? word : prev;
                TextWord* large = wfs < pfs ? prev : word;
                int shift = 0;
                if (word->yMin < prev->yMin)
                    shift = truncInt(std::fabs(pfs - wfs) + prev->yMin - word->yMin);
                else if (word->yMax > prev->yMax)
                    shift = truncInt(std::fabs(pfs - wfs) + word->yMax - prev->yMax);
                if (shift != 0) {
                    // Measured against the line's baseline. A small word standing on it leaves the
                    // shift to a larger neighbour off it, unless the line took its baseline from
                    // that small word (a raised "st" after a "1"): then the neighbour is the measure.
                    bool gaveBase = small == words || (small == words->next && words->len == 1 && small->len > 1);
                    TextWord* moved = small;
                    double ref = base;
                    if (std::fabs(small->base - base) <= 0.7) {
                        if (!gaveBase && std::fabs(large->base - base) > 0.7)
                            moved = large;
                        else
                            ref = large->base;
                    }
                    (moved->base < ref ? moved->upShift : moved->downShift) = shift;
                }
            }
        }
        yMin = std::min(yMin, word->yMin);
        yMax = std::max(yMax, word->yMax);
    }

    lastWord = word;
    if (word->columnGroup == 0 && columnGroup != 0)
        word->columnGroup = columnGroup;
}

double TextLine::getAvgFontSize() const
{
    double sum = 0;
    long n = 0;
    for (const TextWord* w = words; w; w = w->next) {
        sum += w->len * w->getFontSize();
        n += w->len;
    }
    return n > 0 ? sum / static_cast<double>(n) : 0.0;
}

int TextLine::primaryCmp(const TextLine* other) const
{
    double d;
    if (rot == other->rot) {
        switch (rot) {
        case 0:
            d = xMin - other->xMin;
            break;
        case 1:
            d = yMin - other->yMin;
            break;
        case 2:
            d = other->xMax - xMax;
            break;
        default:
            d = other->yMax - yMax;
            break;
        }
    } else {
        d = (rot == 0 || rot == 2) ? xMin - other->xMin : yMin - other->yMin;
    }
    return tolerantSign(d);
}

int TextLine::secondaryCmp(const TextLine* other) const
{
    double a = getAvgFontSize();
    double b = other->getAvgFontSize();
    // Two sizeless lines give no ratio at all: every size rule below then fails, as a NaN would.
    double ratio;
    if (a <= b)
        ratio = b != 0 ? a / b : std::numeric_limits<double>::quiet_NaN();
    else
        ratio = a != 0 ? b / a : std::numeric_limits<double>::quiet_NaN();
    double fs = a;
    if (b > a && other->words && other->words->len > 1)
        fs = b;
    if (fs == 0)
        fs = 8.0;

    double d;
    if (rot == 1 || rot == 3) {
        if (overlapRatio(other->xMin, other->xMax, xMin, xMax) > 0.5)
            return 0;
        d = other->base - base;
    } else {
        double o = overlapRatio(other->yMin, other->yMax, yMin, yMax);
        if (ratio >= 0.6 && o > 0.7)
            return 0;
        if (ratio < 0.6 && o > 0.9)
            return 0;
        if (ratio > 0.7 && std::fabs(base - other->base) < 0.5 * fs)
            return 0;
        d = base - other->base;
    }
    return tolerantSign(d);
}

int TextLine::cmpXY(const TextLine* a, const TextLine* b)
{
    int c = a->primaryCmp(b);
    return c != 0 ? c : a->secondaryCmp(b);
}

int TextLine::cmpYX(const TextLine* a, const TextLine* b)
{
    int c = a->secondaryCmp(b);
    return c != 0 ? c : a->primaryCmp(b);
}

} // namespace vlx
