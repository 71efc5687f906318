// Page coalescing: blocks, flows, reading order, block columns, rotation, direction, tables mode.
#include "text_test_util.h"

#include <pdf_ulin.h>

#include <map>
#include <set>

using namespace vlx;
using namespace vlx_test;

namespace {

class Coalesce : public TextFixture {
protected:
    // Lines of three words, 17 characters with their spaces.
    void paragraph(double x, double firstBase, int lines, double fs = 10)
    {
        for (int i = 0; i < lines; ++i)
            for (int j = 0; j < 3; ++j)
                page.addWord(word(0, x + 2.75 * fs * j, firstBase + 1.2 * fs * i, fs, uni(j == 1 ? "ipsum" : "Lorem"), fs / 2));
    }
    void coalesce()
    {
        page.coalesce();
        // Every block sits in exactly one flow and once in `blocks`; the pools are empty.
        std::set<const TextBlock*> inFlows;
        for (const TextFlow* f : chainOf(page.flows))
            for (const TextBlock* b : chainOf(f->blocks))
                EXPECT_TRUE(inFlows.insert(b).second);
        EXPECT_EQ(static_cast<int>(page.blocks.size()), page.blockCount);
        EXPECT_EQ(inFlows, std::set<const TextBlock*>(page.blocks.begin(), page.blocks.end()));
        for (TextPool* p : page.pools)
            for (int i = p->minBaseIdx; i <= p->maxBaseIdx; ++i)
                EXPECT_EQ(p->getPool(i), nullptr);
    }
    size_t flowCount() { return chainOf(page.flows).size(); }
};

TEST_F(Coalesce, EmptyAndRawPagesGetNoBlocks)
{
    coalesce();
    EXPECT_EQ(page.blockCount, 0);
    EXPECT_EQ(page.primaryRot, -1);

    TextPage raw(1);
    raw.addWord(hword(100, 100, "first"));
    raw.addWord(hword(50, 50, "second"));
    raw.coalesce();
    EXPECT_EQ(raw.blockCount, 0);
    EXPECT_EQ(raw.rawWords->next, raw.rawLastWord); // content-stream order
}

TEST_F(Coalesce, ParagraphWithIndentedFirstLineIsOneBlock)
{
    // The block starts at the second line, further left; the first joins from above.
    page.addWord(hword(90, 100, "Indented"));
    page.addWord(hword(132.5, 100, "start"));
    paragraph(72, 112, 2);
    coalesce();
    ASSERT_EQ(page.blockCount, 1);
    const TextBlock* b = page.blocks[0];
    EXPECT_EQ(lineTexts(b), (std::vector<std::string>{"Indented start", "Lorem ipsum Lorem", "Lorem ipsum Lorem"}));
    EXPECT_EQ(b->lines->col.front(), 4); // the indent shows in the output columns
    EXPECT_EQ(b->nColumns, 18);
}

TEST_F(Coalesce, GapsBetweenParagraphsSplitBlocksAndFlows)
{
    // 28 points or more below: beyond 1.5 x fs, a new block. A gap between the boxes up to
    // 2.5 x fs keeps the same flow; the first box ends at 115.5, the second starts 9.5 above its base.
    const struct {
        double boxGap;
        size_t flows;
    } rows[] = {{15, 1}, {23, 1}, {25, 1}, {27, 2}, {35, 2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.boxGap);
        page.clear();
        paragraph(72, 100, 2);
        paragraph(72, 125 + r.boxGap, 2);
        coalesce();
        ASSERT_EQ(page.blockCount, 2);
        const TextBlock* upper = page.blocks[0]->yMin < page.blocks[1]->yMin ? page.blocks[0] : page.blocks[1];
        const TextBlock* lower = upper == page.blocks[0] ? page.blocks[1] : page.blocks[0];
        EXPECT_EQ(lower->yMin - upper->yMax, r.boxGap);
        EXPECT_EQ(flowCount(), r.flows);
    }
}

TEST_F(Coalesce, TwoColumnsGiveTwoBlocksTwoFlowsAndSeparateOutputColumns)
{
    paragraph(72, 100, 3);
    for (int i = 0; i < 3; ++i) {
        page.addWord(hword(320, 100 + 12 * i, "Sed"));
        page.addWord(hword(338, 100 + 12 * i, "ut"));
    }
    coalesce();
    ASSERT_EQ(page.blockCount, 2);
    const TextBlock* left = page.blocks[0];
    const TextBlock* right = page.blocks[1];
    EXPECT_DOUBLE_EQ(left->priMax, 320); // free space up to the neighbour's near edge
    EXPECT_DOUBLE_EQ(right->priMin, left->xMax);
    ASSERT_EQ(flowCount(), 2u);
    EXPECT_EQ(chainOf(page.flows->blocks), std::vector<const TextBlock*>{left});
    EXPECT_EQ(right->col, left->nColumns + 3);
    EXPECT_EQ(right->lines->col.front(), 20);
}

TEST_F(Coalesce, NarrowGuttersSplitColumnsFromJustOverAThirdOfTheFontSize)
{
    // 12-point words on one line join across less than 3.6 points; four lines each, so the
    // right column is not taken in as a side label either.
    const struct {
        double gutter;
        const char* line;
    } rows[] = {{3.65, "aaaa"}, {3.55, "aaaa cccc"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.gutter);
        page.clear();
        for (int i = 0; i < 4; ++i) {
            page.addWord(hword(72, 100 + 14.4 * i, "aaaa", 12, 6));
            page.addWord(hword(96 + r.gutter, 100 + 14.4 * i, "cccc", 12, 6));
        }
        coalesce();
        ASSERT_EQ(page.blockCount, r.line == std::string("aaaa") ? 2 : 1);
        EXPECT_EQ(lineTexts(page.blocks[0]), std::vector<std::string>(4, r.line));
    }
}

TEST_F(Coalesce, HeadingFlowsOnlyIntoBodyNotLargerThanItself)
{
    for (double body : {10.0, 14.0}) {
        SCOPED_TRACE(body);
        page.clear();
        page.addWord(word(0, 72, 80, 24 - body, uni("Title"), (24 - body) / 2));
        paragraph(72, body == 10 ? 100 : 104, 3, body);
        coalesce();
        ASSERT_EQ(page.blockCount, 2);
        EXPECT_EQ(lineText(page.blocks[0]->lines), "Title");
        EXPECT_EQ(flowCount(), body == 10 ? 1u : 2u);
    }
}

TEST_F(Coalesce, PrimaryRotationAndDirectionGoByCharacterCounts)
{
    const struct {
        int vertical, hebrew, latin;
        int rot;
        bool lr;
    } cases[] = {
        {4, 0, 4, 0, true},  // a tie keeps the lower rotation
        {5, 0, 4, 1, true},
        {0, 5, 8, 0, false}, // "abc12345": digits count for neither side
        {0, 2, 2, 0, true},  // a balance of 0 reads left to right
    };
    for (const auto& c : cases) {
        page.clear();
        if (c.vertical)
            page.addWord(word(1, 300, 400, 10, std::vector<Unicode>(static_cast<size_t>(c.vertical), 'v')));
        if (c.hebrew)
            page.addWord(word(0, 300, 100, 10, std::vector<Unicode>(static_cast<size_t>(c.hebrew), 0x05D0)));
        page.addWord(hword(300, 112, std::string("abc12345").substr(0, static_cast<size_t>(c.latin))));
        coalesce();
        EXPECT_EQ(page.primaryRot, c.rot) << c.vertical;
        EXPECT_EQ(page.primaryLR, c.lr) << c.hebrew;
    }
}

TEST_F(Coalesce, TurnedPagesReadInTheirOwnDirection)
{
    // Rotation 1: free space is measured along the page height (the body reaches below 612).
    page.addWord(word(1, 620, 500, 14, uni("Title"), 7));
    for (int i = 0; i < 9; ++i)
        page.addWord(word(1, 620 + 27.5 * (i % 3), 470 - 12 * (i / 3), 10, uni("Lorem")));
    coalesce();
    ASSERT_EQ(page.blockCount, 2);
    for (const TextBlock* b : page.blocks)
        EXPECT_DOUBLE_EQ(b->priMax, 792);
    EXPECT_EQ(flowCount(), 1u);
}

TEST_F(Coalesce, DegenerateFontSizesStillGiveAConsistentPage)
{
    page.addWord(hword(72, 100, "zero", 0));
    page.addWord(hword(72, 100, "zero", 0)); // a duplicate nothing can match at size 0
    // Straight into the pool: the page itself refuses boxes this large.
    page.pools[0]->addWord(hword(200, 100, "huge", 1e300));
    page.pools[0]->addWord(hword(300, 300, "huger", 1e308));
    page.addWord(word(1, 100, 500, 10, uni("side")));
    coalesce();
    EXPECT_EQ(page.blockCount, 5);
    page.clear(); // frees blocks and flows once
    EXPECT_EQ(page.flows, nullptr);
}

TEST_F(Coalesce, TablesModeGroupsWordsStartingTogether)
{
    // Words of 5-point characters at x, top to bottom; expected columnGroup per word.
    const struct {
        const char* name;
        bool tables;
        std::vector<std::tuple<double, double, std::string, int>> words;
    } cases[] = {
        {"four start together", true, {{100, 100, "a", 1}, {100, 112, "bb", 1}, {100, 124, "ccc", 1}, {100, 136, "dddd", 1}}},
        {"three are not enough", true, {{100, 100, "a", 0}, {100, 112, "bb", 0}, {100, 124, "ccc", 0}, {300, 100, "zz", 0}}},
        {"a gap of 4 sizes restarts", true,
         {{100, 100, "a", 0}, {100, 112, "bb", 0}, {100, 200, "ccc", 1}, {100, 212, "dddd", 1}, {100, 224, "eeeee", 1},
          {100, 236, "ffffff", 1}}},
        {"numbered across columns", true,
         {{100, 100, "a", 1}, {100, 112, "aa", 1}, {100, 124, "aaa", 1}, {100, 136, "aaaa", 1}, {300, 100, "b", 2},
          {300, 112, "bb", 2}, {300, 124, "bbb", 2}, {300, 136, "bbbb", 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        page.clear();
        pdf_uline_processor proc(c.tables);
        for (const auto& w : c.words)
            page.addWord(hword(std::get<0>(w), std::get<1>(w), std::get<2>(w)));
        coalesce();
        std::map<std::string, int> group;
        for (const TextBlock* b : page.blocks)
            for (const TextLine* l : chainOf(b->lines))
                for (const TextWord* w : chainOf(l->words)) {
                    group[wordText(w)] = w->columnGroup;
                    EXPECT_EQ(w->cellIndex, 0);
                }
        for (const auto& w : c.words)
            EXPECT_EQ(group[std::get<2>(w)], std::get<3>(w)) << std::get<2>(w);
    }
}

} // namespace
