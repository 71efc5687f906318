// Generated pages rendered at 150 dpi through the raster device with a processor alive.
#include "annot_filter.h"
#include "pdf_ulin.h"
#include "raster_output_dev.h"
#include "tk_except.h"
#include "vlx_testsupport.h"

#include <Annot.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <Page.h>
#include <goo/GooString.h>
#include <gtest/gtest.h>
#include <splash/SplashBitmap.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct PopplerEnv : ::testing::Environment {
    void SetUp() override { globalParams = std::make_unique<GlobalParams>(); }
    void TearDown() override { globalParams.reset(); }
};
const auto* const env = ::testing::AddGlobalTestEnvironment(new PopplerEnv);

// Page coordinates below are device pixels of a Letter page at 150 dpi (0.48 pt each).
std::string n(double v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}
std::string pt(double px, double py) { return n(px * 0.48) + " " + n(792 - py * 0.48); }
std::string re(double x0, double y0, double x1, double y1)
{
    return pt(x0, y1) + " " + n((x1 - x0) * 0.48) + " " + n((y1 - y0) * 0.48) + " re ";
}
std::string seg(double x0, double y0, double x1, double y1, double w = 0, const char* dash = "")
{
    return "q " + n(w) + " w [" + dash + "] 0 d " + pt(x0, y0) + " m " + pt(x1, y1) + " l S Q\n";
}
std::string clip(double x0, double x1) { return "q " + re(x0, 0, x1, 1650) + "W n "; }

class Rendered {
public:
    Rendered(const std::string& pdf_bytes, bool tables_mode) : file_(vlxtest::write_temp_file(pdf_bytes))
    {
        doc_ = std::make_unique<PDFDoc>(std::make_unique<GooString>(file_.path));
        proc_ = std::make_unique<pdf_uline_processor>(tables_mode);
        dev_.startDoc(doc_.get());
        doc_->displayPage(&dev_, 1, 150, 150, 0, false, true, false, nullptr, nullptr, raster_annot_not_link, nullptr);
        EXPECT_EQ(dev_.getBitmap()->getWidth(), 1275);
        EXPECT_EQ(dev_.getBitmap()->getHeight(), 1650);
    }
    pdf_uline_processor& proc() { return *proc_; }
    // "xMin,xMax,yMin,yMax" per captured line, " partial" when it crossed the clip.
    std::string lines() const
    {
        std::string s;
        for (size_t i = 0; i < proc_->lines.size(); ++i) {
            const uline_rect& l = proc_->lines[i];
            char b[96];
            std::snprintf(b, sizeof b, "%s%g,%g,%g,%g", i ? " " : "", l.xMin, l.xMax, l.yMin, l.yMax);
            s += std::string(b) +
                 (proc_->attrs[i]->noClip ? "" : " partial");
        }
        return s;
    }
    const unsigned char* px(int x, int y)
    {
        return dev_.getBitmap()->getDataPtr() + y * dev_.getBitmap()->getRowSize() + 3 * x;
    }
    bool dark(int x, int y) { return px(x, y)[0] < 128 && px(x, y)[1] < 128 && px(x, y)[2] < 128; }
    int dark_in(int x0, int y0, int x1, int y1) // inclusive box
    {
        int count = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                count += dark(x, y);
        return count;
    }
    void undo() { proc_->undo_lines(dev_.getSplash()); }

private:
    vlxtest::TempFile file_;
    std::unique_ptr<PDFDoc> doc_;
    std::unique_ptr<pdf_uline_processor> proc_;
    RasterOutputDev dev_;
};

std::string page(const std::string& ops)
{
    vlxtest::PdfWriter w;
    w.add_page().raw(ops);
    return w.str();
}

TEST(RasterCapture, ThinShapesInBothTableModes)
{
    struct Probe {
        int x, y;
        const char* dark; // "10": dark without tables mode, white with it
    };
    const struct {
        const char* what;
        std::string ops;
        const char* lines[2]; // without, with tables mode
        std::vector<Probe> probes;
    } cases[] = {
        {"bar 300 x 3", re(200.5, 600.5, 500.5, 603.5) + "f", {"200,500,600,603", "200,500,600,603"}, {}},
        {"bar crossing the clip", clip(0, 300.5) + re(200.5, 600.5, 500.5, 603.5) + "f Q", {"", ""},
         {{250, 602, "11"}, {350, 602, "00"}}},
        {"bar of two subpaths", re(200.5, 600.5, 350.5, 603.5) + re(350.5, 600.5, 500.5, 603.5) + "f",
         {"", "200,500,600,603"}, {{300, 602, "10"}}},
        {"square 3 x 3", re(200.5, 300.5, 203.5, 303.5) + "f", {"200,203,300,303", ""}, {{201, 301, "01"}}},
        {"3 x 40 of two subpaths, 3 x 10, 40 x 5, 40 x 4",
         re(100.5, 100.5, 103.5, 120.5) + re(100.5, 120.5, 103.5, 140.5) + "f " + re(200.5, 100.5, 203.5, 110.5) +
             "f " + re(300.5, 100.5, 340.5, 105.5) + "f " + re(400.5, 100.5, 440.5, 104.5) + "f",
         {"400,440,100,104", "100,103,100,140 400,440,100,104"},
         {{101, 110, "10"}, {201, 105, "11"}, {320, 103, "11"}}},
        {"even-odd fills judge their own subpaths",
         re(100.5, 200.5, 150.5, 250.5) + re(160.5, 200.5, 210.5, 250.5) + "f " + re(200.5, 600.5, 500.5, 603.5) +
             "f* " + re(200.5, 700.5, 300.5, 703.5) + re(300.5, 700.5, 400.5, 703.5) + "f*",
         {"200,500,600,603", "200,500,600,603 200,400,700,703"}, {{120, 220, "11"}, {250, 702, "10"}}},
        {"huge coordinates",
         "q 1000000000 0 0 1 0 0 cm 0 400 1 1 re f Q q 0 0 m 1e29 0 l 1e29 1 l h f Q", {"", ""}, {}},
        {"horizontal hairline", seg(100.5, 700.5, 400.5, 700.5), {"100,400,700,700", "100,400,700,700"}, {}},
        {"hairline crossing the clip", clip(0, 250.5) + seg(100.5, 700.5, 400.5, 700.5) + "Q",
         {"100,400,700,700 partial", "100,400,700,700 partial"}, {{200, 700, "00"}, {300, 700, "00"}}},
        {"dashed hairline: only the first dash", seg(100.7, 700.5, 400.7, 700.5, 0, "6 4"),
         {"100,113,700,700", "100,113,700,700"}, {{117, 700, "00"}, {127, 700, "11"}, {138, 700, "00"}, {148, 700, "11"}}},
        {"45 degree hairline", seg(400.5, 300.5, 430.5, 330.5), {"", ""}, {{415, 316, "11"}}},
        {"steep hairline 2 x 30", seg(300.5, 100.5, 302.5, 130.5), {"", "300,302,100,130"}, {{301, 115, "10"}}},
        {"2 pt stroke of one segment", seg(100.5, 300.5, 400.5, 300.5, 2), {"100,400,298,302", "100,400,298,302"}, {}},
        {"2 pt stroke of two segments",
         "2 w " + pt(100.5, 500.5) + " m " + pt(250.5, 500.5) + " l " + pt(400.5, 500.5) + " l S",
         {"", "100,400,498,502"}, {{300, 500, "10"}}},
    };
    for (const auto& c : cases)
        for (int tables = 0; tables < 2; ++tables) {
            SCOPED_TRACE(std::string(c.what) + (tables ? ", tables mode" : ""));
            Rendered r(page(c.ops), tables);
            EXPECT_EQ(r.lines(), c.lines[tables]);
            for (const Probe& p : c.probes)
                EXPECT_EQ(r.dark(p.x, p.y), p.dark[tables] == '1') << p.x << "," << p.y;
            for (const uline_rect& l : r.proc().lines)
                EXPECT_EQ(r.dark_in(int(l.xMin), int(l.yMin), int(l.xMax), int(l.yMax)), 0) << "captured but painted";
            const std::vector<uline_rect> lines = r.proc().lines;
            r.undo();
            for (const uline_rect& l : lines) // painted back whole
                EXPECT_EQ(r.dark_in(int(l.xMin), int(l.yMin), int(l.xMax), int(l.yMax)),
                          int((l.xMax - l.xMin + 1) * (l.yMax - l.yMin + 1)));
        }
}

TEST(RasterCapture, WideDashedRuleIsOneShapeAndComesBackDashed)
{
    // 20 pt dashes with 10 pt gaps, 41.7 and 20.8 px: dashes start at 100.5, 163, 225.5, 288, 350.5.
    const std::string dashed = seg(100.5, 300.5, 400.5, 300.5, 2, "20 10");
    for (int tables = 0; tables < 2; ++tables) {
        SCOPED_TRACE(tables);
        Rendered r(page(dashed), tables);
        ASSERT_EQ(r.lines(), "100,392,298,302");
        EXPECT_EQ(r.dark_in(0, 290, 1274, 310), 0);
        r.undo();
        std::string row;
        for (int x = 96; x <= 396; x += 8)
            row += r.dark(x, 300) ? '#' : '.';
        EXPECT_EQ(row, ".#####...#####...#####..######..#####.") << "its dashes, not one bar";
        EXPECT_EQ(r.dark_in(102, 299, 140, 301), 39 * 3);
        EXPECT_EQ(r.dark_in(144, 290, 161, 310), 0);
    }
    // A long dash array is judged once; a dashed rule under 5 rows high but crossing the clip is painted.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += i % 2 ? " 0.05" : " 0.1";
    Rendered r(page(seg(100.5, 500.5, 1100.5, 500.5, 2, many.c_str()) + clip(0, 250.5) + dashed + "Q"), false);
    EXPECT_EQ(r.lines(), "100,1100,498,502");
    EXPECT_GT(r.dark_in(100, 298, 250, 302), 0);
}

TEST(RasterCapture, FillOrStrokeWithoutProcessorIsAnAssertion)
{
    RasterOutputDev dev;
    PDFRectangle box(0, 0, 612, 792);
    GfxState state(150, 150, &box, 0, true);
    state.moveTo(10, 10);
    state.lineTo(100, 10);
    // Held while the library runs, rethrown once it has returned.
    for (void (RasterOutputDev::*op)(GfxState*) : {&RasterOutputDev::fill, &RasterOutputDev::eoFill, &RasterOutputDev::stroke}) {
        (dev.*op)(&state);
        try {
            dev.rethrowPending();
            ADD_FAILURE() << "no assertion";
        } catch (const tk_mail_assertion& e) {
            EXPECT_EQ(e.message, tk_mail_assertion::make_message(TK_SINGL_UNIT, 59));
        }
    }
    EXPECT_NO_THROW(dev.rethrowPending());
}

std::string stream(const std::string& dict, const std::string& data)
{
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >> stream\n" + data + "\nendstream";
}

// A file of one Letter page with the given resources and content; further objects are numbered from 5.
std::string one_page(const std::string& resources, const std::string& content, const std::vector<std::string>& more)
{
    std::vector<std::string> objs = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources " + resources +
                                         " /Contents 4 0 R >>",
                                     stream("", content)};
    objs.insert(objs.end(), more.begin(), more.end());
    std::string out = "%PDF-1.4\n", xref = "xref\n0 " + std::to_string(objs.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t i = 0; i < objs.size(); ++i) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", out.size());
        xref += entry;
        out += std::to_string(i + 1) + " 0 obj\n" + objs[i] + "\nendobj\n";
    }
    return out + xref + "trailer\n<< /Size " + std::to_string(objs.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(out.size()) + "\n%%EOF\n";
}

// A page showing the glyph "a" of a Type 3 font, a filled 1000-unit square.
std::string type3_page(const std::string& content)
{
    return one_page("<< /Font << /T3 5 0 R >> >>", content,
                    {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs "
                     "<< /sq 6 0 R >> /Encoding << /Differences [97 /sq] >> /FirstChar 97 /LastChar 97 /Widths [1000] >>",
                     stream("", "1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f")});
}

TEST(RasterText, OnlyType3GlyphsReachThePicture)
{
    vlxtest::PdfWriter w;
    auto& p = w.add_page();
    p.text(48, 648, "HELLO WORLD", "Helvetica-Bold", 40).text(48, 552, "Times text", "Times-Roman", 30, {1, 0, 0});
    p.raw("BT " + p.font("Courier") + " 30 Tf 2 Tr 48 456 Td (stroked) Tj ET");
    p.raw("BT " + p.font("Helvetica") + " 30 Tf 7 Tr 48 408 Td (clip) Tj ET");
    p.raw("0 g " + re(100.5, 900.5, 300.5, 940.5) + "f"); // after the clipping text: still painted
    for (bool tables : {false, true}) {
        Rendered r(w.str(), tables);
        EXPECT_EQ(r.dark_in(0, 0, 1274, 850), 0);
        EXPECT_EQ(r.lines(), "");
        EXPECT_TRUE(r.dark(200, 920));
    }
    // 20 pt glyphs (41.7 px squares), the third and fourth invisible; glyph procedures fill in the
    // fill colour whatever the render mode. Then a 100 pt glyph squeezed to 1 pt high: a rule.
    Rendered t(type3_page("q 1 0 0 0.01 0 0 cm BT /T3 100 Tf 100 30000 Td (a) Tj ET Q\n"
                          "BT /T3 20 Tf 100 700 Td (a) Tj ET BT /T3 20 Tf 1 0 0 rg 1 Tr 200 700 Td (a) Tj ET\n"
                          "BT /T3 20 Tf 3 Tr 300 700 Td (a) Tj ET BT /T3 20 Tf 7 Tr 400 700 Td (a) Tj ET"),
               false);
    EXPECT_TRUE(t.dark(229, 170));
    EXPECT_EQ(t.px(437, 170)[0], 255);
    EXPECT_EQ(t.px(437, 170)[1], 0);
    EXPECT_EQ(t.dark_in(625, 150, 916, 191), 0);
    EXPECT_EQ(t.lines(), "208,416,1022,1025");
}

TEST(RasterText, LinkAnnotationsAreFilteredOut)
{
    vlxtest::PdfWriter w;
    w.add_page().link(100, 100, 200, 120, "http://example.com/");
    vlxtest::TempFile f(vlxtest::write_temp_pdf(w));
    PDFDoc doc(std::make_unique<GooString>(f.path));
    Annots* annots = doc.getPage(1)->getAnnots();
    ASSERT_EQ(annots->getAnnots().size(), 1u);
    EXPECT_FALSE(raster_annot_not_link(annots->getAnnots()[0], nullptr));
}

// A free-form Gouraud mesh (colours at the vertices, no function): the library fills each triangle
// as many small ones, which are thin shapes. Then a rule over it, and words looking for their rule.
TEST(RasterCapture, GouraudMeshTrianglesComeAsBefore)
{
    // Two triangles over 50 x 40 pt from (100, 600); per vertex: flag, x, y, red, green, blue.
    const unsigned char mesh[] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255,
                                  0, 255, 0, 0, 255, 0, 0, 255, 255, 255, 255, 255, 0, 0, 255, 0, 0, 255};
    const std::string page =
        one_page("<< /Shading << /Sh1 5 0 R >> >>", "/Sh1 sh 100 620 50 0.7 re f",
                 {stream("/ShadingType 4 /ColorSpace /DeviceRGB /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
                         "/Decode [100 150 600 640 0 1 0 1 0 1]",
                         std::string(reinterpret_cast<const char*>(mesh), sizeof mesh))});
    const struct {
        double x1, x2, y;
        int r, g, b;
    } words[] = {{101, 140, 171.5, 0, 0, 0}, {101, 103, 160, 255, 0, 0},     {120, 122, 180, 0, 0, 0},
                 {140, 141, 155, 0, 0, 255}, {101, 130, 171, 60, 60, 60},    {130, 131, 190, 255, 255, 255},
                 {101, 101, 190, 255, 255, 255}, {149, 149, 153, 255, 255, 255}, {101, 101, 153, 0, 0, 255},
                 {101, 101, 190, 0, 0, 0}};
    auto fnv = [](const std::string& s) {
        std::uint64_t h = 14695981039346656037u;
        for (char c : s)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211u;
        return h;
    };
    // What the rules kept and the words found were before the processor had lookups.
    const struct {
        size_t count;
        const char* first;
        std::uint64_t hash;
        const char* found;
        size_t count_after;
        std::uint64_t hash_after;
    } before[] = {{2814, "208,209,398,400", 1985960802941015309u, "1000100100", 2812, 17894779228420610623u},
                  {1, "208,312,356,358", 13423929485470415185u, "1000100000", 0, 14695981039346656037u}};
    for (int tables = 0; tables < 2; ++tables) {
        SCOPED_TRACE(tables);
        Rendered r(page, tables);
        const std::string lines = r.lines();
        EXPECT_EQ(r.proc().lines.size(), before[tables].count);
        EXPECT_EQ(lines.substr(0, lines.find(' ')), before[tables].first);
        EXPECT_EQ(fnv(lines), before[tables].hash);
        std::string found;
        for (const auto& w : words)
            found += r.proc().process_as_underline(w.x1, w.x2, w.y, w.r, w.g, w.b) ? '1' : '0';
        EXPECT_EQ(found, before[tables].found);
        EXPECT_EQ(r.proc().lines.size(), before[tables].count_after);
        EXPECT_EQ(fnv(r.lines()), before[tables].hash_after);
    }
}

}  // namespace
