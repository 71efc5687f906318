#include "RegionCell.h"

#include <algorithm>

#include "PageRegion.h"
#include "layout_text.h"
#include "tk_log.h"
#include "vlx_sort.h"

namespace vlx {

RegionCell::~RegionCell()
{
    delete pending;
    for (PageRegion* r : nestedRegions)
        delete r;
}

RegionCell* RegionCell::fromLine(TextLine* line)
{
    tk_log(1, "RegionCell::fromLine");
    RegionCell* cell = new RegionCell;
    cell->xMin = line->xMin;
    cell->xMax = line->xMax;
    cell->yMin = line->yMin;
    cell->yMax = line->yMax;
    cell->baseMin = cell->baseMax = line->base;
    cell->spacedLines = (line->regionMark >= 3 && line->regionMark <= 99) ? 1 : 0;
    line->regionMark = 0;
    cell->rot = line->rot;
    cell->blk = line->blk;
    cell->columnGroup = line->columnGroup;
    cell->lines.push_back(line);
    return cell;
}

void RegionCell::addLine(TextLine* line)
{
    if (line->regionMark >= 2 && line->regionMark <= 99)
        ++spacedLines;
    line->regionMark = 0;
    lines.push_back(line);
    xMin = std::min(xMin, line->xMin);
    xMax = std::max(xMax, line->xMax);
    baseMin = std::min(baseMin, line->base);
    baseMax = std::max(baseMax, line->base);
    yMin = std::min(yMin, line->yMin);
    yMax = std::max(yMax, line->yMax);
    blk = line->blk;
    if (columnGroup == 0)
        columnGroup = line->columnGroup;
}

void RegionCell::widenTo(const PageRegion& region)
{
    xMin = std::min(xMin, region.xMin);
    xMax = std::max(xMax, region.xMax);
    if (region.cellCount > 0) {
        baseMin = std::min(baseMin, region.baseMin);
        baseMax = std::max(baseMax, region.baseMax);
    }
    yMin = std::min(yMin, region.yMin);
    yMax = std::max(yMax, region.yMax);
}

void RegionCell::settleNested(bool force)
{
    tk_log(1, "RegionCell::settleNested(%d)", force ? 1 : 0);
    PageRegion* p = pending;
    if (!p)
        return;
    pending = nullptr;
    if (force || p->countMaxLines() < 2 || p->cellCount < 2) {
        for (RegionCell* c : p->cells) {
            for (TextLine* l : c->lines)
                addLine(l);
            // A cell of a nested band never holds bands of its own while the page is
            // built; should one appear, its text stays with this cell.
            for (PageRegion* r : c->nestedRegions)
                nestedRegions.push_back(r);
            c->nestedRegions.clear();
        }
        delete p;
        vlx_sort(lines, [](const TextLine* a, const TextLine* b) {
            if (a->base != b->base)
                return a->base < b->base ? -1 : 1;
            if (a->xMin != b->xMin)
                return a->xMin < b->xMin ? -1 : 1;
            return 0;
        });
        return;
    }
    nestedRegions.push_back(p);
    widenTo(*p);
}

} // namespace vlx
