// Region building over hand-placed lines: one column, two columns, vertical text,
// nested bands in tables mode.
#include <gtest/gtest.h>

#include "PageRegion.h"
#include "RegionCell.h"
#include "RegionList.h"
#include "layout_fixture.h"

using namespace layouttest;
using vlx::PageRegion;
using vlx::RegionList;

namespace {

TEST(RegionBuilding, OneColumnIsOneRegionOfOneCell)
{
    Blocks blocks;
    vlx::TextBlock* b = blocks.add();
    for (int i = 0; i < 10; ++i)
        Blocks::append(b, makeLine(72, 540, 100 + 14 * i, 60));
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    ASSERT_EQ(list.lineCount, 10);
    ASSERT_EQ(list.regions.size(), 1u);
    PageRegion* r = list.regions[0];
    EXPECT_EQ(r->kind, 0);
    ASSERT_EQ(r->cellCount, 1);
    EXPECT_EQ(r->cells[0]->lineCount(), 10);
    EXPECT_EQ(r->maxLines, 10);
    EXPECT_DOUBLE_EQ(r->xMin, 72);
    EXPECT_DOUBLE_EQ(r->xMax, 540);
    EXPECT_DOUBLE_EQ(r->baseMin, 100);
    EXPECT_DOUBLE_EQ(r->baseMax, 226);
    // One flow of its ten lines.
    EXPECT_EQ(vlx::getRegionLayout(r, false), 10.0);
}

TEST(RegionBuilding, TwoColumnsAreOneRegionOfTwoCells)
{
    Blocks blocks;
    vlx::TextBlock* right = blocks.add(); // block order does not matter
    vlx::TextBlock* left = blocks.add();
    for (int i = 0; i < 10; ++i) {
        Blocks::append(left, makeLine(72, 290, 100 + 14 * i, 30));
        Blocks::append(right, makeLine(320, 540, 100 + 14 * i, 30));
    }
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    ASSERT_EQ(list.regions.size(), 1u);
    PageRegion* r = list.regions[0];
    ASSERT_EQ(r->cellCount, 2);
    EXPECT_DOUBLE_EQ(r->cells[0]->xMin, 72);
    EXPECT_DOUBLE_EQ(r->cells[1]->xMin, 320);
    EXPECT_EQ(r->cells[0]->lineCount(), 10);
    EXPECT_EQ(r->cells[1]->lineCount(), 10);
    for (vlx::TextLine* l : r->cells[0]->lines)
        EXPECT_EQ(l->blk, left);
    // Ten steps in each column: g = 20 / (10 * 2) = 1, a section with columns.
    EXPECT_EQ(vlx::getRegionLayout(r, false), 0.0);
    EXPECT_EQ(vlx::getRegionLayout(r, true), 0.0);
}

TEST(RegionBuilding, HeadingAboveTwoColumnsClosesItsRegion)
{
    Blocks blocks;
    vlx::TextBlock* head = blocks.add();
    Blocks::append(head, makeLine(72, 540, 80, 60));
    vlx::TextBlock* left = blocks.add();
    vlx::TextBlock* right = blocks.add();
    for (int i = 0; i < 6; ++i) {
        Blocks::append(left, makeLine(72, 290, 120 + 14 * i, 30));
        Blocks::append(right, makeLine(320, 540, 120 + 14 * i, 30));
    }
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    ASSERT_EQ(list.regions.size(), 2u);
    EXPECT_EQ(list.regions[0]->kind, 0);
    EXPECT_EQ(list.regions[0]->cellCount, 1);
    EXPECT_EQ(list.regions[1]->kind, 1);
    EXPECT_EQ(list.regions[1]->cellCount, 2);
}

TEST(RegionBuilding, VerticalTextOnly)
{
    Blocks blocks;
    vlx::TextBlock* v = blocks.add(1);
    Blocks::append(v, makeLine(100, 300, 50, 20, 10, 1));
    Blocks::append(v, makeLine(100, 280, 64, 20, 10, 1));
    blocks.add(3); // a vertical block without lines places nothing
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), true);
    EXPECT_EQ(list.lineCount, 0);
    ASSERT_EQ(list.regions.size(), 1u);
    EXPECT_EQ(list.regions[0]->kind, PageRegion::VERTICAL_KIND);
    ASSERT_EQ(list.regions[0]->cellCount, 1);
    EXPECT_EQ(list.regions[0]->cells[0]->lineCount(), 2);
}

TEST(RegionBuilding, NothingToPlace)
{
    RegionList none;
    none.PageRegionsBuilding(nullptr, 0, false);
    EXPECT_TRUE(none.regions.empty());
    Blocks blocks;
    blocks.add(0);
    blocks.add(1);
    RegionList empty;
    empty.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    EXPECT_TRUE(empty.regions.empty());
    EXPECT_EQ(empty.lineCount, 0);
}

TEST(RegionBuilding, StrayDotBelongsToNoRegion)
{
    Blocks blocks;
    vlx::TextBlock* b = blocks.add();
    Blocks::append(b, makeLine(72, 300, 100, 30));
    vlx::TextLine* dot = makeLine(400, 400.2, 100, 1);
    Blocks::append(blocks.add(), dot);
    Blocks::append(b, makeLine(72, 300, 114, 30));
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    EXPECT_EQ(list.lineCount, 3);
    int placed = 0;
    for (PageRegion* r : list.regions)
        for (vlx::RegionCell* c : r->cells)
            for (vlx::TextLine* l : c->lines) {
                EXPECT_NE(l, dot);
                ++placed;
            }
    EXPECT_EQ(placed, 2);
}

// A full-width line, two rows of two half-width lines inside the same column, and a
// full-width line again.
void sideBySide(Blocks& blocks)
{
    vlx::TextBlock* b = blocks.add();
    Blocks::append(b, makeLine(72, 540, 100, 60));
    vlx::TextBlock* l = blocks.add();
    vlx::TextBlock* r = blocks.add();
    for (int i = 0; i < 2; ++i) {
        Blocks::append(l, makeLine(72, 290, 114 + 14 * i, 30));
        Blocks::append(r, makeLine(320, 540, 114 + 14 * i, 30));
    }
    Blocks::append(blocks.add(), makeLine(72, 540, 142, 60));
}

TEST(RegionBuilding, RowsInsideACellOpenANestedRegionInTablesMode)
{
    Blocks blocks;
    sideBySide(blocks);
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), true);
    ASSERT_EQ(list.regions.size(), 1u);
    PageRegion* r = list.regions[0];
    ASSERT_EQ(r->cellCount, 1);
    vlx::RegionCell* cell = r->cells[0];
    EXPECT_EQ(cell->lineCount(), 2);
    ASSERT_EQ(cell->nestedRegions.size(), 1u);
    PageRegion* nested = cell->nestedRegions[0];
    EXPECT_EQ(nested->nested, 1);
    EXPECT_EQ(nested->kind, 0);
    ASSERT_EQ(nested->cellCount, 2);
    EXPECT_EQ(nested->cells[0]->lineCount(), 2);
    EXPECT_EQ(nested->cells[1]->lineCount(), 2);
    EXPECT_EQ(cell->pending, nullptr);
    // A cell holding a nested region makes its region a section with columns.
    EXPECT_EQ(vlx::getRegionLayout(r, true), 0.0);
}

TEST(RegionBuilding, RowsInsideACellCloseTheRegionWithoutTablesMode)
{
    Blocks blocks;
    sideBySide(blocks);
    RegionList list;
    list.PageRegionsBuilding(blocks.data(), blocks.count(), false);
    ASSERT_GE(list.regions.size(), 2u);
    int lines = 0;
    for (size_t i = 0; i < list.regions.size(); ++i) {
        EXPECT_EQ(list.regions[i]->kind, static_cast<int>(i));
        for (vlx::RegionCell* c : list.regions[i]->cells) {
            EXPECT_TRUE(c->nestedRegions.empty());
            lines += c->lineCount();
        }
    }
    EXPECT_EQ(lines, 6);
}

} // namespace
