// Stroked shapes at 150 dpi: hairlines by direction, dashes, wide strokes, clipped strokes.
#include "raster_fixture.h"

#include <gtest/gtest.h>

using namespace rastertest;

class RasterStroke : public ::testing::TestWithParam<bool> {};

TEST_P(RasterStroke, HorizontalHairlineCaptured)
{
    vlxtest::PdfWriter w;
    seg(w.add_page(), 100.5, 700.5, 400.5, 700.5);
    Rendered r(w, GetParam());
    ASSERT_EQ(r.proc().lines.size(), 1u) << dump(r.proc());
    EXPECT_TRUE(r.has_line(100, 400, 700, 700)) << dump(r.proc());
    EXPECT_TRUE(r.proc().attrs[0]->noClip);
    EXPECT_EQ(r.dark_in(90, 695, 410, 705), 0);
    r.undo();
    EXPECT_EQ(r.dark_in(90, 695, 410, 705), 301);
}

TEST_P(RasterStroke, HairlineCrossingTheClipStillCaptured)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    page.raw("q " + re(0, 0, 250.5, 1650) + " W n");
    seg(page, 100.5, 700.5, 400.5, 700.5);
    page.raw("Q");
    Rendered r(w, GetParam());
    ASSERT_TRUE(r.has_line(100, 400, 700, 700)) << dump(r.proc());
    EXPECT_FALSE(r.proc().attrs[0]->noClip);
}

TEST_P(RasterStroke, HairlineWhollyOutsideTheClipIsNotCaptured)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    page.raw("q " + re(500.5, 0, 900.5, 1650) + " W n");
    seg(page, 100.5, 700.5, 400.5, 700.5);
    page.raw("Q");
    Rendered r(w, GetParam());
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
    EXPECT_EQ(r.dark_in(90, 695, 410, 705), 0);
}

TEST_P(RasterStroke, HairlineRectangleOutlineIsPainted)
{
    vlxtest::PdfWriter w;
    w.add_page().raw("0 w " + re(100.5, 100.5, 300.5, 102.5) + " S");
    Rendered r(w, GetParam());
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
    EXPECT_GT(r.dark_in(95, 95, 305, 107), 200);
}

TEST_P(RasterStroke, DashedHairlineLosesOnlyItsFirstDash)
{
    // [6 4] pt is 12.5 px on, 8.33 px off.
    vlxtest::PdfWriter w;
    seg(w.add_page(), 100.7, 700.5, 400.7, 700.5, 0, {6, 4});
    Rendered r(w, GetParam());
    ASSERT_EQ(r.proc().lines.size(), 1u) << dump(r.proc());
    EXPECT_TRUE(r.has_line(100, 113, 700, 700)) << dump(r.proc());
    EXPECT_EQ(r.dark_in(101, 699, 112, 701), 0);
    EXPECT_TRUE(r.dark(127, 700));  // second dash
    EXPECT_TRUE(r.white(117, 700)); // first gap
    EXPECT_TRUE(r.dark(148, 700));  // third dash
    EXPECT_TRUE(r.white(138, 700));
    r.undo();
    EXPECT_EQ(r.dark_in(100, 700, 113, 700), 14);
}

TEST_P(RasterStroke, ShallowHairlinesArePainted)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    seg(page, 500.5, 100.5, 540.5, 110.5);
    seg(page, 400.5, 300.5, 430.5, 330.5); // 45 degrees counts as steep but is never captured
    Rendered r(w, GetParam());
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
    EXPECT_GT(r.dark_in(500, 100, 540, 110), 30);
    EXPECT_GT(r.dark_in(400, 300, 430, 330), 25);
}

TEST_P(RasterStroke, OneSegmentWideStrokeFollowsTheFillRule)
{
    // 2 pt wide around row 300.5: its outline covers rows 298..302.
    vlxtest::PdfWriter w;
    seg(w.add_page(), 100.5, 300.5, 400.5, 300.5, 2);
    Rendered r(w, GetParam());
    ASSERT_EQ(r.proc().lines.size(), 1u) << dump(r.proc());
    EXPECT_TRUE(r.has_line(100, 400, 298, 302)) << dump(r.proc());
    EXPECT_EQ(r.dark_in(95, 295, 405, 305), 0);
}

TEST_P(RasterStroke, WideStrokeInsideAClipButCrossingItIsPainted)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    page.raw("q " + re(0, 0, 250.5, 1650) + " W n");
    seg(page, 100.5, 300.5, 400.5, 300.5, 2);
    page.raw("Q");
    Rendered r(w, GetParam());
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
    EXPECT_TRUE(r.dark(200, 300));
    EXPECT_TRUE(r.white(300, 300));
}

INSTANTIATE_TEST_SUITE_P(BothTableModes, RasterStroke, ::testing::Bool());

TEST(RasterStrokeModes, SteepHairlineOnlyInTablesMode)
{
    vlxtest::PdfWriter w;
    seg(w.add_page(), 300.5, 100.5, 302.5, 130.5);
    {
        Rendered r(w, false);
        EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
        EXPECT_GT(r.dark_in(298, 98, 305, 133), 25);
    }
    Rendered r(w, true);
    EXPECT_TRUE(r.has_line(300, 302, 100, 130)) << dump(r.proc());
    EXPECT_EQ(r.dark_in(298, 98, 305, 133), 0);
    r.undo();
    EXPECT_EQ(r.dark_in(298, 98, 305, 133), 3 * 31);
}

TEST(RasterStrokeModes, SeveralSegmentWideStroke)
{
    vlxtest::PdfWriter w;
    w.add_page().raw("2 w " + std::to_string(X(100.5)) + " " + std::to_string(Y(500.5)) + " m " + std::to_string(X(250.5)) + " " +
                     std::to_string(Y(500.5)) + " l " + std::to_string(X(400.5)) + " " + std::to_string(Y(500.5)) + " l S");
    {
        Rendered r(w, false);
        EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
        EXPECT_TRUE(r.dark(300, 500));
    }
    Rendered r(w, true);
    EXPECT_TRUE(r.has_line(100, 400, 498, 502)) << dump(r.proc());
    EXPECT_TRUE(r.white(300, 500));
}

TEST(RasterStrokeModes, WideVerticalStrokeInTablesMode)
{
    // 1.2 pt = 2.5 px wide, 60 rows tall: a table border.
    vlxtest::PdfWriter w;
    seg(w.add_page(), 600.5, 100.5, 600.5, 160.5, 1.2);
    {
        Rendered r(w, false);
        EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
        EXPECT_TRUE(r.dark(600, 130));
    }
    Rendered r(w, true);
    EXPECT_TRUE(r.has_line(599, 601, 100, 160)) << dump(r.proc());
    EXPECT_TRUE(r.white(600, 130));
}

TEST(RasterStrokeModes, DashedWideStrokeInTablesModeCapturesEachDash)
{
    // 2 pt wide, [20 10] pt dashes: 41.7 px bars 4 rows high, each one a rule.
    vlxtest::PdfWriter w;
    seg(w.add_page(), 100.5, 300.5, 400.5, 300.5, 2, {20, 10});
    {
        Rendered r(w, false); // only the first dash: the flag is spent after one capture
        EXPECT_EQ(r.proc().lines.size(), 1u) << dump(r.proc());
        EXPECT_TRUE(r.white(120, 300));
        EXPECT_TRUE(r.dark(180, 300));
    }
    Rendered r(w, true);
    EXPECT_EQ(r.proc().lines.size(), 5u) << dump(r.proc());
    EXPECT_EQ(r.dark_in(95, 295, 405, 305), 0);
}
