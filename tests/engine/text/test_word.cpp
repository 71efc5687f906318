// Words: font mapping, boxes and edges by rotation, merging, underline flags.
#include "text_test_util.h"

#include <pdf_ulin.h>

using namespace vlx;
using namespace vlx_test;

namespace {

class Word : public TextFixture {
protected:
    // A word at user point (100, 700), device (100, 92) on the 792-point page.
    std::unique_ptr<TextWord> make(std::shared_ptr<GfxFont> font, int rot = 0, double size = 10)
    {
        fontRec = std::make_unique<TextFontInfo>(font);
        return std::make_unique<TextWord>(&state, rot, 100, 700, 7, fontRec.get(), size);
    }
    std::unique_ptr<TextFontInfo> fontRec;
};

TEST_F(Word, FontNamesAndFlagsChooseTheRow)
{
    enum { Sans = 1, Serif = 2, Display = 4, Bold = 8, Italic = 16 };
    const struct {
        const char *name, *descriptor;
        int flags;
        const char *code, *face;
        int expect;
    } cases[] = {
        {"ABCDEF+Arial-BoldMT", "", 0, "f10", "Arial", Sans | Bold},
        {"ArialNarrow", "", 0, "f11", "Arial Narrow", Sans}, // the Narrow row comes first
        {"TimesNewRomanPS-ItalicMT", "", 0, "f20", "Times New Roman", Serif | Italic},
        {"Impact", "", 0, "f60", "Haettenschweiler", Display},
        {"XYZ-Mono", "", 1 /* fixed */, "f30", "Courier New", 0},
        {"XYZ", "", 2 /* serif alone */, "f20", "Times New Roman", 0},
        {"XYZ", "", 34 /* serif, nonsymbolic */, "f20", "Times New Roman", 0},
        {"XYZ", "", 32 /* nonsymbolic alone */, "f10", "Arial", 0},
        {"XYZ", "", 3 /* fixed before serif */, "f30", "Courier New", 0},
        {"XYZ", "", (1 << 6) | (1 << 18), "f10", "Arial", Bold | Italic},
        {"", "Courier-Bold", 0, "f30", "Courier New", Bold}, // the descriptor name, case-sensitively
        {"arial", "", 0, "f10", "Arial", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + c.descriptor + " /Flags " + std::to_string(c.flags));
        auto w = make(makeFont(c.name, c.descriptor, c.flags));
        EXPECT_EQ(w->fontCode, c.code);
        EXPECT_EQ(w->fontFace, c.face);
        EXPECT_EQ(w->sansFamily, (c.expect & Sans) != 0);
        EXPECT_EQ(w->serifFamily, (c.expect & Serif) != 0);
        EXPECT_EQ(w->displayFamily, (c.expect & Display) != 0);
        EXPECT_EQ(w->bold, (c.expect & Bold) != 0);
        EXPECT_EQ(w->italic, (c.expect & Italic) != 0);
    }
    TextWord none(&state, 0, 100, 700, 0, nullptr, 10); // no font record
    EXPECT_EQ(none.fontFace, "Arial");
    EXPECT_DOUBLE_EQ(none.yMin, 92 - 9.5);
}

TEST_F(Word, SpaceWidthIsMeasuredAndSizeZeroNeverDivides)
{
    auto a = make(makeFont("Arial"));
    widths.set_font("Arial", 10.0f, false, false);
    EXPECT_DOUBLE_EQ(a->spaceWidth, widths.get_width(" ") * 72.0 / 10.0);
    auto zero = make(makeFont("Arial"), 0, 0.0);
    EXPECT_DOUBLE_EQ(zero->spaceWidth, 0.145); // the row's factor
    auto negative = make(makeFont("Times"), 0, -4.0);
    EXPECT_EQ(negative->getFontSize(), 0.0);
}

TEST_F(Word, BoxAcrossTheBaselineAndCharacterEdgesByRotation)
{
    // Ascent 0.9, descent -0.2 at 10 points; one character of advance 6 at (100, 92). Vertical
    // writing centres the box, 1.1 points wide, on the current point.
    const struct {
        int rot;
        double lo, hi, dx, dy, first, last;
        int flow;
        bool vertical;
    } cases[] = {
        {0, 83, 94, 6, 0, 100, 106, 0, false},
        {1, 98, 109, 0, 6, 92, 98, 3, false},
        {2, 90, 101, -6, 0, 100, 94, 0, false},
        {3, 91, 102, 0, -6, 92, 86, 2, false},
        {1, 94.5, 105.5, 0, 6, 92, 98, 1, true}, // upright characters top to bottom
        {0, 86.5, 97.5, 6, 0, 100, 106, 0, true},
        {3, 94.5, 105.5, 0, -6, 92, 86, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rot) + (c.vertical ? " vertical writing" : ""));
        auto font = std::make_shared<StubFont>("Arial");
        font->wMode = c.vertical ? 1 : 0;
        auto w = make(font, c.rot);
        w->addChar(&state, 100, 92, c.dx, c.dy, 'a');
        const bool turned = c.rot % 2 != 0;
        EXPECT_DOUBLE_EQ(turned ? w->xMin : w->yMin, c.lo);
        EXPECT_DOUBLE_EQ(turned ? w->xMax : w->yMax, c.hi);
        EXPECT_DOUBLE_EQ(w->base, turned ? 100 : 92);
        EXPECT_EQ(w->flowCode, c.flow);
        EXPECT_DOUBLE_EQ(w->edge[0], c.first);
        EXPECT_DOUBLE_EQ(w->edge[1], c.last);
        EXPECT_DOUBLE_EQ(turned ? w->yMin : w->xMin, std::min(c.first, c.last));
        EXPECT_DOUBLE_EQ(turned ? w->yMax : w->xMax, std::max(c.first, c.last));
    }
}

TEST(WordMerge, ShorterWordTakesTheLongerWordsStyleAndArraysGrow)
{
    std::unique_ptr<TextWord> shortPlain(hword(0, 50, "ab")), longBold(hword(10, 50, "hello"));
    longBold->bold = longBold->underlined = true;
    longBold->colorR = 200;
    shortPlain->merge(longBold.get());
    EXPECT_TRUE(shortPlain->bold && shortPlain->underlined);
    EXPECT_EQ(shortPlain->colorR, 200); // black takes the other's colour
    EXPECT_EQ(wordText(shortPlain.get()), "abhello");

    // Beyond the allocated size the arrays grow to exactly the joint length.
    std::unique_ptr<TextWord> a(hword(0, 50, "abcdefghijklmn")), b(hword(70, 50, "opqrstu"));
    a->colorG = 10;
    b->bold = true;
    a->merge(b.get());
    EXPECT_FALSE(a->bold); // 14 characters outweigh 7
    EXPECT_EQ(a->size, 21);
    EXPECT_EQ(a->edge.size(), 22u);
    EXPECT_EQ(a->colorG, 10); // not black: keeps its own
    EXPECT_DOUBLE_EQ(a->edge[21], b->edge[7]);
}

TEST(WordUnderline, FlagStaysOnceSet)
{
    pdf_uline_processor proc(false);
    proc.underlines.push_back(uline_rect{0, 0, 30, 100, 100});
    std::unique_ptr<TextWord> w(new TextWord(0, 100, 10)), above(new TextWord(0, 90, 10));
    w->addChar(nullptr, 10, 100, 5, 0, 'a'); // on the underline
    w->addChar(nullptr, 40, 100, 5, 0, 'b'); // beyond it
    EXPECT_TRUE(w->underlined);
    above->addChar(nullptr, 10, 90, 5, 0, 'a');
    EXPECT_FALSE(above->underlined);
}

} // namespace
