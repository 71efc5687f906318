// Cell and region operations and the table decision on hand-built regions.
#include <gtest/gtest.h>

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
    RegionCell* column(double x0, double x1, int n, double top = 100, int chars = 20)
    {
        RegionCell* c = RegionCell::fromLine(line(x0, x1, top, chars));
        for (int i = 1; i < n; ++i)
            c->addLine(line(x0, x1, top + 14 * i, chars));
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
    for (int mark : {2, 100, 1}) { // 100 is out of the spaced range
        TextLine* b = line(72, 200, 114);
        b->regionMark = mark;
        c->addLine(b);
        EXPECT_EQ(b->regionMark, 0);
    }
    EXPECT_EQ(c->spacedLines, 1);
}

TEST_F(Cells, OverlappingCellsMergeKeepingTheRemovedCellsBands)
{
    PageRegion r;
    RegionCell* a = column(72, 250, 3, 100);
    RegionCell* b = column(80, 240, 2, 300); // overlaps a by far more than 40 %
    // b holds a kept nested region and a pending one; a has a pending band of its own.
    auto* nested = new PageRegion(0, 1);
    nested->addCell(column(80, 150, 2, 250));
    nested->addCell(column(160, 240, 2, 250));
    b->nestedRegions.push_back(nested);
    b->pending = new PageRegion(0, 1);
    b->pending->addCell(column(80, 150, 1, 350));
    a->pending = new PageRegion(0, 1);
    a->pending->addCell(column(72, 150, 1, 150));
    r.addCell(column(300, 500, 2, 100));
    r.addCell(a);
    r.addCell(b);
    const int before = countLines(a) + countLines(b);
    r.sortCells();
    ASSERT_EQ(r.cellCount, 2);
    RegionCell* kept = r.cells[0];
    EXPECT_DOUBLE_EQ(kept->xMin, 72);
    ASSERT_EQ(kept->lineCount(), 5);
    for (int i = 1; i < 5; ++i)
        EXPECT_LT(kept->lines[i - 1]->base, kept->lines[i]->base);
    EXPECT_EQ(countLines(kept), before);
    ASSERT_EQ(kept->nestedRegions.size(), 1u);
    EXPECT_EQ(kept->nestedRegions[0], nested);
    ASSERT_NE(kept->pending, nullptr);
    EXPECT_EQ(kept->pending->cellCount, 2);
    EXPECT_DOUBLE_EQ(kept->yMax, 350 + 3.5); // widened to the band it took over
}

TEST_F(Cells, SettlingDissolvesThinOrForcedBands)
{
    const struct {
        const char* name;
        int cells, linesPerCell;
        bool force, kept;
    } cases[] = {
        {"one cell", 1, 2, false, false},
        {"two cells of one line", 2, 1, false, false},
        {"two cells of two lines", 2, 2, false, true},
        {"forced", 2, 2, true, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        std::unique_ptr<RegionCell> c(column(72, 540, 1, 100));
        c->pending = new PageRegion(0, 1);
        for (int i = 0; i < k.cells; ++i)
            c->pending->addCell(column(300 + 130 * i, 420 + 130 * i, k.linesPerCell, 50));
        c->settleNested(k.force);
        EXPECT_EQ(c->pending, nullptr);
        EXPECT_EQ(c->nestedRegions.size(), k.kept ? 1u : 0u);
        EXPECT_EQ(c->lineCount(), k.kept ? 1 : 1 + k.cells * k.linesPerCell);
        // Dissolved lines are re-sorted by baseline; the cell widens either way.
        EXPECT_DOUBLE_EQ(c->lines[0]->base, k.kept ? 100 : 50);
        EXPECT_DOUBLE_EQ(c->xMax, k.cells == 2 ? 550 : 540);
    }
}

TEST_F(Cells, TableDecision)
{
    // Regions of cells with the given step counts, 14 points apart.
    const struct {
        const char* name;
        std::vector<int> steps;
        int nested, spaced;
        double plain, tables;
    } cases[] = {
        {"three columns: g = 17 / 18", {6, 6, 5}, 0, 0, 0, 0},
        {"four columns: a table in tables mode", {6, 6, 5, 5}, 0, 0, 0, 22.4},
        {"two columns of 5 steps", {5, 5}, 0, 0, 0, 0},
        {"two columns of 4 steps: one flow", {4, 4}, 0, 0, 8, 8},
        {"nested: never a section", {6, 6, 5}, 2, 0, 17, 17.4},
        {"2 of 10 lines spaced (20 % > 15 %)", {10}, 0, 2, 0, 0},
        {"1 of 10 lines spaced", {10}, 0, 1, 10, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PageRegion r;
        for (size_t i = 0; i < c.steps.size(); ++i)
            r.addCell(column(72 + 120.0 * i, 172 + 120.0 * i, c.steps[i]));
        r.nested = c.nested;
        r.cells[0]->spacedLines = c.spaced;
        EXPECT_DOUBLE_EQ(vlx::getRegionLayout(&r, false), c.plain);
        EXPECT_DOUBLE_EQ(vlx::getRegionLayout(&r, true), c.tables);
    }
    // Two-digit numbers beside text stand in a column; single characters make a thin cell: no section.
    for (int chars : {2, 1}) {
        SCOPED_TRACE(chars);
        PageRegion numbers;
        numbers.addCell(column(72, 172, 6));
        numbers.addCell(column(192, 204, 6, 100, chars));
        EXPECT_EQ(vlx::getRegionLayout(&numbers, true), chars == 2 ? 0.0 : 12.0);
    }
    // A line back above the previous one sets the up flag: no section.
    PageRegion up;
    up.addCell(column(72, 172, 6));
    up.addCell(column(192, 292, 6));
    up.cells[1]->addLine(line(192, 292, 90));
    EXPECT_EQ(vlx::getRegionLayout(&up, false), 13.0);
    // Every baseline at or above 0: no step anywhere, M = 0, g = 0.
    PageRegion r;
    RegionCell* c = RegionCell::fromLine(line(72, 200, -20));
    c->addLine(line(72, 200, -30));
    r.addCell(c);
    EXPECT_EQ(vlx::getRegionLayout(&r, true), 2.0);
    PageRegion none;
    EXPECT_EQ(vlx::getRegionLayout(&none, true), 0.0);
    EXPECT_EQ(vlx::getRegionLayout(nullptr, true), 0.0);
}

} // namespace
