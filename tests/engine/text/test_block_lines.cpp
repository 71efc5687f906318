// Block line building: duplicates, lines joined or not, spaces and merges, text, columns.
#include "text_test_util.h"

using namespace vlx;
using namespace vlx_test;

namespace {

class BlockLines : public TextFixture {
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
    size_t wordCount() const
    {
        size_t n = 0;
        for (const TextLine* l : chainOf(blk->lines))
            n += chainOf(l->words).size();
        return n;
    }
    std::unique_ptr<TextBlock> blk;
};

TEST_F(BlockLines, FakeBoldCopiesAreRemoved)
{
    const struct {
        double x, base;
        const char* text;
        size_t words;
    } cases[] = {
        {100.5, 100, "bold", 1}, {101.5, 100, "bold", 2}, {100.5, 100, "bolt", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x + c.base);
        build(0, {hword(100, 100, "bold"), hword(c.x, c.base, c.text)});
        EXPECT_EQ(wordCount(), c.words);
    }
    // Baselines 7.9 and 8.1 fall into neighbouring buckets.
    for (int rot : {0, 3}) {
        SCOPED_TRACE(rot);
        build(rot, {word(rot, 300, 8.1, 10, uni("ab")), word(rot, 300, 7.9, 10, uni("ab"))});
        EXPECT_EQ(wordCount(), 1u);
    }
}

TEST_F(BlockLines, GapBaselineAndCellDecideWhetherAWordJoinsTheLine)
{
    const struct {
        double x, base, fs;
        int cell, lines;
    } cases[] = {
        {112, 100, 10, 0, 1}, // "abc" ends at 115: gap -0.3 fs
        {111, 100, 10, 0, 2}, // -0.4 fs
        {116, 114.4, 30, 0, 1}, // baseline window 0.49 x 30 = 14.7
        {116, 114.4, 20, 0, 2}, // 14 for 20 points
        {118, 100, 10, 1, 2},   // another cell
        {129, 100, 10, 0, 1},   // gap 1.4 x fs: joins
        {130, 100, 10, 0, 2},   // 1.5 x fs: a line of its own
        {131, 100, 10, 0, 2},   // 1.6 x fs
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x + c.base + c.fs);
        TextWord* next = word(0, c.x, c.base, c.fs, uni("def"));
        next->cellIndex = c.cell;
        build(0, {word(0, 100, 100, c.fs, uni("abc")), next});
        EXPECT_EQ(blk->nLines, c.lines);
    }
    // Multi-letter words: a space from a tenth of the font size on ("ab" ends at 110); without
    // one, words that follow in the stream merge.
    const struct {
        double x;
        const char* text;
        size_t words;
    } spaces[] = {{110.9, "abcd", 1}, {111, "ab cd", 2}, {111.5, "ab cd", 2}};
    for (const auto& s : spaces) {
        SCOPED_TRACE(s.x);
        TextWord* ab = hword(100, 100, "ab");
        TextWord* cd = hword(s.x, 100, "cd");
        chain(ab, cd);
        build(0, {ab, cd});
        EXPECT_EQ(lineText(blk->lines), s.text);
        EXPECT_EQ(wordCount(), s.words);
    }
    build(0, {hword(100, 100, "ab"), hword(115, 100, "cd")});
    EXPECT_EQ(lineText(blk->lines), "ab cd");
    EXPECT_TRUE(blk->lines->words->spaceAfter);
    EXPECT_FALSE(blk->lines->lastWord->spaceAfter);
    EXPECT_EQ(blk->lines->edge, (std::vector<double>{100, 105, 110, 115, 120, 125})); // the space has edges
}

TEST_F(BlockLines, SpacedLettersMergeOnlyWhenTheyFollowInTheStream)
{
    TextWord* a = hword(100, 100, "a");
    TextWord* b = hword(110, 100, "b");
    TextWord* c = hword(120, 100, "c");
    chain(a, b);
    chain(b, c);
    build(0, {a, b, c});
    ASSERT_EQ(blk->nLines, 1);
    EXPECT_EQ(lineText(blk->lines), "abc");
    EXPECT_EQ(blk->lines->words, blk->lines->lastWord);
    // From unrelated places in the stream they stay apart, still without spaces.
    build(0, {hword(100, 100, "a"), hword(110, 100, "b"), hword(120, 100, "c")});
    EXPECT_EQ(lineText(blk->lines), "abc");
    EXPECT_EQ(wordCount(), 3u);
}

TEST_F(BlockLines, OnlyWordsOfOneFontRecordMerge)
{
    TextFontInfo f1{std::shared_ptr<GfxFont>()}, f2{std::shared_ptr<GfxFont>()};
    for (TextFontInfo* second : {&f2, &f1}) {
        TextWord* a = word(0, 100, 100, 10, uni("ab"), 5, &f1);
        TextWord* b = word(0, 110, 100, 10, uni("cd"), 5, second);
        chain(a, b);
        build(0, {a, b});
        EXPECT_EQ(lineText(blk->lines), "abcd");
        EXPECT_EQ(wordCount(), second == &f1 ? 1u : 2u);
    }
    // The merged-away word was the last one: the line must not point at it.
    EXPECT_EQ(blk->lines->lastWord, blk->lines->words);
    EXPECT_EQ(blk->lines->words->len, 4);
}

TEST_F(BlockLines, HyphenAndLatin1Columns)
{
    build(0, {hword(100, 100, "co-")});
    EXPECT_TRUE(blk->lines->hyphenated);
    build(0, {word(0, 100, 100, 10, {'c', 'o', 8211})});
    EXPECT_FALSE(blk->lines->hyphenated);
    // e-acute is one byte, an em dash two, a CJK character none.
    build(0, {word(0, 100, 100, 10, {'a', 0xE9, 0x2014, 0x4E2D, 'b'})});
    EXPECT_EQ(blk->lines->col, (std::vector<int>{0, 1, 2, 4, 4, 5}));
    EXPECT_EQ(blk->nColumns, 5);
}

TEST_F(BlockLines, LinesSortedForTheRotationWithColumnsFromAbove)
{
    // "abcdef" spans 100..130; "xy" starts past three character midpoints; "zz" after both ends.
    build(0, {hword(140, 124, "zz"), hword(100, 100, "abcdef"), hword(115, 112, "xy")});
    auto lines = chainOf(blk->lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->col, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(lines[1]->col, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(lines[2]->col, (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(blk->nColumns, 9);

    // Turned a quarter clockwise, the first line is the one furthest right.
    build(1, {word(1, 100, 100, 10, uni("left")), word(1, 100, 140, 10, uni("right")), word(1, 100, 120, 10, uni("mid"))});
    EXPECT_EQ(lineTexts(blk.get()), (std::vector<std::string>{"right", "mid", "left"}));
}

} // namespace
