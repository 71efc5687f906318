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
        {"CMTI10", "", 0, "f50", "Garamond", Italic},
        {"Impact", "", 0, "f60", "Haettenschweiler", Display},
        // Fallback lists set the family; descriptor flags alone do not.
        {"Georgia-Bold", "", 0, "f20", "Times New Roman", Serif | Bold},
        {"XYZ-Mono", "", 1 /* fixed */, "f30", "Courier New", 0},
        {"XYZ", "", (1 << 6) | (1 << 18), "f10", "Arial", Bold | Italic},
        // Fragments are looked for in the descriptor name too, case-sensitively.
        {"", "Courier-Bold", 0, "f30", "Courier New", Bold},
        {"arial", "", 0, "f10", "Arial", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + c.descriptor);
        auto w = make(makeFont(c.name, c.descriptor, c.flags));
        EXPECT_EQ(w->fontCode, c.code);
        EXPECT_EQ(w->fontFace, c.face);
        EXPECT_EQ(w->sansFamily, (c.expect & Sans) != 0);
        EXPECT_EQ(w->serifFamily, (c.expect & Serif) != 0);
        EXPECT_EQ(w->displayFamily, (c.expect & Display) != 0);
        EXPECT_EQ(w->bold, (c.expect & Bold) != 0);
        EXPECT_EQ(w->italic, (c.expect & Italic) != 0);
    }
}

TEST_F(Word, NoFontRecordGivesArialWithoutFlags)
{
    TextWord w(&state, 0, 100, 700, 0, nullptr, 10);
    EXPECT_EQ(w.fontCode, "f10");
    EXPECT_EQ(w.fontFace, "Arial");
    EXPECT_FALSE(w.sansFamily || w.bold || w.italic);
    EXPECT_DOUBLE_EQ(w.yMin, 92 - 9.5); // 0.95 and -0.35 of the size
    EXPECT_DOUBLE_EQ(w.yMax, 92 + 3.5);
}

TEST_F(Word, SpaceWidthIsMeasuredNotTheRowFactor)
{
    auto a = make(makeFont("Arial"));
    widths.set_font("Arial", 10.0f, false, false);
    EXPECT_DOUBLE_EQ(a->spaceWidth, widths.get_width(" ") * 72.0 / 10.0);
    // A zero or negative size would divide by zero: such a word keeps the row's factor.
    auto zero = make(makeFont("Arial"), 0, 0.0);
    EXPECT_DOUBLE_EQ(zero->spaceWidth, 0.145);
    EXPECT_EQ(zero->getFontSize(), 0.0);
    auto negative = make(makeFont("Times"), 0, -4.0);
    EXPECT_DOUBLE_EQ(negative->spaceWidth, 0.14);
    EXPECT_EQ(negative->getFontSize(), 0.0);
}

TEST(WordNoMeasurer, MissingMeasurerIsAnInternalError)
{
    PDFRectangle box(0, 0, 612, 792);
    GfxState state(72, 72, &box, 0, true);
    ASSERT_EQ(pdf_width_getter::slot(), nullptr);
    try {
        TextWord w(&state, 0, 10, 10, 0, nullptr, 10);
        FAIL() << "no assertion";
    } catch (const tk_mail_assertion& e) {
        EXPECT_EQ(e.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 59));
    }
}

TEST_F(Word, BoxAcrossTheBaselineAndCharacterEdgesByRotation)
{
    // Ascent 0.9, descent -0.2 at 10 points; one character of advance 6 at (100, 92).
    const struct {
        int rot;
        double lo, hi, dx, dy, first, last;
        int flow;
    } cases[] = {
        {0, 83, 94, 6, 0, 100, 106, 0},  // y box; x edges run right
        {1, 98, 109, 0, 6, 92, 98, 3},   // x box; y edges run down
        {2, 90, 101, -6, 0, 100, 94, 0}, // edges run left
        {3, 91, 102, 0, -6, 92, 86, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rot);
        auto w = make(makeFont("Arial"), c.rot);
        w->addChar(&state, 100, 92, c.dx, c.dy, 'a');
        const bool vertical = c.rot % 2 != 0;
        EXPECT_DOUBLE_EQ(vertical ? w->xMin : w->yMin, c.lo);
        EXPECT_DOUBLE_EQ(vertical ? w->xMax : w->yMax, c.hi);
        EXPECT_DOUBLE_EQ(w->base, vertical ? 100 : 92);
        EXPECT_EQ(w->flowCode, c.flow);
        EXPECT_DOUBLE_EQ(w->edge[0], c.first);
        EXPECT_DOUBLE_EQ(w->edge[1], c.last);
        EXPECT_DOUBLE_EQ(vertical ? w->yMin : w->xMin, std::min(c.first, c.last));
        EXPECT_DOUBLE_EQ(vertical ? w->yMax : w->xMax, std::max(c.first, c.last));
    }
    auto flat = make(makeFont("Arial", "", 0, 0.0, 0.0)); // ascent = descent
    EXPECT_DOUBLE_EQ(flat->yMin, 92);
    EXPECT_DOUBLE_EQ(flat->yMax, 93);
}

TEST(WordGeometry, PrimaryDeltaAndTableOrder)
{
    TextWord a(0, 50, 10), b(0, 80, 10);
    a.xMin = 0, a.xMax = 10, a.yMin = 0, a.yMax = 20;
    b.xMin = 14, b.xMax = 30, b.yMin = 25, b.yMax = 40;
    EXPECT_DOUBLE_EQ(a.primaryDelta(&b), 4);
    a.rot = 3;
    EXPECT_DOUBLE_EQ(a.primaryDelta(&b), -40);
    a.rot = 0;
    // Left edges within 0.1 count as equal and go by top.
    b.xMin = 0.05;
    EXPECT_EQ(TextWord::cmpXYTables(&a, &b), -1);
    EXPECT_EQ(TextWord::cmpXYTables(&b, &a), 1);
    b.xMin = -0.5;
    EXPECT_EQ(TextWord::cmpXYTables(&a, &b), 1);
}

TEST(WordMerge, ShorterWordTakesTheLongerWordsStyle)
{
    std::unique_ptr<TextWord> plain(hword(0, 50, "hello")), bold(hword(25, 50, "ab"));
    bold->bold = true;
    plain->charLen = 5;
    bold->charLen = 2;
    plain->merge(bold.get());
    EXPECT_FALSE(plain->bold); // 5 characters outweigh 2
    EXPECT_EQ(wordText(plain.get()), "helloab");
    EXPECT_EQ(plain->charLen, 7);
    EXPECT_DOUBLE_EQ(plain->edge[7], 35);

    std::unique_ptr<TextWord> shortPlain(hword(0, 50, "ab")), longBold(hword(10, 50, "hello"));
    longBold->bold = longBold->italic = longBold->underlined = true;
    longBold->colorR = 200;
    shortPlain->listMark = true;
    shortPlain->merge(longBold.get());
    EXPECT_TRUE(shortPlain->bold && shortPlain->italic && shortPlain->underlined);
    EXPECT_TRUE(shortPlain->listMark); // kept from this word
    EXPECT_EQ(shortPlain->colorR, 200); // black takes the other's colour

    // Beyond the allocated size the arrays grow to exactly the joint length.
    std::unique_ptr<TextWord> a(hword(0, 50, "abcdefghijklmn")), b(hword(70, 50, "opqrstu"));
    a->colorG = 10;
    b->colorG = 99;
    a->merge(b.get());
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
    EXPECT_TRUE(w->underlined);
    w->addChar(nullptr, 40, 100, 5, 0, 'b'); // beyond it
    EXPECT_TRUE(w->underlined);
    above->addChar(nullptr, 10, 90, 5, 0, 'a');
    EXPECT_FALSE(above->underlined);
}

} // namespace
