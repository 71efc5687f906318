#ifndef VLX_REGION_LIST_H
#define VLX_REGION_LIST_H

#include <vector>

namespace vlx {

class TextLine;
class TextBlock;
class PageRegion;

// The page regions of the flowing layout, top to bottom.
class RegionList {
public:
    std::vector<PageRegion*> regions;   // owned
    std::vector<TextLine*> lines;       // every non-vertical line, in reading order
    int lineCount = 0;

    RegionList() = default;
    ~RegionList();
    RegionList(const RegionList&) = delete;
    RegionList& operator=(const RegionList&) = delete;

    // Reads tables_mode from the convertor.
    RegionList& PageRegionsBuilding(TextBlock** blocks, int blockCount);
    RegionList& PageRegionsBuilding(TextBlock** blocks, int blockCount, bool tablesMode);
    void appendRegion(PageRegion* region);
};

// The table decision: 0 = a section with columns, n = one flow of n lines,
// n + 0.4 = a table. The first form reads tables_mode from the convertor.
double getRegionLayout(const PageRegion* region);
double getRegionLayout(const PageRegion* region, bool tablesMode);

} // namespace vlx

#endif
