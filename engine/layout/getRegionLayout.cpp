#include <algorithm>

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "layout_text.h"
#include "rowRuns.h"
#include "tk_log.h"

namespace vlx {

double getRegionLayout(const PageRegion* region, bool tablesMode)
{
    tk_log(1, "getRegionLayout");
    if (!region)
        return 0.0;
    bool up = false, spaced = false, nest = false, thin = false;
    int total = 0;
    int sum = 0, most = 0;
    for (const RegionCell* cell : region->cells) {
        double prev = 0.0;
        int steps = 0;
        int longest = 0;
        double lastF = 0.0;
        for (const TextLine* l : cell->lines) {
            double f = lineFontSize(l);
            if (f == 0.0)
                f = 8.0;
            if (prev > l->base + 0.6 * f)
                up = true;
            if (l->base > prev + 0.6 * f)
                ++steps;
            ++total;
            prev = l->base;
            longest = std::max(longest, l->len);
            lastF = f;
        }
        int n = cell->lineCount();
        if (n > 0 && cell->spacedLines * 100 / n > 15)
            spaced = true;
        if (!cell->nestedRegions.empty())
            nest = true;
        if (longest < 2 && lastF < 30)
            thin = true;
        sum += steps;
        most = std::max(most, steps);
    }
    int n = region->cellCount;
    // g = S / (M n); with no steps or no cells there is nothing to spread: 0.
    double g = (most > 0 && n > 0) ? static_cast<double>(sum) / (static_cast<double>(most) * n) : 0.0;

    bool columns = (!up && !thin && g > 0.3 && most >= 5 && (n == 2 || n == 3 || (n == 4 && !tablesMode)))
                   || spaced || nest;
    if (columns && region->nested == 0)
        return 0.0;
    if (tablesMode && n >= 3 && g > 0.3 && most * g >= 3.0 && n * g > 2.0)
        return total + 0.4;
    return total;
}

} // namespace vlx
