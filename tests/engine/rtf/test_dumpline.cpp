// The line writer driven with hand-built lines; every case checks the exact RTF and
// that the groups it opens and closes nest.
#include <gtest/gtest.h>

#include "TagWord.h"
#include "TextPage.h"
#include "test_dumpline_fixture.h"
#include "vlx_testsupport.h"

using namespace rtftest;
using vlx::TagWord;
using vlx::TextLine;
using vlx::TextPage;
using vlx::TextWord;

namespace {

const LinkAction* someLink()
{
    static int dummy;
    return reinterpret_cast<const LinkAction*>(&dummy);
}

void setLink(TextWord* w, const std::string& uri)
{
    w->link = someLink();
    w->linkURI = uri;
}

class DumpLine : public ::testing::Test {
protected:
    std::unique_ptr<pdf_width_getter> measurer = makeMeasurer();
    TextPage page{0};
    vlx::ColorList colors{{255, 0, 0}, {0, 0, 255}};
    bool bullet = false, linkOpen = false, braceOpen = false;

    // Writes the line with the tag state reset to its first word, as the page writers do.
    std::string dump(TextLine* line)
    {
        TagWord tag;
        if (line && line->words)
            tag.reset(line->words, 0);
        return dumpWith(tag, line);
    }

    // Every line written here is also checked inside a document: the groups open before
    // the call stand in front of it, those still open after it are closed behind it.
    std::string dumpWith(const TagWord& tag, TextLine* line)
    {
        std::string before;
        if (linkOpen)
            before += "{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"x\"}}\n{\\fldrslt{";
        if (braceOpen)
            before += "{";
        Capture cap;
        page.dumpLine(cap.out(), writeOut, tag, colors, line, &bullet, &linkOpen, &braceOpen);
        std::string out = cap.str();
        expectBalanced(before, out);
        return out;
    }

    // The line inside a document, closing what is still open the way the callers do.
    void expectBalanced(const std::string& before, const std::string& written)
    {
        std::string doc = "{\\rtf1 " + before + written;
        if (linkOpen)
            doc += "\n}}}";
        if (braceOpen)
            doc += "}";
        doc += "}";
        std::string why;
        EXPECT_TRUE(vlxtest::rtf_braces_ok(doc, &why)) << why << "\n" << doc;
    }
};

TEST_F(DumpLine, NothingForNullOrEmptyLine)
{
    EXPECT_EQ(dump(nullptr), "");
    TextLine empty(nullptr, 0, 100);
    EXPECT_EQ(dump(&empty), "");
}

TEST_F(DumpLine, OneWordWithTrailingSpace)
{
    auto line = makeLine({makeWord(U"Hello", 100, 200, 10, 5)});
    // W = 25, M = 25 + 2.5: d = (25 - 28.05) * 4 / 5 = -2.44, -12.2 twips.
    EXPECT_EQ(dump(line.get()), "\\expndtw-12 Hello ");
    TagWord fresh;
    EXPECT_EQ(dumpWith(fresh, line.get()), "\\expndtw-12 \\f10 \\fs20 Hello ");
}

TEST_F(DumpLine, NoTrailingSpaceForOneCharacterOrFinalSpace)
{
    auto one = makeLine({makeWord(U"x", 100, 200, 10, 5)});
    // d = (5 - 5 * 1.02) * 4 is just above -0.4 in doubles: -1 twip after truncation.
    EXPECT_EQ(dump(one.get()), "\\expndtw-1 x");
    TextWord* w = makeWord(U"ab", 100, 200, 10, 5);
    w->spaceAfter = true;
    auto spaced = makeLine({w});
    ASSERT_EQ(spaced->len, 3);
    EXPECT_EQ(dump(spaced.get()), "\\expndtw-12 ab ");
}

TEST_F(DumpLine, WordsSeparatedByStoredSpaces)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* b = makeWord(U"cd", 115, 200, 10, 5);
    a->spaceAfter = true;
    auto line = makeLine({a, b});
    // W = 25, M = 10 + 2.5 + 10 + 2.5 = 25: d = (25 - 25.5) * 4 / 5 = -0.4, -2 twips.
    EXPECT_EQ(dump(line.get()), "\\expndtw-2 ab cd ");
}

TEST_F(DumpLine, FormattingChangesBetweenWords)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* b = makeWord(U"cd", 115, 200, 10, 5);
    a->spaceAfter = true;
    b->bold = b->italic = true;
    b->colorR = 250;
    auto line = makeLine({a, b});
    std::string out = dump(line.get());
    EXPECT_EQ(out, "\\expndtw-2 ab\\b\\i \\cf1  cd ");
    expectBalanced("", out);
}

TEST_F(DumpLine, ExpansionLimits)
{
    // Four characters below 11 points: at most +-2.5 before the quarter scaling.
    auto tight = makeLine({makeWord(U"abcd", 100, 200, 8, 1)});
    EXPECT_EQ(dump(tight.get()), "\\expndtw-12 abcd ");
    auto loose = makeLine({makeWord(U"abcd", 100, 200, 8, 20)});
    EXPECT_EQ(dump(loose.get()), "\\expndtw3 abcd ");
    // Five characters are not limited: d = sqrt(62.048 - 3.2) + 2.8, quartered, 13 twips.
    auto five = makeLine({makeWord(U"abcde", 100, 200, 8, 20)});
    EXPECT_EQ(dump(five.get()), "\\expndtw13 abcde ");
}

TEST_F(DumpLine, VerticalLinesGetNoExpansion)
{
    auto line = makeLine({makeWord(U"ab", 100, 200, 10, 5, 1)}, 1);
    EXPECT_EQ(dump(line.get()), "ab ");
}

TEST_F(DumpLine, ZeroFontSizeStaysFinite)
{
    auto line = makeLine({makeWord(U"ab", 100, 200, 0, 5)});
    // M = 0, F = 0: d = sqrt(20) clamped to 2.5, quartered: 3 twips.
    EXPECT_EQ(dump(line.get()), "\\expndtw3 ab ");
}

TEST_F(DumpLine, UnderlineGroupsPerCharacter)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    a->underlined = true;
    a->spaceAfter = true;
    TextWord* b = makeWord(U"cd", 115, 200, 10, 5);
    b->underlined = true;
    b->flowCode = 2; // text-box flow: never underlined here
    auto line = makeLine({a, b});
    std::string out = dump(line.get());
    EXPECT_EQ(out, "\\expndtw-2 {\\ul a}{\\ul b} cd ");
    expectBalanced("", out);
}

TEST_F(DumpLine, CodeTwoIsNeverWritten)
{
    auto line = makeLine({makeWord(U"a\x02z", 100, 200, 10, 5)});
    EXPECT_EQ(dump(line.get()), "\\expndtw-12 az ");
}

TEST_F(DumpLine, BulletReplacesFirstCharacter)
{
    TextWord* mark = makeWord(U"\u2022", 100, 200, 10, 5);
    mark->spaceAfter = true;
    mark->colorR = 255;
    TextWord* item = makeWord(U"Item", 110, 200, 10, 5);
    item->colorR = 255;
    auto line = makeLine({mark, item});
    bullet = true;
    TagWord tag;
    tag.reset(mark, 1);
    std::string out = dumpWith(tag, line.get());
    EXPECT_EQ(out, "\\expndtw-2 {\\cf1 \\f0\\fs30 \\bullet } Item ");
    EXPECT_FALSE(bullet);
    expectBalanced("", out);
}

TEST_F(DumpLine, AdjacentLinksShareOneField)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* b = makeWord(U"cd", 115, 200, 10, 5);
    TextWord* c = makeWord(U"ef", 130, 200, 10, 5);
    a->spaceAfter = b->spaceAfter = true;
    setLink(a, "http://a.example/x y");
    setLink(b, "http://b.example/");
    auto line = makeLine({a, b, c});
    std::string out = dump(line.get());
    EXPECT_EQ(out, "\\expndtw1 {\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://a.example/x y\"}}\n"
                   "{\\fldrslt{ab cd\n}}}\\plain \\expndtw1 \\f10 \\fs20  ef ");
    EXPECT_FALSE(linkOpen);
    expectBalanced("", out);
}

TEST_F(DumpLine, LinkStaysOpenAcrossLines)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    setLink(a, "http://x/");
    auto first = makeLine({a});
    std::string out1 = dump(first.get());
    EXPECT_TRUE(linkOpen);
    TextWord* b = makeWord(U"cd", 100, 214, 10, 5);
    auto second = makeLine({b});
    std::string out2 = dump(second.get());
    EXPECT_FALSE(linkOpen);
    // The field took its formatting with it: the rest of the line gets it back.
    EXPECT_EQ(out2, "\\expndtw-12 \n}}}\\plain \\expndtw-12 \\f10 \\fs20 cd ");
    expectBalanced("", out1 + out2);
}

TEST_F(DumpLine, UriIsEscapedForTheField)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    setLink(a, "http://x/a\\b{c}\"d\xE9");
    auto line = makeLine({a});
    std::string out = dump(line.get());
    EXPECT_NE(out.find("{\\b \"http://x/a\\\\b\\{c\\}%22d\\'e9\"}}"), std::string::npos) << out;
    expectBalanced("", out);
}

TEST_F(DumpLine, LinkOpenedInsideTagGroupClosesBeforeIt)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* b = makeWord(U"cd", 115, 200, 10, 5);
    a->spaceAfter = true;
    setLink(a, "http://x/");
    auto line = makeLine({a, b});
    braceOpen = true; // the caller wrote "{" and the first word's tag
    std::string out = dump(line.get());
    EXPECT_EQ(out, "\\expndtw-2 {\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://x/\"}}\n"
                   "{\\fldrslt{ab\n}}}}\\plain \\expndtw-2 \\f10 \\fs20  cd ");
    EXPECT_FALSE(braceOpen);
    EXPECT_FALSE(linkOpen);
    expectBalanced("{", out);
}

TEST_F(DumpLine, LinkOpenedBeforeTagGroupClosesAfterIt)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    setLink(a, "http://x/");
    auto first = makeLine({a});
    std::string out1 = dump(first.get());
    ASSERT_TRUE(linkOpen);
    // Next line: the caller opens its tag group inside the still open field.
    auto second = makeLine({makeWord(U"cd", 100, 214, 10, 5)});
    braceOpen = true;
    std::string out2 = dump(second.get());
    EXPECT_EQ(out2, "\\expndtw-12 }\n}}}\\plain \\expndtw-12 \\f10 \\fs20 cd ");
    expectBalanced("", out1 + "{" + out2);
}

TEST_F(DumpLine, TagGroupClosesAtSecondWordOrLineEnd)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    a->spaceAfter = true;
    auto line = makeLine({a, makeWord(U"cd", 115, 200, 10, 5)});
    braceOpen = true;
    EXPECT_EQ(dump(line.get()), "\\expndtw-2 ab}\\plain \\expndtw-2 \\f10 \\fs20  cd ");
    auto single = makeLine({makeWord(U"ab", 100, 200, 10, 5)});
    braceOpen = true;
    EXPECT_EQ(dump(single.get()), "\\expndtw-12 ab }");
}

TEST_F(DumpLine, CallerStateIsNotChanged)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    a->bold = true;
    auto line = makeLine({a});
    TagWord tag;
    Capture cap;
    page.dumpLine(cap.out(), writeOut, tag, colors, line.get(), &bullet, &linkOpen, &braceOpen);
    EXPECT_FALSE(tag.bold);
    EXPECT_EQ(tag.fontSize, 0);
}

} // namespace
