// The underline and rule processor on plain values: duplicates, matching, painting back, ownership.
#include "pdf_ulin.h"
#include "tk_except.h"

#include <gtest/gtest.h>
#include <splash/Splash.h>
#include <splash/SplashBitmap.h>
#include <splash/SplashPattern.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

int g_live = 0; // patterns alive, to see every record released exactly once

class counted_color : public SplashSolidColor {
public:
    explicit counted_color(SplashColorConstPtr c) : SplashSolidColor(c) { ++g_live; }
    ~counted_color() override { --g_live; }
    SplashPattern* copy() const override
    {
        SplashColor c;
        const_cast<counted_color*>(this)->getColor(0, 0, c);
        return new counted_color(c);
    }
};

uline_attr* attr(int r, int g, int b, double alpha = 1.0, bool noClip = true)
{
    SplashColor c = {static_cast<unsigned char>(r), static_cast<unsigned char>(g), static_cast<unsigned char>(b), 0};
    return new uline_attr(new counted_color(c), alpha, noClip);
}

bool asserted(const std::function<void()>& f, const char* unit, int line)
{
    try {
        f();
    } catch (const tk_mail_assertion& e) {
        return e.message == tk_mail_assertion::make_message(unit, line);
    }
    return false;
}

class ULine : public ::testing::Test {
protected:
    void TearDown() override
    {
        proc.reset();
        EXPECT_EQ(g_live, 0);
    }
    pdf_uline_processor& make(bool tables = false)
    {
        proc = std::make_unique<pdf_uline_processor>(tables);
        return *proc;
    }
    std::unique_ptr<pdf_uline_processor> proc;
};

// A white RGB page raster with its rasteriser.
struct Raster {
    Raster(int w, int h) : bitmap(w, h, 1, splashModeRGB8, false), splash(&bitmap, false)
    {
        for (int y = 0; y < h; ++y)
            std::fill_n(bitmap.getDataPtr() + y * bitmap.getRowSize(), 3 * w, 255);
    }
    const unsigned char* px(int x, int y) { return bitmap.getDataPtr() + y * bitmap.getRowSize() + 3 * x; }
    bool white(int x, int y) { return px(x, y)[0] == 255 && px(x, y)[1] == 255 && px(x, y)[2] == 255; }
    SplashBitmap bitmap;
    Splash splash;
};

} // namespace

TEST_F(ULine, OneProcessorAtATime)
{
    make(true);
    EXPECT_EQ(pdf_uline_processor::slot(), proc.get());
    EXPECT_TRUE(proc->tables_mode);
    EXPECT_FALSE(proc->single_subpath);
    EXPECT_TRUE(asserted([] { pdf_uline_processor second(false); }, "..\\TK/tk_singl", 35));
    proc.reset();
    EXPECT_EQ(pdf_uline_processor::slot(), nullptr);
}

TEST_F(ULine, SetLineNormalisesAndDropsDuplicates)
{
    auto& p = make();
    p.set_line(300, 100, 52, 50, attr(0, 0, 0));
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].kind, 0);
    EXPECT_EQ(p.lines[0].xMin, 100);
    EXPECT_EQ(p.lines[0].xMax, 300);
    EXPECT_EQ(p.lines[0].yMin, 50);
    EXPECT_EQ(p.lines[0].yMax, 52);

    // 0.4 px sideways and 1.5 px down: the same rule, the first one's colour stays.
    p.set_line(100.4, 300.4, 51.5, 53.5, attr(255, 0, 0));
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.attrs.size(), 1u);
    EXPECT_EQ(g_live, 1);

    // 0.5 px sideways is another rule.
    p.set_line(100.5, 300.5, 50, 52, attr(0, 0, 0));
    EXPECT_EQ(p.lines.size(), 2u);
    EXPECT_EQ(p.attrs.size(), 2u);
}

TEST_F(ULine, DuplicateKeepsFirstColour)
{
    auto& p = make();
    p.set_line(100, 300, 50, 52, attr(0, 0, 0));
    p.set_line(100.4, 300.4, 51.5, 53.5, attr(200, 0, 0));
    // The line sits at 51 px = 24.48 pt; only black text matches.
    EXPECT_FALSE(p.process_as_underline(50, 140, 24.5, 200, 0, 0));
    EXPECT_TRUE(p.process_as_underline(50, 140, 24.5, 0, 0, 0));
}

TEST_F(ULine, NonFiniteOrRecordlessLinesAreDropped)
{
    auto& p = make();
    p.set_line(std::nan(""), 10, 1, 1, attr(0, 0, 0));
    p.set_line(0, HUGE_VAL, 1, 1, attr(0, 0, 0));
    p.set_line(0, 10, 1, 1, nullptr);
    EXPECT_TRUE(p.lines.empty());
    EXPECT_TRUE(p.attrs.empty());
    EXPECT_EQ(g_live, 0);
}

TEST_F(ULine, GeometricMatchInPoints)
{
    auto& p = make();
    // 0 .. 208.333 px is 0 .. 100 pt; rows 200..202 have their middle at 96.48 pt.
    p.set_line(0, 208.333, 200, 202, attr(0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 100.51, 96, 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(-0.51, 50, 96, 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 50, 98.5, 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 50, 94.4, 0, 0, 0));
    EXPECT_TRUE(p.process_as_underline(-0.5, 100.5, 97.9, 0, 0, 0));
    EXPECT_TRUE(p.lines.empty());
    ASSERT_EQ(p.underlines.size(), 1u);
    EXPECT_NEAR(p.underlines[0].xMin, 0, 1e-9);
    EXPECT_NEAR(p.underlines[0].xMax, 100, 1e-3);
    EXPECT_EQ(p.underlines[0].yMin, 97.9);
    EXPECT_EQ(p.underlines[0].yMax, 97.9);
}

TEST_F(ULine, KnownUnderlinesMatchWithoutColour)
{
    auto& p = make();
    p.set_line(0, 208.333, 200, 202, attr(0, 0, 0));
    p.set_line(0, 208.333, 400, 402, attr(0, 0, 0));
    ASSERT_TRUE(p.process_as_underline(10, 20, 96, 0, 0, 0));
    EXPECT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].yMin, 400); // the other line keeps its place
    EXPECT_EQ(g_live, 1);
    // The rest of the word, grey now, still lies on the recorded underline (at y 96).
    EXPECT_TRUE(p.process_as_underline(10, 30, 97.5, 60, 60, 60));
    EXPECT_TRUE(p.process_as_underline(10, 100.5, 94, 60, 60, 60));
    EXPECT_FALSE(p.process_as_underline(10, 100.6, 96, 60, 60, 60));
    EXPECT_EQ(p.underlines.size(), 1u);
}

TEST_F(ULine, VerticalRulesAreNeverUnderlines)
{
    auto& p = make();
    // 1 px wide, 20 px tall around 100 pt: skipped whatever the text.
    p.set_line(100, 101, 198, 218, attr(0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(48, 48.5, 99.8, 0, 0, 0));
    // 1.75 px wide can be one.
    p.set_line(110, 111.75, 198, 218, attr(0, 0, 0));
    EXPECT_TRUE(p.process_as_underline(52.8, 53.6, 99.8, 0, 0, 0));
    EXPECT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].xMin, 100);
}

TEST_F(ULine, ColourTest)
{
    struct Case {
        int text[3];
        int rule[3];
        bool match;
    } cases[] = {
        {{0, 0, 0}, {0, 0, 0}, true},
        {{2, 1, 0}, {0, 2, 2}, true},
        {{60, 60, 60}, {0, 0, 0}, false},
        {{3, 0, 0}, {0, 0, 0}, false},
        {{255, 255, 255}, {255, 255, 0}, true},
        {{255, 0, 0}, {0, 0, 255}, true},
        {{0, 253, 0}, {0, 0, 253}, true},
        {{0, 252, 0}, {0, 0, 255}, false},
    };
    for (const Case& c : cases) {
        auto& p = make();
        p.set_line(0, 208.333, 200, 202, attr(c.rule[0], c.rule[1], c.rule[2]));
        EXPECT_EQ(p.process_as_underline(10, 20, 96, c.text[0], c.text[1], c.text[2]), c.match)
            << c.text[0] << "," << c.text[1] << "," << c.text[2] << " on " << c.rule[0] << "," << c.rule[1] << "," << c.rule[2];
        proc.reset();
    }
}

TEST_F(ULine, EmptyPageMatchesNothing)
{
    auto& p = make();
    EXPECT_FALSE(p.process_as_underline(0, 1000, 100, 0, 0, 0));
    EXPECT_FALSE(p.process_is_inCell(0, 10, 0, 10));
    p.tableBuilding();
    Raster r(20, 20);
    p.undo_lines(&r.splash);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_TRUE(r.white(x, y));
}

TEST_F(ULine, InCellIsAlwaysFalse)
{
    auto& p = make(true);
    p.set_line(0, 100, 0, 100, attr(0, 0, 0));
    EXPECT_FALSE(p.process_is_inCell(0, 48, 0, 48));
    EXPECT_FALSE(p.process_is_inCell(-1e9, 1e9, -1e9, 1e9));
}

TEST_F(ULine, MismatchedListsAssert)
{
    auto& p = make();
    p.lines.push_back({0, 0, 10, 5, 5});
    EXPECT_TRUE(asserted([&] { p.process_as_underline(0, 1, 2, 0, 0, 0); }, PDF_ULIN_UNIT, 683));
    // undo_lines meets it silently and paints nothing.
    Raster r(20, 20);
    p.undo_lines(&r.splash);
    EXPECT_TRUE(r.white(5, 5));
    EXPECT_TRUE(asserted([&] { p.undo_lines(nullptr); }, PDF_ULIN_UNIT, 307));
}

TEST_F(ULine, UndoPaintsRowsAndReleasesRecords)
{
    auto& p = make();
    Raster r(40, 40);
    p.set_line(5, 20.9, 10, 12, attr(10, 20, 30));
    p.set_line(3, 8, 7, 7, attr(0, 0, 0));
    // Slanted bar: its floored bounding box comes back whole.
    p.set_line(25, 30, 20, 22.5, attr(0, 0, 200));
    p.underlines.push_back({0, 1, 2, 3, 3});
    p.undo_lines(&r.splash);

    EXPECT_EQ(g_live, 0);
    EXPECT_TRUE(p.lines.empty());
    EXPECT_TRUE(p.attrs.empty());
    EXPECT_EQ(p.underlines.size(), 1u);

    for (int y = 9; y <= 13; ++y) {
        bool on = y >= 10 && y <= 12;
        EXPECT_EQ(r.white(5, y), !on) << y;
        EXPECT_EQ(r.white(20, y), !on) << y;
    }
    EXPECT_TRUE(r.white(4, 11));
    EXPECT_TRUE(r.white(21, 11));
    EXPECT_EQ(r.px(12, 11)[0], 10);
    EXPECT_EQ(r.px(12, 11)[1], 20);
    EXPECT_EQ(r.px(12, 11)[2], 30);

    EXPECT_FALSE(r.white(3, 7));
    EXPECT_FALSE(r.white(8, 7));
    EXPECT_TRUE(r.white(5, 6));
    EXPECT_TRUE(r.white(5, 8));

    for (int y = 20; y <= 22; ++y)
        EXPECT_EQ(r.px(27, y)[2], 200) << y;
    EXPECT_TRUE(r.white(27, 23));

    p.flush();
    EXPECT_TRUE(p.underlines.empty());
}

TEST_F(ULine, UndoBlendsWithAlpha)
{
    auto& p = make();
    Raster r(10, 10);
    p.set_line(0, 9, 4, 4, attr(0, 0, 0, 0.5));
    p.undo_lines(&r.splash);
    EXPECT_EQ(r.px(4, 4)[0], 127);
    EXPECT_EQ(r.px(4, 4)[2], 127);
}

TEST_F(ULine, UndoClipsToTheBitmap)
{
    auto& p = make();
    Raster r(30, 30);
    p.set_line(-50, 10, -3, 2, attr(0, 0, 0));       // top left corner, starting above the page
    p.set_line(20, 1e7, 28, 40, attr(0, 0, 0));      // runs off the right and bottom
    p.set_line(-100, -50, 5, 6, attr(0, 0, 0));      // wholly left of the page
    p.set_line(10, 12, 1e6, 1e6 + 3, attr(0, 0, 0)); // wholly below
    p.set_line(10, 12, -1e300, -1e299, attr(0, 0, 0));
    p.undo_lines(&r.splash);
    EXPECT_FALSE(r.white(0, 0));
    EXPECT_FALSE(r.white(10, 2));
    EXPECT_TRUE(r.white(11, 2));
    EXPECT_TRUE(r.white(0, 3));
    EXPECT_FALSE(r.white(29, 29));
    EXPECT_FALSE(r.white(20, 28));
    EXPECT_TRUE(r.white(19, 28));
    EXPECT_TRUE(r.white(0, 5));
    EXPECT_EQ(g_live, 0);
}

TEST_F(ULine, FlushAndDestructionReleaseAbandonedRecords)
{
    auto& p = make();
    p.set_line(0, 10, 0, 0, attr(0, 0, 0));
    p.set_line(0, 10, 20, 20, attr(0, 0, 0));
    ASSERT_TRUE(p.process_as_underline(0, 1, 0, 0, 0, 0));
    EXPECT_EQ(g_live, 1);
    p.flush();
    EXPECT_EQ(g_live, 0);
    EXPECT_TRUE(p.lines.empty() && p.attrs.empty() && p.underlines.empty());
    p.set_line(0, 10, 30, 30, attr(0, 0, 0));
    EXPECT_EQ(g_live, 1); // released by the destructor in TearDown
}
