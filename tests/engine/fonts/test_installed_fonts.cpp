// Widths measured with the installed fonts through FreeType and fontconfig. Liberation 2 has the
// metrics of Arial, Times New Roman and Courier New, so these are those faces' own widths.
#include "font_choice.h"
#include "pdf_width_getter.h"

#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <string>

namespace {

// Where a Microsoft face itself is installed it wins, and the stand-in's metrics do not apply.
bool family_installed(const std::string& family)
{
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fs = FcFontList(nullptr, pat, os);
    const bool found = fs && fs->nfont > 0;
    if (fs)
        FcFontSetDestroy(fs);
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    return found;
}

bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(InstalledFonts, StandInWidthsInPixelsAt96Dpi)
{
    const struct {
        const char* face;
        float size;
        bool bold, italic;
        const char* text;
        int pixels;
        bool synthetic_bold;
    } rows[] = {
        {"Arial", 192, false, false, "Hello", 583, false},
        {"Arial", 12, false, false, "Hello", 38, false}, // linear advances, not hinted (35)
        {"Arial", 192, true, false, "Hello", 185 + 142 + 71 + 71 + 156, false},
        {"Times New Roman", 192, false, false, " ", 64, false},
        {"Courier New", 192, true, true, "iW", 2 * 154, false},
        {"Arial Narrow", 192, false, false, "Hello", 480, false},
        // Windows-1252: euro, ellipsis, left quote, bullet, em dash
        {"Arial", 192, false, false, "\x80\x85\x91\x95\x97", 142 + 256 + 57 + 90 + 256, false},
        // bytes without a glyph take the .notdef advance (1536/2048 em)
        {"Arial", 192, false, false, "\x81\x8d\x8f\x90\x9d\x19", 6 * 192, false},
        // Symbol bytes are glyph positions: alpha, summation, space; no bold face, so emboldened
        {"Symbol", 192, false, false, "a\xe5 ", 162 + 183 + 64, false},
        {"Symbol", 192, true, false, "aa", 2 * 162 + 2, true},
    };
    pdf_width_getter wg;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.face) + " [" + r.text + "]");
        if (family_installed(r.face))
            continue;
        wg.set_font(r.face, r.size, r.bold, r.italic);
        EXPECT_NEAR(wg.get_width(r.text), r.pixels / 96.0, 1e-12);
        EXPECT_EQ(wg.current_font()->synthetic_bold, r.synthetic_bold);
    }
}

TEST(InstalledFonts, EveryFaceResolvesToItsFaceOrItsStandIn)
{
    const struct {
        const char* face;
        bool bold, italic;
        const char* family;
        const char* file_tail;
    } rows[] = {
        {"Arial Narrow", false, false, "Nimbus Sans Narrow", "NimbusSansNarrow-Regular.otf"},
        {"Arial", false, false, "Liberation Sans", ".ttf"},
        {"Franklin Gothic", false, false, "Liberation Sans", ".ttf"},
        {"Verdana", false, false, "DejaVu Sans", ".ttf"},
        {"Times New Roman", false, false, "Liberation Serif", ".ttf"},
        {"Garamond", false, false, "Liberation Serif", ".ttf"},
        {"Palatino Linotype", false, false, "P052", "P052-Roman.otf"},
        {"Palatino Linotype", true, true, "P052", "P052-BoldItalic.otf"},
        {"Courier New", false, false, "Liberation Mono", ".ttf"},
        {"Lucida Console", false, false, "Liberation Mono", ".ttf"},
        {"Symbol", false, false, "Standard Symbols PS", ".otf"},
        {"Haettenschweiler", false, false, "Nimbus Sans Narrow", "NimbusSansNarrow-Bold.otf"},
        {"No Such Face 123", false, false, "Liberation Sans", ".ttf"},
    };
    pdf_width_getter wg;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.face);
        wg.set_font(r.face, 12, r.bold, r.italic);
        const face_metrics* m = wg.current_font();
        ASSERT_NE(m, nullptr);
        if (family_installed(r.face)) {
            EXPECT_EQ(m->family, r.face);
            continue;
        }
        EXPECT_EQ(m->family, r.family);
        EXPECT_TRUE(ends_with(m->file, r.file_tail)) << m->file;
        EXPECT_FALSE(m->synthetic_bold);
    }
    wg.set_font("Lucida Console", 192, false, false);
    EXPECT_DOUBLE_EQ(wg.get_width("iiii"), wg.get_width("WWWW"));
}

TEST(InstalledFonts, OfTwoReleasesOfAFamilyTheNewerMeasuresWhateverTheListingOrder)
{
    // fonts-liberation 1.07 beside fonts-liberation2 2.1: the older one sorts and lists first.
    const font_entry older{"Liberation Sans", "/fonts/liberation/LiberationSans-Regular.ttf", 0,
                           FC_WEIGHT_REGULAR, false, FC_WIDTH_NORMAL, true, 70123};
    font_entry newer = older;
    newer.path = "/fonts/liberation2/LiberationSans-Regular.ttf";
    newer.version = 137625;
    EXPECT_EQ(choose_font({older, newer}, false, false), 1);
    EXPECT_EQ(choose_font({newer, older}, false, false), 0);
    // The style still comes first: only the older release has the bold face.
    font_entry older_bold = older;
    older_bold.weight = FC_WEIGHT_BOLD;
    EXPECT_EQ(choose_font({newer, older_bold}, true, false), 1);
    // Equal versions: the file path decides, not the order.
    newer.version = older.version;
    EXPECT_EQ(choose_font({newer, older}, false, false), 1);
    EXPECT_EQ(choose_font({}, false, false), -1);
}

} // namespace
