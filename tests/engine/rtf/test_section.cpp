// The section writer: column sections, single flows and tables.
#include "test_page_builder.h"

#include "section_writer.h"

#include <gtest/gtest.h>

using namespace writers_test;

namespace {

class Sections : public WriterTest {
protected:
    ~Sections() override
    {
        for (vlx::TextLine* l : owned)
            delete l;
    }

    vlx::TextLine* add(vlx::TextLine* l)
    {
        owned.push_back(l);
        return l;
    }

    // Three columns of "cell" lines at x = kGridX, a line every 20 points from y 100, as
    // region cells; the last row holds only its first lastRowCells cells.
    static constexpr double kGridX[3] = {50, 150, 250};
    std::vector<std::vector<vlx::TextLine*>> grid(int rows, int lastRowCells = 3)
    {
        std::vector<std::vector<vlx::TextLine*>> cols(3);
        for (int row = 0; row < rows; ++row)
            for (int c = 0; c < 3; ++c)
                if (row < rows - 1 || c < lastRowCells)
                    cols[static_cast<size_t>(c)].push_back(add(textLine("cell", kGridX[c], 100 + 20 * row, 10, 12.5)));
        return cols;
    }

    // A region of one cell per line list, cells in the order given.
    std::unique_ptr<vlx::PageRegion> region(int kind, std::vector<std::vector<vlx::TextLine*>> cells, int nested = 0)
    {
        auto r = std::make_unique<vlx::PageRegion>(kind, nested);
        for (auto& lines : cells) {
            vlx::RegionCell* c = vlx::RegionCell::fromLine(lines[0]);
            for (size_t i = 1; i < lines.size(); ++i)
                c->addLine(lines[i]);
            r->addCell(c);
        }
        return r;
    }

    std::string section(vlx::PageRegion* r, double top, double left = 15, double right = 597)
    {
        Capture c;
        pb.page.writeSection(c.out(), writeOut, r, top, left, right, vlx::TagWord(), vlx::ColorList());
        return c.str();
    }

    // What the paragraph writer alone writes for the lines, from the given flag state.
    std::string paragraphs(std::vector<vlx::TextLine*> lines, double top, double left, double indentBase,
                           double right, bool inTable, bool paragraphClosed = true)
    {
        PageBuilder other;
        other.page.paragraphClosed = paragraphClosed;
        other.page.sectionFresh = false;
        Capture c;
        other.page.writeParagraphs(c.out(), writeOut, top, left, indentBase, right, vlx::TagWord(), vlx::ColorList(),
                                   lines.data(), static_cast<int>(lines.size()), conv.no_crlf_mode, inTable);
        return c.str();
    }

    PageBuilder pb;
    std::vector<vlx::TextLine*> owned;
};

} // namespace

TEST_F(Sections, SpacedRegionBecomesAColumnSection)
{
    vlx::TextLine* a = add(textLine("left column", 72, 100, 10, 7));
    a->xMax = 290;
    vlx::TextLine* b = add(textLine("right column", 310, 100, 10, 7));
    b->xMax = 540;
    auto r = region(1, {{a}, {b}});
    r->cells[0]->spacedLines = 1; // the columns decision
    pb.page.paragraphClosed = false;
    pb.page.sectionFresh = false;
    std::string out = section(r.get(), 80);
    std::string expected = "\\par\n\\sect\\sectd\\sbknone\\cols2\\colno1\\colw5500\\colsr400\\colno2\\colw5740\n" +
                           paragraphs({a}, 80, 15, 72, 290, false) + "\\par\n\\column\n" +
                           paragraphs({b}, 80, 310, 310, 597, false) + "\\par\n\\sect\\sectd\\sbknone";
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(pb.page.paragraphClosed);
    EXPECT_TRUE(pb.page.sectionFresh);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Sections, FirstRegionOfAPageOpensNoSection)
{
    vlx::TextLine* a = add(textLine("left column", 72, 100, 10, 7));
    vlx::TextLine* b = add(textLine("right column", 310, 100, 10, 7));
    auto r = region(0, {{a}, {b}});
    r->cells[1]->spacedLines = 1;
    pb.page.sectionFresh = false;
    std::string out = section(r.get(), 80);
    EXPECT_TRUE(startsWith(out, "\\cols2\\colno1")) << out;
}

TEST_F(Sections, SingleCellRegionIsOneFlow)
{
    vlx::TextLine* a = add(textLine("first line of text", 100, 100, 10, 7));
    vlx::TextLine* b = add(textLine("second line of text", 100, 112, 10, 7));
    auto r = region(0, {{a, b}});
    std::string out = section(r.get(), 90, 15, 597);
    EXPECT_EQ(out, paragraphs({a, b}, 90, 15, 100, 597, false));
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Sections, GridThatIsNoTableIsOneFlowInReadingOrder)
{
    vlx::TextLine* a = add(textLine("aaa", 100, 100, 10, 7));
    vlx::TextLine* b = add(textLine("bbb", 300, 100, 10, 7));
    vlx::TextLine* c = add(textLine("ccc", 100, 130, 10, 7));
    vlx::TextLine* d = add(textLine("ddd", 300, 130, 10, 7));
    auto r = region(2, {{a, c}, {b, d}}); // two cells, tables off: one flow
    pb.page.paragraphClosed = true;
    std::string out = section(r.get(), 90);
    EXPECT_EQ(out, paragraphs({a, b, c, d}, 90, 15, 100, 597, false));
}

TEST_F(Sections, ThreeByThreeGridIsATable)
{
    conv.tables_mode = true;
    std::vector<std::vector<vlx::TextLine*>> cols = grid(3);
    auto r = region(0, cols);
    pb.page.paragraphClosed = true;
    std::string out = section(r.get(), 90);

    auto rowDef = [](int trrh) {
        return "\\trowd\\trql\\trgaph0\\trrh" + std::to_string(trrh) +
               "\\trleft700\n\\clvertalb\n\\cellx1700\n\\clvertalb\n\\cellx3700\n\\clvertalb\n\\cellx5700\n\\intbl\n";
    };
    std::string expected = rowDef(-268); // 103.5 - 90 = 13.5 points
    double rowBottom = 103.5;
    for (int row = 0; row < 3; ++row) {
        if (row > 0) {
            expected += "\\row\n" + rowDef(-398); // 20 points down to the row's bottom
            rowBottom += 20;
        }
        for (int c = 0; c < 3; ++c) {
            double left = c == 0 ? 50 : kGridX[c - 1] + 50;
            expected += paragraphs({cols[static_cast<size_t>(c)][static_cast<size_t>(row)]}, rowBottom, left, kGridX[c],
                                   kGridX[c] + 50, true) +
                        "\\cell\n";
        }
    }
    expected += "\\row\\pard\n";
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(pb.page.paragraphClosed);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Sections, TableRowsAreFilledWithEmptyCells)
{
    conv.tables_mode = true;
    std::vector<std::vector<vlx::TextLine*>> cols = grid(4, 2); // the last row has no third cell
    auto r = region(0, cols);
    std::string out = section(r.get(), 90);
    EXPECT_TRUE(endsWith(out, "\r\n\r\n\\cell\n\\cell\n\\row\\pard\n")) << out;
    size_t cells = 0;
    for (size_t p = out.find("\\cell\n"); p != std::string::npos; p = out.find("\\cell\n", p + 1))
        ++cells;
    EXPECT_EQ(cells, 12u); // every row complete
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Sections, TableRowHeightIsAnExactNegativeHeight)
{
    vlx::TextLine* a = add(textLine("x", 50, 100, 10));
    auto r = region(0, {{a}});
    r->xMin = 72;
    r->cells[0]->xMax = 200;
    Capture c;
    pb.page.writeTableRow(vlx::TableRowContext{15, r.get()}, c.out(), writeOut, 12);
    EXPECT_EQ(c.str(), "\\trowd\\trql\\trgaph0\\trrh-238\\trleft1140\n\\clvertalb\n\\cellx3700\n\\intbl\n");
}

TEST_F(Sections, TallFirstRowGetsAGapAbove)
{
    conv.tables_mode = true;
    std::vector<std::vector<vlx::TextLine*>> cols = grid(3);
    auto r = region(0, cols);
    pb.page.paragraphClosed = false;
    std::string out = section(r.get(), 53.5); // 50 points above the first row's bottom
    // 50 - 15 = 35 points of gap, then a row of 1.5 * 10 whose cells start at its top.
    EXPECT_TRUE(startsWith(out, "\\par\n\\sl-220\\fs22\\par\\sl-240\\fs24\\par\\par\\pard\\trowd\\trql\\trgaph0\\trrh-298\\trleft700\n"))
        << out;
    EXPECT_EQ(out.find("\\sl-220", 10), std::string::npos) << out; // no second gap inside the row
    EXPECT_NE(out.find("\\trrh-398"), std::string::npos) << out;   // the next row is 20 points
}

class TableKeys : public WriterTest {
protected:
    ~TableKeys() override
    {
        for (vlx::TextLine* l : lines)
            delete l;
    }
    std::vector<int> keys(const std::vector<std::pair<int, double>>& cellAndBase, int kind = 0)
    {
        for (vlx::TextLine* l : lines)
            delete l;
        lines.clear();
        for (auto [cell, base] : cellAndBase) {
            vlx::TextLine* l = textLine("text", 100 + 100 * cell, base, 10);
            l->cellIndex = cell;
            lines.push_back(l);
        }
        vlx::PageRegion r(kind);
        r.cellCount = 3;
        vlx::section_writer::assignTableKeys(pb.page, &r, lines);
        std::vector<int> out;
        for (vlx::TextLine* l : lines)
            out.push_back(l->cellIndex);
        return out;
    }
    PageBuilder pb;
    std::vector<vlx::TextLine*> lines;
};

TEST_F(TableKeys, CellsInTurnMakeConsecutiveKeys)
{
    EXPECT_EQ(keys({{0, 100}, {1, 100}, {2, 100}, {0, 120}, {1, 120}, {2, 120}}, 1),
              (std::vector<int>{20000, 20001, 20002, 20003, 20004, 20005}));
}

TEST_F(TableKeys, SameCellFurtherDownIsTheNextRow)
{
    EXPECT_EQ(keys({{0, 100}, {0, 120}}), (std::vector<int>{10000, 10003}));
    // Within half the font size it is the same row.
    EXPECT_EQ(keys({{0, 100}, {0, 104}}), (std::vector<int>{10000, 10000}));
}

TEST_F(TableKeys, FirstLineCountsFromCellZero)
{
    EXPECT_EQ(keys({{2, 100}, {0, 120}}), (std::vector<int>{10002, 10003}));
}
