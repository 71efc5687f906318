// Block line building: duplicates, lines joined or not, spaces and merges, text, columns.
#include "test_coalesce_fixtures.h"

#include "TextFontInfo.h"

#include <UnicodeMap.h>

using namespace vlx;
using namespace vlx_test;

namespace {

class BlockLines : public PageFixture {
protected:
    // A block of rotation rot holding the given words, built into lines.
    TextBlock& build(int rot, std::initializer_list<TextWord*> words)
    {
        blk = std::make_unique<TextBlock>(&page, rot);
        for (TextWord* w : words)
            blk->addWord(w);
        blk->coalesce(globalParams->getTextEncoding());
        return *blk;
    }

    int wordCount() const
    {
        int n = 0;
        for (const TextLine* l = blk->lines; l; l = l->next)
            for (const TextWord* w = l->words; w; w = w->next)
                ++n;
        return n;
    }

    std::unique_ptr<TextBlock> blk;
};

TEST_F(BlockLines, FakeBoldCopyIsRemovedButAShiftedCopyStays)
{
    build(0, {mk.h(100, 100, "bold"), mk.h(100.5, 100, "bold")});
    EXPECT_EQ(wordCount(), 1);
    EXPECT_EQ(blk->charCount, 4);

    build(0, {mk.h(100, 100, "bold"), mk.h(100, 100.5, "bold")});
    EXPECT_EQ(wordCount(), 1);

    build(0, {mk.h(100, 100, "bold"), mk.h(101.5, 100, "bold")});
    EXPECT_EQ(wordCount(), 2);

    // Same place, other text: not a duplicate.
    build(0, {mk.h(100, 100, "bold"), mk.h(100.5, 100, "bolt")});
    EXPECT_EQ(wordCount(), 2);
}

TEST_F(BlockLines, DuplicatesAcrossABucketBoundaryAreFoundForEveryRotation)
{
    // Baselines 7.9 and 8.1 fall into buckets 1 and 2.
    for (int rot = 0; rot < 4; ++rot) {
        SCOPED_TRACE(rot);
        build(rot, {mk.make(rot, 300, 7.9, 10, "ab"), mk.make(rot, 300, 8.1, 10, "ab")});
        EXPECT_EQ(wordCount(), 1);
        build(rot, {mk.make(rot, 300, 8.1, 10, "ab"), mk.make(rot, 300, 7.9, 10, "ab")});
        EXPECT_EQ(wordCount(), 1);
    }
}

TEST_F(BlockLines, OverlapAndGapDecideWhetherAWordJoinsTheLine)
{
    // "abc" spans 100..115; fs 10.
    build(0, {mk.h(100, 100, "abc"), mk.h(112, 100, "def")}); // gap -0.3 fs
    EXPECT_EQ(blk->nLines, 1);
    EXPECT_EQ(lineTexts(blk.get()), std::vector<std::string>{"abcdef"});

    build(0, {mk.h(100, 100, "abc"), mk.h(111, 100, "def")}); // gap -0.4 fs
    EXPECT_EQ(blk->nLines, 2);

    build(0, {mk.h(100, 100, "abc"), mk.h(129, 100, "def")}); // gap 1.4 fs
    EXPECT_EQ(blk->nLines, 1);
    EXPECT_EQ(lineTexts(blk.get()), std::vector<std::string>{"abc def"});

    build(0, {mk.h(100, 100, "abc"), mk.h(131, 100, "def")}); // gap 1.6 fs
    EXPECT_EQ(blk->nLines, 2);
}

TEST_F(BlockLines, BaselineWindowNarrowsForLargeType)
{
    // 30 pt: window 0.49 x 30 = 14.7; 20 pt: 14.
    build(0, {mk.make(0, 100, 100, 30, "abc"), mk.make(0, 116, 114.4, 30, "def")});
    EXPECT_EQ(blk->nLines, 1);
    build(0, {mk.make(0, 100, 100, 20, "abc"), mk.make(0, 116, 114.4, 20, "def")});
    EXPECT_EQ(blk->nLines, 2);
}

TEST_F(BlockLines, WordsOfDifferentCellsNeverShareALine)
{
    TextWord* a = mk.h(100, 100, "abc");
    TextWord* b = mk.h(118, 100, "def");
    b->cellIndex = 1;
    build(0, {a, b});
    EXPECT_EQ(blk->nLines, 2);
}

TEST_F(BlockLines, LettersSpacedOutMergeWhenTheyFollowInTheStream)
{
    TextWord* a = mk.h(100, 100, "a");
    TextWord* b = mk.h(110, 100, "b");
    TextWord* c = mk.h(120, 100, "c");
    WordMaker::chain(a, b);
    WordMaker::chain(b, c);
    build(0, {a, b, c});
    ASSERT_EQ(blk->nLines, 1);
    const TextLine* line = blk->lines;
    EXPECT_EQ(lineText(line), "abc");
    EXPECT_EQ(line->words, line->lastWord);
    EXPECT_EQ(line->words->next, nullptr);
    EXPECT_DOUBLE_EQ(line->xMax, 125);

    // The same letters from unrelated places in the stream stay apart, still without spaces.
    build(0, {mk.h(100, 100, "a"), mk.h(110, 100, "b"), mk.h(120, 100, "c")});
    ASSERT_EQ(blk->nLines, 1);
    EXPECT_EQ(lineText(blk->lines), "abc");
    EXPECT_EQ(wordCount(), 3);
}

TEST_F(BlockLines, WordsGetSpacesAndEdgesStandForTheSpace)
{
    build(0, {mk.h(100, 100, "ab"), mk.h(115, 100, "cd")});
    const TextLine* line = blk->lines;
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(lineText(line), "ab cd");
    EXPECT_TRUE(line->words->spaceAfter);
    EXPECT_FALSE(line->lastWord->spaceAfter);
    EXPECT_EQ(line->edge, (std::vector<double>{100, 105, 110, 115, 120, 125}));
    EXPECT_EQ(line->col, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(line->convertedLen, 5);
}

TEST_F(BlockLines, OnlyWordsOfOneFontRecordMerge)
{
    TextFontInfo f1{std::shared_ptr<GfxFont>()};
    TextFontInfo f2{std::shared_ptr<GfxFont>()};
    TextWord* a = mk.make(0, 100, 100, 10, "ab", 5, &f1);
    TextWord* b = mk.make(0, 110, 100, 10, "cd", 5, &f2);
    WordMaker::chain(a, b);
    build(0, {a, b});
    EXPECT_EQ(wordCount(), 2);
    EXPECT_EQ(lineText(blk->lines), "abcd");

    a = mk.make(0, 100, 100, 10, "ab", 5, &f1);
    b = mk.make(0, 110, 100, 10, "cd", 5, &f1);
    WordMaker::chain(a, b);
    build(0, {a, b});
    ASSERT_EQ(wordCount(), 1);
    // The merged-away word was the last one: the line must not point at it.
    EXPECT_EQ(blk->lines->lastWord, blk->lines->words);
    EXPECT_EQ(blk->lines->words->len, 4);
}

TEST_F(BlockLines, HyphenOnlyForAPlainMinus)
{
    build(0, {mk.h(100, 100, "co-")});
    EXPECT_TRUE(blk->lines->hyphenated);
    build(0, {mk.make(0, 100, 100, 10, std::vector<Unicode>{'c', 'o', 8211})});
    EXPECT_FALSE(blk->lines->hyphenated);
}

TEST_F(BlockLines, ColumnsCountLatin1OutputBytes)
{
    // e-acute is one byte, an em dash two, a CJK character none.
    build(0, {mk.make(0, 100, 100, 10, std::vector<Unicode>{'a', 0xE9, 0x2014, 0x4E2D, 'b'})});
    const TextLine* line = blk->lines;
    EXPECT_EQ(line->col, (std::vector<int>{0, 1, 2, 4, 4, 5}));
    EXPECT_EQ(line->convertedLen, 5);
    EXPECT_EQ(blk->nColumns, 5);
}

TEST_F(BlockLines, LinesAreOrderedTopToBottomForTheirRotation)
{
    build(0, {mk.h(100, 124, "three"), mk.h(100, 100, "one"), mk.h(100, 112, "two")});
    EXPECT_EQ(lineTexts(blk.get()), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(blk->nLines, 3);
    EXPECT_EQ(blk->charCount, 11);

    // Turned a quarter clockwise, the first line is the one furthest right.
    build(1, {mk.make(1, 100, 100, 10, "left"), mk.make(1, 100, 140, 10, "right"), mk.make(1, 100, 120, 10, "mid")});
    EXPECT_EQ(lineTexts(blk.get()), (std::vector<std::string>{"right", "mid", "left"}));
}

TEST_F(BlockLines, LineColumnsFollowTheCharactersAbove)
{
    // "abcdef" spans 100..130; "xy" starts at 115, past three character midpoints;
    // "zz" starts after both lines end.
    build(0, {mk.h(100, 100, "abcdef"), mk.h(115, 112, "xy"), mk.h(140, 124, "zz")});
    auto lines = linesOf(blk.get());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->col, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(lines[1]->col, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(lines[2]->col, (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(blk->nColumns, 9);
}

TEST_F(BlockLines, PoolIsEmptiedAndWordsKeepNoPoolLinks)
{
    build(0, {mk.h(100, 100, "one"), mk.h(120, 100, "two"), mk.h(100, 112, "three")});
    EXPECT_EQ(blk->pool->cursor, nullptr);
    for (int i = blk->pool->minBaseIdx; i <= blk->pool->maxBaseIdx; ++i)
        EXPECT_EQ(blk->pool->getPool(i), nullptr);
    for (const TextLine* l : linesOf(blk.get()))
        EXPECT_EQ(l->lastWord->next, nullptr);
    EXPECT_EQ(wordCount(), 3);
}

} // namespace
