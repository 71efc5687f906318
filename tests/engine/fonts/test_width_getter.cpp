// The measurer's arithmetic and caching, on a fake font engine.
#include "pdf_width_getter.h"

#include "tk_except.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Every byte half an em, the space a quarter; 1000 units per em, a cell of 1250 units.
struct fake_backend : font_backend {
    int* loads;
    explicit fake_backend(int* counter) : loads(counter) {}
    std::unique_ptr<face_metrics> load(const std::string& face, bool bold, bool italic) override
    {
        ++*loads;
        if (face == "Missing")
            return nullptr;
        auto m = std::make_unique<face_metrics>();
        m->family = face + (bold ? " B" : "") + (italic ? " I" : "");
        m->units_per_em = 1000;
        m->cell_units = 1250;
        m->advance.fill(500);
        m->advance[' '] = 250;
        m->synthetic_bold = bold && face == "Thin";
        return m;
    }
};

class WidthGetter : public ::testing::Test {
protected:
    int loads = 0;
    pdf_width_getter wg{std::make_unique<fake_backend>(&loads)};
};

TEST(WidthGetterHeight, NegativeEmHeightTruncatedTowardZero)
{
    EXPECT_EQ(pdf_width_getter::font_height(10), -13);
    EXPECT_EQ(pdf_width_getter::font_height(11), -14);
    EXPECT_EQ(pdf_width_getter::font_height(12), -16);
    EXPECT_EQ(pdf_width_getter::font_height(192), -256);
    EXPECT_EQ(pdf_width_getter::font_height(0.5f), 0);
    EXPECT_EQ(pdf_width_getter::font_height(0.75f), -1);
    EXPECT_EQ(pdf_width_getter::font_height(-12), 16); // a negative size asks for a cell height
}

TEST(WidthGetterHeight, SizesOutsideTheIntRangeAreClamped)
{
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(pdf_width_getter::font_height(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(pdf_width_getter::font_height(inf), 0);
    EXPECT_EQ(pdf_width_getter::font_height(1e30f), std::numeric_limits<int>::min());
    EXPECT_EQ(pdf_width_getter::font_height(-1e30f), std::numeric_limits<int>::max());
}

TEST_F(WidthGetter, WidthIsSumOfPerGlyphPixelsInInches)
{
    wg.set_font("Arial", 192, false, false);
    EXPECT_EQ(wg.current_height(), -256);
    // 128 + 64 + 128 px at 256 ppem
    EXPECT_DOUBLE_EQ(wg.get_width("a b"), 320.0 / 96);
    EXPECT_DOUBLE_EQ(wg.get_width(""), 0.0);
}

TEST_F(WidthGetter, EachGlyphRoundsOnItsOwn)
{
    wg.set_font("Arial", 10, false, false); // 13 ppem: 6.5 px per glyph rounds to 7
    EXPECT_DOUBLE_EQ(wg.get_width("x"), 7.0 / 96);
    EXPECT_DOUBLE_EQ(wg.get_width("xx"), 14.0 / 96);
    EXPECT_DOUBLE_EQ(wg.get_width(" "), 3.0 / 96); // 3.25
}

TEST_F(WidthGetter, EveryByteCountsIncludingNul)
{
    wg.set_font("Arial", 192, false, false);
    EXPECT_DOUBLE_EQ(wg.get_width(std::string("a\0b", 3)), 3 * 128.0 / 96);
    EXPECT_DOUBLE_EQ(wg.get_width("\x80\xff"), 2 * 128.0 / 96);
}

TEST_F(WidthGetter, NegativeSizeMeasuresByCellHeight)
{
    wg.set_font("Arial", -72, false, false); // cell of 96 px = 76.8 ppem
    EXPECT_EQ(wg.current_height(), 96);
    EXPECT_DOUBLE_EQ(wg.get_width("x"), 38.0 / 96);
}

TEST_F(WidthGetter, SizeWithoutHeightUsesTheDefaultCell)
{
    wg.set_font("Arial", 0.5f, false, false); // default cell 16 px = 12.8 ppem
    EXPECT_EQ(wg.current_height(), 0);
    EXPECT_DOUBLE_EQ(wg.get_width("x"), 6.0 / 96);
}

TEST_F(WidthGetter, HugeAndNotFiniteSizesMeasureWithoutOverflow)
{
    wg.set_font("Arial", 1e30f, false, false);
    EXPECT_TRUE(std::isfinite(wg.get_width("abc")));
    EXPECT_GT(wg.get_width("abc"), 0.0);
    wg.set_font("Arial", std::numeric_limits<float>::quiet_NaN(), false, false);
    EXPECT_TRUE(std::isfinite(wg.get_width("abc")));
}

TEST_F(WidthGetter, SyntheticBoldAddsAPixelPerGlyph)
{
    wg.set_font("Thin", 192, true, false);
    EXPECT_DOUBLE_EQ(wg.get_width("ab"), 258.0 / 96);
    wg.set_font("Thin", 192, false, false);
    EXPECT_DOUBLE_EQ(wg.get_width("ab"), 256.0 / 96);
}

TEST_F(WidthGetter, FontsAreLoadedOncePerFaceAndStyle)
{
    for (int i = 0; i < 500; ++i) {
        wg.set_font("Arial", 8 + i % 20, false, false);
        wg.get_width("word");
    }
    EXPECT_EQ(loads, 1);
    wg.set_font("ARIAL", 12, false, false); // face names are not case sensitive
    EXPECT_EQ(loads, 1);
    wg.set_font("Arial", 12, true, false);
    wg.set_font("Arial", 12, false, true);
    wg.set_font("Arial", 12, true, true);
    EXPECT_EQ(loads, 4);
    wg.set_font("Arial", 12, true, false);
    EXPECT_EQ(wg.current_font()->family, "Arial B");
    EXPECT_EQ(loads, 4);
    wg.set_font("Times New Roman", 12, false, false);
    EXPECT_EQ(loads, 5);
}

TEST_F(WidthGetter, FaceNameIsCutToThirtyOneCharacters)
{
    const std::string long_name(40, 'F');
    wg.set_font(long_name, 12, false, false);
    EXPECT_EQ(wg.current_font()->family, std::string(31, 'F'));
    wg.set_font(std::string(31, 'F') + "different tail", 12, false, false);
    EXPECT_EQ(loads, 1);
}

TEST_F(WidthGetter, NoFontMeasuresZero)
{
    EXPECT_DOUBLE_EQ(wg.get_width("abc"), 0.0); // nothing set yet
    wg.set_font("Missing", 12, false, false);
    EXPECT_EQ(wg.current_font(), nullptr);
    EXPECT_DOUBLE_EQ(wg.get_width("abc"), 0.0);
    wg.set_font("Missing", 14, false, false);
    EXPECT_EQ(loads, 1); // a face that failed is not retried per word
}

TEST_F(WidthGetter, IsTheRegisteredInstance)
{
    EXPECT_EQ(&pdf_width_getter::instance(), &wg);
    try {
        pdf_width_getter second{std::make_unique<fake_backend>(&loads)};
        FAIL() << "a second measurer was accepted";
    } catch (const tk_mail_assertion& e) {
        EXPECT_EQ(e.level, 2);
        EXPECT_EQ(e.message, tk_mail_assertion::make_message(TK_SINGL_UNIT, 35));
    }
    EXPECT_EQ(&pdf_width_getter::instance(), &wg);
}

TEST(WidthGetterLifetime, MissingInstanceIsAnAssertion)
{
    {
        int loads = 0;
        pdf_width_getter wg{std::make_unique<fake_backend>(&loads)};
    }
    EXPECT_EQ(pdf_width_getter::slot(), nullptr);
    EXPECT_THROW(pdf_width_getter::instance(), tk_mail_assertion);
}

} // namespace
