// Widths measured with the installed fonts through FreeType and fontconfig. Liberation has the
// metrics of Arial, Times New Roman and Courier New, so these are the widths Windows gives.
#include "font_table.h"
#include "pdf_width_getter.h"

#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <string>

namespace {

bool family_installed(const char* family)
{
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fs = FcFontList(config, pat, os);
    bool found = fs && fs->nfont > 0;
    if (fs)
        FcFontSetDestroy(fs);
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    FcConfigDestroy(config);
    return found;
}

bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class InstalledFonts : public ::testing::Test {
protected:
    pdf_width_getter wg;

    double width(const char* face, float size, const std::string& text, bool bold = false,
                 bool italic = false)
    {
        wg.set_font(face, size, bold, italic);
        return wg.get_width(text);
    }
    // Skips the metric checks where the Microsoft face itself is installed and wins.
    bool stand_in_used(const char* microsoft_face)
    {
        return !family_installed(microsoft_face);
    }
};

TEST_F(InstalledFonts, ReferenceWidths)
{
    if (!stand_in_used("Arial") || !stand_in_used("Times New Roman") ||
        !stand_in_used("Courier New") || !stand_in_used("Arial Narrow"))
        GTEST_SKIP() << "Microsoft fonts installed";
    EXPECT_NEAR(width("Arial", 192, "Hello"), 583 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 192, "Hello"), 6.072917, 1e-6);
    EXPECT_NEAR(width("Arial", 192, "ab cd"), 625 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 10, " "), 4 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 12, "Hello"), 38 / 96.0, 1e-12); // linear, not hinted (35)
    EXPECT_NEAR(width("Times New Roman", 192, " "), 64 / 96.0, 1e-12);
    EXPECT_NEAR(width("Courier New", 192, "a"), 154 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial Narrow", 192, "Hello"), 480 / 96.0, 1e-12);
}

TEST_F(InstalledFonts, BoldAndItalicFaces)
{
    if (!stand_in_used("Arial") || !stand_in_used("Courier New"))
        GTEST_SKIP() << "Microsoft fonts installed";
    // Arial Bold: H 1479, e 1139, l 569, o 1251 per 2048
    EXPECT_NEAR(width("Arial", 192, "Hello", true), (185 + 142 + 71 + 71 + 156) / 96.0, 1e-12);
    EXPECT_FALSE(wg.current_font()->synthetic_bold);
    // Italic Arial keeps the upright advances.
    EXPECT_NEAR(width("Arial", 192, "Hello", false, true), 583 / 96.0, 1e-12);
    // Every Courier New glyph is 1229/2048 em, in every style.
    EXPECT_NEAR(width("Courier New", 192, "iW", true, true), 2 * 154 / 96.0, 1e-12);
}

TEST_F(InstalledFonts, HighBytesAreWindows1252)
{
    if (!stand_in_used("Arial"))
        GTEST_SKIP() << "Microsoft fonts installed";
    // Euro 1139, ellipsis 2048, left quote 455, bullet 717, em dash 2048 per 2048 em.
    EXPECT_NEAR(width("Arial", 192, "\x80"), 142 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 192, "\x85"), 256 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 192, "\x91"), 57 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 192, "\x95"), 90 / 96.0, 1e-12);
    EXPECT_NEAR(width("Arial", 192, "\x97"), 256 / 96.0, 1e-12);
    // En dash 1139, trade mark 2048, S caron 1366, y diaeresis (0x9F) 1366.
    EXPECT_NEAR(width("Arial", 192, "\x96\x99\x8a\x9f"), (142 + 256 + 171 + 171) / 96.0, 1e-12);
    // Latin-1 range: e acute as 'e'.
    EXPECT_NEAR(width("Arial", 192, "\xe9"), width("Arial", 192, "e"), 1e-12);
}

TEST_F(InstalledFonts, BytesWithoutGlyphTakeTheNotdefAdvance)
{
    if (!stand_in_used("Arial"))
        GTEST_SKIP() << "Microsoft fonts installed";
    // .notdef of Liberation Sans is 1536/2048 em: 192 px at 256 ppem.
    for (const char* undefined : {"\x81", "\x8d", "\x8f", "\x90", "\x9d", "\x19"})
        EXPECT_NEAR(width("Arial", 192, undefined), 192 / 96.0, 1e-12) << int(undefined[0] & 0xff);
}

TEST_F(InstalledFonts, SymbolBytesAreGlyphPositions)
{
    if (!stand_in_used("Symbol"))
        GTEST_SKIP() << "Microsoft Symbol installed";
    // In Symbol, 'a' is alpha (631/1000 em) and 0xE5 the summation sign (713/1000 em).
    EXPECT_NEAR(width("Symbol", 192, "a"), 162 / 96.0, 1e-12);
    EXPECT_NEAR(width("Symbol", 192, "\xe5"), 183 / 96.0, 1e-12);
    EXPECT_NEAR(width("Symbol", 192, " "), 64 / 96.0, 1e-12); // 250/1000 em
    // The same bytes in a text face are other characters.
    EXPECT_NE(width("Arial", 192, "a"), width("Symbol", 192, "a"));
}

TEST_F(InstalledFonts, SymbolHasNoBoldFaceSoBoldIsEmboldened)
{
    if (!stand_in_used("Symbol"))
        GTEST_SKIP() << "Microsoft Symbol installed";
    EXPECT_NEAR(width("Symbol", 192, "aa", true), (2 * 162 + 2) / 96.0, 1e-12);
    EXPECT_TRUE(wg.current_font()->synthetic_bold);
}

TEST_F(InstalledFonts, EveryRowResolvesToItsFaceOrItsStandIn)
{
    struct expect_row {
        const char* stand_in;
        const char* file_suffix;
    };
    const expect_row rows[FONT_TABLE_ROWS] = {
        {"Nimbus Sans Narrow", ".otf"}, {"Liberation Sans", ".ttf"}, {"Liberation Sans", ".ttf"},
        {"DejaVu Sans", ".ttf"},        {"Liberation Serif", ".ttf"}, {"Liberation Serif", ".ttf"},
        {"P052", ".otf"},               {"Liberation Mono", ".ttf"},  {"Liberation Mono", ".ttf"},
        {"Standard Symbols PS", ".otf"}, {"Liberation Serif", ".ttf"}, {"Nimbus Sans Narrow", ".otf"},
    };
    for (int r = 0; r < FONT_TABLE_ROWS; ++r) {
        const std::string face = font_table_face(font_table[r]);
        SCOPED_TRACE(face);
        wg.set_font(face, 12, false, false);
        const face_metrics* m = wg.current_font();
        ASSERT_NE(m, nullptr);
        if (family_installed(face.c_str())) {
            EXPECT_EQ(m->family, face);
            continue;
        }
        EXPECT_EQ(m->family, rows[r].stand_in);
        EXPECT_TRUE(ends_with(m->file, rows[r].file_suffix)) << m->file;
    }
}

TEST_F(InstalledFonts, HaettenschweilerStandInIsTheNarrowBoldFace)
{
    if (!stand_in_used("Haettenschweiler"))
        GTEST_SKIP() << "Haettenschweiler installed";
    wg.set_font("Haettenschweiler", 12, false, false);
    ASSERT_NE(wg.current_font(), nullptr);
    EXPECT_NE(wg.current_font()->file.find("NimbusSansNarrow-Bold."), std::string::npos)
        << wg.current_font()->file;
    EXPECT_FALSE(wg.current_font()->synthetic_bold);
}

TEST_F(InstalledFonts, LucidaConsoleStandInIsMonospaced)
{
    wg.set_font("Lucida Console", 192, false, false);
    EXPECT_DOUBLE_EQ(wg.get_width("iiii"), wg.get_width("WWWW"));
}

TEST_F(InstalledFonts, StylesPickTheMatchingFiles)
{
    if (!stand_in_used("Palatino Linotype"))
        GTEST_SKIP() << "Palatino Linotype installed";
    wg.set_font("Palatino Linotype", 12, false, false);
    EXPECT_TRUE(ends_with(wg.current_font()->file, "P052-Roman.otf")) << wg.current_font()->file;
    wg.set_font("Palatino Linotype", 12, true, true);
    EXPECT_TRUE(ends_with(wg.current_font()->file, "P052-BoldItalic.otf")) << wg.current_font()->file;
    wg.set_font("Arial Narrow", 12, false, true);
    EXPECT_TRUE(ends_with(wg.current_font()->file, "NimbusSansNarrow-Oblique.otf"))
        << wg.current_font()->file;
}

TEST_F(InstalledFonts, UnknownFaceIsMeasuredInTheDefaultSansSerif)
{
    EXPECT_DOUBLE_EQ(width("No Such Face 123", 192, "Hello"), width("Arial", 192, "Hello"));
    if (stand_in_used("Arial")) {
        EXPECT_EQ(wg.current_font()->family, "Liberation Sans");
    }
}

} // namespace
