// The region analysis reads the tables setting from the conversion job.
#include "RegionList.h"
#include "engine/job/vlx_conv.h"

namespace vlx {

static bool tablesMode()
{
    return vellix_convertor::instance().tables_mode;
}

RegionList& RegionList::PageRegionsBuilding(TextBlock** blocks, int blockCount)
{
    return PageRegionsBuilding(blocks, blockCount, tablesMode());
}

double getRegionLayout(const PageRegion* region)
{
    return getRegionLayout(region, tablesMode());
}

} // namespace vlx
