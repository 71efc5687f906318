// Converted documents read back by LibreOffice: they open, their text is the source's, and links,
// columns and tables survive. Each test makes one soffice run for all its documents.
#include "e2e_fixture.h"

namespace e2e {
namespace {

struct Case {
    std::string name;                              // base name of the .doc
    std::vector<std::string> options;              // VLXRUN options
    std::vector<std::vector<std::string>> pages;   // per page, words expected in this order
};

class ReadBack : public E2e {
protected:
    void SetUp() override
    {
        if (find_program("soffice").empty())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }

    // Converts every case with VLXRUN, then all of them with one soffice run into fmt.
    // Returns the paths of the read-back files, in case order.
    std::vector<std::string> round_trip(const std::vector<Case>& cases, const std::string& fmt)
    {
        std::vector<std::string> docs;
        for (const Case& cs : cases) {
            vlxtest::PdfWriter w;
            if (cs.name.rfind("report", 0) == 0)
                make_report(w);
            else if (cs.name.rfind("columns", 0) == 0)
                make_columns(w);
            else
                make_table(w);
            std::string dest = work / (cs.name + ".doc");
            Conversion c = convert(save(w, cs.name + ".pdf"), dest, cs.options);
            EXPECT_EQ(c.run.status, 0) << cs.name << ": " << c.run.describe();
            std::string why;
            EXPECT_TRUE(vlxtest::rtf_braces_ok(c.rtf, &why)) << cs.name << ": " << why;
            docs.push_back(dest);
        }
        TempDir out, profile;
        std::string failed = lo_convert(docs, fmt, out.path(), profile.path());
        if (!failed.empty()) {
            // The documents are RTF under a Word name; let the extension say so.
            for (std::string& d : docs) {
                std::string rtf = swap_ext(d, work.path(), ".rtf");
                spit(rtf, slurp(d));
                d = rtf;
            }
            failed = lo_convert(docs, fmt, out.path(), profile.path());
        }
        EXPECT_EQ(failed, "") << "LibreOffice did not open the documents";
        std::vector<std::string> results;
        for (const std::string& d : docs) {
            std::string res = swap_ext(d, work.path(), "." + fmt + ".out");
            std::string made = swap_ext(d, out.path(), "." + fmt);
            if (exists(made))
                spit(res, slurp(made));
            results.push_back(res);
        }
        return results;
    }
};

const std::vector<std::vector<std::string>> REPORT_PAGES = {report_words(1), report_words(2)};

// Each page of the read-back PDF holds its source page's words in order.
void expect_pages(const Case& cs, const std::string& pdf)
{
    SCOPED_TRACE(cs.name);
    ASSERT_TRUE(exists(pdf));
    EXPECT_EQ(pdf_pages(pdf), int(cs.pages.size()));
    for (size_t p = 0; p < cs.pages.size(); ++p) {
        std::string text = pdf_text(pdf, int(p + 1));
        std::string why;
        EXPECT_TRUE(in_order(words_of(text), cs.pages[p], &why)) << "page " << p + 1 << ": " << why;
    }
}

TEST_F(ReadBack, TextOfEveryLayoutMatchesTheSource)
{
    const std::vector<Case> cases = {
        {"report", {}, REPORT_PAGES},
        {"report_exact", {"--mode=1", "--no_graph"}, REPORT_PAGES},
        {"columns", {"--mode=2"}, {columns_words()}},
        {"table", {"--tab"}, {table_words()}},
    };
    std::vector<std::string> pdfs = round_trip(cases, "pdf");
    for (size_t i = 0; i < cases.size(); ++i)
        expect_pages(cases[i], pdfs[i]);
    EXPECT_EQ(count_of(pdf_text(pdfs[0]), "Quarterly"), 1u);
}

TEST_F(ReadBack, ExactLayoutWithPicturesKeepsFramesOnTheirPages)
{
    const std::vector<Case> cases = {{"report_exact", {"--mode=1"}, REPORT_PAGES}};
    std::vector<std::string> pdfs = round_trip(cases, "pdf");
    expect_pages(cases[0], pdfs[0]);
}

TEST_F(ReadBack, LinksColumnsAndTablesSurvive)
{
    const std::vector<Case> cases = {
        {"report", {"--no_graph"}, {}},
        {"columns", {"--mode=2", "--no_graph"}, {}},
        {"table", {"--tab", "--no_graph"}, {}},
    };
    std::vector<std::string> odts = round_trip(cases, "odt");
    std::vector<std::string> xml;
    for (const std::string& p : odts) {
        xml.push_back(exists(p) ? odt_content(p) : "");
        EXPECT_FALSE(xml.back().empty()) << "no content.xml in " << p;
    }
    ASSERT_EQ(xml.size(), 3u);
    EXPECT_NE(xml[0].find(std::string("xlink:href=\"") + REPORT_URI + "\""), std::string::npos);
    EXPECT_NE(xml[0].find(std::string("xlink:href=\"") + MOVED_URI + "\""), std::string::npos);
    EXPECT_EQ(count_of(xml[0], "xlink:href=\"http"), 2u) << "the link without action adds none";

    EXPECT_NE(xml[1].find("fo:column-count=\"2\""), std::string::npos)
        << "two text columns in --mode=2 read back as a two-column section";
    EXPECT_NE(xml[1].find("<text:section "), std::string::npos);

    EXPECT_NE(xml[2].find("<table:table "), std::string::npos) << "--tab on a ruled table";
    size_t table = xml[2].find("<table:table ");
    if (table != std::string::npos) {
        EXPECT_GE(count_of(xml[2], "<table:table-row"), 5u);
        EXPECT_NE(xml[2].find("Apple", table), std::string::npos) << "cell text inside the table";
    }
}

} // namespace
} // namespace e2e
