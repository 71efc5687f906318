// The framed-blocks layout (neither exact nor flowing) and the flowing layout of a page.
#include "test_page_builder.h"

#include "page_margins.h"
#include "page_writer.h"
#include "pdf_width_getter.h"

#include <gtest/gtest.h>

using namespace writers_test;

namespace {

class FramedBlocks : public WriterTest {
protected:
    FramedBlocks() { conv.noframe_mode = false; }

    std::string dump()
    {
        Capture c;
        pb.page.dump(c.out(), writeOut, false, vlx::ColorList());
        return c.str();
    }

    static std::string frame(vlx::TextBlock* b)
    {
        char s[160];
        std::snprintf(s, sizeof s, "\\phpg\\posx%d\\pvpg\\posy%d\\absw%d\\absh%d ", static_cast<int>(b->xMin * 20),
                      static_cast<int>(b->yMin * 20), static_cast<int>((b->xMax - b->xMin) * 20 * 1.05),
                      static_cast<int>((b->yMax - b->yMin) * 20 * 0.9));
        return s;
    }

    // The prefix written before a line and the line itself, inside its tag group.
    static std::string tagged(vlx::TextLine* l)
    {
        vlx::TagWord tag;
        std::string pre = prefixOf(l, &tag);
        bool brace = true;
        return "{" + pre + lineText(l, tag, false, nullptr, &brace);
    }

    PageBuilder pb;
};

} // namespace

TEST_F(FramedBlocks, EmptyPageWritesNothing)
{
    EXPECT_EQ(dump(), "");
}

TEST_F(FramedBlocks, OneLineBlockIsOneFramedParagraph)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, textLine("hello world", 100, 100, 10, 7));
    std::string out = dump();
    EXPECT_EQ(out, "\n{" + frame(b) + "\\li-5\\ri-15\\sl-0 " + prefixOf(l) + tagged(l) + "\\par}\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(FramedBlocks, LargeRowDistanceIsDividedIntoEqualSteps)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* a = pb.add(b, textLine("first row", 100, 100, 10, 7));
    vlx::TextLine* c = pb.add(b, textLine("second row", 100, 200, 10, 7)); // 100 points lower: 5 x 20
    std::string out = dump();
    EXPECT_EQ(out, "\n{" + frame(b) + "\\li-5\\ri-15\\sl-0 " + prefixOf(a) + tagged(a) + "\r\n" + "\\par}" + "\n{" +
                       frame(b) + "\\li-5\\ri-15\\sl-400 " + prefixOf(c) + tagged(c) + "\\par}\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(FramedBlocks, LineThatWouldHaveFittedBeforeStartsAParagraph)
{
    // Equal spacing after the second line, so only the width test decides for the third.
    auto build = [&](const std::string& second) {
        PageBuilder fresh;
        vlx::TextBlock* b = fresh.block();
        fresh.add(b, textLine("wide first line that sets the frame width", 100, 100, 10, 7));
        vlx::TextLine* p = fresh.add(b, textLine(second, 100, 112, 10, 5));
        fresh.add(b, textLine("next words", 100, 124, 10, 7));
        Capture cap;
        fresh.page.dump(cap.out(), writeOut, false, vlx::ColorList());
        double frameW = (b->xMax - b->xMin) * 1.05;
        double fits = p->getTextWidth() + b->lines->next->next->words->getTextWidth();
        return std::make_pair(cap.str(), frameW > fits);
    };
    auto [shortOut, shortFits] = build("ab");
    ASSERT_TRUE(shortFits);
    // Three paragraphs: the third line opens its own.
    EXPECT_EQ(std::count(shortOut.begin(), shortOut.end(), '{') - std::count(shortOut.begin(), shortOut.end(), '}'), 0);
    size_t heads = 0;
    for (size_t p = shortOut.find("\\phpg"); p != std::string::npos; p = shortOut.find("\\phpg", p + 1))
        ++heads;
    EXPECT_EQ(heads, 3u) << shortOut;

    auto [longOut, longFits] = build("WWWWWWWWWW WWWWWWWWWW WWWWWWWWWW WWWWWWWWWW WWWWWWWWWW"); // narrow box, wide text
    ASSERT_FALSE(longFits);
    heads = 0;
    for (size_t p = longOut.find("\\phpg"); p != std::string::npos; p = longOut.find("\\phpg", p + 1))
        ++heads;
    EXPECT_EQ(heads, 2u) << longOut;
    EXPECT_TRUE(bracesOk(shortOut));
    EXPECT_TRUE(bracesOk(longOut));
}

TEST_F(FramedBlocks, PiecesOfARowAreJoinedBySpaces)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* a = pb.add(b, textLine("left", 100, 100, 10, 7));
    vlx::TextLine* c = pb.add(b, textLine("right", 300, 100, 10, 7));
    std::string out = dump();
    // The spaces are measured in the left piece's font.
    pdf_width_getter& m = pdf_width_getter::instance();
    vlx::TextWord* w = a->words;
    m.set_font(w->fontFace, 10.0f, w->bold, w->italic);
    double gap = (300 - a->xMax) + (w->xMax - w->xMin) - 72 * m.get_width("left");
    int k = static_cast<int>(gap * 1.15 / (72 * m.get_width(" ")) + 0.5);
    if (k > 70)
        k = static_cast<int>(k / std::sqrt(static_cast<double>(k) * k / 40000 + 1));
    ASSERT_GT(k, 1);
    std::string spaces = "{\\fs20 " + std::string(static_cast<size_t>(k), ' ') + "}";
    vlx::TagWord tag;
    prefixOf(c, &tag);
    bool brace = true;
    EXPECT_EQ(out, "\n{" + frame(b) + "\\li-5\\ri-15\\sl-0 " + prefixOf(a) + tagged(a) + "\r\n" + spaces + "\n{\\fi0 " +
                       "{" + prefixOf(c) + lineText(c, tag, false, nullptr, &brace) + "}\\par\r\n}\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(FramedBlocks, BlocksWithoutLinesWriteNothing)
{
    pb.block();
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, textLine("hello world", 100, 100, 10, 7));
    std::string out = dump();
    EXPECT_EQ(out, "\n{" + frame(b) + "\\li-5\\ri-15\\sl-0 " + prefixOf(l) + tagged(l) + "\\par}\r\n\r\n");
}

TEST_F(FramedBlocks, VerticalBlockIsWrittenAsTextBoxes)
{
    vlx::TextBlock* b = pb.block(1);
    vlx::TextLine* l = pb.add(b, line({vword("down", 1, 100, 200, 10)}));
    Capture head;
    pb.page.writeTextBox(head.out(), writeOut, l);
    vlx::TagWord tag;
    std::string pre = prefixOf(l, &tag);
    std::string out = dump();
    EXPECT_EQ(out, head.str() + pre + lineText(l, tag) + "}}}\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(FramedBlocks, LinkEndsBeforeItsParagraphCloses)
{
    vlx::TextBlock* b = pb.block();
    pb.add(b, line({linked(word("site", 100, 100, 10, 7), "http://example.com/{x}")}));
    pb.add(b, textLine("plain", 100, 200, 10, 7));
    std::string out = dump();
    EXPECT_NE(out.find("{\\b \"http://example.com/\\{x\\}\"}}"), std::string::npos) << out;
    EXPECT_NE(out.find("\n}}}\\par}"), std::string::npos) << out;
    EXPECT_TRUE(bracesOk(out)) << out;
}

TEST_F(FramedBlocks, ZeroSizeTextWritesNoGapSpaces)
{
    pb.page.curFontSize = 0;
    vlx::TextBlock* b = pb.block();
    pb.add(b, textLine("left", 100, 100, 0, 7));
    pb.add(b, textLine("right", 300, 100, 0, 7));
    std::string out = dump();
    EXPECT_EQ(out.find("{\\fs"), std::string::npos) << out;
    EXPECT_EQ(out.find("2147483648"), std::string::npos);
    EXPECT_TRUE(bracesOk(out));
}

class FlowingLayout : public WriterTest {
protected:
    FlowingLayout()
    {
        conv.noframe_mode = true;
        vlx::pageMargins = vlx::PageMargins();
    }
    PageBuilder pb;
};

TEST_F(FlowingLayout, OneLineIsOneParagraphAfterTheTopMargin)
{
    vlx::TextBlock* b = pb.block();
    vlx::TextLine* l = pb.add(b, textLine("hello world", 100, 20, 10, 7)); // bottom 23.5
    Capture c;
    pb.page.dump(c.out(), writeOut, false, vlx::ColorList());
    // From the top margin 10: 13.5 points; left margin 15, right 612 - 15.
    EXPECT_EQ(c.str(), "\\plain\\pard\\sl-270 \\li1700 \\ri8400 " + lineText(l) + "\r\n\r\n\\par\n");
    EXPECT_DOUBLE_EQ(vlx::runningRegionBottom, 23.5);
    EXPECT_TRUE(pb.page.paragraphClosed);
}

TEST_F(FlowingLayout, VerticalTextBecomesTextBoxes)
{
    vlx::TextBlock* b = pb.block(3);
    vlx::TextLine* l = pb.add(b, line({vword("up", 3, 100, 300, 10)}));
    Capture head;
    pb.page.writeTextBox(head.out(), writeOut, l);
    vlx::TagWord tag;
    std::string pre = prefixOf(l, &tag);
    Capture c;
    pb.page.dump(c.out(), writeOut, false, vlx::ColorList());
    EXPECT_EQ(c.str(), head.str() + pre + lineText(l, tag) + "}}}\n");
}

TEST_F(FlowingLayout, EmptyPageWritesNothing)
{
    Capture c;
    pb.page.dump(c.out(), writeOut, false, vlx::ColorList());
    EXPECT_EQ(c.str(), "");
}
