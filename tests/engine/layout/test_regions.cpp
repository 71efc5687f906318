// Region building over hand-placed lines.
#include <gtest/gtest.h>

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "layout_fixture.h"

using namespace layouttest;
using vlx::PageRegion;
using vlx::RegionList;

namespace {

class RegionBuilding : public ::testing::Test {
protected:
    // Adds a block of `n` lines 14 points apart from `top`, 2 characters per 7 points of width.
    vlx::TextBlock* block(double x0, double x1, double top, int n = 1)
    {
        vlx::TextBlock* b = blocks.add();
        for (int i = 0; i < n; ++i)
            Blocks::append(b, makeLine(x0, x1, top + 14 * i, static_cast<int>((x1 - x0) / 7.8)));
        return b;
    }
    void build(bool tables) { list.PageRegionsBuilding(blocks.data(), blocks.count(), tables); }
    Blocks blocks;
    RegionList list;
};

TEST_F(RegionBuilding, HeadingClosesItsRegionAndColumnsSideBySideAreOne)
{
    block(72, 540, 80);
    block(320, 540, 120, 10); // block order does not matter
    vlx::TextBlock* left = block(72, 290, 120, 10);
    build(false);
    ASSERT_EQ(list.lineCount, 21);
    ASSERT_EQ(list.regions.size(), 2u);
    EXPECT_EQ(list.regions[0]->cellCount, 1);
    EXPECT_EQ(vlx::getRegionLayout(list.regions[0], false), 1.0); // one flow of its lines
    PageRegion* r = list.regions[1];
    EXPECT_EQ(r->kind, 1);
    ASSERT_EQ(r->cellCount, 2);
    EXPECT_DOUBLE_EQ(r->cells[1]->xMin, 320);
    EXPECT_DOUBLE_EQ(r->baseMax, 246);
    EXPECT_EQ(r->cells[0]->lines[9]->blk, left);
    // Ten steps in each column: g = 1, a section with columns.
    EXPECT_EQ(vlx::getRegionLayout(r, true), 0.0);
}

TEST_F(RegionBuilding, LineFurtherBelowThanFourTimesItsSizeStartsARegion)
{
    // Full-width 10-point lines; the upper box ends at 83.5, the lower starts 9.5 above its base.
    const struct {
        double gap;
        size_t regions;
    } rows[] = {{35, 1}, {40, 1}, {45, 2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.gap);
        blocks = Blocks();
        block(72, 540, 80);
        block(72, 540, 93 + r.gap);
        build(false);
        ASSERT_EQ(list.lineCount, 2);
        EXPECT_EQ(list.lines[1]->yMin - list.lines[0]->yMax, r.gap);
        EXPECT_EQ(list.regions.size(), r.regions);
    }
    // A line of size 0 whose box reaches 0.2 into the upper line's: no size to measure the distance
    // in, so it starts a region after a sized line and stays with a sizeless one.
    const struct {
        double upperSize;
        size_t regions;
    } sizeless[] = {{10, 2}, {0, 1}};
    for (const auto& r : sizeless) {
        SCOPED_TRACE(r.upperSize);
        blocks = Blocks();
        vlx::TextLine* upper = makeLine(72, 540, 80, 60, r.upperSize);
        Blocks::append(blocks.add(), upper);
        Blocks::append(blocks.add(), makeLine(72, 540, upper->yMax - 0.2, 60, 0));
        build(false);
        ASSERT_EQ(list.lineCount, 2);
        EXPECT_NEAR(list.lines[1]->yMin - list.lines[0]->yMax, -0.2, 1e-9);
        EXPECT_EQ(list.regions.size(), r.regions);
    }
}

TEST_F(RegionBuilding, VerticalTextAndEmptyPages)
{
    RegionList none;
    none.PageRegionsBuilding(nullptr, 0, false);
    EXPECT_TRUE(none.regions.empty());
    blocks.add(0); // blocks without lines place nothing
    blocks.add(3);
    build(false);
    EXPECT_TRUE(list.regions.empty());

    vlx::TextBlock* v = blocks.add(1);
    Blocks::append(v, makeLine(100, 300, 50, 20, 10, 1));
    Blocks::append(v, makeLine(100, 280, 64, 20, 10, 1));
    RegionList vertical;
    vertical.PageRegionsBuilding(blocks.data(), blocks.count(), true);
    EXPECT_EQ(vertical.lineCount, 0);
    ASSERT_EQ(vertical.regions.size(), 1u);
    EXPECT_EQ(vertical.regions[0]->kind, PageRegion::VERTICAL_KIND);
    EXPECT_EQ(vertical.regions[0]->cells[0]->lineCount(), 2);
}

TEST_F(RegionBuilding, RowsInsideACellNestInTablesModeAndCloseTheRegionOtherwise)
{
    // A full-width line, two rows of two half-width lines under it, a full-width line again.
    block(72, 540, 100);
    block(72, 290, 114, 2);
    block(320, 540, 114, 2);
    block(72, 540, 142);
    build(true);
    ASSERT_EQ(list.regions.size(), 1u);
    vlx::RegionCell* cell = list.regions[0]->cells[0];
    EXPECT_EQ(cell->lineCount(), 2);
    ASSERT_EQ(cell->nestedRegions.size(), 1u);
    PageRegion* nested = cell->nestedRegions[0];
    EXPECT_EQ(nested->nested, 1);
    ASSERT_EQ(nested->cellCount, 2);
    EXPECT_EQ(nested->cells[1]->lineCount(), 2);
    // A cell holding a nested region makes its region a section with columns.
    EXPECT_EQ(vlx::getRegionLayout(list.regions[0], true), 0.0);

    RegionList plain;
    plain.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    ASSERT_GE(plain.regions.size(), 2u);
    int lines = 0;
    for (PageRegion* r : plain.regions)
        for (vlx::RegionCell* c : r->cells) {
            EXPECT_TRUE(c->nestedRegions.empty());
            lines += c->lineCount();
        }
    EXPECT_EQ(lines, 6);

    // Side by side columns, the first holding two rows of two pieces: beside two more columns the
    // rows stay a band of their own; beside three, the band is forced back into its cell. So too
    // when the rows end the column and the band is settled as the region closes.
    for (bool rowsEnd : {false, true})
        for (int columns : {3, 4}) {
            SCOPED_TRACE(testing::Message() << columns << (rowsEnd ? " rows end the column" : ""));
            blocks = Blocks();
            block(72, 180, 100, 2);
            block(72, 120, 128, 2);
            block(132, 180, 128, 2);
            if (!rowsEnd)
                block(72, 180, 156, 4);
            for (int c = 1; c < columns; ++c)
                block(72 + 120 * c, 180 + 120 * c, 100, 8);
            RegionList three;
            three.PageRegionsBuilding(blocks.data(), blocks.count(), true);
            ASSERT_EQ(three.regions.size(), 1u);
            ASSERT_EQ(three.regions[0]->cellCount, columns);
            vlx::RegionCell* first = three.regions[0]->cells[0];
            ASSERT_EQ(first->nestedRegions.size(), columns == 3 ? 1u : 0u);
            EXPECT_EQ(first->lineCount(), (columns == 3 ? 2 : 6) + (rowsEnd ? 0 : 4));
            if (columns == 3)
                EXPECT_EQ(first->nestedRegions[0]->cellCount, 2);
        }
}

} // namespace
