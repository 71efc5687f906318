// The paragraph writer and the section, column and table writer.
#include "rtf_test_util.h"
#include "section_writer.h"

using namespace rtft;

namespace {

class Paragraphs : public WriterTest {
protected:
    // Left 72, right 540.
    std::string write(std::vector<vlx::TextLine*> lines, double top, double indentBase, bool noCrlf = false,
                      bool inTable = false)
    {
        pb.page.paragraphClosed = true;
        Capture c;
        pb.page.writeParagraphs(c.out(), writeOut, top, 72, indentBase, 540, vlx::TagWord(), vlx::ColorList(),
                                lines.data(), static_cast<int>(lines.size()), noCrlf, inTable);
        return c.str();
    }
    vlx::TextLine* text(const std::string& s, double x, double base, double fs = 10, double charW = 7)
    {
        return own(textLine(s, x, base, fs, charW));
    }
};

TEST_F(Paragraphs, FirstLineIndentsAndRowPieces)
{
    EXPECT_EQ(write({}, 0, 72), "");
    vlx::TextLine* a = text("left", 100, 100);  // 100 to 128, box 90.5 to 103.5
    vlx::TextLine* b = text("right", 168, 100); // 40 points further: a tab, 168 * 0.998 from 72
    vlx::TextLine* dot = text(".", 100, 100, 10, 0.2); // a stray dot is not written
    std::string out = write({dot, a, b}, 95, 72);
    EXPECT_EQ(out, "\\plain\\pard\\sl-170 \\li0 \\ri6740 \\fi560 " + lineText(a) + "\r\n\\plain\\tx1913 \\tab " +
                       lineText(b) + "\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
    EXPECT_FALSE(pb.page.paragraphClosed || pb.page.sectionFresh);
    // 5-point characters at 10 points: the right indent is scaled to 90 %.
    vlx::TextLine* narrow = text("abcd", 72, 100, 10, 5);
    EXPECT_EQ(write({narrow}, 95, 72), "\\plain\\pard\\sl-170 \\li0 \\ri8064 " + lineText(narrow) + "\r\n\r\n");
}

TEST_F(Paragraphs, ParagraphEnds)
{
    vlx::TextLine* a = text("aaaa bbbb cccc", 100, 100);
    vlx::TextLine* b = text("dddd eeee ffff", 100, 112);
    std::string body = "\\plain\\pard\\sl-240 \\li560 \\ri6840 " + lineText(a) + "\r\n\\plain" + lineText(b) + "\r\n";
    vlx::TextLine* period = text("end.", 100, 124); // short, but ends a sentence
    EXPECT_EQ(write({a, b, period}, 91.5, 100), body + "\\plain" + lineText(period) + "\r\n\r\n");
    vlx::TextLine* shortLine = text("short", 100, 124);
    std::string out = write({a, b, shortLine}, 91.5, 100);
    EXPECT_EQ(out, body + "\\plain\\par\n\\pard\\sl-240 \\li560 \\ri8100 " + lineText(shortLine) + "\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, GapParagraphOnlyWhenTheNextLineIsMoreThanTwiceItsSizeBelow)
{
    // 10-point lines with 13-point boxes; the distance is from bottom to bottom.
    const struct {
        double distance;
        const char* gap;
    } rows[] = {{19, ""}, {20, ""}, {25, "\\sl-240\\fs24\\par\\pard"}}; // 25 - 13 points of gap
    for (const auto& r : rows) {
        SCOPED_TRACE(r.distance);
        vlx::TextLine* a = text("aaaa bbbb cccc", 100, 100);
        vlx::TextLine* b = text("dddd eeee ffff", 100, 100 + r.distance);
        ASSERT_EQ(b->yMax - a->yMax, r.distance);
        std::string out = write({a, b}, 91.5, 100);
        EXPECT_EQ(count(out, "\\par\\pard"), *r.gap ? 1u : 0u) << out;
        EXPECT_NE(out.find(r.gap), std::string::npos) << out;
    }
}

TEST_F(Paragraphs, NoCrlfGivesEveryParagraphTheSameRightIndent)
{
    std::string out = write({text("aaaa bbbb cccc dddd", 100, 100), text("short", 100, 124),
                             text("a much longer line of text", 100, 160)}, 91.5, 100, true);
    EXPECT_EQ(count(out, "\\ri"), 3u) << out;
    EXPECT_EQ(count(out, "\\ri5160 "), 3u) << out; // from the widest line, to 282
}

TEST_F(Paragraphs, TableTextAfterAGapIsStillInTheTable)
{
    // 2-point text: the gap's \pard ends the table paragraph, so \intbl is written again.
    std::string out = write({text("aaaa bbbb", 100, 100, 2, 2), text("cccc dddd", 100, 140, 2, 2)}, 98, 100, false, true);
    size_t gapEnd = out.find("\\pard\\pard\\intbl ");
    ASSERT_NE(gapEnd, std::string::npos) << out;
    EXPECT_LT(out.find("\\pard\\intbl "), gapEnd);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, LinksCloseAfterTheirLineAndZeroSizesStayFinite)
{
    std::string out = write({own(line({linked(word(U"link", 100, 100, 10, 7), "http://example.com/a")})),
                             text("plain text here", 100, 112)}, 91.5, 100);
    size_t field = out.find("{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://example.com/a\"}}");
    ASSERT_NE(field, std::string::npos);
    EXPECT_NE(out.find("\n}}}\r\n", field), std::string::npos);
    EXPECT_TRUE(bracesOk(out));

    pb.page.curFontSize = 0;
    out = write({text("zero size", 100, 100, 0), text("more", 100, 112, 0)}, 91.5, 100);
    EXPECT_EQ(out.find("214748364"), std::string::npos) << out;
    EXPECT_TRUE(bracesOk(out));
}

// ---- sections, columns and tables ----

class Sections : public Paragraphs {
protected:
    // One cell per list of lines.
    std::unique_ptr<vlx::PageRegion> region(int kind, const std::vector<std::vector<vlx::TextLine*>>& cells)
    {
        auto r = std::make_unique<vlx::PageRegion>(kind);
        for (const auto& lines : cells) {
            vlx::RegionCell* c = vlx::RegionCell::fromLine(lines[0]);
            for (size_t i = 1; i < lines.size(); ++i)
                c->addLine(lines[i]);
            r->addCell(c);
        }
        return r;
    }
    std::string section(vlx::PageRegion* r, double top)
    {
        Capture c;
        pb.page.writeSection(c.out(), writeOut, r, top, 15, 597, vlx::TagWord(), vlx::ColorList());
        return c.str();
    }
    std::string paragraphs(std::vector<vlx::TextLine*> lines, double top, double left, double indentBase,
                           double right, bool inTable)
    {
        PageBuilder other;
        other.page.sectionFresh = false;
        Capture c;
        other.page.writeParagraphs(c.out(), writeOut, top, left, indentBase, right, vlx::TagWord(), vlx::ColorList(),
                                   lines.data(), static_cast<int>(lines.size()), conv.no_crlf_mode, inTable);
        return c.str();
    }
    // Three columns of "cell" lines at x 50, 150, 250, a row every 20 points from y 100; the
    // last row holds its first lastRow cells.
    std::vector<std::vector<vlx::TextLine*>> grid(int rows, int lastRow = 3)
    {
        std::vector<std::vector<vlx::TextLine*>> cols(3);
        for (int row = 0; row < rows; ++row)
            for (int c = 0; c < (row < rows - 1 ? 3 : lastRow); ++c)
                cols[static_cast<size_t>(c)].push_back(text("cell", 50 + 100 * c, 100 + 20 * row, 10, 12.5));
        return cols;
    }
};

TEST_F(Sections, SpacedRegionIsAColumnSection)
{
    vlx::TextLine* a = text("left column", 72, 100);
    vlx::TextLine* b = text("right column", 310, 100);
    a->xMax = 290;
    b->xMax = 540;
    auto r = region(1, {{a}, {b}});
    r->cells[0]->spacedLines = 1;
    pb.page.paragraphClosed = pb.page.sectionFresh = false;
    std::string out = section(r.get(), 80);
    EXPECT_EQ(out, "\\par\n\\sect\\sectd\\sbknone\\cols2\\colno1\\colw5500\\colsr400\\colno2\\colw5740\n" +
                       paragraphs({a}, 80, 15, 72, 290, false) + "\\par\n\\column\n" +
                       paragraphs({b}, 80, 310, 310, 597, false) + "\\par\n\\sect\\sectd\\sbknone");
    EXPECT_TRUE(pb.page.paragraphClosed && pb.page.sectionFresh);
    EXPECT_TRUE(bracesOk(out));
    // Columns that end the page end with the page's own section break: a continuous one would
    // leave an empty section, a page of its own when the columns fill the page.
    pb.page.paragraphClosed = pb.page.sectionFresh = false;
    pb.page.lastRegion = true;
    std::string ending = section(r.get(), 80);
    EXPECT_EQ(count(ending, "\\sbknone"), 1u) << ending; // the opening break only
    pb.page.lastRegion = false;
    // The first region of a page opens no section.
    auto first = region(0, {{a}, {b}});
    first->cells[1]->spacedLines = 1;
    pb.page.sectionFresh = false;
    EXPECT_TRUE(startsWith(section(first.get(), 80), "\\cols2\\colno1"));
}

TEST_F(Sections, ColumnsNeverAddUpToMoreThanTheTextWidth)
{
    // The text width is 11640 twips. Cells that overlap give no gap and a cell past the right bound
    // no width (readers hide the text of a section with a negative one); what the widths and gaps
    // add up to over the text width comes out of the gaps and the outer margins (57 points on
    // either side here), or the cells make one column, as they do when a column would be narrower
    // than its widest word ("column", 840).
    const struct {
        std::vector<std::pair<double, double>> cells;
        const char* cols; // nullptr: one column
    } rows[] = {
        {{{72, 290}, {290, 540}}, "\\cols2\\colno1\\colw5500\\colsr0\\colno2\\colw6140\n"}, // exactly the width
        {{{72, 290.0625}, {290, 540}}, "\\cols2\\colno1\\colw5501\\colsr0\\colno2\\colw6139\n"}, // one twip over
        {{{72, 290}, {280, 540}}, "\\cols2\\colno1\\colw5500\\colsr0\\colno2\\colw6140\n"},
        {{{72, 290}, {290.25, 540}}, "\\cols2\\colno1\\colw5500\\colsr5\\colno2\\colw6135\n"},
        {{{72, 290}, {280, 597}}, "\\cols2\\colno1\\colw5300\\colsr0\\colno2\\colw6340\n"}, // the left margin
        {{{72, 290}, {233, 597}}, "\\cols2\\colno1\\colw4360\\colsr0\\colno2\\colw7280\n"}, // all of it
        {{{72, 290}, {232.9375, 597}}, nullptr},                                          // and one twip
        {{{72, 290}, {280, 400}, {555, 610}},
         "\\cols3\\colno1\\colw5500\\colsr0\\colno2\\colw2400\\colsr2900\\colno3\\colw840\n"}, // from the gap
        {{{72, 290}, {280, 400}, {555.0625, 610}}, nullptr}, // 838: narrower than "column"
        {{{72, 290}, {597.25, 610}}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cells.back().first);
        std::vector<std::vector<vlx::TextLine*>> cells;
        for (const auto& [from, to] : row.cells) {
            cells.push_back({text("some column", from, 100)});
            cells.back()[0]->xMax = to;
        }
        auto r = region(0, cells);
        r->cells[0]->spacedLines = 1;
        pb.page.paragraphClosed = pb.page.sectionFresh = true;
        std::string out = section(r.get(), 80);
        EXPECT_TRUE(bracesOk(out));
        if (row.cols) {
            EXPECT_EQ(out.substr(0, out.find('\n') + 1), row.cols);
            continue;
        }
        // One column: the cells in order, each from the section's left to its right.
        EXPECT_EQ(out.find("\\col"), std::string::npos) << out;
        std::string expected;
        for (size_t c = 0; c < cells.size(); ++c) {
            std::string cell = paragraphs(cells[c], c ? cells[c][0]->yMin : 80, 15, cells[c][0]->xMin, 597, false);
            expected += c ? "\\plain\\par\n" + cell.substr(6) : cell; // ending the cell before
        }
        EXPECT_EQ(out, expected);
    }
    // The first column's text is written from its moved left edge.
    vlx::TextLine* a = text("some column", 72, 100);
    vlx::TextLine* b = text("some column", 280, 100);
    a->xMax = 290;
    b->xMax = 597;
    auto r = region(0, {{a}, {b}});
    r->cells[0]->spacedLines = 1;
    pb.page.paragraphClosed = pb.page.sectionFresh = true;
    EXPECT_EQ(section(r.get(), 80), "\\cols2\\colno1\\colw5300\\colsr0\\colno2\\colw6340\n" +
                                        paragraphs({a}, 80, 25, 72, 290, false) + "\\par\n\\column\n" +
                                        paragraphs({b}, 80, 280, 280, 597, false) + "\\par\n\\sect\\sectd\\sbknone");
}

TEST_F(Sections, ThreeByThreeGridIsATable)
{
    conv.tables_mode = true;
    auto cols = grid(3);
    auto r = region(0, cols);
    pb.page.paragraphClosed = true;
    std::string out = section(r.get(), 90);
    auto rowDef = [](int trrh) {
        return "\\trowd\\trql\\trgaph0\\trrh" + std::to_string(trrh) +
               "\\trleft700\n\\clvertalb\n\\cellx1700\n\\clvertalb\n\\cellx3700\n\\clvertalb\n\\cellx5700\n\\intbl\n";
    };
    std::string expected;
    for (int row = 0; row < 3; ++row) {
        expected += row == 0 ? rowDef(-268) : "\\row\n" + rowDef(-398); // 13.5 points, then 20
        for (int c = 0; c < 3; ++c)
            expected += paragraphs({cols[static_cast<size_t>(c)][static_cast<size_t>(row)]}, 103.5 + 20 * row,
                                   c == 0 ? 50 : 100 * c, 50 + 100 * c, 100 + 100 * c, true) +
                        "\\cell\n";
    }
    EXPECT_EQ(out, expected + "\\row\\pard\n");
    EXPECT_TRUE(pb.page.paragraphClosed);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Sections, ShortLastRowIsFilledWithEmptyCells)
{
    conv.tables_mode = true;
    auto short4 = region(0, grid(4, 2)); // the last row lacks its third cell
    std::string out = section(short4.get(), 90);
    const std::string tail = "\r\n\r\n\\cell\n\\cell\n\\row\\pard\n"; // filled with empty cells
    EXPECT_EQ(out.substr(out.size() - std::min(out.size(), tail.size())), tail);
    EXPECT_EQ(count(out, "\\cell\n"), 12u);
    EXPECT_TRUE(bracesOk(out));
}

} // namespace
