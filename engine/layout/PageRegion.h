#ifndef VLX_PAGE_REGION_H
#define VLX_PAGE_REGION_H

#include <vector>

namespace vlx {

class TextLine;
class RegionCell;

// A band of the page made of side-by-side cells.
class PageRegion {
public:
    enum { VERTICAL_KIND = 100000 };

    int kind = 0;
    int rot = 0;
    int nested = 0;
    int cellCount = 0;
    int maxLines = 0;
    int capacity = 0;
    std::vector<RegionCell*> cells;   // owned; cells.size() == cellCount
    double baseMin = 0, baseMax = 0;
    double yMin = 0, yMax = 0;
    double xMin = 0, xMax = 0;

    explicit PageRegion(int kind = 0, int nested = 0) : kind(kind), nested(nested) {}
    ~PageRegion();
    PageRegion(const PageRegion&) = delete;
    PageRegion& operator=(const PageRegion&) = delete;

    void addCell(RegionCell* cell);
    int countMaxLines();
    void sortCells();
    void mergeCells(int i);
    bool overlapsLine(const TextLine* line) const;
    bool overlapsCell(const RegionCell* cell) const;
    // The six bounds and maxLines widen to a cell of this region.
    void widenTo(const RegionCell& cell);
};

} // namespace vlx

#endif
