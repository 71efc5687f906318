// The raster paints no text: ordinary fonts never, Type 3 glyphs as graphics unless invisible.
// Link annotations stay out of the picture; underlines are matched against captured rules.
#include "raster_fixture.h"

#include <Annot.h>
#include <Page.h>
#include <goo/GooString.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace rastertest;

namespace {

// A one-page file with a Type 3 font whose glyph "a" is a filled 1000-unit square.
std::string type3_pdf(const std::string& content)
{
    std::vector<std::string> objs = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /T3 4 0 R >> >> /Contents 6 0 R >>",
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /sq 5 0 R >>"
        " /Encoding << /Type /Encoding /Differences [97 /sq] >> /FirstChar 97 /LastChar 97 /Widths [1000] >>",
    };
    auto stream = [](const std::string& s) { return "<< /Length " + std::to_string(s.size()) + " >>\nstream\n" + s + "\nendstream"; };
    objs.push_back(stream("1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f"));
    objs.push_back(stream(content));
    std::string out = "%PDF-1.4\n";
    std::vector<size_t> offs;
    for (size_t i = 0; i < objs.size(); ++i) {
        offs.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objs[i] + "\nendobj\n";
    }
    size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objs.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t o : offs) {
        char e[32];
        std::snprintf(e, sizeof e, "%010zu 00000 n \n", o);
        out += e;
    }
    out += "trailer\n<< /Size " + std::to_string(objs.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return vlxtest::write_temp_file(out);
}

} // namespace

TEST(RasterText, OrdinaryFontsNeverReachThePicture)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    page.text(X(100), Y(300), "HELLO WORLD", "Helvetica-Bold", 40);
    page.text(X(100), Y(500), "Times text", "Times-Roman", 30, vlxtest::Rgb{1, 0, 0});
    page.raw("BT " + page.font("Courier") + " 30 Tf 2 Tr " + std::to_string(X(100)) + " " + std::to_string(Y(700)) + " Td (stroked) Tj ET");
    page.raw("BT " + page.font("Helvetica") + " 30 Tf 7 Tr " + std::to_string(X(100)) + " " + std::to_string(Y(800)) + " Td (clip) Tj ET");
    bar(page, 100.5, 900.5, 300.5, 940.5); // after the clipping text: still painted
    for (bool tables : {false, true}) {
        Rendered r(w, tables);
        EXPECT_EQ(r.dark_in(0, 0, 1274, 850), 0);
        EXPECT_TRUE(r.proc().lines.empty());
        EXPECT_TRUE(r.dark(200, 920));
    }
}

TEST(RasterText, Type3GlyphsArePaintedUnlessInvisible)
{
    // 20 pt glyphs: squares of about 41.7 px.
    std::string path = type3_pdf("BT /T3 20 Tf 100 700 Td (a) Tj ET\n"
                                 "BT /T3 20 Tf 3 Tr 300 700 Td (a) Tj ET\n"
                                 "BT /T3 20 Tf 7 Tr 400 700 Td (a) Tj ET\n"
                                 "BT /T3 20 Tf 1 0 0 rg 1 Tr 200 700 Td (a) Tj ET");
    vlxtest::TempFile guard(path);
    Rendered r(path, false);
    int gx = static_cast<int>(110 / PT), gy = static_cast<int>((792 - 710) / PT);
    EXPECT_TRUE(r.dark(gx, gy));
    EXPECT_EQ(r.dark_in(static_cast<int>(300 / PT), static_cast<int>(72 / PT), static_cast<int>(440 / PT), static_cast<int>(92 / PT)), 0);
    // Glyph procedures ignore the stroke mode: the square is filled in the fill colour.
    EXPECT_EQ(r.px(static_cast<int>(210 / PT), gy)[0], 255);
    EXPECT_EQ(r.px(static_cast<int>(210 / PT), gy)[1], 0);
}

TEST(RasterText, Type3GlyphRulesAreCaptured)
{
    // A 100 pt glyph squeezed to 1 pt high: 208 x 2 px.
    std::string path = type3_pdf("q 1 0 0 0.01 0 0 cm BT /T3 100 Tf 100 30000 Td (a) Tj ET Q");
    vlxtest::TempFile guard(path);
    Rendered r(path, false);
    ASSERT_EQ(r.proc().lines.size(), 1u);
    EXPECT_EQ(r.proc().lines[0].xMin, 208);
    EXPECT_EQ(r.proc().lines[0].xMax, 416);
}

TEST(RasterText, LinkAnnotationsAreFilteredOut)
{
    vlxtest::PdfWriter w;
    w.add_page().link(100, 100, 200, 120, "http://example.com/");
    std::string path = vlxtest::write_temp_pdf(w);
    vlxtest::TempFile guard(path);
    PDFDoc doc(std::make_unique<GooString>(path));
    ASSERT_TRUE(doc.isOk());
    Annots* annots = doc.getPage(1)->getAnnots();
    ASSERT_EQ(annots->getAnnots().size(), 1u);
    EXPECT_FALSE(raster_annot_not_link(annots->getAnnots()[0], nullptr));
}

TEST(RasterText, UnderlinesBecomeTextAndOtherRulesComeBack)
{
    vlxtest::PdfWriter w;
    auto& page = w.add_page();
    bar(page, 200.5, 600.5, 500.5, 602.5);                           // under black text
    bar(page, 200.5, 800.5, 500.5, 802.5, vlxtest::Rgb{0, 0, 1});    // blue rule under grey text
    bar(page, 200.5, 1000.5, 500.5, 1002.5);                         // no text near it
    Rendered r(w, false);
    ASSERT_EQ(r.proc().lines.size(), 3u);
    // Text from x 100 to 230 pt with its baseline just above the first rule (rows 600..602 = 288.5 pt).
    EXPECT_TRUE(r.proc().process_as_underline(X(210), X(300), 288, 0, 0, 0));
    EXPECT_TRUE(r.proc().process_as_underline(X(210), X(480), 288.2, 10, 10, 10));
    EXPECT_FALSE(r.proc().process_as_underline(X(210), X(300), X(801.5), 60, 60, 60));
    EXPECT_EQ(r.proc().lines.size(), 2u);
    r.undo();
    EXPECT_EQ(r.dark_in(190, 595, 510, 607), 0);
    EXPECT_EQ(r.px(300, 801)[2], 255);
    EXPECT_EQ(r.px(300, 801)[0], 0);
    EXPECT_EQ(r.dark_in(200, 1000, 500, 1002), 301 * 3);
}
