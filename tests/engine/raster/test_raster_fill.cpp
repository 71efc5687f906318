// Filled shapes at 150 dpi: which thin shapes the raster device captures, in both table modes.
#include "raster_fixture.h"

#include <gtest/gtest.h>

using namespace rastertest;

class RasterFill : public ::testing::TestWithParam<bool> {};

TEST_P(RasterFill, ThinBarCapturedNotPaintedThenPaintedBack)
{
    vlxtest::PdfWriter w;
    bar(w.add_page(), 200.5, 600.5, 500.5, 603.5); // 300 x 3
    Rendered r(w, GetParam());
    ASSERT_EQ(r.proc().lines.size(), 1u) << dump(r.proc());
    EXPECT_TRUE(r.has_line(200, 500, 600, 603)) << dump(r.proc());
    EXPECT_TRUE(r.proc().attrs[0]->noClip);
    EXPECT_EQ(r.dark_in(190, 590, 510, 613), 0);
    r.undo();
    EXPECT_EQ(r.dark_in(200, 600, 500, 603), 301 * 4);
    EXPECT_EQ(r.dark_in(190, 590, 510, 613), 301 * 4);
    EXPECT_TRUE(r.proc().lines.empty());
}

TEST_P(RasterFill, BarCrossingTheClipIsPainted)
{
    vlxtest::PdfWriter w;
    w.add_page().raw("q " + re(0, 0, 300.5, 1650) + " W n " + re(200.5, 600.5, 500.5, 603.5) + " f Q");
    Rendered r(w, GetParam());
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
    EXPECT_TRUE(r.dark(250, 602));
    EXPECT_TRUE(r.white(350, 602));
}

TEST_P(RasterFill, ClippedShapeWhollyInsideIsCaptured)
{
    vlxtest::PdfWriter w;
    w.add_page().raw("q " + re(100.5, 500.5, 700.5, 700.5) + " W n " + re(200.5, 600.5, 500.5, 603.5) + " f Q");
    Rendered r(w, GetParam());
    EXPECT_TRUE(r.has_line(200, 500, 600, 603)) << dump(r.proc());
}

TEST_P(RasterFill, CapturedBarKeepsColourAndOpacity)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    bar(page, 200.5, 600.5, 500.5, 603.5, vlxtest::Rgb{1, 0, 0});
    page.raw("q 0 0 1 rg " + re(200.5, 700.5, 500.5, 702.5) + " f Q");
    Rendered r(w, GetParam());
    ASSERT_EQ(r.proc().lines.size(), 2u) << dump(r.proc());
    r.undo();
    EXPECT_EQ(r.px(300, 601)[0], 255);
    EXPECT_EQ(r.px(300, 601)[1], 0);
    EXPECT_EQ(r.px(300, 701)[2], 255);
    EXPECT_EQ(r.px(300, 701)[0], 0);
}

INSTANTIATE_TEST_SUITE_P(BothTableModes, RasterFill, ::testing::Bool());

TEST(RasterFillModes, TwoSubpathBarOnlyInTablesMode)
{
    vlxtest::PdfWriter w;
    w.add_page().raw(re(200.5, 600.5, 350.5, 603.5) + " " + re(350.5, 600.5, 500.5, 603.5) + " f");
    {
        Rendered r(w, false);
        EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
        EXPECT_TRUE(r.dark(300, 602));
    }
    Rendered r(w, true);
    EXPECT_TRUE(r.has_line(200, 500, 600, 603)) << dump(r.proc());
    EXPECT_TRUE(r.white(300, 602));
}

TEST(RasterFillModes, SmallSquareOnlyWithoutTablesMode)
{
    vlxtest::PdfWriter w;
    bar(w.add_page(), 200.5, 300.5, 203.5, 303.5);
    {
        Rendered r(w, false);
        EXPECT_TRUE(r.has_line(200, 203, 300, 303)) << dump(r.proc());
        EXPECT_EQ(r.dark_in(195, 295, 208, 308), 0);
    }
    Rendered r(w, true);
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
    EXPECT_GT(r.dark_in(195, 295, 208, 308), 0);
}

TEST(RasterFillModes, TablesModeSizeLimits)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    // 3 x 40 as two subpaths: captured.
    page.raw(re(100.5, 100.5, 103.5, 120.5) + " " + re(100.5, 120.5, 103.5, 140.5) + " f");
    bar(page, 200.5, 100.5, 203.5, 110.5); // 3 x 10: painted
    bar(page, 300.5, 100.5, 340.5, 105.5); // 40 x 5: painted
    bar(page, 400.5, 100.5, 440.5, 104.5); // 40 x 4: captured
    Rendered r(w, true);
    EXPECT_EQ(r.proc().lines.size(), 2u) << dump(r.proc());
    EXPECT_TRUE(r.has_line(100, 103, 100, 140));
    EXPECT_TRUE(r.has_line(400, 440, 100, 104));
    EXPECT_EQ(r.dark_in(98, 98, 106, 142), 0);
    EXPECT_GT(r.dark_in(200, 100, 203, 110), 0);
    EXPECT_GT(r.dark_in(300, 100, 340, 105), 0);
    EXPECT_EQ(r.dark_in(398, 98, 442, 106), 0);
}

TEST(RasterFillModes, EvenOddFillJudgesItsOwnSubpaths)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    // A painted two-subpath fill first, so a stale flag would be false.
    page.raw(re(100.5, 200.5, 150.5, 250.5) + " " + re(160.5, 200.5, 210.5, 250.5) + " f");
    page.raw(re(200.5, 600.5, 500.5, 603.5) + " f*");
    page.raw(re(200.5, 700.5, 300.5, 703.5) + " " + re(300.5, 700.5, 400.5, 703.5) + " f*");
    Rendered r(w, false);
    EXPECT_EQ(r.proc().lines.size(), 1u) << dump(r.proc());
    EXPECT_TRUE(r.has_line(200, 500, 600, 603));
    EXPECT_TRUE(r.dark(250, 702));
}

TEST(RasterFillModes, HugeCoordinatesAreNeverCaptured)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    page.raw("q 1000000000 0 0 1 0 0 cm 0 400 1 1 re f Q");
    page.raw("q 1 0 0 1 0 0 cm 0 0 m 100000000000000000000000000000 0 l 100000000000000000000000000000 1 l h f Q");
    Rendered r(w, false);
    EXPECT_TRUE(r.proc().lines.empty()) << dump(r.proc());
}

TEST(RasterFillModes, FillWithoutProcessorIsAnAssertion)
{
    RasterOutputDev dev;
    PDFRectangle box(0, 0, 612, 792);
    GfxState state(150, 150, &box, 0, true);
    state.moveTo(10, 10);
    state.lineTo(100, 10);
    // Held while the library runs, rethrown once it has returned.
    dev.fill(&state);
    EXPECT_THROW(dev.rethrowPending(), tk_mail_assertion);
    dev.eoFill(&state);
    EXPECT_THROW(dev.rethrowPending(), tk_mail_assertion);
    dev.stroke(&state);
    EXPECT_THROW(dev.rethrowPending(), tk_mail_assertion);
    EXPECT_NO_THROW(dev.rethrowPending());
}
