#include "PageRegion.h"

#include <algorithm>

#include "RegionCell.h"
#include "layout_text.h"
#include "overlapRatio.h"
#include "tk_log.h"
#include "vlx_sort.h"

namespace vlx {

PageRegion::~PageRegion()
{
    for (RegionCell* c : cells)
        delete c;
}

void PageRegion::widenTo(const RegionCell& cell)
{
    baseMin = std::min(baseMin, cell.baseMin);
    baseMax = std::max(baseMax, cell.baseMax);
    yMin = std::min(yMin, cell.yMin);
    yMax = std::max(yMax, cell.yMax);
    xMin = std::min(xMin, cell.xMin);
    xMax = std::max(xMax, cell.xMax);
    maxLines = std::max(maxLines, cell.lineCount());
}

void PageRegion::addCell(RegionCell* cell)
{
    tk_log(1, "PageRegion::addCell");
    if (capacity == 0) {
        capacity = 10;
        cells.reserve(capacity);
    }
    if (cellCount > 0) {
        widenTo(*cell);
    } else {
        rot = cell->rot;
        baseMin = cell->baseMin;
        baseMax = cell->baseMax;
        yMin = cell->yMin;
        yMax = cell->yMax;
        xMin = cell->xMin;
        xMax = cell->xMax;
        maxLines = cell->lineCount();
    }
    if (cellCount == capacity) {
        capacity += 5;
        cells.reserve(capacity);
    }
    cells.push_back(cell);
    cellCount = static_cast<int>(cells.size());
}

int PageRegion::countMaxLines()
{
    for (RegionCell* c : cells)
        maxLines = std::max(maxLines, c->lineCount());
    return maxLines;
}

// Region-line order by the first cell's rotation, differences within 1.1 equal.
static int cmpCells(const RegionCell* a, const RegionCell* b)
{
    double d;
    switch (a->rot) {
    case 1: d = a->yMin - b->yMin; break;
    case 2: d = b->xMax - a->xMax; break;
    case 3: d = b->yMax - a->yMax; break;
    default: d = a->xMin - b->xMin; break;
    }
    return d < -1.1 ? -1 : d > 1.1 ? 1 : 0;
}

void PageRegion::sortCells()
{
    tk_log(1, "PageRegion::sortCells");
    if (cellCount == 0)
        return;
    vlx_sort(cells, cmpCells);
    for (int i = 0; i < cellCount; ++i) {
        widenTo(*cells[i]);
        if (i > 0 && overlapRatio(cells[i - 1]->xMin, cells[i - 1]->xMax,
                                  cells[i]->xMin, cells[i]->xMax) > 0.4)
            mergeCells(i - 1);
    }
}

void PageRegion::mergeCells(int i)
{
    tk_log(1, "PageRegion::mergeCells(%d)", i);
    if (i < 0 || i + 1 >= cellCount)
        return;
    RegionCell* keep = cells[i];
    RegionCell* gone = cells[i + 1];

    std::vector<TextLine*> all(keep->lines);
    all.insert(all.end(), gone->lines.begin(), gone->lines.end());
    vlx_sort(all, [](TextLine* a, TextLine* b) { return TextLine::cmpYX(a, b); });
    keep->lines.clear();
    for (TextLine* l : all)
        keep->addLine(l);

    // The removed cell's bands of text move over with its lines.
    if (gone->pending) {
        PageRegion* p = gone->pending;
        gone->pending = nullptr;
        if (!keep->pending) {
            keep->pending = p;
        } else {
            for (RegionCell* c : p->cells)
                keep->pending->addCell(c);
            p->cells.clear();
            p->cellCount = 0;
            delete p;
        }
        if (keep->pending->cellCount > 0)
            keep->widenTo(*keep->pending);
    }
    if (!gone->nestedRegions.empty()) {
        for (PageRegion* r : gone->nestedRegions) {
            keep->nestedRegions.push_back(r);
            keep->widenTo(*r);
        }
        gone->nestedRegions.clear();
        vlx_sort(keep->nestedRegions, [](const PageRegion* a, const PageRegion* b) {
            return a->yMin < b->yMin ? -1 : a->yMin > b->yMin ? 1 : 0;
        });
        for (size_t k = 0; k < keep->nestedRegions.size(); ++k)
            keep->nestedRegions[k]->kind = static_cast<int>(k);
    }

    delete gone;
    cells.erase(cells.begin() + i + 1);
    cellCount = static_cast<int>(cells.size());
}

bool PageRegion::overlapsLine(const TextLine* line) const
{
    for (const RegionCell* c : cells)
        if (overlapRatio(c->xMin, c->xMax, line->xMin, line->xMax) > 0.01)
            return true;
    return false;
}

bool PageRegion::overlapsCell(const RegionCell* cell) const
{
    for (const RegionCell* c : cells)
        if (overlapRatio(c->xMin, c->xMax, cell->xMin, cell->xMax) >= 0.01)
            return true;
    return false;
}

} // namespace vlx
