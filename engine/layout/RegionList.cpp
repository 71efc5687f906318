#include "RegionList.h"

#include "PageRegion.h"
#include "RegionCell.h"
#include "tk_log.h"

namespace vlx {

RegionList::~RegionList()
{
    for (PageRegion* r : regions)
        delete r;
}

void RegionList::appendRegion(PageRegion* region)
{
    tk_log(1, "RegionList::appendRegion(kind=%d)", region->kind);
    for (RegionCell* cell : region->cells) {
        PageRegion* p = cell->pending;
        if (!p)
            continue;
        if (p->cellCount > 0) {
            p->kind = static_cast<int>(cell->nestedRegions.size());
            cell->settleNested(region->cellCount >= 4);
            region->widenTo(*cell);
        } else {
            delete p;
        }
        cell->pending = nullptr;
    }
    regions.push_back(region);
}

} // namespace vlx
