// Converted documents read back by LibreOffice: they open, their text is the source's, and links,
// columns and tables survive.
#include "e2e.h"

namespace e2e {
namespace {

struct Case {
    std::string name;                            // base name of the .doc; its start names the source
    std::vector<std::string> options;            // VLXRUN options
    std::vector<std::vector<std::string>> pages; // per page, words expected in this order
};

TEST_F(E2e, LibreOfficeReadsTextLinksColumnsAndTables)
{
    if (run_program({"soffice", "--version"}).status != 0)
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const std::vector<std::vector<std::string>> report = {report_words(1), report_words(2)};
    const std::vector<Case> cases = {
        {"report", {}, report},
        {"report_exact", {"--mode=1"}, report}, // frames and pictures stay on their pages
        {"columns", {"--mode=2"}, {columns_words()}},
        {"table", {"--tab", "--no_crlf"}, {table_words()}},
        // Pages that fit stay pages: nothing is added above the text after the page picture, and
        // columns that end a page leave no empty section before the page break.
        {"full_footer", {"--mode=2"}, {full_columns_words(1, true), full_columns_words(2, true)}},
        {"full_columns", {"--mode=2"}, {full_columns_words(1, false), full_columns_words(2, false)}},
    };
    std::vector<std::string> docs;
    for (const Case& cs : cases) {
        vlxtest::PdfWriter w;
        if (cs.name.rfind("full_", 0) == 0)
            make_full_columns(w, cs.name == "full_footer");
        else
            (cs.name.rfind("report", 0) == 0 ? make_report : cs.name == "columns" ? make_columns : make_table)(w);
        Conversion c = convert(save(w, cs.name + ".pdf"), work / (cs.name + ".doc"), cs.options);
        EXPECT_EQ(c.run.status, 0) << cs.name << ": " << c.run.describe();
        EXPECT_TRUE(vlxtest::rtf_braces_ok(c.rtf)) << cs.name;
        docs.push_back(work / (cs.name + ".doc"));
    }
    TempDir out("vlxlo"), profile("vlxloprof");
    ASSERT_EQ(lo_convert(docs, "pdf", out.path, profile.path), "") << "LibreOffice did not open the documents";
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        std::string pdf = swap_ext(docs[i], out.path, ".pdf");
        EXPECT_EQ(pdf_pages(pdf), int(cases[i].pages.size()));
        for (size_t p = 0; p < cases[i].pages.size(); ++p) {
            std::string why;
            EXPECT_TRUE(in_order(words_of(pdf_text(pdf, int(p + 1))), cases[i].pages[p], &why))
                << "page " << p + 1 << ": " << why;
        }
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

} // namespace
} // namespace e2e
