// Representative writer output read back by LibreOffice: frames stand at their positions,
// column sections keep their column count, tables their cells and links their targets.
#include "test_page_builder.h"

#include "font_table.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace writers_test;

namespace {

// Every value of an attribute, e.g. svg:x="1.3889in" -> 1.3889 (inches).
std::vector<double> inches(const std::string& xml, const std::string& attr)
{
    std::vector<double> out;
    std::string key = attr + "=\"";
    for (size_t p = xml.find(key); p != std::string::npos; p = xml.find(key, p + 1)) {
        size_t start = p + key.size();
        double v = std::atof(xml.c_str() + start);
        size_t unit = xml.find_first_not_of("-0123456789.", start);
        std::string u = xml.substr(unit, 2);
        if (u == "cm")
            v /= 2.54;
        else if (u == "mm")
            v /= 25.4;
        else if (u == "pt")
            v /= 72;
        out.push_back(v);
    }
    return out;
}

size_t count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

class RoundTrip : public WriterTest {
protected:
    ~RoundTrip() override
    {
        for (vlx::TextLine* l : owned)
            delete l;
    }

    vlx::TextLine* own(vlx::TextLine* l)
    {
        owned.push_back(l);
        return l;
    }

    std::vector<vlx::TextLine*> owned;
};

} // namespace

TEST_F(RoundTrip, LibreOfficeReadsFramesSectionsTablesAndLinks)
{
    if (access("/usr/bin/soffice", X_OK) != 0 && std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    std::string doc = "{\\rtf \\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl";
    for (const font_table_row& row : font_table)
        doc += row.definition;
    doc += "}\r\n\\jexpand\\viewkind1\\paperw12240\\paperh15840\r\n";

    // Exact layout: a frame at 100 pt, 50 pt, with a link, and a vertical text box.
    PageBuilder exact;
    vlx::TextBlock* b = exact.block();
    vlx::TextLine* l = exact.add(b, line({word("Framed", 100, 60, 10, 7), linked(word("link", 150, 60, 10, 7),
                                                                                "http://example.com/vellix")}));
    l->yMin = 50;
    l->yMax = 62;
    vlx::TextBlock* v = exact.block(1);
    exact.add(v, line({vword("Vertical", 1, 500, 300, 10, 7)}));
    {
        Capture c;
        exact.page.dump(c.out(), writeOut, true, vlx::ColorList());
        doc += c.str();
    }

    // Flowing: a two-column section and a three-by-three table.
    PageBuilder flow;
    {
        vlx::TextLine* a = own(textLine("Left column text", 72, 200, 10, 7));
        vlx::TextLine* c = own(textLine("Right column text", 310, 200, 10, 7));
        vlx::PageRegion cols(1);
        cols.addCell(vlx::RegionCell::fromLine(a));
        cols.addCell(vlx::RegionCell::fromLine(c));
        cols.cells[0]->spacedLines = 1;
        flow.page.sectionFresh = false;
        Capture out;
        flow.page.writeSection(out.out(), writeOut, &cols, 180, 15, 597, vlx::TagWord(), vlx::ColorList());
        doc += out.str();
    }
    {
        conv.tables_mode = true;
        vlx::PageRegion table(2);
        const double xs[3] = {72, 200, 330};
        std::vector<vlx::RegionCell*> cells(3, nullptr);
        for (int row = 0; row < 3; ++row)
            for (int c = 0; c < 3; ++c) {
                vlx::TextLine* t = own(textLine("Cell" + std::to_string(row * 3 + c), xs[c], 300 + 20 * row, 10, 7));
                if (!cells[static_cast<size_t>(c)])
                    cells[static_cast<size_t>(c)] = vlx::RegionCell::fromLine(t);
                else
                    cells[static_cast<size_t>(c)]->addLine(t);
            }
        for (vlx::RegionCell* c : cells)
            table.addCell(c);
        Capture out;
        flow.page.writeSection(out.out(), writeOut, &table, 280, 15, 597, vlx::TagWord(), vlx::ColorList());
        doc += out.str();
        ASSERT_NE(out.str().find("\\trowd"), std::string::npos) << "the grid should be a table";
    }
    doc += "}\r\n";
    std::string why;
    ASSERT_TRUE(vlxtest::rtf_braces_ok(doc, &why)) << why;

    char dirTemplate[] = "/tmp/vlx-roundtrip-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    std::string dir = dirTemplate;
    {
        std::ofstream f(dir + "/page.rtf", std::ios::binary);
        f << doc;
    }
    std::string cmd = "timeout 180 soffice -env:UserInstallation=file://" + dir + "/lo --headless --convert-to odt --outdir '" +
                      dir + "' '" + dir + "/page.rtf' >'" + dir + "/soffice.log' 2>&1";
    int rc = std::system(cmd.c_str());
    std::string log = vlxtest::command_output("cat '" + dir + "/soffice.log'");
    std::string xml = vlxtest::command_output("unzip -p '" + dir + "/page.odt' content.xml 2>/dev/null");
    std::system(("rm -rf '" + dir + "'").c_str());
    ASSERT_EQ(rc, 0) << log;
    ASSERT_EQ(log.find("could not be loaded"), std::string::npos) << log;
    ASSERT_FALSE(xml.empty()) << log;

    // The frame at 100 pt, 50 pt from the page's corner.
    bool atX = false, atY = false;
    for (double x : inches(xml, "svg:x"))
        atX = atX || std::fabs(x - 100.0 / 72) < 0.02;
    for (double y : inches(xml, "svg:y"))
        atY = atY || std::fabs(y - 50.0 / 72) < 0.02;
    EXPECT_TRUE(atX) << xml;
    EXPECT_TRUE(atY) << xml;
    EXPECT_GE(count(xml, "<draw:frame"), 2u) << xml; // the line frame and the text box
    EXPECT_NE(xml.find("xlink:href=\"http://example.com/vellix\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("fo:column-count=\"2\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<text:section"), std::string::npos) << xml;
    EXPECT_EQ(count(xml, "<table:table "), 1u) << xml;
    EXPECT_EQ(count(xml, "<table:table-cell"), 9u) << xml;
    EXPECT_EQ(count(xml, "<table:table-row"), 3u) << xml;
    EXPECT_NE(xml.find("Cell8"), std::string::npos);
}
