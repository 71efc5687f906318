// Converted documents read back by LibreOffice: they open, their text is the source's, and links,
// columns and tables survive.
#include "e2e.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace e2e {
namespace {

// Looked up on PATH rather than by starting LibreOffice, whose start is slow.
bool on_path(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string d; std::getline(dirs, d, ':');)
        if (::access(((d.empty() ? "." : d) + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

// Lines of text holding a single letter or digit.
size_t one_letter_lines(const std::string& text)
{
    std::stringstream lines(text);
    size_t n = 0;
    for (std::string line; std::getline(lines, line);)
        n += std::count_if(line.begin(), line.end(), [](unsigned char c) { return std::isalnum(c); }) == 1;
    return n;
}

class LibreOffice : public E2e {
protected:
    void SetUp() override
    {
        if (!on_path("soffice"))
            FAIL() << "LibreOffice (soffice) is not installed: scripts/deps installs it";
    }
};

struct Case {
    std::string name;                              // base name of the .pdf and the .doc
    std::vector<std::string> options;              // VLXRUN options
    std::function<void(vlxtest::PdfWriter&)> make; // the source
    std::vector<std::vector<std::string>> pages;   // per page, words expected in this order
    bool anyOrder = false;                         // the page's words in any order, each once
};

// The words of page `page` of make_turned_pages.
std::vector<std::string> turned_words(int page)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += turned_line(page, i) + " ";
    return words_of(s);
}

TEST_F(LibreOffice, ReadsTextLinksColumnsAndTables)
{
    const std::vector<std::vector<std::string>> report = {report_words(1), report_words(2)};
    const std::vector<Case> cases = {
        {"report", {}, make_report, report},
        {"report_exact", {"--mode=1"}, make_report, report}, // frames and pictures stay on their pages
        {"columns", {"--mode=2"}, make_columns, {columns_words()}},
        {"table", {"--tab", "--no_crlf"}, make_table, {table_words()}},
        // Pages that fit stay pages: nothing is added above the text after the page picture, and
        // columns that end a page leave no empty section before the page break.
        {"full_footer", {"--mode=2"}, [](vlxtest::PdfWriter& w) { make_full_columns(w, true); },
         {full_columns_words(1, true), full_columns_words(2, true)}},
        {"full_columns", {"--mode=2"}, [](vlxtest::PdfWriter& w) { make_full_columns(w, false); },
         {full_columns_words(1, false), full_columns_words(2, false)}},
        // A negative gap between overlapping columns made the section's text vanish.
        {"overlap", {"--mode=2"}, make_overlapping_columns, {overlapping_columns_words()}, true},
        // Columns wider together than the text were squeezed until each line held one letter.
        {"wide_overlap", {"--mode=2"}, make_wide_overlapping_columns, {wide_overlapping_columns_words()}, true},
        // Text boxes with no paragraph of their page's own went onto the next page.
        {"turned", {"--mode=2"}, make_turned_pages, {turned_words(1), turned_words(2), turned_words(3)}},
    };
    std::vector<std::string> docs;
    for (const Case& cs : cases) {
        vlxtest::PdfWriter w;
        cs.make(w);
        Conversion c = convert(save(w, cs.name + ".pdf"), work / (cs.name + ".doc"), cs.options);
        EXPECT_EQ(c.run.status, 0) << cs.name << ": " << c.run.describe();
        EXPECT_TRUE(vlxtest::rtf_braces_ok(c.rtf)) << cs.name;
        if (cs.name == "overlap")
            EXPECT_NE(c.rtf.find("\\colsr0\\colno2"), std::string::npos)
                << "the cells overlap: " << c.rtf;
        docs.push_back(work / (cs.name + ".doc"));
    }
    TempDir out("vlxlo"), profile("vlxloprof");
    ASSERT_EQ(lo_convert(docs, "pdf", out.path, profile.path), "") << "LibreOffice did not open the documents";
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        std::string pdf = swap_ext(docs[i], out.path, ".pdf");
        EXPECT_EQ(pdf_pages(pdf), int(cases[i].pages.size()));
        for (size_t p = 0; p < cases[i].pages.size(); ++p) {
            std::vector<std::string> got = words_of(pdf_text(pdf, int(p + 1))), want = cases[i].pages[p];
            std::string why;
            if (cases[i].anyOrder) {
                std::sort(got.begin(), got.end());
                std::sort(want.begin(), want.end());
                EXPECT_EQ(got, want) << "page " << p + 1;
            } else {
                EXPECT_TRUE(in_order(got, want, &why)) << "page " << p + 1 << ": " << why;
            }
        }
        if (cases[i].name == "wide_overlap")
            EXPECT_LE(one_letter_lines(pdf_text(pdf)), 2u);
    }
    EXPECT_EQ(count_of(pdf_text(swap_ext(docs[0], out.path, ".pdf")), "Quarterly"), 1u);

    docs.erase(docs.begin() + 1);
    ASSERT_EQ(lo_convert(docs, "odt", out.path, profile.path), "");
    std::vector<std::string> xml;
    for (const std::string& d : docs)
        xml.push_back(odt_content(swap_ext(d, out.path, ".odt")));
    EXPECT_NE(xml[0].find(std::string("xlink:href=\"") + REPORT_URI + "\""), std::string::npos) << xml[0];
    EXPECT_NE(xml[0].find(std::string("xlink:href=\"") + MOVED_URI + "\""), std::string::npos);
    EXPECT_EQ(count_of(xml[0], "xlink:href=\"http"), 2u) << "the link without action adds none";
    EXPECT_NE(xml[1].find("fo:column-count=\"2\""), std::string::npos) << "two text columns read back as such";
    EXPECT_NE(xml[1].find("<text:section "), std::string::npos);
    size_t table = xml[2].find("<table:table ");
    ASSERT_NE(table, std::string::npos) << "--tab on a ruled table";
    EXPECT_GE(count_of(xml[2], "<table:table-row"), 5u);
    EXPECT_NE(xml[2].find("Apple", table), std::string::npos) << "cell text inside the table";
}

// The automatic style of the text span holding the first `word` of the body, "" when none.
std::string span_style(const std::string& xml, const std::string& word)
{
    size_t body = xml.find("<office:body>");
    size_t w = xml.find(word, body == std::string::npos ? 0 : body);
    const std::string open = "<text:span text:style-name=\"";
    size_t p = w == std::string::npos ? w : xml.rfind(open, w);
    if (p == std::string::npos || xml.find('<', p + 1) < w)
        return "";
    p += open.size();
    return xml.substr(p, xml.find('"', p) - p);
}

// An attribute of an automatic style, "" when it has none.
std::string style_attr(const std::string& xml, const std::string& style, const std::string& attr)
{
    size_t p = xml.find("<style:style style:name=\"" + style + "\"");
    size_t e = xml.find("</style:style>", p);
    size_t a = p == std::string::npos ? p : xml.find(" " + attr + "=\"", p);
    if (a == std::string::npos || a > e)
        return "";
    a += attr.size() + 3;
    return xml.substr(a, xml.find('"', a) - a);
}

struct ReadBack {
    std::string rtf, pdf, odt; // the document, LibreOffice's PDF of it (path) and its ODT content
};

struct PageCase {
    std::string name;
    std::vector<std::string> options;
    std::function<void(vlxtest::PdfPage&)> draw;
    std::function<void(const ReadBack&)> check;
};

const char* const kKana = "\u3042\u3044\u3046\u3048\u304a", *const kKanji = "\u65e5\u672c\u8a9e";

void drawVertical(vlxtest::PdfPage& p)
{
    p.text(72, 740, "Name label", "Helvetica", 12);
    p.cid_text(400, 700, kKana, 20);
    p.cid_text(370, 700, kKanji, 20);
    p.cid_text(72, 600, "\u6a2a\u66f8\u304d", 12, false); // horizontal writing stays a line
}

void checkVertical(const ReadBack& r)
{
    EXPECT_EQ(count_of(r.odt, kKana), 1u) << r.odt;
    EXPECT_EQ(count_of(r.odt, kKanji), 1u);
    EXPECT_EQ(count_of(r.odt, "\u6a2a\u66f8\u304d"), 1u);
    EXPECT_EQ(count_of(r.odt, "Name label"), 1u);
    EXPECT_NE(r.odt.find("style:writing-mode=\"tb-rl\""), std::string::npos) << "the columns read top to bottom";
}

TEST_F(LibreOffice, ShowsAccentsSymbolsScriptsTablePicturesAndRotatedText)
{
    const std::vector<PageCase> cases = {
        // Raw 8-bit bytes make LibreOffice take a long .doc for plain text.
        {"accents", {"--mode=1"},
         [](vlxtest::PdfPage& p) {
             p.text(72, 700, "Caf\xe9 na\xefve \xfc" "ber Stra\xdf" "e", "Helvetica", 12);
             p.text(72, 670, "R\xe9sum\xe9", "Times-Roman", 12);
             p.link(70, 665, 130, 684, "http://example.com/r\xe9sum\xe9");
         },
         [](const ReadBack& r) {
             EXPECT_NE(pdf_text(r.pdf).find("Caf\u00e9 na\u00efve \u00fcber Stra\u00dfe"), std::string::npos)
                 << pdf_text(r.pdf);
             EXPECT_NE(r.odt.find(">R\u00e9sum\u00e9"), std::string::npos) << "the link's text";
         }},
        // The picture anchored in the first cell is dropped and hides the first row.
        {"table_first", {"--mode=2", "--tab"},
         [](vlxtest::PdfPage& p) {
             const double xs[] = {60, 190, 320, 450, 580};
             for (int r = 0; r <= 3; ++r)
                 p.line(xs[0], 760 - r * 30, xs[4], 760 - r * 30, 0.75);
             for (double x : xs)
                 p.line(x, 760, x, 670, 0.75);
             const char* words[3][4] = {{"Item", "Colour", "Size", "Price"},
                                        {"Apple", "Red", "Small", "10"},
                                        {"Banana", "Yellow", "Long", "20"}};
             for (int r = 0; r < 3; ++r)
                 for (int c = 0; c < 4; ++c)
                     p.text(xs[c] + 8, 740 - r * 30, words[r][c], "Helvetica", 10);
             p.text(60, 600, "Text after the table", "Helvetica", 12);
         },
         [](const ReadBack& r) {
             std::string images = vlxtest::command_output("pdfimages -list '" + r.pdf + "' | tail -n +3");
             EXPECT_FALSE(images.empty()) << "the page picture is lost";
             // "Item" stands 42 points below the page top; one more paragraph before the table
             // would push it a line down.
             EXPECT_NEAR(pdf_word_top(r.pdf, "Item"), 42, 6);
             std::string why;
             EXPECT_TRUE(in_order(words_of(pdf_text(r.pdf)), {"Item", "Colour", "Apple", "Banana", "Text"}, &why))
                 << why;
         }},
        // A Symbol arrow is a SYMBOL field; switched to the symbol-charset font it is lost, and
        // its condensed spacing must not run on into the rest of the line.
        {"symbol", {"--mode=2"},
         [](vlxtest::PdfPage& p) {
             p.text(72, 700, "Input", "Helvetica", 12);
             p.text(104, 700, "\xae", "Symbol", 12);
             p.text(118, 700, "Output follows here", "Helvetica", 12);
         },
         [](const ReadBack& r) {
             std::string text = pdf_text(r.pdf);
             size_t in = text.find("Input"), out = text.find("Output");
             ASSERT_TRUE(in != std::string::npos && out != std::string::npos && in < out) << text;
             std::string between = text.substr(in + 5, out - in - 5);
             for (const std::string blank : {" ", "\n", "\xEF\x80\xA0"}) // U+F020: a symbol font's blank
                 for (size_t b; (b = between.find(blank)) != std::string::npos;)
                     between.erase(b, blank.size());
             EXPECT_NE(between, "") << "the arrow is lost: " << text;
             EXPECT_EQ(r.odt.find("field.UNHANDLED"), std::string::npos) << "the field was not understood";
             EXPECT_EQ(style_attr(r.odt, span_style(r.odt, "Output"), "fo:letter-spacing"),
                       style_attr(r.odt, span_style(r.odt, "Input"), "fo:letter-spacing"))
                 << "the words after the symbol keep the line's spacing";
         }},
        // A raised 2 before a taller word was once written lowered, and a smaller word after it
        // lowered: baselines decide.
        {"scripts", {"--mode=2"},
         [](vlxtest::PdfPage& p) {
             const struct {
                 const char *base, *after;
                 double rise, size;
             } lines[] = {{"x", "Word", 3, 16}, {"y", "word", 3, 10}, {"z", "tiny", 3, 5},
                          {"H", "Ocean", -3, 16}, {"C", "gas", -3, 10}};
             double y = 700;
             for (const auto& l : lines) {
                 p.text(72, y, l.base, "Helvetica", 12);
                 p.text(80, y + l.rise, "2", "Helvetica", 7);
                 p.text(86, y, l.after, "Helvetica", l.size);
                 y -= 40;
             }
         },
         [](const ReadBack& r) {
             for (const char* base : {"x", "y", "z", "H", "C"}) {
                 SCOPED_TRACE(base);
                 std::string after = std::string(">") + base + "</text:span>";
                 ASSERT_NE(r.odt.find(after), std::string::npos);
                 std::string style = span_style(r.odt.substr(r.odt.find(after) + after.size()), "2");
                 std::string pos = style_attr(r.odt, style, "style:text-position");
                 ASSERT_FALSE(pos.empty()) << "written on the baseline";
                 EXPECT_EQ(pos[0] == '-', *base == 'H' || *base == 'C') << pos;
             }
             EXPECT_EQ(style_attr(r.odt, span_style(r.odt, "tiny"), "style:text-position"), "")
                 << "a smaller word on the baseline stays there";
         }},
        // Vertical writing (Identity-V) was lost in flowing layout and split into single characters
        // in exact layout: each column is a text box in both.
        {"vertical", {"--mode=1"}, drawVertical, checkVertical},
        {"vertical_flow", {"--mode=2"}, drawVertical, checkVertical},
        // A diagonal watermark in front of the text covered the body's words.
        {"watermark", {"--mode=2"},
         [](vlxtest::PdfPage& p) {
             double c = std::cos(M_PI / 4);
             p.raw("q BT " + p.font("Helvetica") + " 199 Tf 0.6 g " + std::to_string(c) + " " + std::to_string(c) +
                   " " + std::to_string(-c) + " " + std::to_string(c) + " 120 200 Tm (draft) Tj ET Q");
             for (int i = 0; i < 30; ++i)
                 p.text(72, 700 - 16 * i, "Body text line " + std::to_string(i) + " with several words in it");
         },
         [](const ReadBack& r) {
             size_t boxes = 0;
             for (size_t p = r.rtf.find("{\\shp\\shpleft"); p != std::string::npos;
                  p = r.rtf.find("{\\shp\\shpleft", p + 1), ++boxes) {
                 std::string head = r.rtf.substr(p, r.rtf.find("{\\*\\shpinst", p) - p);
                 EXPECT_NE(head.find("\\shpfblwtxt1"), std::string::npos) << "behind the text: " << head;
                 EXPECT_NE(head.find("\\shpz1"), std::string::npos) << "above the picture (z 0): " << head;
             }
             EXPECT_GT(boxes, 0u) << "the rotated word is written as text boxes";
             EXPECT_EQ(count_of(pdf_text(r.pdf), "Body text line"), 30u);
         }},
    };
    std::vector<std::string> docs;
    std::vector<ReadBack> back;
    for (const PageCase& cs : cases) {
        vlxtest::PdfWriter w;
        cs.draw(w.add_page(612, 792));
        Conversion c = convert(save(w, cs.name + ".pdf"), work / (cs.name + ".doc"), cs.options);
        EXPECT_CONVERTED(c);
        size_t high = std::find_if(c.rtf.begin(), c.rtf.end(), [](char b) { return (b & 0x80) != 0; }) - c.rtf.begin();
        EXPECT_EQ(high, c.rtf.size()) << cs.name << ": a byte above 0x7F after "
                                      << c.rtf.substr(high > 40 ? high - 40 : 0, high > 40 ? 40 : high);
        docs.push_back(work / (cs.name + ".doc"));
        back.push_back({c.rtf, "", ""});
    }
    TempDir out("vlxlo"), profile("vlxloprof");
    ASSERT_EQ(lo_convert(docs, "pdf", out.path, profile.path), "");
    ASSERT_EQ(lo_convert(docs, "odt", out.path, profile.path), "");
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        back[i].pdf = swap_ext(docs[i], out.path, ".pdf");
        back[i].odt = odt_content(swap_ext(docs[i], out.path, ".odt"));
        EXPECT_EQ(pdf_pages(back[i].pdf), 1);
        cases[i].check(back[i]);
    }
}

} // namespace
} // namespace e2e
