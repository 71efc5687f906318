// The paragraph writer: rows, tab stops, paragraph breaks and their properties.
#include "test_page_builder.h"

#include <gtest/gtest.h>


using namespace writers_test;

namespace {

class Paragraphs : public WriterTest {
protected:
    ~Paragraphs() override
    {
        for (vlx::TextLine* l : owned)
            delete l;
    }

    vlx::TextLine* add(vlx::TextLine* l)
    {
        owned.push_back(l);
        return l;
    }

    // Writes the lines owned so far (or the given ones) with left 72 and right 540.
    std::string write(double top, double indentBase, bool noCrlf = false, bool inTable = false,
                      std::vector<vlx::TextLine*> lines = {})
    {
        if (lines.empty())
            lines = owned;
        Capture c;
        pb.page.writeParagraphs(c.out(), writeOut, top, 72, indentBase, 540, vlx::TagWord(), vlx::ColorList(),
                                lines.data(), static_cast<int>(lines.size()), noCrlf, inTable);
        return c.str();
    }

    PageBuilder pb;
    std::vector<vlx::TextLine*> owned;
};

std::vector<std::string> rightIndents(const std::string& s)
{
    std::vector<std::string> out;
    for (size_t p = s.find("\\ri"); p != std::string::npos; p = s.find("\\ri", p + 1))
        out.push_back(s.substr(p + 3, s.find(' ', p) - p - 3));
    return out;
}

} // namespace

TEST_F(Paragraphs, EmptyArrayWritesNothing)
{
    EXPECT_EQ(write(0, 72), "");
}

TEST_F(Paragraphs, FirstLineOpensAParagraphWithItsIndents)
{
    // 11 characters 7 points wide from x 100: to 177; box 90.5 to 103.5.
    vlx::TextLine* l = add(textLine("hello world", 100, 100, 10, 7));
    std::string out = write(95, 72);
    EXPECT_EQ(out, "\\plain\\pard\\sl-170 \\li0 \\ri7260 \\fi560 " + lineText(l) + "\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
    EXPECT_FALSE(pb.page.paragraphClosed);
    EXPECT_FALSE(pb.page.sectionFresh);
}

TEST_F(Paragraphs, NarrowCharactersScaleTheRightIndent)
{
    // 5-point characters at 10 points: 0.5 of the size, so the right indent is 90 %.
    vlx::TextLine* l = add(textLine("abcd", 72, 100, 10, 5));
    std::string out = write(95, 72);
    EXPECT_EQ(out, "\\plain\\pard\\sl-170 \\li0 \\ri8064 " + lineText(l) + "\r\n\r\n");
}

TEST_F(Paragraphs, TinySingleCharacterIsNotWritten)
{
    vlx::TextLine* dot = add(textLine(".", 100, 100, 10, 0.2));
    vlx::TextLine* l = add(textLine("hello world", 100, 100, 10, 7));
    std::string both = write(95, 72);
    pb.page.paragraphClosed = true;
    std::string alone = write(95, 72, false, false, {l});
    EXPECT_EQ(both, alone);
    (void)dot;
}

TEST_F(Paragraphs, PiecesOfOneRowAreSeparatedByATab)
{
    vlx::TextLine* a = add(textLine("left", 100, 100, 10, 7));   // 100 to 128
    vlx::TextLine* b = add(textLine("right", 168, 100, 10, 7));  // 40 points further
    std::string out = write(95, 72);
    // 168 * 0.998 = 167.664 from the left 72.
    EXPECT_EQ(out, "\\plain\\pard\\sl-170 \\li0 \\ri6740 \\fi560 " + lineText(a) + "\r\n" + "\\plain\\tx1913 \\tab " +
                       lineText(b) + "\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, LargeGapBeforeTheFirstLineIsWrittenAsEmptyLines)
{
    vlx::TextLine* l = add(textLine("hello world", 100, 100, 10, 7)); // yMax 103.5, height 13
    pb.page.paragraphClosed = false;
    std::string out = write(73.5, 72); // 30 points above the line's bottom
    EXPECT_EQ(out, "\\plain\\par\n\\sl-100\\fs10\\par\\sl-240\\fs24\\par\\pard\\pard\\sl-260 \\li0 \\ri7260 \\fi560 " +
                       lineText(l) + "\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, EvenlySpacedLinesStayInOneParagraph)
{
    vlx::TextLine* a = add(textLine("aaaa bbbb cccc", 100, 100, 10, 7));
    vlx::TextLine* b = add(textLine("dddd eeee ffff", 100, 112, 10, 7));
    vlx::TextLine* c = add(textLine("end.", 100, 124, 10, 7)); // short, but ends the sentence
    std::string out = write(91.5, 100);
    EXPECT_EQ(out, "\\plain\\pard\\sl-240 \\li560 \\ri6840 " + lineText(a) + "\r\n" + "\\plain" + lineText(b) + "\r\n" +
                       "\\plain" + lineText(c) + "\r\n\r\n");
}

TEST_F(Paragraphs, ShortLineWithoutPeriodStartsAParagraph)
{
    vlx::TextLine* a = add(textLine("aaaa bbbb cccc", 100, 100, 10, 7));
    vlx::TextLine* b = add(textLine("dddd eeee ffff", 100, 112, 10, 7));
    vlx::TextLine* c = add(textLine("short", 100, 124, 10, 7)); // ends at 135
    std::string out = write(91.5, 100);
    EXPECT_EQ(out, "\\plain\\pard\\sl-240 \\li560 \\ri6840 " + lineText(a) + "\r\n" + "\\plain" + lineText(b) + "\r\n" +
                       "\\plain\\par\n\\pard\\sl-240 \\li560 \\ri8100 " + lineText(c) + "\r\n\r\n");
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, SmallSpacingChangesKeepTheParagraph)
{
    add(textLine("aaaa bbbb cccc", 100, 100, 10, 7));
    add(textLine("dddd eeee ffff", 100, 112.1, 10, 7)); // 0.1 more than 12: within 0.015 * 10
    std::string kept = write(91.5, 100);
    EXPECT_EQ(kept.find("\\par\n"), std::string::npos);

    owned.back()->yMax += 0.1; // now 0.2 more
    pb.page.paragraphClosed = true;
    std::string broken = write(91.5, 100);
    EXPECT_NE(broken.find("\r\n\\plain\\par\n\\pard\\sl-24"), std::string::npos) << broken;
}

TEST_F(Paragraphs, NoCrlfMeasuresEveryRightIndentFromTheWidestLine)
{
    add(textLine("aaaa bbbb cccc dddd", 100, 100, 10, 7));
    add(textLine("short", 100, 124, 10, 7));
    add(textLine("a much longer line of text", 100, 160, 10, 7)); // the widest: to 282
    std::string out = write(91.5, 100, true);
    std::vector<std::string> ri = rightIndents(out);
    ASSERT_EQ(ri.size(), 3u) << out;
    for (const std::string& v : ri)
        EXPECT_EQ(v, "5160");
}

TEST_F(Paragraphs, TableTextStaysInItsRowAfterAGap)
{
    // 2-point text: after the gap the spacing (2.6) is too small to open a paragraph by itself,
    // but the gap's \pard ended the table paragraph, so the properties are written again.
    add(textLine("aaaa bbbb", 100, 100, 2, 2));
    add(textLine("cccc dddd", 100, 140, 2, 2));
    pb.page.paragraphClosed = true;
    std::string out = write(98, 100, false, true);
    size_t gapEnd = out.find("\\pard\\pard\\intbl ");
    ASSERT_NE(gapEnd, std::string::npos) << out;
    EXPECT_LT(out.find("\\pard\\intbl "), gapEnd); // the first head is in the table too
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, OpenLinkIsClosedAfterEveryLine)
{
    add(line({linked(word("link", 100, 100, 10, 7), "http://example.com/a")}));
    add(textLine("plain text here", 100, 112, 10, 7));
    std::string out = write(91.5, 100);
    size_t field = out.find("{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://example.com/a\"}}");
    ASSERT_NE(field, std::string::npos);
    EXPECT_NE(out.find("\n}}}\r\n", field), std::string::npos);
    EXPECT_TRUE(bracesOk(out));
}

TEST_F(Paragraphs, ZeroFontSizesWriteFiniteValues)
{
    pb.page.curFontSize = 0;
    add(textLine("zero size", 100, 100, 0, 7));
    add(textLine("more", 100, 112, 0, 7));
    std::string out = write(91.5, 100);
    EXPECT_EQ(out.find("2147483648"), std::string::npos);
    EXPECT_EQ(out.find("2147483647"), std::string::npos);
    EXPECT_TRUE(bracesOk(out));
}
