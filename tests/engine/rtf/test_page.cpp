// The page writer's three layouts, its vertical gaps and its text-box heads.
#include "page_margins.h"
#include "page_writer.h"
#include "rtf_test_util.h"

#include <algorithm>
#include <cmath>

using namespace rtft;

namespace {

std::string boxHead(int left, int top, int right, int bottom, int flow)
{
    return "{\\shp\\shpleft" + std::to_string(left) + "\\shptop" + std::to_string(top) + "\\shpright" +
           std::to_string(right) + "\\shpbottom" + std::to_string(bottom) +
           "\n\\shpz1\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt1\n"
           "{\\*\\shpinst {\\sp{\\sn fLine}{\\sv 0}}{\\sp{\\sn shapeType}{\\sv 202}}\n"
           "{\\sp{\\sn dxTextLeft}{\\sv 0}}{\\sp{\\sn dxTextRight}{\\sv 0}}\n"
           "{\\sp{\\sn dyTextTop}{\\sv 0}}{\\sp{\\sn dyTextBottom}{\\sv 0}}\n"
           "{\\sp{\\sn fFilled}{\\sv 0}}{\\sp{\\sn fBehindDocument}{\\sv 1}}\n"
           "{\\sp{\\sn txflTextFlow}{\\sv " + std::to_string(flow) + "}}{\\shptxt ";
}

using PageWriter = WriterTest;

TEST_F(PageWriter, EmptyPageWritesNothingInAnyLayout)
{
    EXPECT_EQ(pb.dump(true), "");
    conv.noframe_mode = false;
    EXPECT_EQ(pb.dump(false), "");
    conv.noframe_mode = true;
    EXPECT_EQ(pb.dump(false), "");
}

TEST_F(PageWriter, TextBoxHead)
{
    struct Row {
        int rot;
        double x0, x1, y0, y1;
        std::string head;
        bool verticalWriting = false; // the word's flow code is 1
    } rows[] = {
        {1, -5, 10, -2, 30, boxHead(0, 0, 300, 640, 3)},              // partly off the page
        {3, 100, 112, 200, 215, boxHead(2000, 4000, 2240, 4300, 2)},
        {1, 100, 120, 200, 300, boxHead(2000, 4000, 2400, 6000, 1), true}, // East Asian characters upright
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.head);
        vlx::TextLine* l = own(line({word(U"abc", 200, 100, 10, 5, r.rot)}));
        if (r.verticalWriting)
            l->words->flowCode = 1;
        l->xMin = r.x0, l->xMax = r.x1, l->yMin = r.y0, l->yMax = r.y1;
        Capture c;
        pb.page.writeTextBox(c.out(), writeOut, l);
        EXPECT_EQ(c.str(), r.head);
        EXPECT_TRUE(bracesOk(c.str() + "x}}}")); // the caller closes text, instance and shape
    }
}

TEST(WriteGap, FillsTheDistanceWithEmptyParagraphs)
{
    struct Row {
        double top, bottom;
        const char* rtf;
        int n;
    } rows[] = {
        {0, 0.9, "", 0},
        {100, 140, "\\sl-320\\fs32\\par\\sl-240\\fs24\\par\\par\\pard", 3},
        {0, 1.3, "\\sl-26\\fs3\\par\\pard", 1}, // 3.05 half-points round up
        {0, std::nan(""), "", 0},
        {0, HUGE_VAL, "", 0},
    };
    vlx::TextPage page(0);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.bottom);
        Capture c;
        EXPECT_EQ(page.writeGap(c.out(), writeOut, r.top, r.bottom), r.n);
        EXPECT_EQ(c.str(), r.rtf);
    }
    Capture c;
    int n = page.writeGap(c.out(), writeOut, 0, 1e12);
    EXPECT_GT(n, 1);
    EXPECT_LT(n, 200); // no more than a page
}

// ---- exact layout: a positioned frame or text box per line ----

TEST_F(PageWriter, ExactLineIsAFrameParagraph)
{
    struct Row {
        double x, charW, yMin, yMax;
        const char* head;
    } rows[] = {
        {100, 10, 50, 62, "{\\phpg\\posx2000\\pvpg\\posy1000\\absw2100\\absh240 \\li-5\\ri-15 "},
        {100, 10, -4.5, 8.5, "{\\phpg\\posx2000\\pvpg\\posy0\\absw2100\\absh260 \\li-5\\ri-15 "}, // over the top
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.head);
        PageBuilder page;
        vlx::TextLine* l = page.add(page.block(), line({word(U"abcdefghij", r.x, 60, 10, r.charW)}));
        l->yMin = r.yMin, l->yMax = r.yMax;
        EXPECT_EQ(page.dump(true), r.head + lineText(l) + "\\par}\r\n");
    }
}

TEST_F(PageWriter, ExactLinesInFlowOrderWithoutEmptyLines)
{
    vlx::TextBlock* b1 = pb.block();
    pb.add(b1, new vlx::TextLine(b1, 0, 50));
    vlx::TextLine* l1 = pb.add(b1, line({word(U"one", 100, 100, 10)}));
    pb.add(b1, new vlx::TextLine(b1, 0, 110));
    vlx::TextLine* l2 = pb.add(b1, line({word(U"\x95", 100, 112, 10), word(U"item", 110, 112, 10)}, true));
    vlx::TextLine* l3 = pb.add(pb.block(), line({word(U"three", 300, 100, 10)}));
    l3->base = -1, l3->yMin = -10, l3->yMax = 2;
    pb.page.rawOrder = true; // raw order is written exactly too
    std::string out = pb.dump(false);
    size_t p1 = out.find(lineText(l1)), p2 = out.find(lineText(l2, vlx::TagWord(), true)), p3 = out.find("three");
    EXPECT_TRUE(p1 < p2 && p2 < p3 && p3 != std::string::npos) << out;
    EXPECT_NE(out.find("\\bullet"), std::string::npos);
    EXPECT_EQ(count(out, "\n"), 3u);
    EXPECT_DOUBLE_EQ(l3->base, 0.72 * 2 + 0.28 * -10); // baseline moved into the box
    EXPECT_TRUE(bracesOk(out));

    // Every list mark the writer knows starts a bullet; the characters beside them do not.
    const char32_t marks[] = {1, 2, 3, 4, 128, 149, 150, 165, 183, 216, 8226};
    for (char32_t c : {0, 1, 2, 3, 4, 5, 127, 128, 129, 148, 149, 150, 151, 164, 165, 166, 182, 183, 184, 215, 216,
                       217, 8225, 8226, 8227}) {
        SCOPED_TRACE(static_cast<unsigned>(c));
        PageBuilder one;
        one.add(one.block(), line({word(std::u32string(1, c), 100, 112, 10), word(U"item", 110, 112, 10)}, true));
        EXPECT_EQ(one.dump(true).find("\\bullet") != std::string::npos, std::count(marks, marks + 11, c) == 1);
    }
}

TEST_F(PageWriter, VerticalTextIsATextBoxInEveryLayout)
{
    for (int layout : {0, 1, 2}) { // exact, framed, flowing
        SCOPED_TRACE(layout);
        conv.noframe_mode = layout == 2;
        PageBuilder page;
        int rot = layout == 2 ? 3 : 1;
        vlx::TextLine* l = page.add(page.block(rot), line({word(U"down", 200, 100, 10, 5, rot)}));
        Capture head;
        page.page.writeTextBox(head.out(), writeOut, l);
        vlx::TagWord tag;
        std::string pre = layout ? prefixOf(l, &tag) : "";
        // A flowing page of text boxes alone ends with a paragraph of its own, which keeps them
        // on it; the run gives exact and framed pages theirs after the page picture.
        std::string tail = layout == 2 ? "}}}\n\\pard\\plain\\fs2\\par\r\n" : layout ? "}}}\n" : "\\par}}}\r\n";
        EXPECT_EQ(page.dump(layout == 0), head.str() + pre + lineText(l, tag) + tail);
    }
    // Beside upright text the boxes have the page's paragraphs to keep them.
    PageBuilder mixed;
    mixed.add(mixed.block(3), line({word(U"down", 200, 100, 10, 5, 3)}));
    mixed.add(mixed.block(), textLine("upright", 100, 300, 10, 7));
    std::string out = mixed.dump(false);
    EXPECT_EQ(count(out, "\\shptxt"), 1u) << out;
    EXPECT_EQ(count(out, "\\fs2\\par"), 0u) << out;
}

TEST_F(PageWriter, ExactLinksCloseInsideFramesAndTextBoxes)
{
    PageBuilder linkedPage;
    linkedPage.add(linkedPage.block(), line({linked(word(U"site", 100, 100, 10), "http://example.com/")}));
    linkedPage.add(linkedPage.block(3), line({linked(word(U"up", 300, 100, 10, 5, 3), "http://example.com/")}));
    std::string out = linkedPage.dump(true);
    EXPECT_NE(out.find("{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://example.com/\"}}"), std::string::npos);
    EXPECT_NE(out.find("\n}}}\\par}\r\n"), std::string::npos) << out;   // before the frame closes
    EXPECT_NE(out.find("\n}}}\\par}}}\r\n"), std::string::npos) << out; // inside the text box
    EXPECT_TRUE(bracesOk(out));
}

// ---- framed blocks: neither exact nor flowing ----

class FramedBlocks : public WriterTest {
protected:
    FramedBlocks() { conv.noframe_mode = false; }
    static std::string frame(vlx::TextBlock* b, int sl)
    {
        char s[160];
        std::snprintf(s, sizeof s, "\n{\\phpg\\posx%d\\pvpg\\posy%d\\absw%d\\absh%d \\li-5\\ri-15\\sl-%d ",
                      static_cast<int>(b->xMin * 20), static_cast<int>(b->yMin * 20),
                      static_cast<int>((b->xMax - b->xMin) * 20 * 1.05), static_cast<int>((b->yMax - b->yMin) * 20 * 0.9),
                      sl);
        return s;
    }
    static std::string tagged(vlx::TextLine* l)
    {
        vlx::TagWord tag;
        std::string pre = prefixOf(l, &tag);
        return pre + "{" + pre + lineText(l, tag, false, true);
    }
};

TEST_F(FramedBlocks, RowsAreParagraphsOfAFrame)
{
    pb.block(); // without lines: nothing
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* a = pb.add(b, textLine("first row", 100, 100, 10, 7));
    vlx::TextLine* c = pb.add(b, textLine("second row", 100, 200, 10, 7)); // 100 points: 5 steps of 20
    std::string out = pb.dump(false);
    EXPECT_EQ(out, frame(b, 0) + tagged(a) + "\r\n\\par}" + frame(b, 400) + tagged(c) + "\\par}\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));

    // Two pieces of one row: the gap between them, widened by 1.15, in spaces of the first
    // piece's font, rounded to the nearest count.
    const struct {
        double spaces;
        int count;
    } gaps[] = {{10.501, 11}, {10.499, 10}};
    for (const auto& g : gaps) {
        SCOPED_TRACE(g.spaces);
        PageBuilder row;
        vlx::TextBlock* rb = row.block();
        const vlx::TextWord* w = row.add(rb, textLine("left", 100, 300, 10, 7))->words;
        pdf_width_getter& m = pdf_width_getter::instance();
        m.set_font(w->fontFace, 10, w->bold, w->italic);
        const double textW = 72 * m.get_width("left"), spaceW = 72 * m.get_width(" ");
        ASSERT_GT(spaceW, 0);
        row.add(rb, textLine("right", 100 + textW + g.spaces * spaceW / 1.15, 300, 10, 7));
        out = row.dump(false);
        EXPECT_NE(out.find("{\\fs20 " + std::string(static_cast<size_t>(g.count), ' ') + "}"), std::string::npos)
            << out;
    }
}

TEST_F(FramedBlocks, LinkEndsBeforeItsParagraphAndZeroSizesStayFinite)
{
    vlx::TextBlock* b = pb.block();
    pb.add(b, line({linked(word(U"site", 100, 100, 10, 7), "http://example.com/{x}\t")}));
    pb.add(b, textLine("plain", 100, 200, 10, 7));
    std::string out = pb.dump(false);
    EXPECT_NE(out.find("{\\b \"http://example.com/\\{x\\}\\'09\"}}"), std::string::npos) << out;
    EXPECT_NE(out.find("\n}}}\\par}"), std::string::npos) << out;
    EXPECT_TRUE(bracesOk(out));

    PageBuilder zero;
    zero.page.curFontSize = 0;
    vlx::TextBlock* z = zero.block();
    zero.add(z, textLine("left", 100, 100, 0, 7));
    zero.add(z, textLine("right", 300, 100, 0, 7));
    out = zero.dump(false);
    EXPECT_NE(out.find("{\\fs0 "), std::string::npos) << out; // gap spaces measured at the default height
    EXPECT_EQ(out.find("214748364"), std::string::npos) << out;
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(PageWriter, FlowingLineIsAParagraphBelowTheTopMargin)
{
    conv.noframe_mode = true;
    vlx::pageMargins = vlx::PageMargins();
    vlx::TextLine* l = pb.add(pb.block(), textLine("hello world", 100, 20, 10, 7)); // bottom 23.5
    // 13.5 points below the top margin 10; left margin 15, right 612 - 15. The page start has
    // reset the paragraph properties, so the first paragraph does not restate "\\pard".
    EXPECT_EQ(pb.dump(false), "\\plain\\sl-270 \\li1700 \\ri8400 " + lineText(l) + "\r\n\r\n\\par\n");
    EXPECT_DOUBLE_EQ(vlx::runningRegionBottom, 23.5);
    EXPECT_TRUE(pb.page.paragraphClosed);
}

} // namespace
