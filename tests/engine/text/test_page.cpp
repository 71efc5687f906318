// Collecting a page: word starts and ends, characters, spaces, breaks and drops.
#include "text_test_util.h"

#include <algorithm>
#include <limits>

using namespace vlx;
using namespace vlx_test;

namespace {

class PageCollect : public TextFixture {
protected:
    PageCollect() { useFont(makeFont("Helvetica"), 10); }

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

    // Pool words top to bottom, left to right (of rotation rot).
    std::vector<TextWord*> words(int rot = 0) const
    {
        std::vector<TextWord*> v;
        const TextPool* p = page.pools[rot];
        for (int i = p->minBaseIdx; i <= p->maxBaseIdx; ++i)
            for (TextWord* w = p->getPool(i); w; w = w->next)
                v.push_back(w);
        return v;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> v;
        for (TextWord* w : words())
            v.push_back(wordText(w));
        return v;
    }
};

TEST_F(PageCollect, SpaceEndsTheWordAndIsNeverStored)
{
    show(100, 700, "ab cd");
    ASSERT_EQ(texts(), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_EQ(words()[1]->charPos, 3); // two codes and the space that ended the first
    // A word given only spaces, or nothing, is deleted when filed.
    show(100, 600, "   ");
    page.beginWord(&state, 100, 500);
    page.endWord();
    EXPECT_EQ(words().size(), 2u);
}

TEST_F(PageCollect, WordStartsAreKeptInTheDefaultSpaceUnderAMovedMatrix)
{
    // Link rectangles are in the page's default space; every word of a string under a `cm` must be
    // found there, not only the first.
    const double* ctm = state.getCTM();
    const double ictm[6] = {1, 0, 0, -1, 0, ctm[5]}; // the state's own top-down matrix is its inverse
    page.defaultICTM = ictm;
    state.concatCTM(1, 0, 0, 1, 100, -100);
    show(72, 600, "ab cd");
    ASSERT_EQ(texts(), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_DOUBLE_EQ(words()[0]->userX, 172);
    EXPECT_DOUBLE_EQ(words()[0]->userY, 500);
    EXPECT_DOUBLE_EQ(words()[1]->userX, 187);
    EXPECT_DOUBLE_EQ(words()[1]->userY, 500);
}

TEST_F(PageCollect, PositionalGapsBreakWords)
{
    page.beginWord(&state, 100, 700);
    addChar(100, 700, 5, 'a');
    page.curFontSize = 20; // a size change alone does not break
    addChar(105.5, 700, 5, 'b'); // 0.5 gap < 0.1 x 10: same word
    addChar(112.5, 700, 5, 'c'); // 2.0 gap: new word
    addChar(116.5, 700, 5, 'd'); // 1.0 back: -1 > -2, same word
    addChar(121.5, 702, 5, 'e'); // baseline 2 lower: new word
    page.endWord();
    // Word spacing moves only a one-byte code 32. In a font of two-byte codes, code 32 is a letter
    // whose advance the PDF library gives without word spacing: nothing is taken off, no gap opens.
    useFont(std::make_shared<StubFont>("CID", "", 0, fontCIDType2), 10);
    for (double wordSpace : {0.0, 4.0}) {
        state.setWordSpace(wordSpace);
        const double y = 600 - 20 * wordSpace;
        Unicode letters[3] = {'a', 'X', 'b'};
        const CharCode codes[3] = {0x0141, 32, 0x0142};
        page.beginWord(&state, 100, y);
        for (int i = 0; i < 3; ++i)
            page.addChar(&state, 100 + 5 * i, y, 5, 0, codes[i], 2, &letters[i], 1);
        page.endWord();
    }
    state.setWordSpace(0);
    std::vector<std::string> t = texts();
    std::sort(t.begin(), t.end());
    EXPECT_EQ(t, (std::vector<std::string>{"aXb", "aXb", "ab", "cd", "e"}));
}

TEST_F(PageCollect, OnlyFiniteOriginsOnThePageAreKept)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    show(612, 700, "a");   // exactly on the right edge
    show(612.5, 700, "b"); // just beyond
    show(-1, 700, "c");    // starts left of the page, its advance reaches in
    show(nan, 700, "e");
    page.beginWord(&state, 100, 700);
    addChar(100, 600, std::numeric_limits<double>::infinity(), 'g');
    addChar(100, 600, 1e300, 'i');
    page.endWord();
    // A word begun at an absurd point gets an absurd baseline: it is not filed.
    page.beginWord(&state, 100, -1e200);
    addChar(100, 500, 5, 'j');
    page.endWord();
    EXPECT_EQ(texts(), std::vector<std::string>{"a"});
    EXPECT_EQ(page.charPos, 7);
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
    EXPECT_EQ(page.charPos, 50001);
}

TEST_F(PageCollect, ListMarkOnlyFromTheFirstCharacter)
{
    const struct {
        Unicode u;
        CharCode code;
        bool mark;
    } cases[] = {{8226, 149, true}, {'a', 0, false}, {8226, 'o', false}};
    double y = 700;
    for (const auto& c : cases) {
        page.beginWord(&state, 100, y);
        addChar(100, y, 5, c.u, c.code);
        addChar(105, y, 5, 149);
        page.endWord();
        y -= 50;
    }
    std::vector<TextWord*> w = words();
    ASSERT_EQ(w.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(w[i]->listMark, cases[i].mark) << i;
}

TEST_F(PageCollect, RotationFollowsTheTextAndType3Matrices)
{
    const struct {
        double a, b, c, d;
        int rot;
    } cases[] = {{1, 0, 0, 1, 0}, {0, 1, -1, 0, 3}, {0, -1, 1, 0, 1}, {-1, 0, 0, -1, 2}};
    // A vertical-writing font runs down its glyphs: a quarter turn further.
    auto vertical = std::make_shared<StubFont>("MS-Mincho", "", 0, fontCIDType2);
    vertical->wMode = 1;
    for (int wMode : {0, 1}) {
        if (wMode)
            useFont(vertical, 10);
        for (const auto& k : cases) {
            SCOPED_TRACE(wMode);
            state.setTextMat(k.a, k.b, k.c, k.d, 0, 0);
            page.beginWord(&state, 100, 400);
            ASSERT_NE(page.curWord, nullptr);
            EXPECT_EQ(page.curWord->rot, (k.rot + wMode) % 4);
            page.endWord();
        }
    }
    state.setTextMat(1, 0, 0, 1, 0, 0);
    auto t3 = std::make_shared<StubFont>("T3", "", 0, fontType3);
    const double turned[4] = {0, 1, -1, 0};
    std::copy(turned, turned + 4, t3->mutableFontMatrix());
    useFont(t3, 10);
    page.beginWord(&state, 100, 400);
    EXPECT_EQ(page.curWord->rot, 3);
    page.endWord();
}

TEST_F(PageCollect, VerticalWritingIsOneWordDownTheColumn)
{
    // Three characters of a 20-point vertical font with 2 points of character spacing: the library's
    // advance along text y, 18, includes the spacing; the word keeps the glyph's 20.
    auto vertical = std::make_shared<StubFont>("MS-Mincho", "", 0, fontCIDType2);
    vertical->wMode = 1;
    useFont(vertical, 20);
    state.setCharSpace(2);
    Unicode chars[3] = {0x65E5, 0x672C, 0x8A9E};
    page.beginWord(&state, 400, 700);
    for (int i = 0; i < 3; ++i)
        page.addChar(&state, 400, 700 - 18 * i, 0, -18, chars[i], 2, &chars[i], 1);
    page.endWord();
    state.setCharSpace(0);
    std::vector<TextWord*> v = words(1);
    ASSERT_EQ(v.size(), 1u);
    const TextWord* w = v[0];
    ASSERT_EQ(w->len, 3);
    EXPECT_EQ(w->text[2], 0x8A9Eu);
    EXPECT_EQ(w->flowCode, 1);
    EXPECT_DOUBLE_EQ(w->yMin, 92);
    EXPECT_DOUBLE_EQ(w->edge[2], 128);
    EXPECT_DOUBLE_EQ(w->yMax, 148);
    EXPECT_DOUBLE_EQ(w->base, 400);
}

TEST_F(PageCollect, UnicodeValuesShareTheAdvanceAndNoneOnlyAdvances)
{
    Unicode fi[2] = {'f', 'i'};
    page.beginWord(&state, 100, 700);
    page.addChar(&state, 100, 700, 10, 0, 0xFB01, 2, fi, 2);
    page.addChar(&state, 110, 700, 5, 0, 7, 1, nullptr, 0);
    page.endWord();
    TextWord* w = words()[0];
    EXPECT_EQ(wordText(w), "fi");
    EXPECT_DOUBLE_EQ(w->edge[1], 105);
    EXPECT_EQ(w->charLen, 3);
    EXPECT_EQ(page.charPos, 3);
}

} // namespace
