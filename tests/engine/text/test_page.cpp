// Collecting a page: word starts and ends, characters, spaces, breaks, drops and clearing.
#include "test_word_fixtures.h"

#include "TextPool.h"
#include "TextUnicodeType.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace vlx;
using namespace vlx_test;

namespace {

class PageCollect : public TextFixture {
protected:
    PageCollect() : page(0)
    {
        page.pageWidth = 612;
        page.pageHeight = 792;
        state.setTextMat(1, 0, 0, 1, 0, 0);
        useFont(page, makeFont("Helvetica"), 10);
    }

    void addChar(double x, double y, double dx, Unicode u, CharCode c = 0)
    {
        page.addChar(&state, x, y, dx, 0, c ? c : u, 1, &u, 1);
    }

    // One shown string of characters `adv` apart, starting at user (x, y).
    void show(double x, double y, const std::string& s, double adv = 5)
    {
        page.beginWord(&state, x, y);
        for (size_t i = 0; i < s.size(); ++i)
            addChar(x + adv * static_cast<double>(i), y, adv, static_cast<unsigned char>(s[i]));
        page.endWord();
    }

    std::vector<TextWord*> words(int rot = 0) const
    {
        std::vector<TextWord*> v;
        const TextPool* p = page.pools[rot];
        for (int i = p->minBaseIdx; i <= p->maxBaseIdx; ++i)
            for (TextWord* w = p->getPool(i); w; w = w->next)
                v.push_back(w);
        return v;
    }

    std::vector<std::string> texts(int rot = 0) const
    {
        std::vector<std::string> v;
        for (TextWord* w : words(rot))
            v.push_back(wordText(w));
        return v;
    }

    TextPage page;
};

TEST_F(PageCollect, ConstructionAndFirstState)
{
    TextPage fresh(0);
    EXPECT_FALSE(fresh.rawOrder);
    EXPECT_EQ(fresh.curWord, nullptr);
    EXPECT_EQ(fresh.charPos, 0);
    EXPECT_EQ(fresh.curFontSize, 0.0);
    EXPECT_EQ(fresh.nest, 0);
    EXPECT_TRUE(fresh.sectionFresh);
    EXPECT_TRUE(fresh.paragraphClosed);
    for (TextPool* p : fresh.pools) {
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->isEmpty());
    }
    EXPECT_EQ(fresh.flows, nullptr);
    EXPECT_EQ(fresh.blockCount, 0);

    TextPage raw(1);
    EXPECT_TRUE(raw.rawOrder);
    for (TextPool* p : raw.pools)
        EXPECT_EQ(p, nullptr);
}

TEST_F(PageCollect, SpaceEndsTheWordAndIsNeverStored)
{
    show(100, 700, "ab cd");
    ASSERT_EQ(texts(), (std::vector<std::string>{"ab", "cd"}));
    std::vector<TextWord*> w = words();
    EXPECT_EQ(w[0]->charPos, 0);
    EXPECT_EQ(w[0]->charLen, 3); // two codes and the space that ended it
    EXPECT_EQ(w[1]->charPos, 3);
    EXPECT_EQ(w[1]->charLen, 2);
    EXPECT_EQ(page.charPos, 5);
    EXPECT_DOUBLE_EQ(w[0]->base, 92);
    EXPECT_DOUBLE_EQ(w[0]->xMin, 100);
    EXPECT_DOUBLE_EQ(w[0]->xMax, 110);
}

TEST_F(PageCollect, PositionalGapsBreakWords)
{
    page.beginWord(&state, 100, 700);
    addChar(100, 700, 5, 'a');
    addChar(105.5, 700, 5, 'b'); // 0.5 gap < 0.1 x 10: same word
    addChar(112.5, 700, 5, 'c'); // 2.0 gap: new word
    addChar(116.5, 700, 5, 'd'); // 1.0 back: -1 > -2, same word
    addChar(121.5, 702, 5, 'e'); // baseline 2 lower: new word
    page.endWord();
    EXPECT_EQ(texts().size(), 3u);
    std::vector<std::string> t = texts();
    std::sort(t.begin(), t.end());
    EXPECT_EQ(t, (std::vector<std::string>{"ab", "cd", "e"}));
}

TEST_F(PageCollect, SizeChangeAloneDoesNotBreak)
{
    page.beginWord(&state, 100, 700);
    addChar(100, 700, 5, 'a');
    page.curFontSize = 20; // only a new word would see it
    addChar(105, 700, 5, 'b');
    page.endWord();
    EXPECT_EQ(texts(), std::vector<std::string>{"ab"});
}

TEST_F(PageCollect, OnlyOriginsOnThePageAreKept)
{
    show(612, 700, "a");   // exactly on the right edge
    show(612.5, 700, "b"); // just beyond
    show(-1, 700, "c");    // starts left of the page, its advance reaches in
    show(100, -0.5, "d");  // below the bottom edge (device y above 792)
    EXPECT_EQ(texts(), std::vector<std::string>{"a"});
    EXPECT_EQ(page.charPos, 4);
}

TEST_F(PageCollect, NonFiniteAndHugeValuesAreDropped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    show(nan, 700, "a");
    show(100, nan, "b");
    page.beginWord(&state, 100, 700);
    addChar(100, 700, inf, 'c');
    addChar(100, 700, nan, 'd');
    addChar(100, 700, 1e300, 'e');
    page.endWord();
    // A word begun at an absurd point gets an absurd baseline: it is not filed.
    page.beginWord(&state, 100, -1e200);
    addChar(100, 700, 5, 'f');
    page.endWord();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(page.charPos, 6);
    EXPECT_EQ(page.curWord, nullptr);
}

TEST_F(PageCollect, TinyCharactersBeyondTheLimitAreDropped)
{
    page.beginWord(&state, 10, 700);
    for (int i = 0; i < 50001; ++i)
        addChar(10 + i * 0.01, 700, 0.01, 'x');
    page.endWord();
    long kept = 0;
    for (TextWord* w : words())
        kept += w->len;
    EXPECT_EQ(kept, 50000);
    EXPECT_EQ(page.tinyCharCount, 50001);
    EXPECT_EQ(page.charPos, 50001);
}

TEST_F(PageCollect, ListMarkOnlyFromTheFirstCharacter)
{
    page.beginWord(&state, 100, 700);
    addChar(100, 700, 5, 8226, 149);
    addChar(105, 700, 5, 'a');
    page.endWord();
    page.beginWord(&state, 100, 650);
    addChar(100, 650, 5, 183);
    page.endWord();
    page.beginWord(&state, 100, 600);
    addChar(100, 600, 5, 'a');
    addChar(105, 600, 5, 149);
    page.endWord();
    page.beginWord(&state, 100, 550);
    addChar(100, 550, 5, 8226, 'o'); // the code is not a mark
    page.endWord();
    std::vector<TextWord*> w = words();
    ASSERT_EQ(w.size(), 4u);
    // Buckets run top to bottom: device y 92 (user 700), 142, 192, 242.
    EXPECT_TRUE(w[0]->listMark);
    EXPECT_TRUE(w[1]->listMark);
    EXPECT_FALSE(w[2]->listMark);
    EXPECT_FALSE(w[3]->listMark);
    EXPECT_TRUE(TextPage::isListMark(216));
    EXPECT_FALSE(TextPage::isListMark(5));
}

TEST_F(PageCollect, NestedStartsKeepTheWordOpen)
{
    page.beginWord(&state, 100, 700);
    page.beginWord(&state, 100, 700);
    page.beginWord(&state, 100, 700);
    EXPECT_EQ(page.nest, 2);
    addChar(100, 700, 5, 'a');
    page.endWord();
    EXPECT_EQ(page.nest, 1);
    ASSERT_NE(page.curWord, nullptr);
    page.endWord();
    page.endWord();
    EXPECT_EQ(page.curWord, nullptr);
    EXPECT_EQ(texts(), std::vector<std::string>{"a"});
}

TEST_F(PageCollect, WordOfOnlySpacesIsDeletedWhenFiled)
{
    show(100, 700, "   ");
    page.beginWord(&state, 100, 700);
    page.endWord();
    EXPECT_TRUE(texts().empty());
    EXPECT_TRUE(page.pools[0]->isEmpty());
}

TEST_F(PageCollect, OverprintedCharactersStaySeparateWords)
{
    show(100, 700, "a");
    show(100, 700, "a");
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "a"}));

    // In one string: the second copy overlaps the first and breaks the word.
    page.beginWord(&state, 100, 600);
    addChar(100, 600, 5, 'b');
    addChar(100.2, 600, 5, 'b');
    page.endWord();
    EXPECT_EQ(words().size(), 4u);
}

TEST_F(PageCollect, MirroredTextBecomesSingleCharacterWordsRunningRight)
{
    state.setTextMat(-1, 0, 0, 1, 0, 0);
    page.beginWord(&state, 200, 700);
    addChar(200, 700, -5, 'a');
    addChar(195, 700, -5, 'b');
    addChar(190, 700, -5, 'c');
    page.endWord();
    std::vector<TextWord*> w = words(0);
    ASSERT_EQ(w.size(), 3u);
    for (TextWord* x : w) {
        EXPECT_EQ(x->len, 1);
        EXPECT_LT(x->xMin, x->xMax);
    }
    EXPECT_DOUBLE_EQ(w[0]->xMin, 185); // pool order: left to right
    EXPECT_DOUBLE_EQ(w[2]->xMax, 200);
}

TEST_F(PageCollect, RotationFollowsTheTextMatrix)
{
    struct Case {
        double a, b, c, d;
        int rot;
    } cases[] = {{1, 0, 0, 1, 0}, {0, 1, -1, 0, 3}, {0, -1, 1, 0, 1}, {-1, 0, 0, -1, 2}};
    for (const Case& k : cases) {
        state.setTextMat(k.a, k.b, k.c, k.d, 0, 0);
        page.beginWord(&state, 100, 400);
        ASSERT_NE(page.curWord, nullptr);
        EXPECT_EQ(page.curWord->rot, k.rot);
        page.endWord();
    }
}

TEST_F(PageCollect, Type3FontMatrixTurnsTheRotation)
{
    auto t3 = std::make_shared<StubFont>("T3", "", 0, 0.9, -0.2, fontType3);
    double* m = t3->mutableFontMatrix();
    m[0] = 0;
    m[1] = 1;
    m[2] = -1;
    m[3] = 0;
    useFont(page, t3, 10);
    page.beginWord(&state, 100, 400);
    ASSERT_NE(page.curWord, nullptr);
    EXPECT_EQ(page.curWord->rot, 3);
    page.endWord();
}

TEST_F(PageCollect, VerticalWordsGoToTheirPool)
{
    state.setTextMat(0, -1, 1, 0, 0, 0); // rotation 1: text runs down the page
    page.beginWord(&state, 300, 700);
    page.addChar(&state, 300, 700, 0, -5, 'a', 1, std::vector<Unicode>{'a'}.data(), 1);
    page.addChar(&state, 300, 695, 0, -5, 'b', 1, std::vector<Unicode>{'b'}.data(), 1);
    page.endWord();
    ASSERT_EQ(texts(1), std::vector<std::string>{"ab"});
    TextWord* w = words(1)[0];
    EXPECT_DOUBLE_EQ(w->yMin, 92);
    EXPECT_DOUBLE_EQ(w->yMax, 102);
    EXPECT_DOUBLE_EQ(w->base, 300);
    EXPECT_EQ(w->flowCode, 3);
}

TEST_F(PageCollect, SeveralUnicodeValuesShareTheAdvance)
{
    Unicode fi[2] = {'f', 'i'};
    page.beginWord(&state, 100, 700);
    page.addChar(&state, 100, 700, 10, 0, 0xFB01, 2, fi, 2);
    page.endWord();
    TextWord* w = words()[0];
    EXPECT_EQ(wordText(w), "fi");
    EXPECT_DOUBLE_EQ(w->edge[1], 105);
    EXPECT_EQ(w->charLen, 2);
}

TEST_F(PageCollect, CharacterWithoutUnicodeOnlyAdvances)
{
    page.beginWord(&state, 100, 700);
    addChar(100, 700, 5, 'a');
    page.addChar(&state, 105, 700, 5, 0, 7, 1, nullptr, 0);
    page.endWord();
    EXPECT_EQ(texts(), std::vector<std::string>{"a"});
    EXPECT_EQ(words()[0]->charLen, 2);
    EXPECT_EQ(page.charPos, 2);
}

TEST_F(PageCollect, ClearStartsAFreshPage)
{
    show(100, 700, "abc");
    page.beginWord(&state, 100, 600);
    addChar(100, 600, 5, 'z'); // left open
    page.paragraphClosed = false;
    page.sectionFresh = false;
    page.primaryRot = 2;
    page.blockCount = 3;
    page.clear();
    EXPECT_EQ(page.curWord, nullptr);
    EXPECT_EQ(page.charPos, 0);
    EXPECT_EQ(page.curFont, nullptr);
    EXPECT_EQ(page.curFontSize, 0.0);
    EXPECT_TRUE(page.fonts.empty());
    EXPECT_EQ(page.blockCount, 0);
    EXPECT_TRUE(page.blocks.empty());
    EXPECT_EQ(page.flows, nullptr);
    for (TextPool* p : page.pools) {
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->isEmpty());
    }
    // Writer state and the last layout results survive.
    EXPECT_FALSE(page.paragraphClosed);
    EXPECT_FALSE(page.sectionFresh);
    EXPECT_EQ(page.primaryRot, 2);

    useFont(page, makeFont("Times"), 12);
    show(100, 700, "x");
    EXPECT_EQ(texts(), std::vector<std::string>{"x"});
    EXPECT_EQ(words()[0]->fontCode, "f20");
}

TEST_F(PageCollect, RawOrderKeepsContentStreamOrder)
{
    TextPage raw(1);
    raw.pageWidth = 612;
    raw.pageHeight = 792;
    raw.curFont = page.curFont;
    raw.curFontSize = 10;
    double y = 700;
    for (const char* s : {"one", "two", "three"}) {
        raw.beginWord(&state, 100, y);
        for (size_t i = 0; s[i]; ++i) {
            Unicode u = static_cast<unsigned char>(s[i]);
            raw.addChar(&state, 100 + 5.0 * static_cast<double>(i), y, 5, 0, u, 1, &u, 1);
        }
        raw.endWord();
        y -= 50; // each further down the page
    }
    std::vector<std::string> order;
    for (TextWord* w = raw.rawWords; w; w = w->next)
        order.push_back(wordText(w));
    EXPECT_EQ(order, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(wordText(raw.rawLastWord), "three");
}

} // namespace

namespace {

TEST(Direction, RangeTableSplitsLeftAndRightLetters)
{
    EXPECT_TRUE(vlx::unicodeTypeL('A'));
    EXPECT_TRUE(vlx::unicodeTypeL(0x00E9)); // é
    EXPECT_TRUE(vlx::unicodeTypeL(0x4E2D)); // CJK
    EXPECT_FALSE(vlx::unicodeTypeL('1'));
    EXPECT_FALSE(vlx::unicodeTypeL(' '));
    EXPECT_TRUE(vlx::unicodeTypeR(0x05D0)); // Hebrew alef
    EXPECT_TRUE(vlx::unicodeTypeR(0x0627)); // Arabic alef
    EXPECT_TRUE(vlx::unicodeTypeR(0xFB50));
    EXPECT_FALSE(vlx::unicodeTypeL(0x05D0));
    EXPECT_FALSE(vlx::unicodeTypeR('A'));
}

} // namespace
