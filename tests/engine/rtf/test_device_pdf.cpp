// The RTF output device fed by the PDF library from small hand-made documents: the size of
// Type 3 text and which words links reach.
#include "RtfOutputDev.h"
#include "TextPage.h"
#include "TextPool.h"
#include "TextWord.h"
#include "pdf_open.h"
#include "pdf_ulin.h"
#include "vlx_conv.h"
#include "vlx_testsupport.h"

#include <PDFDoc.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>

namespace {

// A PDF file from its objects, numbered from 1 in the order given; object 1 is the catalog.
std::string pdf_of(const std::vector<std::string>& objects)
{
    std::string s = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(s.size());
        s += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = s.size();
    s += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t off : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        s += line;
    }
    s += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
    return s;
}

std::string stream_of(const std::string& data)
{
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// One Letter page with the given content, font resource /F1 and annotations.
std::string one_page(const std::string& font, const std::string& content, const std::vector<std::string>& annots,
                     const std::vector<std::string>& more = {})
{
    std::string refs;
    for (size_t i = 0; i < annots.size(); ++i)
        refs += std::to_string(6 + i) + " 0 R ";
    std::vector<std::string> objs = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R >> >> "
        "/Contents 5 0 R /Annots [" + refs + "] >>",
        font,
        stream_of(content),
    };
    objs.insert(objs.end(), annots.begin(), annots.end());
    objs.insert(objs.end(), more.begin(), more.end());
    return pdf_of(objs);
}

std::string text_of(const vlx::TextWord* w)
{
    std::string s;
    for (int i = 0; i < w->len; ++i)
        s += static_cast<char>(w->text[static_cast<size_t>(i)]);
    return s;
}

// Drives the text pass and the links of page 1 into a device; words stay on its text page.
class DevicePass : public ::testing::Test {
protected:
    void run(const std::string& pdf)
    {
        std::ofstream(src.path, std::ios::binary) << pdf;
        doc = pdf_open_document(src.path, "");
        dev = std::make_unique<RtfOutputDev>(dest.path.c_str(), 0, 0, false);
        doc->displayPage(dev.get(), 1, 72, 72, 0, false, true, false);
        doc->processLinks(dev.get(), 1);
        dev->rethrowPending();
    }
    std::vector<const vlx::TextWord*> words() const
    {
        std::vector<const vlx::TextWord*> all;
        for (vlx::TextPool* pool : dev->textPage()->pools)
            for (int b = pool->minBaseIdx; b <= pool->maxBaseIdx; ++b)
                for (vlx::TextWord* w = pool->getPool(b); w; w = w->next)
                    all.push_back(w);
        return all;
    }
    // Each word's text and the URI it links to ("" for none).
    std::map<std::string, std::string> links() const
    {
        std::map<std::string, std::string> m;
        for (const vlx::TextWord* w : words())
            m[text_of(w)] = w->link ? w->linkURI : "";
        return m;
    }

    vellix_convertor conv{vellix_convertor::console_form};
    pdf_uline_processor proc{false};
    vlxtest::TempFile src{vlxtest::temp_path(".pdf")};
    vlxtest::TempFile dest{vlxtest::temp_path(".rtf")};
    std::unique_ptr<PDFDoc> doc;
    std::unique_ptr<RtfOutputDev> dev; // destroyed before the document
};

// ---- Type 3 sizes ----

struct Type3Case {
    const char* name;
    const char* differences; // codes from 97, over a base encoding without one-letter names
    const char* widths;      // glyph space, 1000 per em at the default matrix
    const char* matrix;
    double size;             // expected word size for 10-point text
};

class Type3Size : public DevicePass, public ::testing::WithParamInterface<Type3Case> {};

TEST_P(Type3Size, FollowsTheGlyphWidths)
{
    const Type3Case& c = GetParam();
    std::string font = std::string("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [") +
                       c.matrix + "] /CharProcs 7 0 R /Encoding << /Type /Encoding "
                                  "/BaseEncoding /MacExpertEncoding /Differences [97 " +
                       c.differences + "] >> /FirstChar 97 /LastChar 99 /Widths [" + c.widths +
                       "] /Resources << >> >>";
    std::string glyph = stream_of("500 0 0 0 500 700 d1 0 0 500 700 re f");
    // Object 6 would be the first annotation; the page has none, so it is a spare object.
    run(one_page(font, "BT /F1 10 Tf 72 700 Td (abc) Tj ET", {},
                 {"<< >>", "<< /a 8 0 R /b 8 0 R /m 8 0 R /one 8 0 R /two 8 0 R /three 8 0 R >>", glyph}));
    std::vector<const vlx::TextWord*> ws = words();
    ASSERT_FALSE(ws.empty());
    for (const vlx::TextWord* w : ws) // glyphs without width may stand as words of their own
        EXPECT_NEAR(w->fontSize, c.size, 1e-9) << text_of(w);
}

INSTANTIATE_TEST_SUITE_P(
    Device, Type3Size,
    ::testing::Values(
        Type3Case{"m_of_0_6_keeps_the_size", "/a /m /one", "500 600 400", "0.001 0 0 0.001 0 0", 10},
        Type3Case{"first_letter_of_0_5_keeps_the_size", "/one /a /b", "400 500 700", "0.001 0 0 0.001 0 0", 10},
        Type3Case{"narrow_m_shrinks", "/a /m /one", "500 300 400", "0.001 0 0 0.001 0 0", 5},
        Type3Case{"last_m_counts", "/m /a /m", "300 500 600", "0.001 0 0 0.001 0 0", 10},
        Type3Case{"m_without_width_falls_to_a_letter_then_to_any_glyph", "/m /one /b", "0 400 450",
                  "0.001 0 0 0.001 0 0", 8},
        Type3Case{"no_letter_takes_the_first_glyph_with_width", "/one /two /three", "0 450 300",
                  "0.001 0 0 0.001 0 0", 9},
        Type3Case{"tall_matrix_scales_by_its_aspect", "/a /m /one", "500 600 400", "0.001 0 0 0.002 0 0", 20},
        Type3Case{"no_width_at_all_keeps_the_size", "/a /m /one", "0 0 0", "0.001 0 0 0.001 0 0", 10}),
    [](const ::testing::TestParamInfo<Type3Case>& i) { return std::string(i.param.name); });

// ---- links ----

const char* const HELVETICA = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";

std::string uri_link(const std::string& rect, const std::string& uri)
{
    return "<< /Type /Annot /Subtype /Link /Rect [" + rect + "] /Border [0 0 0] /A << /S /URI /URI (" + uri +
           ") >> >>";
}

// Helvetica 12 from x = 72: alpha at 72, beta at about 104.7, gamma at about 131.4, all on y = 700.
const char* const WORDS = "BT /F1 12 Tf 72 700 Td (alpha beta gamma) Tj ET";

TEST_F(DevicePass, UriLinkReachesEveryWordStartingInsideIt)
{
    run(one_page(HELVETICA, WORDS, {uri_link("70 690 120 720", "http://example.com/ab")}));
    EXPECT_EQ(links(), (std::map<std::string, std::string>{
                           {"alpha", "http://example.com/ab"}, {"beta", "http://example.com/ab"}, {"gamma", ""}}));
}

TEST_F(DevicePass, LaterLinkWinsAndOtherLinksChangeNothing)
{
    run(one_page(HELVETICA, WORDS,
                 {uri_link("70 690 120 720", "http://example.com/first"),
                  uri_link("100 690 110 720", "http://example.com/second"),
                  "<< /Type /Annot /Subtype /Link /Rect [125 690 200 720] /Border [0 0 0] "
                  "/A << /S /GoTo /D [3 0 R /XYZ 0 792 0] >> >>",
                  "<< /Type /Annot /Subtype /Link /Rect [0 0 612 792] /Border [0 0 0] >>"}));
    EXPECT_EQ(links(), (std::map<std::string, std::string>{{"alpha", "http://example.com/first"},
                                                           {"beta", "http://example.com/second"},
                                                           {"gamma", ""}}));
}

TEST_F(DevicePass, WordsAreMatchedInThePagesDefaultSpaceUnderAMovedMatrix)
{
    // The same words drawn 100 points further right and 100 points lower through cm.
    run(one_page(HELVETICA, std::string("1 0 0 1 100 -100 cm ") + WORDS,
                 {uri_link("170 590 220 620", "http://example.com/moved"),
                  uri_link("70 690 120 720", "http://example.com/where-the-text-is-not")}));
    EXPECT_EQ(links(), (std::map<std::string, std::string>{{"alpha", "http://example.com/moved"},
                                                           {"beta", "http://example.com/moved"},
                                                           {"gamma", ""}}))
        << "every word of the string, not only its first, is placed in page space";
}

} // namespace
