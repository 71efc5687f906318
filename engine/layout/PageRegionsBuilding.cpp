#include <cmath>

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "layout_text.h"
#include "overlapRatio.h"
#include "rowRuns.h"
#include "tk_log.h"
#include "vlx_sort.h"

namespace vlx {

namespace {

// The walk over the sorted lines of one page.
class RegionWalk {
public:
    RegionWalk(RegionList& list, bool tablesMode) : list(list), tables(tablesMode) {}
    ~RegionWalk() { delete cur; }

    void run()
    {
        if (list.lineCount > 0)
            cur = new PageRegion(0);
        for (int i = 0; i < list.lineCount; ++i)
            place(i);
        if (cur && cur->cellCount > 0) {
            cur->sortCells();
            list.appendRegion(cur);
            cur = nullptr;
        }
    }

private:
    RegionList& list;
    bool tables;
    PageRegion* cur = nullptr;
    int number = 0;

    void closeRegion()
    {
        cur->sortCells();
        PageRegion* done = cur;
        cur = nullptr;
        list.appendRegion(done);
        ++number;
        cur = new PageRegion(number);
    }

    // Settles K's pending band: kept as a nested region, or dissolved into K.
    void settlePending(RegionCell* k)
    {
        PageRegion* p = k->pending;
        if (p->cellCount > 0) {
            p->kind = static_cast<int>(k->nestedRegions.size());
            p->sortCells();
            k->settleNested(cur->cellCount > 3);
            cur->widenTo(*k);
        } else {
            delete p;
        }
        k->pending = nullptr;
    }

    void widenWithPending(RegionCell* k)
    {
        k->widenTo(*k->pending);
        cur->widenTo(*k);
    }

    void place(int i)
    {
        TextLine* l = list.lines[i];
        if (l->len == 1 && std::fabs(l->xMax - l->xMin) < 0.3)
            return;
        if (!cur)
            cur = new PageRegion(number);
        bool s = spansCells(list, *cur, i);
        int c = runsInCells(list, *cur, i);
        if (cur->cellCount > 0 &&
            (s || c == 2 || (c == 1 && !tables) || startsNewRegion(list, *cur, i)))
            closeRegion();

        int k = 0;
        while (k < cur->cellCount && !lineFitsCell(*cur, l, k))
            ++k;
        if (k == cur->cellCount) {
            RegionCell* n = RegionCell::fromLine(l);
            if (cur->overlapsCell(n) && overlapRatio(cur->yMin, cur->yMax, n->yMin, n->yMax) < 0.01)
                closeRegion();
            cur->addCell(n);
            return;
        }

        RegionCell* kc = cur->cells[k];
        if (PageRegion* p = kc->pending) {
            bool s2 = spansCells(list, *p, i);
            int c2 = runsInCells(list, *p, i);
            bool settle = true;
            if (p->cellCount > 0 && !s2 && c2 == 0) {
                double h = std::fabs(p->yMax - l->base);
                if (!(h > 10.0 && !p->overlapsLine(l)) && h <= 40.0) {
                    int m = 0;
                    while (m < p->cellCount && !lineFitsCell(*p, l, m))
                        ++m;
                    if (m < p->cellCount) {
                        p->cells[m]->addLine(l);
                        p->widenTo(*p->cells[m]);
                    } else {
                        p->addCell(RegionCell::fromLine(l));
                    }
                    settle = false;
                }
            }
            if (!settle) {
                widenWithPending(kc);
                return;
            }
            settlePending(kc);
        }

        if (tables && continuesInCell(list, *kc, i) != 0) {
            kc->pending = new PageRegion(0, cur->cellCount);
            kc->pending->addCell(RegionCell::fromLine(l));
            widenWithPending(kc);
            return;
        }
        kc->addLine(l);
        cur->widenTo(*kc);
    }
};

} // namespace

RegionList& RegionList::PageRegionsBuilding(TextBlock** blocks, int blockCount, bool tablesMode)
{
    tk_log(2, "RegionList::PageRegionsBuilding(%d)", blockCount);
    for (PageRegion* r : regions)
        delete r;
    regions.clear();
    lines.clear();
    lineCount = 0;
    if (!blocks || blockCount <= 0)
        return *this;

    PageRegion* vertical = nullptr;
    for (int b = 0; b < blockCount; ++b) {
        TextBlock* blk = blocks[b];
        if (!blk || !blk->lines)
            continue;   // a block without lines has nothing to place
        if (blk->rot == 1 || blk->rot == 3) {
            RegionCell* cell = RegionCell::fromLine(blk->lines);
            for (TextLine* l = blk->lines->next; l; l = l->next)
                cell->addLine(l);
            if (!vertical) {
                vertical = new PageRegion(PageRegion::VERTICAL_KIND);
                regions.push_back(vertical);
            }
            vertical->addCell(cell);
        } else {
            for (TextLine* l = blk->lines; l; l = l->next)
                lines.push_back(l);
        }
    }
    vlx_sort(lines, [](TextLine* a, TextLine* b) { return TextLine::cmpYX(a, b); });
    lineCount = static_cast<int>(lines.size());

    RegionWalk(*this, tablesMode).run();
    return *this;
}

} // namespace vlx
