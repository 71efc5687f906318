#ifndef VLX_REGION_CELL_H
#define VLX_REGION_CELL_H

#include <vector>

namespace vlx {

class TextLine;
class TextBlock;
class PageRegion;

// A vertical run of lines inside a page region: one text column or one table column.
// It may hold smaller bands of cells of its own (nested regions).
class RegionCell {
public:
    double xMin = 0, xMax = 0;
    double baseMin = 0, baseMax = 0;
    double yMin = 0, yMax = 0;
    int columnGroup = 0;
    int spacedLines = 0;
    int rot = 0;
    TextBlock* blk = nullptr;
    PageRegion* pending = nullptr;            // owned
    std::vector<PageRegion*> nestedRegions;   // owned
    std::vector<TextLine*> lines;             // referenced only

    RegionCell() = default;
    ~RegionCell();
    RegionCell(const RegionCell&) = delete;
    RegionCell& operator=(const RegionCell&) = delete;

    static RegionCell* fromLine(TextLine* line);
    void addLine(TextLine* line);
    void settleNested(bool force);
    // Widens the cell to a nested region (its baselines only when it has cells).
    void widenTo(const PageRegion& region);
    int lineCount() const { return static_cast<int>(lines.size()); }
};

} // namespace vlx

#endif
