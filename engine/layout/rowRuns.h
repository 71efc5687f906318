#ifndef VLX_ROW_RUNS_H
#define VLX_ROW_RUNS_H

namespace vlx {

class TextLine;
class PageRegion;
class RegionCell;
class RegionList;

// Tests on runs of sorted lines that decide where line i belongs.
bool spansCells(RegionList& list, const PageRegion& region, int i);
int continuesInCell(const RegionList& list, const RegionCell& cell, int i);
int runsInCells(const RegionList& list, const PageRegion& region, int i);
bool startsNewRegion(const RegionList& list, PageRegion& region, int i);
bool lineFitsCell(PageRegion& region, const TextLine* line, int k);

// Average font size of a line, 0 for a line without words.
double lineFontSize(const TextLine* line);

} // namespace vlx

#endif
