// The exact layout: one positioned frame (or text box) per line.
#include "test_page_builder.h"

#include <gtest/gtest.h>

using namespace writers_test;

namespace {

class ExactLayout : public WriterTest {
protected:
    std::string dump()
    {
        Capture c;
        pb.page.dump(c.out(), writeOut, true, vlx::ColorList());
        return c.str();
    }
    PageBuilder pb;
};

} // namespace

TEST_F(ExactLayout, EmptyPageWritesNothing)
{
    EXPECT_EQ(dump(), "");
}

TEST_F(ExactLayout, LineBecomesAFrameParagraph)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, line({word("abcdefghij", 100, 60, 10, 10)}));
    l->yMin = 50;
    l->yMax = 62;
    std::string expected = "{\\phpg\\posx2000\\pvpg\\posy1000\\absw2100\\absh240 \\li-5\\ri-15 " + lineText(l) +
                           "\\par}\r\n";
    std::string out = dump();
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(ExactLayout, FrameWidthStopsAtThePageWidth)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, line({word("abcdefghij", 0, 60, 10, 60)})); // 600 wide, 630 framed
    l->yMin = 50;
    l->yMax = 62;
    std::string out = dump();
    EXPECT_TRUE(startsWith(out, "{\\phpg\\posx0\\pvpg\\posy1000\\absw12240\\absh240 \\li-5\\ri-15 ")) << out;
}

TEST_F(ExactLayout, FrameOverTheTopEdgeStartsAtZero)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, line({word("abc", 100, 5, 10, 10)}));
    l->yMin = -4.5;
    l->yMax = 8.5;
    std::string out = dump();
    EXPECT_TRUE(startsWith(out, "{\\phpg\\posx2000\\pvpg\\posy0\\absw630\\absh260 \\li-5\\ri-15 ")) << out;
}

TEST_F(ExactLayout, EveryLineOfEveryBlockInFlowOrder)
{
    vlx::TextBlock* b1 = pb.block();
    vlx::TextLine* l1 = pb.add(b1, line({word("one", 100, 100, 10)}));
    vlx::TextLine* l2 = pb.add(b1, line({word("two", 100, 112, 10)}));
    vlx::TextBlock* b2 = pb.block();
    vlx::TextLine* l3 = pb.add(b2, line({word("three", 300, 100, 10)}));
    std::string out = dump();
    size_t p1 = out.find(lineText(l1)), p2 = out.find(lineText(l2)), p3 = out.find(lineText(l3));
    ASSERT_NE(p1, std::string::npos);
    ASSERT_NE(p2, std::string::npos);
    ASSERT_NE(p3, std::string::npos);
    EXPECT_LT(p1, p2);
    EXPECT_LT(p2, p3);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(ExactLayout, VerticalLineBecomesATextBox)
{
    vlx::TextBlock* b = pb.block(1);
    vlx::TextLine* l = pb.add(b, line({vword("abc", 1, 100, 200, 10)}));
    Capture head;
    pb.page.writeTextBox(head.out(), writeOut, l);
    std::string expected = head.str() + lineText(l) + "\\par}}}\r\n";
    std::string out = dump();
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(ExactLayout, BulletLineGetsTheBulletSymbol)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, line({word("\x95", 100, 100, 10), word("item", 110, 100, 10)}));
    std::string out = dump();
    EXPECT_NE(out.find(lineText(l, vlx::TagWord(), true)), std::string::npos);
    EXPECT_NE(out.find("\\bullet"), std::string::npos);
}

TEST_F(ExactLayout, OpenLinkIsClosedBeforeTheFrame)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextWord* w = linked(word("site", 100, 100, 10), "http://example.com/");
    pb.add(b, line({w}));
    std::string out = dump();
    EXPECT_NE(out.find("{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://example.com/\"}}"), std::string::npos);
    EXPECT_TRUE(endsWith(out, "\n}}}\\par}\r\n")) << out;
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(ExactLayout, LinkedTextBoxClosesItsFieldInsideTheBox)
{
    vlx::TextBlock* b = pb.block(3);
    vlx::TextWord* w = linked(vword("up", 3, 100, 300, 10), "http://example.com/");
    pb.add(b, line({w}));
    std::string out = dump();
    EXPECT_TRUE(endsWith(out, "\n}}}\\par}}}\r\n")) << out;
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(ExactLayout, LinesWithoutWordsAreRemovedAndFreed)
{
    vlx::TextBlock* b = pb.block();
    pb.add(b, new vlx::TextLine(b, 0, 50));
    vlx::TextLine* l = pb.add(b, line({word("text", 100, 100, 10)}));
    pb.add(b, new vlx::TextLine(b, 0, 150));
    std::string out = dump();
    EXPECT_EQ(b->lines, l);
    EXPECT_EQ(l->next, nullptr);
    EXPECT_EQ(b->nLines, 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}

TEST_F(ExactLayout, BaselineAboveThePageMovesIntoTheBox)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, line({word("text", 100, 100, 10)}));
    l->base = -1;
    l->yMin = -10;
    l->yMax = 2;
    dump();
    EXPECT_DOUBLE_EQ(l->base, 0.72 * 2 + 0.28 * -10);
}

TEST_F(ExactLayout, RawOrderPageUsesTheExactLayout)
{
    vlx::TextBlock* b = pb.block();
    pb.add(b, line({word("text", 100, 100, 10)}));
    pb.page.rawOrder = true;
    Capture c;
    pb.page.dump(c.out(), writeOut, false, vlx::ColorList());
    EXPECT_TRUE(startsWith(c.str(), "{\\phpg"));
}
