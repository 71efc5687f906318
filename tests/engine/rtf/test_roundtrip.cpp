// Representative writer output read back by LibreOffice: frames stand at their positions,
// sections keep their columns, tables their cells, links their (escaped) targets, and
// characters beyond the BMP and ligatures come out as text.
#include "font_table.h"
#include "rtf_test_util.h"
#include "scoped_env.h"

#include <unistd.h>

#include <cmath>
#include <fstream>

using namespace rtft;

namespace {

// Whether some value of the attribute (e.g. svg:x="1.3889in") is within 0.02 inch of want.
bool hasLength(const std::string& xml, const std::string& attr, double wantInches)
{
    const std::string key = attr + "=\"";
    for (size_t p = xml.find(key); p != std::string::npos; p = xml.find(key, p + 1)) {
        char* unit = nullptr;
        double v = std::strtod(xml.c_str() + p + key.size(), &unit);
        std::string u(unit, 2);
        v /= u == "cm" ? 2.54 : u == "mm" ? 25.4 : u == "pt" ? 72 : 1;
        if (std::fabs(v - wantInches) < 0.02)
            return true;
    }
    return false;
}

using RoundTrip = WriterTest;

TEST_F(RoundTrip, LibreOfficeReadsFramesSectionsTablesAndLinks)
{
    std::string doc = "{\\rtf \\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl";
    for (const font_table_row& row : font_table)
        doc += row.definition;
    doc += "}\r\n\\jexpand\\viewkind1\\paperw12240\\paperh15840\r\n";

    // Exact layout: a frame at 100 pt, 50 pt with a link and odd characters, and a text box.
    vlx::TextLine* l = pb.add(pb.block(), line({word(U"Framed", 100, 60, 10, 7),
                                                linked(word(U"link", 150, 60, 10, 7), "http://example.com/x y?q=\"z\"&r={1}\\"),
                                                word(U"x\U0001F600\uFB03y\uFB02", 185, 60, 10, 7)}, true));
    l->yMin = 50, l->yMax = 62;
    pb.add(pb.block(1), line({word(U"Vertical", 300, 500, 10, 7, 1)}));
    doc += pb.dump(true);

    // Flowing: a two-column section and a three-by-three table.
    PageBuilder flow;
    flow.page.sectionFresh = false;
    vlx::PageRegion cols(1);
    cols.addCell(vlx::RegionCell::fromLine(own(textLine("Left column text", 72, 200, 10, 7))));
    cols.addCell(vlx::RegionCell::fromLine(own(textLine("Right column text", 310, 200, 10, 7))));
    cols.cells[0]->spacedLines = 1;
    Capture section;
    flow.page.writeSection(section.out(), writeOut, &cols, 180, 15, 597, vlx::TagWord(), vlx::ColorList());
    doc += section.str();

    conv.tables_mode = true;
    vlx::PageRegion table(2);
    std::vector<vlx::RegionCell*> cells(3, nullptr);
    for (int row = 0; row < 3; ++row)
        for (size_t c = 0; c < 3; ++c) {
            vlx::TextLine* t = own(textLine("Cell" + std::to_string(row * 3 + static_cast<int>(c)),
                                            72 + 130 * static_cast<double>(c), 300 + 20 * row, 10, 7));
            cells[c] ? cells[c]->addLine(t) : void(cells[c] = vlx::RegionCell::fromLine(t));
        }
    for (vlx::RegionCell* c : cells)
        table.addCell(c);
    Capture tableOut;
    flow.page.writeSection(tableOut.out(), writeOut, &table, 280, 15, 597, vlx::TagWord(), vlx::ColorList());
    ASSERT_NE(tableOut.str().find("\\trowd"), std::string::npos) << "the grid should be a table";
    doc += tableOut.str() + "}\r\n";
    std::string why;
    ASSERT_TRUE(vlxtest::rtf_braces_ok(doc, &why)) << why;

    const vlxtest::TempDir work("vlx-roundtrip-");
    const std::string& dir = work.path;
    std::ofstream(dir + "/page.doc", std::ios::binary) << doc;
    ASSERT_EQ(vlxtest::lo_convert({dir + "/page.doc"}, "odt", dir, dir), "");
    std::string unzip_err;
    const std::string xml =
        vlxtest::command_output("unzip -p '" + dir + "/page.odt' content.xml", nullptr, &unzip_err);
    ASSERT_FALSE(xml.empty()) << unzip_err;

    EXPECT_TRUE(hasLength(xml, "svg:x", 100.0 / 72)) << xml;
    EXPECT_TRUE(hasLength(xml, "svg:y", 50.0 / 72)) << xml;
    EXPECT_GE(count(xml, "<draw:frame"), 2u) << xml; // the line frame and the text box
    EXPECT_NE(xml.find("xlink:href=\"http://example.com/x y?q=%22z%22&amp;r={1}\\\""), std::string::npos) << xml;
    std::string text; // without the markup: the character pieces stand in spans of their own
    for (size_t p = 0, tag = 0; p < xml.size(); p = tag + 1) {
        tag = std::min(xml.find('<', p), xml.size());
        text += xml.substr(p, tag - p);
        tag = std::min(xml.find('>', tag), xml.size());
    }
    EXPECT_NE(text.find("Framed link x\xF0\x9F\x98\x80" "ffiyfl"), std::string::npos) << text;
    EXPECT_NE(xml.find("fo:column-count=\"2\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<text:section"), std::string::npos) << xml;
    EXPECT_EQ(count(xml, "<table:table "), 1u) << xml;
    EXPECT_EQ(count(xml, "<table:table-row"), 3u) << xml;
    EXPECT_EQ(count(xml, "<table:table-cell"), 9u) << xml;
    EXPECT_NE(xml.find("Cell8"), std::string::npos);
}

} // namespace
