// Font mapping of words: PDF font names and descriptor flags to the RTF font table.
#include "test_word_fixtures.h"

#include <font_table.h>

using namespace vlx;
using namespace vlx_test;

namespace {

class WordFont : public TextFixture {
protected:
    std::unique_ptr<TextWord> wordIn(const std::string& name, const std::string& descriptor = "", int flags = 0,
                                     double size = 10)
    {
        fontRec = std::make_unique<TextFontInfo>(makeFont(name, descriptor, flags));
        return std::make_unique<TextWord>(&state, 0, 100, 700, 0, fontRec.get(), size);
    }
    std::unique_ptr<TextFontInfo> fontRec;
};

struct Expect {
    const char* name;
    const char* code;
    const char* face;
    bool sans, serif, display, bold, italic;
};

TEST_F(WordFont, TypicalNamesChooseTheirRow)
{
    const Expect cases[] = {
        {"ABCDEF+Arial-BoldMT", "f10", "Arial", true, false, false, true, false},
        {"ArialNarrow", "f11", "Arial Narrow", true, false, false, false, false},
        {"Arial-CondensedBold", "f11", "Arial Narrow", true, false, false, true, false},
        {"TimesNewRomanPS-ItalicMT", "f20", "Times New Roman", false, true, false, false, true},
        {"CMBX10", "f20", "Times New Roman", false, true, false, true, false},
        {"CMTI10", "f50", "Garamond", false, false, false, false, true},
        {"Helvetica-Oblique", "f10", "Arial", true, false, false, false, true},
        {"CourierNewPSMT", "f30", "Courier New", false, false, false, false, false},
        {"Verdana", "f13", "Verdana", true, false, false, false, false},
        {"Haettenschweiler", "f60", "Haettenschweiler", false, false, true, false, false},
        {"Impact", "f60", "Haettenschweiler", false, false, true, false, false},
        {"Symbol", "f40", "Symbol", false, false, false, false, false},
        {"LucidaConsole", "f31", "Lucida Console", false, false, false, false, false},
        {"Chicago", "f10", "Arial", false, false, false, true, false},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.name);
        auto w = wordIn(e.name);
        EXPECT_EQ(w->fontCode, e.code);
        EXPECT_EQ(w->fontFace, e.face);
        EXPECT_EQ(w->sansFamily, e.sans);
        EXPECT_EQ(w->serifFamily, e.serif);
        EXPECT_EQ(w->displayFamily, e.display);
        EXPECT_EQ(w->bold, e.bold);
        EXPECT_EQ(w->italic, e.italic);
    }
}

TEST_F(WordFont, FallbackListsSetTheFamily)
{
    auto georgia = wordIn("Georgia-Bold");
    EXPECT_EQ(georgia->fontCode, "f20");
    EXPECT_TRUE(georgia->serifFamily);
    EXPECT_TRUE(georgia->bold);

    auto trebuchet = wordIn("TrebuchetMS");
    EXPECT_EQ(trebuchet->fontCode, "f10");
    EXPECT_TRUE(trebuchet->sansFamily);
}

TEST_F(WordFont, UnknownNamesFallBackOnDescriptorFlags)
{
    auto fixed = wordIn("XYZ-Mono", "", 1 /* fixed pitch */);
    EXPECT_EQ(fixed->fontCode, "f30");
    EXPECT_EQ(fixed->fontFace, "Courier New");
    EXPECT_FALSE(fixed->sansFamily || fixed->serifFamily || fixed->displayFamily);

    auto serif = wordIn("XYZ-Book", "", 2 /* serif */);
    EXPECT_EQ(serif->fontCode, "f20");
    EXPECT_FALSE(serif->serifFamily); // only the name lists set a family in the fallback

    auto plain = wordIn("XYZ");
    EXPECT_EQ(plain->fontCode, "f10");
    EXPECT_EQ(plain->fontFace, "Arial");
    EXPECT_FALSE(plain->sansFamily);
}

TEST_F(WordFont, DescriptorFlagsAndDescriptorNameCount)
{
    auto flagged = wordIn("XYZ", "", (1 << 6) | (1 << 18));
    EXPECT_TRUE(flagged->italic);
    EXPECT_TRUE(flagged->bold);

    // Fragments are also looked for in the descriptor's font name, case-sensitively.
    auto byDescriptor = wordIn("", "Courier-Bold");
    EXPECT_EQ(byDescriptor->fontCode, "f30");
    EXPECT_TRUE(byDescriptor->bold);
    auto lower = wordIn("arial");
    EXPECT_EQ(lower->fontCode, "f10");
    EXPECT_FALSE(lower->sansFamily);
}

TEST_F(WordFont, NoFontRecordGivesArialWithoutFlags)
{
    TextWord w(&state, 0, 100, 700, 0, nullptr, 10);
    EXPECT_EQ(w.fontCode, "f10");
    EXPECT_EQ(w.fontFace, "Arial");
    EXPECT_FALSE(w.sansFamily || w.bold || w.italic);
    // 0.95 and -0.35 of the size around the baseline y = 792 - 700.
    EXPECT_DOUBLE_EQ(w.yMin, 92 - 9.5);
    EXPECT_DOUBLE_EQ(w.yMax, 92 + 3.5);
}

TEST_F(WordFont, SpaceWidthIsMeasuredNotTheRowFactor)
{
    auto a = wordIn("Arial", "", 0, 10);
    auto b = wordIn("Helvetica", "", 0, 10);
    EXPECT_EQ(a->spaceWidth, b->spaceWidth);
    EXPECT_NE(a->spaceWidth, 0.145);
    widths.set_font("Arial", 10.0f, false, false);
    EXPECT_DOUBLE_EQ(a->spaceWidth, widths.get_width(" ") * 72.0 / 10.0);
}

TEST_F(WordFont, UnusableFontSizeKeepsTheRowFactor)
{
    // A zero size would divide by zero; such a word keeps the row's factor.
    auto zero = wordIn("Arial", "", 0, 0.0);
    EXPECT_DOUBLE_EQ(zero->spaceWidth, 0.145);
    EXPECT_EQ(zero->getFontSize(), 0.0);
    auto negative = wordIn("Times", "", 0, -4.0);
    EXPECT_DOUBLE_EQ(negative->spaceWidth, 0.14);
    EXPECT_EQ(negative->getFontSize(), 0.0);
}

TEST(WordFontNoMeasurer, MissingMeasurerIsAnInternalError)
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

} // namespace
