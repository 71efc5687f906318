// The RTF output device: paper, sections, margins, internal errors, and what it takes from small
// hand-made PDF files (Type 3 sizes, links).
#include "RtfOutputDev.h"
#include "TextPool.h"
#include "page_margins.h"
#include "pdf_open.h"
#include "pdf_ulin.h"
#include "rtf_test_util.h"

#include <GfxState.h>
#include <PDFDoc.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>

using namespace rtft;

namespace {

std::string slurp(const std::string& p)
{
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
}

std::string tk_message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const tk_exception& e) {
        return e.message;
    }
    return "(nothing thrown)";
}

class Device : public ::testing::Test {
protected:
    void SetUp() override
    {
        vlx::pageMargins = vlx::PageMargins{};
        dev = std::make_unique<RtfOutputDev>(out.path.c_str(), 0, 0, false);
        ASSERT_TRUE(dev->isOk());
    }
    template <class F> std::string added(F f)
    {
        std::fflush(dev->stream());
        size_t before = slurp(out.path).size();
        f();
        std::fflush(dev->stream());
        return slurp(out.path).substr(before);
    }
    void startPage(double w, double h)
    {
        PDFRectangle box(0, 0, w, h);
        GfxState state(72, 72, &box, 0, true);
        dev->startPage(1, &state, nullptr);
    }
    std::string flush(const std::vector<vlx::TextWord*>& words)
    {
        startPage(612, 792);
        for (vlx::TextWord* w : words)
            dev->textPage()->addWord(w);
        std::string s = added([&] { dev->flushPage(); });
        size_t at = s.find("\\margt");
        return at == std::string::npos ? s : s.substr(at, s.find("\r\n", at) - at);
    }
    vellix_convertor conv{vellix_convertor::console_form};
    pdf_uline_processor proc{false};
    vlxtest::TempFile out{vlxtest::temp_path(".rtf")};
    std::unique_ptr<RtfOutputDev> dev;
};

TEST_F(Device, PaperAndSectionsAreClamped)
{
    EXPECT_EQ(added([&] { startPage(612, 792); }), "\\jexpand\\viewkind1\\paperw12240\\paperh15840\r\n");
    EXPECT_TRUE(added([&] { dev->flushPage(); }).find("}\r\n\\margt0\\margb0\\margr0\\margl0\r\n") != std::string::npos)
        << "no text: no margins";
    vlx::pageMargins.top = 50;
    EXPECT_EQ(added([&] { startPage(2000, 1582.99); }),
              "\\sect\\sectd\\sbkpage\\margtsxn920\\pard\r\n\\jexpand\\viewkind1\\paperw31660\\paperh31659\r\n");
    EXPECT_EQ(dev->textPage()->pageWidth, 1583.0);
    dev->flushPage();
    vlx::pageMargins.top = 2; // no negative section margin
    EXPECT_TRUE(startsWith(added([&] { startPage(612, 792); }), "\\sect\\sectd\\sbkpage\\margtsxn0\\pard\r\n"));
}

TEST_F(Device, MarginsStayOnThePage)
{
    // Text across the whole width and off the top and bottom edges.
    EXPECT_EQ(flush({word(U"High", -20, 2, 10), word(U"Low", 100, 800, 10), word(std::u32string(130, U'W'), 0, 400, 10)}),
              "\\margt0\\margb0\\margr0\\margl0");
    // One word, box x 100..120, y 390.5..403.5 on a Letter page: left 100, right (612 - 120) * 0.98,
    // top 390.5 * 0.97, bottom (792 - 403.5) * 0.2, each truncated to whole points.
    EXPECT_EQ(flush({word(U"Text", 100, 400, 10)}), "\\margt7560\\margb1540\\margr9640\\margl2000");
}

TEST(DeviceWithout, JobOrFile)
{
    vlxtest::TempFile out(vlxtest::temp_path(".rtf"));
    {
        pdf_uline_processor proc(false);
        RtfOutputDev dev(out.path.c_str(), 0, 0, false);
        PDFRectangle box(0, 0, 612, 792);
        GfxState state(72, 72, &box, 0, true);
        dev.startPage(1, &state, nullptr); // no job: held until the library returns
        EXPECT_EQ(tk_message([&] { dev.rethrowPending(); }), tk_mail_assertion::make_message("..\\TK/tk_singl", 59));
    }
    vellix_convertor conv(vellix_convertor::console_form);
    pdf_uline_processor proc(false);
    RtfOutputDev dev("/nonexistent-folder-of-vellix/out.rtf", 0, 0, false);
    EXPECT_FALSE(dev.isOk());
    EXPECT_EQ(dev.textPage(), nullptr);
    EXPECT_EQ(tk_message([&] { dev.flushPage(); }), tk_mail_assertion::make_message("RtfOutputDev", 7381));
}

// A Letter page showing "abc" at 10 points in the Type 3 font (its CharProcs: object 6).
std::string type3Page(const std::string& font)
{
    auto stream = [](const std::string& d) {
        return "<< /Length " + std::to_string(d.size()) + " >>\nstream\n" + d + "\nendstream";
    };
    const std::string objs[] = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R"
                                " >> >> /Contents 5 0 R >>",
                                font, stream("BT /F1 10 Tf 72 700 Td (abc) Tj ET"),
                                "<< /a 7 0 R /b 7 0 R /m 7 0 R /one 7 0 R /two 7 0 R /three 7 0 R >>",
                                stream("500 0 0 0 500 700 d1 0 0 500 700 re f")};
    std::string s = "%PDF-1.4\n", xref;
    for (size_t i = 0; i < std::size(objs); ++i) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", s.size());
        xref += entry;
        s += std::to_string(i + 1) + " 0 obj\n" + objs[i] + "\nendobj\n";
    }
    return s + "xref\n0 8\n0000000000 65535 f \n" + xref + "trailer\n<< /Size 8 /Root 1 0 R >>\nstartxref\n" +
           std::to_string(s.size()) + "\n%%EOF\n";
}

// Each word of page 1 with its size.
std::map<std::string, double> pageWords(const std::string& pdf)
{
    vellix_convertor conv(vellix_convertor::console_form);
    pdf_uline_processor proc(false);
    vlxtest::TempFile src(vlxtest::temp_path(".pdf")), dest(vlxtest::temp_path(".rtf"));
    std::ofstream(src.path, std::ios::binary) << pdf;
    std::unique_ptr<PDFDoc> doc = pdf_open_document(src.path, "");
    RtfOutputDev dev(dest.path.c_str(), 0, 0, false);
    doc->displayPage(&dev, 1, 72, 72, 0, false, true, false);
    dev.rethrowPending();
    std::map<std::string, double> m;
    for (vlx::TextPool* pool : dev.textPage()->pools)
        for (int b = pool->minBaseIdx; b <= pool->maxBaseIdx; ++b)
            for (vlx::TextWord* w = pool->getPool(b); w; w = w->next)
                m[std::string(w->text.begin(), w->text.begin() + w->len)] = w->fontSize;
    return m;
}

TEST(DevicePass, Type3SizeFollowsTheGlyphWidths)
{
    struct Row {
        const char *differences, *widths, *matrix; // codes from 97; glyph space
        double size;                               // of 10-point text
    } rows[] = {
        {"/a /m /one", "500 300 400", "0.001 0 0 0.001", 5},  // narrow m
        {"/m /one /b", "0 400 450", "0.001 0 0 0.001", 8},    // m without width: a letter
        {"/one /two /three", "0 450 300", "0.001 0 0 0.002", 18}, // no letter: first glyph with width
        {"/a /m /one", "0 0 0", "0.001 0 0 0.001", 10},          // no width at all
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.differences) + " / " + r.widths + " / " + r.matrix);
        auto words = pageWords(type3Page(
            std::string("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [") + r.matrix +
            " 0 0] /CharProcs 6 0 R /Encoding << /Type /Encoding /BaseEncoding /MacExpertEncoding /Differences [97 " +
            r.differences + "] >> /FirstChar 97 /LastChar 99 /Widths [" + r.widths + "] /Resources << >> >>"));
        ASSERT_FALSE(words.empty());
        for (const auto& [text, size] : words) // glyphs without width may stand as words of their own
            EXPECT_NEAR(size, r.size, 1e-9) << text;
    }
}

} // namespace
