// Word boxes by rotation, characters and edges, merging, underline flags.
#include "test_word_fixtures.h"

#include <pdf_ulin.h>

#include <GfxState.h>

using namespace vlx;
using namespace vlx_test;

namespace {

class WordBox : public TextFixture {
protected:
    std::unique_ptr<TextWord> word(int rot, double ascent = 0.9, double descent = -0.2)
    {
        fontRec = std::make_unique<TextFontInfo>(makeFont("Arial", "", 0, ascent, descent));
        // User point (100, 700) is device point (100, 92) on the 792-point page.
        return std::make_unique<TextWord>(&state, rot, 100, 700, 7, fontRec.get(), 10);
    }
    std::unique_ptr<TextFontInfo> fontRec;
};

TEST_F(WordBox, BoxAcrossTheBaselineByRotation)
{
    auto w0 = word(0);
    EXPECT_DOUBLE_EQ(w0->yMin, 92 - 9);
    EXPECT_DOUBLE_EQ(w0->yMax, 92 + 2);
    EXPECT_DOUBLE_EQ(w0->base, 92);
    EXPECT_EQ(w0->flowCode, 0);
    EXPECT_EQ(w0->userX, 100);
    EXPECT_EQ(w0->userY, 700);
    EXPECT_EQ(w0->charPos, 7);

    auto w1 = word(1);
    EXPECT_DOUBLE_EQ(w1->xMin, 100 - 2);
    EXPECT_DOUBLE_EQ(w1->xMax, 100 + 9);
    EXPECT_DOUBLE_EQ(w1->base, 100);
    EXPECT_EQ(w1->flowCode, 3);

    auto w2 = word(2);
    EXPECT_DOUBLE_EQ(w2->yMin, 92 - 2);
    EXPECT_DOUBLE_EQ(w2->yMax, 92 + 9);
    EXPECT_EQ(w2->flowCode, 0);

    auto w3 = word(3);
    EXPECT_DOUBLE_EQ(w3->xMin, 100 - 9);
    EXPECT_DOUBLE_EQ(w3->xMax, 100 + 2);
    EXPECT_EQ(w3->flowCode, 2);
}

TEST_F(WordBox, FlatFontGetsAOnePointBox)
{
    auto w0 = word(0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(w0->yMin, 92);
    EXPECT_DOUBLE_EQ(w0->yMax, 93);
    auto w1 = word(1, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(w1->xMin, 100);
    EXPECT_DOUBLE_EQ(w1->xMax, 101);
}

TEST_F(WordBox, FillColourBecomesBytes)
{
    state.setFillColorSpace(new GfxDeviceRGBColorSpace());
    GfxColor c;
    c.c[0] = dblToCol(1.0);
    c.c[1] = dblToCol(0.5);
    c.c[2] = 0;
    state.setFillColor(&c);
    auto w = word(0);
    EXPECT_EQ(w->colorR, 255);
    EXPECT_NEAR(w->colorG, 128, 1);
    EXPECT_EQ(w->colorB, 0);
}

TEST_F(WordBox, CharactersSetEdgesAlongThePrimaryAxis)
{
    auto w0 = word(0);
    w0->addChar(&state, 10, 92, 6, 0, 'a');
    w0->addChar(&state, 16, 92, 4, 0, 'b');
    EXPECT_EQ(w0->len, 2);
    EXPECT_DOUBLE_EQ(w0->xMin, 10);
    EXPECT_DOUBLE_EQ(w0->xMax, 20);
    EXPECT_DOUBLE_EQ(w0->edge[0], 10);
    EXPECT_DOUBLE_EQ(w0->edge[1], 16);
    EXPECT_DOUBLE_EQ(w0->edge[2], 20);

    // Upside down: the advance runs left, xMax is the start.
    auto w2 = word(2);
    w2->addChar(&state, 50, 92, -6, 0, 'a');
    w2->addChar(&state, 44, 92, -6, 0, 'b');
    EXPECT_DOUBLE_EQ(w2->xMax, 50);
    EXPECT_DOUBLE_EQ(w2->xMin, 38);

    auto w1 = word(1);
    w1->addChar(&state, 100, 30, 0, 7, 'a');
    EXPECT_DOUBLE_EQ(w1->yMin, 30);
    EXPECT_DOUBLE_EQ(w1->yMax, 37);

    auto w3 = word(3);
    w3->addChar(&state, 100, 30, 0, -7, 'a');
    EXPECT_DOUBLE_EQ(w3->yMax, 30);
    EXPECT_DOUBLE_EQ(w3->yMin, 23);
}

TEST_F(WordBox, SeventeenthCharacterGrowsBothArrays)
{
    auto w = word(0);
    for (int i = 0; i < 16; ++i)
        w->addChar(&state, 10 + i, 92, 1, 0, 'a' + i);
    EXPECT_EQ(w->size, 16);
    EXPECT_EQ(w->edge.size(), 17u);
    w->addChar(&state, 26, 92, 1, 0, 'q');
    EXPECT_EQ(w->size, 32);
    EXPECT_EQ(w->text.size(), 32u);
    EXPECT_EQ(w->edge.size(), 33u);
    EXPECT_EQ(w->text[16], static_cast<Unicode>('q'));
    EXPECT_DOUBLE_EQ(w->edge[17], 27);
}

TEST_F(WordBox, PrimaryDeltaByRotation)
{
    TextWord a(0, 50, 10), b(0, 50, 10);
    a.xMin = 0;
    a.xMax = 10;
    a.yMin = 0;
    a.yMax = 20;
    b.xMin = 14;
    b.xMax = 30;
    b.yMin = 25;
    b.yMax = 40;
    EXPECT_DOUBLE_EQ(a.primaryDelta(&b), 4);
    a.rot = 1;
    EXPECT_DOUBLE_EQ(a.primaryDelta(&b), 5);
    a.rot = 2;
    EXPECT_DOUBLE_EQ(a.primaryDelta(&b), -30);
    a.rot = 3;
    EXPECT_DOUBLE_EQ(a.primaryDelta(&b), -40);
}

TEST_F(WordBox, MergeTakesTheLongerWordsStyleAndAppends)
{
    std::unique_ptr<TextWord> plain(plainWord(0, 50, 10, "hello"));
    std::unique_ptr<TextWord> bold(plainWord(25, 50, 10, "ab"));
    bold->bold = true;
    bold->charLen = 2;
    plain->charLen = 5;
    plain->merge(bold.get());
    EXPECT_FALSE(plain->bold); // 5 characters outweigh 2
    EXPECT_EQ(wordText(plain.get()), "helloab");
    EXPECT_EQ(plain->len, 7);
    EXPECT_EQ(plain->charLen, 7);
    EXPECT_DOUBLE_EQ(plain->xMax, 35);
    EXPECT_DOUBLE_EQ(plain->edge[5], 25);
    EXPECT_DOUBLE_EQ(plain->edge[7], 35);

    std::unique_ptr<TextWord> shortPlain(plainWord(0, 50, 10, "ab"));
    std::unique_ptr<TextWord> longBold(plainWord(10, 50, 10, "hello"));
    longBold->bold = true;
    longBold->italic = true;
    longBold->underlined = true;
    longBold->colorR = 200;
    shortPlain->listMark = true;
    shortPlain->merge(longBold.get());
    EXPECT_TRUE(shortPlain->bold);
    EXPECT_TRUE(shortPlain->italic);
    EXPECT_TRUE(shortPlain->underlined);
    EXPECT_TRUE(shortPlain->listMark); // kept from this word
    EXPECT_EQ(shortPlain->colorR, 200); // black takes the other's colour
    EXPECT_EQ(shortPlain->size, 16);
    EXPECT_EQ(wordText(shortPlain.get()), "abhello");
}

TEST_F(WordBox, MergeGrowsToTheJointLength)
{
    std::unique_ptr<TextWord> a(plainWord(0, 50, 10, "abcdefghijklmn"));
    std::unique_ptr<TextWord> b(plainWord(70, 50, 10, "opqrstu"));
    a->colorG = 10;
    b->colorG = 99;
    a->merge(b.get());
    EXPECT_EQ(a->len, 21);
    EXPECT_EQ(a->size, 21);
    EXPECT_EQ(a->edge.size(), 22u);
    EXPECT_EQ(a->colorG, 10); // not black: keeps its own
    EXPECT_DOUBLE_EQ(a->edge[21], b->edge[7]);
}

TEST_F(WordBox, UnderlineFlagStaysOnceSet)
{
    pdf_uline_processor proc(false);
    proc.underlines.push_back(uline_rect{0, 0, 30, 100, 100});
    std::unique_ptr<TextWord> w(new TextWord(0, 100, 10));
    w->addChar(nullptr, 10, 100, 5, 0, 'a'); // on the underline
    EXPECT_TRUE(w->underlined);
    w->addChar(nullptr, 40, 100, 5, 0, 'b'); // beyond it
    EXPECT_TRUE(w->underlined);

    std::unique_ptr<TextWord> above(new TextWord(0, 90, 10));
    above->addChar(nullptr, 10, 90, 5, 0, 'a');
    EXPECT_FALSE(above->underlined);
}

TEST(WordOrder, CmpXYTablesUsesLeftEdgeThenTop)
{
    TextWord a(0, 50, 10), b(0, 80, 10);
    a.xMin = 10;
    b.xMin = 10.05;
    EXPECT_EQ(TextWord::cmpXYTables(&a, &b), -1); // ties within 0.1 go by top
    EXPECT_EQ(TextWord::cmpXYTables(&b, &a), 1);
    b.xMin = 9.5;
    EXPECT_EQ(TextWord::cmpXYTables(&a, &b), 1);
    EXPECT_EQ(TextWord::cmpXYTables(&a, &a), 0);
}

} // namespace
