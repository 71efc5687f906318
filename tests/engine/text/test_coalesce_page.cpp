// Page coalescing: blocks, flows, reading order, block columns, primary rotation and direction.
#include "test_coalesce_fixtures.h"

#include <algorithm>
#include <set>

using namespace vlx;
using namespace vlx_test;

namespace {

class Coalesce : public PageFixture {
protected:
    // One line of three words at x, 17 characters with their spaces.
    void line(double x, double base, double fs = 10, double adv = 5)
    {
        add(mk.make(0, x, base, fs, "Lorem", adv));
        add(mk.make(0, x + 5.5 * adv, base, fs, "ipsum", adv));
        add(mk.make(0, x + 11 * adv, base, fs, "dolor", adv));
    }
    void paragraph(double x, double firstBase, int lines, double fs = 10)
    {
        for (int i = 0; i < lines; ++i)
            line(x, firstBase + 1.2 * fs * i, fs, fs / 2);
    }

    // Every block sits in exactly one flow and once in `blocks`; the chains end.
    void expectConsistent()
    {
        std::set<const TextBlock*> inFlows;
        for (const TextFlow* f : flowsOf(page)) {
            ASSERT_NE(f->blocks, nullptr);
            EXPECT_EQ(f->lastBlk->next, nullptr);
            for (const TextBlock* b : blocksOf(f)) {
                EXPECT_TRUE(inFlows.insert(b).second);
                EXPECT_EQ(b->stackNext, nullptr);
            }
        }
        std::set<const TextBlock*> listed(page.blocks.begin(), page.blocks.end());
        EXPECT_EQ(static_cast<int>(page.blocks.size()), page.blockCount);
        EXPECT_EQ(listed.size(), page.blocks.size());
        EXPECT_EQ(inFlows, listed);
        for (int r = 0; r < 4; ++r)
            for (int i = page.pools[r]->minBaseIdx; i <= page.pools[r]->maxBaseIdx; ++i)
                EXPECT_EQ(page.pools[r]->getPool(i), nullptr);
    }

    const TextBlock* blockWith(const std::string& firstLine)
    {
        for (const TextBlock* b : page.blocks)
            if (b->lines && lineText(b->lines) == firstLine)
                return b;
        return nullptr;
    }
};

TEST_F(Coalesce, EmptyPageGivesNothing)
{
    page.coalesce();
    EXPECT_EQ(page.blockCount, 0);
    EXPECT_TRUE(page.blocks.empty());
    EXPECT_EQ(page.flows, nullptr);
    EXPECT_EQ(page.primaryRot, -1);
    EXPECT_TRUE(page.primaryLR);
}

TEST_F(Coalesce, RawOrderKeepsTheRawList)
{
    TextPage raw(1);
    raw.pageWidth = 612;
    raw.pageHeight = 792;
    raw.addWord(mk.h(100, 100, "first"));
    raw.addWord(mk.h(50, 50, "second"));
    raw.primaryRot = 3;
    raw.coalesce();
    EXPECT_EQ(raw.primaryRot, 0);
    EXPECT_TRUE(raw.primaryLR);
    EXPECT_EQ(raw.blockCount, 0);
    EXPECT_EQ(raw.flows, nullptr);
    ASSERT_NE(raw.rawWords, nullptr);
    EXPECT_EQ(raw.rawWords->next, raw.rawLastWord);
}

TEST_F(Coalesce, ParagraphLinesJoinOneBlockAndOneFlow)
{
    paragraph(72, 100, 3);
    page.coalesce();
    ASSERT_EQ(page.blockCount, 1);
    const TextBlock* b = page.blocks[0];
    EXPECT_EQ(lineTexts(b), (std::vector<std::string>{"Lorem ipsum dolor", "Lorem ipsum dolor", "Lorem ipsum dolor"}));
    EXPECT_EQ(b->charCount, 51);
    EXPECT_EQ(b->nColumns, 17);
    ASSERT_EQ(flowsOf(page).size(), 1u);
    EXPECT_EQ(page.flows->blocks, b);
    EXPECT_EQ(page.primaryRot, 0);
    expectConsistent();
}

TEST_F(Coalesce, IndentedFirstLineIsGatheredFromAbove)
{
    // The block starts at the second line, which lies further left; the first joins from above.
    add(mk.h(90, 100, "Indented"));
    add(mk.h(132.5, 100, "start"));
    paragraph(72, 112, 2);
    page.coalesce();
    ASSERT_EQ(page.blockCount, 1);
    EXPECT_EQ(lineTexts(page.blocks[0]),
              (std::vector<std::string>{"Indented start", "Lorem ipsum dolor", "Lorem ipsum dolor"}));
    // The indent shows in the output columns: "Indented" starts past three characters.
    EXPECT_EQ(page.blocks[0]->lines->col.front(), 4);
    expectConsistent();
}

TEST_F(Coalesce, LinesTooFarApartStartNewBlocks)
{
    paragraph(72, 100, 2);
    paragraph(72, 140, 2); // 28 points below the last line: beyond 1.5 x fs
    page.coalesce();
    EXPECT_EQ(page.blockCount, 2);
    // The gap between the blocks is within 2.5 x fs: still one column of running text.
    EXPECT_EQ(flowsOf(page).size(), 1u);
    expectConsistent();
}

TEST_F(Coalesce, AWideGapBetweenBlocksEndsTheFlow)
{
    paragraph(72, 100, 2);
    paragraph(72, 160, 2); // block gap 35 > 2.5 x fs
    page.coalesce();
    EXPECT_EQ(page.blockCount, 2);
    EXPECT_EQ(flowsOf(page).size(), 2u);
    expectConsistent();
}

TEST_F(Coalesce, TwoColumnsGiveTwoBlocksTwoFlowsAndSeparateOutputColumns)
{
    paragraph(72, 100, 3);
    for (int i = 0; i < 3; ++i) {
        add(mk.h(320, 100 + 12 * i, "Sed"));
        add(mk.h(338, 100 + 12 * i, "ut"));
    }
    page.coalesce();
    ASSERT_EQ(page.blockCount, 2);
    const TextBlock* left = page.blocks[0];
    const TextBlock* right = page.blocks[1];
    EXPECT_DOUBLE_EQ(left->xMin, 72);
    EXPECT_DOUBLE_EQ(right->xMin, 320);
    // Free space: up to the neighbour's near edge.
    EXPECT_DOUBLE_EQ(left->priMin, 0);
    EXPECT_DOUBLE_EQ(left->priMax, 320);
    EXPECT_DOUBLE_EQ(right->priMin, left->xMax);
    EXPECT_DOUBLE_EQ(right->priMax, 612);
    // The right column is not read on from the left one.
    auto flows = flowsOf(page);
    ASSERT_EQ(flows.size(), 2u);
    EXPECT_EQ(blocksOf(flows[0]), std::vector<const TextBlock*>{left});
    EXPECT_EQ(blocksOf(flows[1]), std::vector<const TextBlock*>{right});
    // Block columns: the right block starts three past the left block's columns.
    EXPECT_EQ(left->col, 0);
    EXPECT_EQ(right->col, left->nColumns + 3);
    EXPECT_EQ(right->lines->col.front(), 20);
    EXPECT_EQ(right->lines->col.back(), 26);
    expectConsistent();
}

TEST_F(Coalesce, HeadingFlowsIntoSmallerBodyButNotIntoLargerBody)
{
    add(mk.make(0, 72, 80, 14, "Title", 7));
    paragraph(72, 100, 3);
    page.coalesce();
    ASSERT_EQ(page.blockCount, 2);
    EXPECT_EQ(lineText(page.blocks[0]->lines), "Title");
    auto flows = flowsOf(page);
    ASSERT_EQ(flows.size(), 1u);
    EXPECT_EQ(blocksOf(flows[0]).size(), 2u);
    expectConsistent();
}

TEST_F(Coalesce, SmallHeadingDoesNotFlowIntoLargerBody)
{
    add(mk.make(0, 72, 80, 10, "Title", 5));
    paragraph(72, 104, 3, 14);
    page.coalesce();
    ASSERT_EQ(page.blockCount, 2);
    EXPECT_EQ(flowsOf(page).size(), 2u);
    expectConsistent();
}

TEST_F(Coalesce, ShortLabelsBesideAParagraphJoinIt)
{
    // A label 5 points left of the text: beyond 0.3 x fs, within 1 x fs.
    add(mk.h(50, 100, "1."));
    for (int i = 0; i < 4; ++i)
        line(65, 100 + 12 * i);
    page.coalesce();
    ASSERT_EQ(page.blockCount, 1);
    EXPECT_EQ(lineText(page.blocks[0]->lines), "1. Lorem ipsum dolor");
    expectConsistent();
}

TEST_F(Coalesce, LabelsOnFourLinesStayAColumnOfTheirOwn)
{
    for (int i = 0; i < 4; ++i) {
        add(mk.h(50, 100 + 12 * i, "1."));
        line(65, 100 + 12 * i);
    }
    page.coalesce();
    ASSERT_EQ(page.blockCount, 2);
    const TextBlock* labels = blockWith("1.");
    ASSERT_NE(labels, nullptr);
    EXPECT_EQ(labels->nLines, 4);
    expectConsistent();
}

TEST_F(Coalesce, PrimaryRotationHoldsTheMostCharacters)
{
    add(mk.make(0, 72, 100, 10, "abcd"));
    add(mk.make(1, 300, 400, 10, "wxyz"));
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 0); // a tie keeps the lower rotation

    page.clear();
    add(mk.make(0, 72, 100, 10, "abcd"));
    add(mk.make(1, 300, 400, 10, "vwxyz"));
    add(mk.make(3, 300, 200, 10, "ab"));
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 1);
    EXPECT_EQ(page.blockCount, 3);
    expectConsistent();
}

TEST_F(Coalesce, DirectionIsTheBalanceOfStrongCharacters)
{
    add(mk.make(0, 300, 100, 10, std::vector<Unicode>{0x05E9, 0x05DC, 0x05D5, 0x05DD, 0x05D0}));
    add(mk.make(0, 300, 112, 10, "abc12345")); // digits count for neither side
    page.coalesce();
    EXPECT_FALSE(page.primaryLR);

    page.clear();
    add(mk.make(0, 300, 100, 10, std::vector<Unicode>{0x05E9, 0x05DC}));
    add(mk.make(0, 300, 112, 10, "ab"));
    page.coalesce();
    EXPECT_TRUE(page.primaryLR); // a balance of 0 reads left to right
}

TEST_F(Coalesce, VerticalPageMeasuresFreeSpaceAlongThePageHeight)
{
    // Turned a quarter clockwise: lines run down the page and follow each other leftwards.
    // The body reaches below y = 612, the page width.
    add(mk.make(1, 620, 500, 14, "Title", 7));
    for (int i = 0; i < 3; ++i) {
        add(mk.make(1, 620, 470 - 12 * i, 10, "Lorem"));
        add(mk.make(1, 647.5, 470 - 12 * i, 10, "ipsum"));
        add(mk.make(1, 675, 470 - 12 * i, 10, "dolor"));
    }
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 1);
    ASSERT_EQ(page.blockCount, 2);
    for (const TextBlock* b : page.blocks)
        EXPECT_DOUBLE_EQ(b->priMax, 792);
    EXPECT_EQ(lineText(page.blocks[0]->lines), "Title");
    auto flows = flowsOf(page);
    ASSERT_EQ(flows.size(), 1u);
    EXPECT_EQ(blocksOf(flows[0]).size(), 2u);
    expectConsistent();
}

TEST_F(Coalesce, UpsideDownTextReadsFromTheRight)
{
    // Rotation 2: the text runs leftwards; the first column is the one on the right.
    for (int i = 0; i < 3; ++i) {
        add(mk.make(2, 500, 700 - 12 * i, 10, "abcde"));
        add(mk.make(2, 200, 700 - 12 * i, 10, "vwxyz"));
    }
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 2);
    ASSERT_EQ(page.blockCount, 2);
    EXPECT_DOUBLE_EQ(page.blocks[0]->xMax, 500);
    EXPECT_EQ(page.blocks[0]->col, 0);
    EXPECT_EQ(page.blocks[1]->col, page.blocks[0]->nColumns + 3);
    EXPECT_EQ(lineTexts(page.blocks[0]).front(), "abcde");
    EXPECT_EQ(flowsOf(page).size(), 2u);
    expectConsistent();
}

TEST_F(Coalesce, ClearAfterCoalesceFreesEverythingOnce)
{
    paragraph(72, 100, 2);
    add(mk.h(400, 100, "aside"));
    page.coalesce();
    expectConsistent();
    page.clear();
    EXPECT_EQ(page.flows, nullptr);
    // The page is reusable.
    paragraph(72, 100, 1);
    page.coalesce();
    EXPECT_EQ(page.blockCount, 1);
    expectConsistent();
}

} // namespace

namespace {

TEST_F(Coalesce, DegenerateFontSizesStillGiveAConsistentPage)
{
    add(mk.make(0, 72, 100, 0, "zero"));
    add(mk.make(0, 72, 100, 0, "zero")); // a duplicate nothing can match at size 0
    // Straight into the pool: the page itself refuses boxes this large.
    page.pools[0]->addWord(mk.make(0, 200, 100, 1e300, "huge"));
    page.pools[0]->addWord(mk.make(0, 300, 300, 1e308, "huger"));
    add(mk.make(1, 100, 500, 10, "side"));
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 0);
    EXPECT_EQ(page.blockCount, 5);
    expectConsistent();
}

} // namespace
