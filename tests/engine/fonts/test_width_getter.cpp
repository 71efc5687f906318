// The measurer's arithmetic, caching and lifetime, on a fake font engine.
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

TEST(WidthGetterHeight, NegativeEmHeightTruncatedAndClamped)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float size;
        int height;
    } rows[] = {{10, -13}, {0.75f, -1}, {-12, 16}, // a negative size asks for a cell height
                {nan, 0}, {inf, 0}, {1e30f, std::numeric_limits<int>::min()}};
    for (const auto& r : rows)
        EXPECT_EQ(pdf_width_getter::font_height(r.size), r.height) << r.size;
}

TEST_F(WidthGetter, WidthIsTheSumOfPerGlyphPixelsInInches)
{
    const struct {
        const char* face;
        float size;
        bool bold;
        std::string text;
        int pixels;
    } rows[] = {
        {"Arial", 192, false, "a b", 128 + 64 + 128}, // 256 ppem
        {"Arial", 192, false, std::string("a\0b", 3), 3 * 128}, // every byte counts
        {"Arial", 10, false, "xx", 7 + 7},  // 13 ppem: each 6.5 px glyph rounds on its own
        {"Arial", -72, false, "x", 38},     // a cell of 96 px is 76.8 ppem
        {"Arial", 0.5f, false, "x", 6},     // no height: the default 16 px cell, 12.8 ppem
        {"Thin", 192, true, "ab", 258},     // emboldened: a pixel more per glyph
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.face) + " " + std::to_string(r.size) + " [" + r.text + "]");
        wg.set_font(r.face, r.size, r.bold, false);
        EXPECT_DOUBLE_EQ(wg.get_width(r.text), r.pixels / 96.0);
    }
}

TEST_F(WidthGetter, FontsAreLoadedOncePerFaceAndStyle)
{
    for (int i = 0; i < 500; ++i) {
        wg.set_font(i % 2 ? "Arial" : "ARIAL", 8 + i % 20, false, false); // case does not matter
        wg.get_width("word");
    }
    EXPECT_EQ(loads, 1);
    for (int style = 1; style < 4; ++style)
        wg.set_font("Arial", 12, style & 1, style & 2);
    wg.set_font("Arial", 12, true, false);
    EXPECT_EQ(wg.current_font()->family, "Arial B");
    EXPECT_EQ(loads, 4);
    // Face names are cut to 31 characters.
    wg.set_font(std::string(40, 'F'), 12, false, false);
    EXPECT_EQ(wg.current_font()->family, std::string(31, 'F'));
    wg.set_font(std::string(31, 'F') + "different tail", 12, false, false);
    EXPECT_EQ(loads, 5);
}

TEST_F(WidthGetter, NoFontMeasuresZeroHugeSizesStayFinite)
{
    EXPECT_DOUBLE_EQ(wg.get_width("abc"), 0.0); // nothing set yet
    wg.set_font("Missing", 12, false, false);
    EXPECT_EQ(wg.current_font(), nullptr);
    EXPECT_DOUBLE_EQ(wg.get_width("abc"), 0.0);
    wg.set_font("Missing", 14, false, false);
    EXPECT_EQ(loads, 1); // a face that failed is not retried per word
    wg.set_font("Arial", 1e30f, false, false);
    EXPECT_TRUE(std::isfinite(wg.get_width("abc")));
    EXPECT_GT(wg.get_width("abc"), 0.0);
    wg.set_font("Arial", std::numeric_limits<float>::quiet_NaN(), false, false);
    EXPECT_TRUE(std::isfinite(wg.get_width("abc")));
}

TEST(WidthGetterLifetime, OneRegisteredInstanceAndAssertionsOtherwise)
{
    auto assertion = [](auto&& f) {
        try {
            f();
        } catch (const tk_mail_assertion& e) {
            return std::to_string(e.level) + " " + e.message;
        }
        return std::string("none");
    };
    auto expected = [](int line) { return "2 " + tk_mail_assertion::make_message(TK_SINGL_UNIT, line); };
    int loads = 0;
    {
        pdf_width_getter wg{std::make_unique<fake_backend>(&loads)};
        EXPECT_EQ(assertion([&] { pdf_width_getter second{std::make_unique<fake_backend>(&loads)}; }), expected(35));
        EXPECT_EQ(&pdf_width_getter::instance(), &wg);
    }
    EXPECT_EQ(pdf_width_getter::slot(), nullptr);
    EXPECT_EQ(assertion([] { pdf_width_getter::instance(); }), expected(59));
}

} // namespace
