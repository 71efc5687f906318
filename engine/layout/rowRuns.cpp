#include "rowRuns.h"

#include <algorithm>
#include <cmath>

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "engine/rtf/rtf_int.h"
#include "layout_text.h"
#include "overlapRatio.h"

namespace vlx {

double lineFontSize(const TextLine* line)
{
    if (!line || !line->words)
        return 0.0;
    double f = const_cast<TextLine*>(line)->getAvgFontSize();
    return std::isfinite(f) ? f : 0.0;
}

// `dflt`, or `factor` times the line's font size when the line has words.
static double sizeOr(const TextLine* line, double dflt, double factor)
{
    return line->words ? factor * lineFontSize(line) : dflt;
}

namespace {

// The walk over one row run from line i: calls visit(j) for every line reached;
// visit returns false to stop early. The reference row is moved by visit through ref.
struct RowRef {
    double base, yMin, yMax;
};

template <class Visit>
void walkRun(const RegionList& list, int i, RowRef& ref, Visit visit)
{
    const TextLine* li = list.lines[i];
    for (int j = i; j < list.lineCount; ++j) {
        const TextLine* lj = list.lines[j];
        double t = lj->words ? 0.7 * lineFontSize(lj) : 7.0;
        if (std::fabs(lj->base - ref.base) > t &&
            !(overlapRatio(lj->yMin, lj->yMax, ref.yMin, ref.yMax) >= 0.4))
            break;
        if (li->xMin > lj->xMin + 0.5)
            break;
        if (!visit(j))
            break;
    }
}

RowRef refOf(const TextLine* l)
{
    return RowRef{l->base, l->yMin, l->yMax};
}

} // namespace

bool spansCells(RegionList& list, const PageRegion& region, int i)
{
    TextLine* li = list.lines[i];
    RowRef ref = refOf(li);
    bool spans = false;
    walkRun(list, i, ref, [&](int j) {
        TextLine* lj = list.lines[j];
        int d = truncInt(std::fabs(lj->base - li->base) + 0.45);
        li->regionMark = std::max(li->regionMark, d);
        lj->regionMark = std::max(lj->regionMark, d);
        int hit = 0;
        for (const RegionCell* c : region.cells)
            if (overlapRatio(lj->xMin, lj->xMax, c->xMin, c->xMax) > 0.01)
                ++hit;
        if (hit >= 2) {
            spans = true;
            return false;
        }
        return true;
    });
    return spans;
}

int continuesInCell(const RegionList& list, const RegionCell& cell, int i)
{
    RowRef ref = refOf(list.lines[i]);
    int counted = 0;
    int group = 0;
    int result = 0;
    walkRun(list, i, ref, [&](int j) {
        const TextLine* lj = list.lines[j];
        if (!(overlapRatio(lj->xMin, lj->xMax, cell.xMin, cell.xMax) >= 0.01))
            return true;
        ref = refOf(lj);
        ++counted;
        if (counted == 2) {
            result = (lj->columnGroup != 0 && group != 0 && group != lj->columnGroup &&
                      !cell.pending) ? 2 : 1;
            return false;
        }
        if (group == 0)
            group = lj->columnGroup;
        return true;
    });
    return result;
}

int runsInCells(const RegionList& list, const PageRegion& region, int i)
{
    for (const RegionCell* c : region.cells) {
        int r = continuesInCell(list, *c, i);
        if (r != 0)
            return r;
    }
    return 0;
}

bool startsNewRegion(const RegionList& list, PageRegion& region, int i)
{
    const TextLine* l = list.lines[i];
    double aL = lineFontSize(l);
    if (overlapRatio(l->yMin, l->yMax, region.yMin, region.yMax) > 0.35)
        return false;
    double d = aL;
    if (i > 0) {
        const TextLine* prev = list.lines[i - 1];
        if (std::fabs(prev->base - l->base) < sizeOr(l, 4.0, 0.4))
            return false;
        d = lineFontSize(prev);
    }

    int r = 0;
    for (int j = i; j < list.lineCount; ++j) {
        const TextLine* lj = list.lines[j];
        if (region.cellCount > 3) {
            for (int k = 0; k < region.cellCount; ++k) {
                const RegionCell* c = region.cells[k];
                if (k > 0 &&
                    (std::fabs(c->xMin - lj->xMin) < 0.1 || std::fabs(c->xMax - lj->xMax) < 0.1) &&
                    8.0 * sizeOr(lj, 7.0, 1.0) > lj->yMin - region.yMax)
                    return false;
                if (lj->xMin > c->xMin - 0.1 && lj->xMax < c->xMax + 0.1)
                    for (const TextLine* cl : c->lines)
                        if (std::fabs(cl->xMin - lj->xMin) < 0.1 ||
                            std::fabs(cl->xMax - lj->xMax) < 0.1)
                            return false;
            }
        }
        if (std::fabs(lj->base - l->base) > sizeOr(lj, 7.0, 0.95) ||
            !(overlapRatio(l->yMin, l->yMax, lj->yMin, lj->yMax) >= 0.05))
            break;
        ++r;
    }

    double n = region.cellCount;
    double rn = rtf_div(r, n), nr = rtf_div(n, r), da = rtf_div(d, aL, d > 0 ? HUGE_VAL : 1.0);
    if (((rn < 0.5 || nr < 0.5) && region.maxLines > 5 && n > 3) || (r > 0 && nr < 0.2) ||
        da < 0.5 || da > 2.0)
        return true;
    if (region.maxLines > 2 && region.yMax < l->yMax - 0.1 &&
        overlapRatio(region.xMin, region.xMax, l->xMin, l->xMax) < 0)
        return true;
    return l->yMin - region.yMax > 4.0 * sizeOr(l, 7.0, 1.0);
}

bool lineFitsCell(PageRegion& region, const TextLine* l, int k)
{
    const RegionCell* q = region.cells[k];
    double e = overlapRatio(l->xMin, l->xMax, q->xMin, q->xMax);
    if (e > 0.45)
        return true;
    double vy = overlapRatio(l->yMin, l->yMax, region.yMin, region.yMax);
    if (e > 0.01 && vy > 0.98)
        return true;

    bool toGroupTest = false;
    double lenL = std::fabs(l->xMax - l->xMin), lenQ = std::fabs(q->xMax - q->xMin);
    bool apart = false;
    if (lenL > 0 && lenQ > 0) {
        double o = std::min(std::max(l->xMin, l->xMax), std::max(q->xMin, q->xMax)) -
                   std::max(std::min(l->xMin, l->xMax), std::min(q->xMin, q->xMax));
        apart = !(std::min(o / lenL, o / lenQ) > -0.03);
    }
    if (!apart && vy > 0.98 && region.countMaxLines() == 1 && k == region.cellCount - 1)
        toGroupTest = true;
    if (!toGroupTest) {
        if (overlapRatio(q->xMin, q->xMax, l->xMin, l->xMax) <= 0.25 || vy <= 0.25)
            return false;
    }
    return q->columnGroup == 0 || q->columnGroup == l->columnGroup || q->pending != nullptr;
}

} // namespace vlx
