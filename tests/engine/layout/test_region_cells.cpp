// Cell and region operations and the table decision on hand-built regions.
#include <gtest/gtest.h>

#include <memory>

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "layout_fixture.h"

using namespace layouttest;
using vlx::PageRegion;
using vlx::RegionCell;
using vlx::TextLine;

namespace {

// Lines are referenced by cells, never owned: keep them here.
class Cells : public ::testing::Test {
protected:
    std::vector<std::unique_ptr<TextLine>> store;

    TextLine* line(double x0, double x1, double base, int chars = 20)
    {
        store.emplace_back(makeLine(x0, x1, base, chars));
        return store.back().get();
    }

    // A cell of `n` lines one step (14 points) apart.
    RegionCell* column(double x0, double x1, int n, double top = 100)
    {
        RegionCell* c = RegionCell::fromLine(line(x0, x1, top));
        for (int i = 1; i < n; ++i)
            c->addLine(line(x0, x1, top + 14 * i));
        return c;
    }

    int countLines(const RegionCell* c)
    {
        int n = c->lineCount();
        for (const PageRegion* r : c->nestedRegions)
            for (const RegionCell* k : r->cells)
                n += countLines(k);
        if (c->pending)
            for (const RegionCell* k : c->pending->cells)
                n += countLines(k);
        return n;
    }
};

TEST_F(Cells, SpacedMarksCountFromThreeOnTheFirstLineAndTwoLater)
{
    TextLine* a = line(72, 200, 100);
    a->regionMark = 2;
    std::unique_ptr<RegionCell> c(RegionCell::fromLine(a));
    EXPECT_EQ(c->spacedLines, 0);
    EXPECT_EQ(a->regionMark, 0);
    TextLine* b = line(72, 200, 114);
    b->regionMark = 2;
    c->addLine(b);
    EXPECT_EQ(c->spacedLines, 1);
    EXPECT_EQ(b->regionMark, 0);
    TextLine* d = line(72, 200, 128);
    d->regionMark = 100; // out of the spaced range
    c->addLine(d);
    EXPECT_EQ(c->spacedLines, 1);

    TextLine* e = line(72, 200, 100);
    e->regionMark = 3;
    std::unique_ptr<RegionCell> c2(RegionCell::fromLine(e));
    EXPECT_EQ(c2->spacedLines, 1);
}

TEST_F(Cells, RegionGrowsItsCellArray)
{
    PageRegion r;
    for (int i = 0; i < 11; ++i)
        r.addCell(column(72 + 40 * i, 100 + 40 * i, 1 + i % 3));
    EXPECT_EQ(r.cellCount, 11);
    EXPECT_EQ(r.capacity, 15);
    EXPECT_EQ(r.maxLines, 3);
    EXPECT_DOUBLE_EQ(r.xMin, 72);
    EXPECT_DOUBLE_EQ(r.xMax, 500);
}

TEST_F(Cells, OverlappingCellsMergeInReadingOrder)
{
    PageRegion r;
    r.addCell(column(300, 500, 2, 100));
    r.addCell(column(72, 250, 3, 100));
    r.addCell(column(80, 240, 2, 200)); // overlaps the second by far more than 40 %
    r.sortCells();
    ASSERT_EQ(r.cellCount, 2);
    EXPECT_DOUBLE_EQ(r.cells[0]->xMin, 72);
    ASSERT_EQ(r.cells[0]->lineCount(), 5);
    for (int i = 1; i < 5; ++i)
        EXPECT_LT(r.cells[0]->lines[i - 1]->base, r.cells[0]->lines[i]->base);
    EXPECT_DOUBLE_EQ(r.cells[1]->xMin, 300);
}

TEST_F(Cells, MergeKeepsTheRemovedCellsBands)
{
    PageRegion r;
    RegionCell* a = column(72, 250, 2, 100);
    RegionCell* b = column(80, 240, 2, 300);
    // b holds a kept nested region and a pending one.
    auto* nested = new PageRegion(0, 1);
    nested->addCell(column(80, 150, 2, 250));
    nested->addCell(column(160, 240, 2, 250));
    b->nestedRegions.push_back(nested);
    b->pending = new PageRegion(0, 1);
    b->pending->addCell(column(80, 150, 1, 350));
    // a has a pending band of its own.
    a->pending = new PageRegion(0, 1);
    a->pending->addCell(column(72, 150, 1, 150));
    r.addCell(a);
    r.addCell(b);
    int before = countLines(a) + countLines(b);
    r.mergeCells(0);
    ASSERT_EQ(r.cellCount, 1);
    RegionCell* kept = r.cells[0];
    EXPECT_EQ(countLines(kept), before);
    ASSERT_EQ(kept->nestedRegions.size(), 1u);
    EXPECT_EQ(kept->nestedRegions[0], nested);
    ASSERT_NE(kept->pending, nullptr);
    EXPECT_EQ(kept->pending->cellCount, 2);
    EXPECT_DOUBLE_EQ(kept->yMax, 350 + 3.5); // widened to the band it took over
}

TEST_F(Cells, SettlingDissolvesThinBands)
{
    RegionCell* c = column(72, 540, 1, 100);
    std::unique_ptr<RegionCell> owner(c);
    // One cell: dissolved, lines re-sorted by baseline.
    c->pending = new PageRegion(0, 1);
    c->pending->addCell(column(300, 540, 2, 50));
    c->settleNested(false);
    EXPECT_EQ(c->pending, nullptr);
    EXPECT_TRUE(c->nestedRegions.empty());
    ASSERT_EQ(c->lineCount(), 3);
    EXPECT_DOUBLE_EQ(c->lines[0]->base, 50);
    EXPECT_DOUBLE_EQ(c->lines[2]->base, 100);

    // Two cells of one line each: dissolved.
    c->pending = new PageRegion(0, 1);
    c->pending->addCell(column(72, 200, 1, 200));
    c->pending->addCell(column(300, 540, 1, 200));
    c->settleNested(false);
    EXPECT_EQ(c->lineCount(), 5);
    EXPECT_TRUE(c->nestedRegions.empty());

    // Two cells of two lines: kept, and the cell widens to it.
    c->pending = new PageRegion(0, 1);
    c->pending->addCell(column(72, 200, 2, 300));
    c->pending->addCell(column(300, 560, 2, 300));
    c->settleNested(false);
    EXPECT_EQ(c->nestedRegions.size(), 1u);
    EXPECT_DOUBLE_EQ(c->xMax, 560);
    EXPECT_DOUBLE_EQ(c->baseMax, 314);

    // Forced: dissolved whatever its shape.
    c->pending = new PageRegion(0, 1);
    c->pending->addCell(column(72, 200, 2, 400));
    c->pending->addCell(column(300, 540, 2, 400));
    c->settleNested(true);
    EXPECT_EQ(c->nestedRegions.size(), 1u);
    EXPECT_EQ(c->lineCount(), 9);
}

TEST_F(Cells, AppendingSettlesPendingBands)
{
    vlx::RegionList list;
    auto* r = new PageRegion(0);
    RegionCell* c = column(72, 540, 2, 100);
    c->pending = new PageRegion(0, 1);
    c->pending->addCell(column(72, 200, 2, 150));
    c->pending->addCell(column(300, 540, 2, 150));
    r->addCell(c);
    RegionCell* empty = column(600, 700, 1, 100);
    empty->pending = new PageRegion(0, 1);
    r->addCell(empty);
    list.appendRegion(r);
    ASSERT_EQ(list.regions.size(), 1u);
    EXPECT_EQ(c->pending, nullptr);
    EXPECT_EQ(empty->pending, nullptr);
    ASSERT_EQ(c->nestedRegions.size(), 1u);
    EXPECT_DOUBLE_EQ(r->yMax, 164 + 3.5);
}

class TableDecision : public Cells {
protected:
    // A region of cells with the given step counts.
    PageRegion* region(std::initializer_list<int> steps)
    {
        auto* r = new PageRegion(0);
        double x = 72;
        for (int n : steps) {
            r->addCell(column(x, x + 100, n));
            x += 120;
        }
        owned.emplace_back(r);
        return r;
    }
    std::vector<std::unique_ptr<PageRegion>> owned;
};

TEST_F(TableDecision, ThreeColumnsAreASection)
{
    PageRegion* r = region({6, 6, 5}); // g = 17 / 18
    EXPECT_EQ(vlx::getRegionLayout(r, false), 0.0);
    EXPECT_EQ(vlx::getRegionLayout(r, true), 0.0);
}

TEST_F(TableDecision, FourColumnsAreATableInTablesMode)
{
    PageRegion* r = region({6, 6, 5, 5});
    EXPECT_EQ(vlx::getRegionLayout(r, false), 0.0);
    EXPECT_DOUBLE_EQ(vlx::getRegionLayout(r, true), 22.4);
}

TEST_F(TableDecision, NestedRegionIsNeverASection)
{
    PageRegion* r = region({6, 6, 5});
    r->nested = 2;
    EXPECT_EQ(vlx::getRegionLayout(r, false), 17.0);
    EXPECT_DOUBLE_EQ(vlx::getRegionLayout(r, true), 17.4);
}

TEST_F(TableDecision, SpacedCellMakesColumns)
{
    PageRegion* r = region({10});
    r->cells[0]->spacedLines = 2; // 20 % > 15 %
    EXPECT_EQ(vlx::getRegionLayout(r, false), 0.0);
    r->cells[0]->spacedLines = 1;
    EXPECT_EQ(vlx::getRegionLayout(r, false), 10.0);
    r->cells[0]->spacedLines = 2;
    r->nested = 1;
    EXPECT_EQ(vlx::getRegionLayout(r, false), 10.0);
}

TEST_F(TableDecision, LineAboveThePreviousOneIsNoSection)
{
    PageRegion* r = region({6, 6});
    r->cells[1]->addLine(line(192, 292, 90)); // back up: the up flag
    EXPECT_EQ(vlx::getRegionLayout(r, false), 13.0);
}

TEST_F(TableDecision, NoStepsOrNoCellsDivideByNothing)
{
    // Every baseline at or above 0: no step anywhere, M = 0, g = 0.
    auto* r = new PageRegion(0);
    owned.emplace_back(r);
    RegionCell* c = RegionCell::fromLine(line(72, 200, -20));
    c->addLine(line(72, 200, -30));
    r->addCell(c);
    EXPECT_EQ(vlx::getRegionLayout(r, true), 2.0);
    PageRegion none;
    EXPECT_EQ(vlx::getRegionLayout(&none, true), 0.0);
    EXPECT_EQ(vlx::getRegionLayout(nullptr, true), 0.0);
}

} // namespace
