// Links matched to words, and which pages become sections.
#include "e2e_fixture.h"


namespace e2e {
namespace {

// The visible text of the HYPERLINK field for uri in rtf, or "(no field)".
std::string field_result(const std::string& rtf, const std::string& uri)
{
    const std::string open = "\"" + uri + "\"}}\n{\\fldrslt{";
    size_t at = rtf.find(open);
    if (at == std::string::npos)
        return "(no field)";
    size_t inst = rtf.rfind("{\\field{\\*\\fldinst {\\b HYPERLINK", at);
    const std::string head = inst == std::string::npos ? "" : rtf.substr(inst, at - inst);
    if (head != "{\\field{\\*\\fldinst {\\b HYPERLINK}{\\b " && head != "{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b ")
        return "(malformed field instruction: " + head + ")";
    size_t start = at + open.size();
    size_t end = rtf.find("\n}}}", start);
    return rtf_plain_text(rtf.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

std::string three_pages_pdf(bool lying_count)
{
    vlxtest::PdfWriter w;
    make_three_pages(w);
    std::string s = w.str();
    if (lying_count) {
        size_t at = s.find("/Count 3");
        if (at == std::string::npos)
            return "";
        s[at + 7] = '7'; // same length, so the cross-reference offsets stay right
    }
    return s;
}

TEST_F(E2e, UriLinkOverAWordBecomesAHyperlinkField)
{
    vlxtest::PdfWriter w;
    make_report(w);
    Conversion c = convert(save(w, "report.pdf"), work / "report.doc", {"--no_graph"});
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    const std::string& p1 = c.doc.pages[0].body;
    std::string shown = field_result(p1, REPORT_URI);
    EXPECT_NE(shown.find("Website"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("lists"), std::string::npos) << "the link covers one word: " << shown;
    EXPECT_EQ(shown.find("Footnote"), std::string::npos) << shown;
    // The annotation without an action gives no field and no failure.
    EXPECT_EQ(count_of(p1, "HYPERLINK"), 1u);
}

TEST_F(E2e, LinkRectanglesAreMatchedInPageSpace)
{
    vlxtest::PdfWriter w;
    make_report(w);
    Conversion c = convert(save(w, "report.pdf"), work / "report.doc", {"--no_graph"});
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    std::string shown = field_result(c.doc.pages[1].body, MOVED_URI);
    EXPECT_NE(shown.find("Relocated"), std::string::npos)
        << "text drawn at 172,500 through a translated matrix lies under the link: " << shown;
}

TEST_F(E2e, LinksInEveryLayoutMode)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    for (const char* mode : {"--mode=1", "--mode=2"}) {
        SCOPED_TRACE(mode);
        Conversion c = convert(src, work / "links.doc", {mode, "--no_graph"});
        EXPECT_CONVERTED(c);
        EXPECT_NE(field_result(c.rtf, REPORT_URI).find("Website"), std::string::npos);
    }
}

TEST_F(E2e, PageWhoseOnlyLinkHasNoActionConverts)
{
    vlxtest::PdfWriter w;
    vlxtest::PdfPage& p = w.add_page();
    p.text(72, 700, "Plain words here", "Helvetica", 12);
    p.link(60, 690, 300, 720, "");
    Conversion c = convert(save(w, "nolink.pdf"), work / "nolink.doc", {"--no_graph"});
    EXPECT_CONVERTED(c);
    EXPECT_EQ(c.rtf.find("HYPERLINK"), std::string::npos);
    std::string why;
    EXPECT_TRUE(in_order(words_of(rtf_plain_text(c.rtf)), {"Plain", "words", "here"}, &why)) << why;
}

TEST_F(E2e, RepeatedPageGivesTwoSections)
{
    std::string src = work / "three.pdf";
    spit(src, three_pages_pdf(false));
    Conversion c = convert(src, work / "three.doc", {"--pages=2,2"});
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    EXPECT_EQ(count_of(c.rtf, "\\sect\\sectd\\sbkpage"), 1u);
    for (const RtfPage& p : c.doc.pages) {
        std::vector<std::string> words = words_of(rtf_plain_text(p.body));
        EXPECT_EQ(words, (std::vector<std::string>{"Marker", "page", "two"}));
    }
    EXPECT_EQ(count_of(c.rtf, "{\\colortbl"), 1u);
}

TEST_F(E2e, ListedPagesBeyondTheDocumentAreSkipped)
{
    std::string src = work / "three.pdf";
    spit(src, three_pages_pdf(false));
    Conversion c = convert(src, work / "some.doc", {"--pages=3,99,1"});
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    EXPECT_EQ(words_of(rtf_plain_text(c.doc.pages[0].body)), (std::vector<std::string>{"Marker", "page", "three"}));
    EXPECT_EQ(words_of(rtf_plain_text(c.doc.pages[1].body)), (std::vector<std::string>{"Marker", "page", "one"}));

    Conversion none = convert(src, work / "none.doc", {"--pages=9"});
    EXPECT_CONVERTED(none);
    EXPECT_TRUE(none.doc.pages.empty());
    EXPECT_EQ(none.rtf, expected_head() + "}\r\n");
}

TEST_F(E2e, PageCountLargerThanThePagesDoesNotCrash)
{
    std::string src = work / "lying.pdf";
    std::string bytes = three_pages_pdf(true);
    ASSERT_FALSE(bytes.empty());
    spit(src, bytes);
    Conversion all = convert(src, work / "lying.doc");
    EXPECT_CONVERTED(all);
    EXPECT_EQ(all.doc.pages.size(), 3u) << "pages that cannot be loaded are skipped";
    std::string why;
    EXPECT_TRUE(in_order(words_of(rtf_plain_text(all.rtf)),
                         {"Marker", "one", "Marker", "two", "Marker", "three"}, &why))
        << why;
    EXPECT_EQ(count_of(rtf_plain_text(all.rtf), "Marker"), 3u) << "no page is written twice";

    Conversion listed = convert(src, work / "listed.doc", {"--pages=5,2"});
    EXPECT_CONVERTED(listed);
    EXPECT_EQ(words_of(rtf_plain_text(listed.rtf)), (std::vector<std::string>{"Marker", "page", "two"}));
}

} // namespace
} // namespace e2e
