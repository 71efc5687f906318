// The line and character writer: exact RTF, balanced once the caller's groups are around it.
#include "rtf_int.h"
#include "rtf_test_util.h"

#include <climits>
#include <cmath>

using namespace rtft;
using vlx::TagWord;
using vlx::TextLine;
using vlx::TextWord;

namespace {

class DumpLine : public ::testing::Test {
protected:
    std::string dump(TextLine* l, const TagWord* from = nullptr)
    {
        std::unique_ptr<TextLine> owner(l);
        TagWord tag;
        if (from)
            tag = *from;
        else if (l && l->words)
            tag.reset(l->words, 0);
        std::string before = (linkOpen ? "{\\field{\\*\\fldinst {\\b HYPERLINK }}{\\fldrslt{" : "") +
                             std::string(braceOpen ? "{" : "");
        Capture cap;
        page.dumpLine(cap.out(), writeOut, tag, colors, l, &bullet, &linkOpen, &braceOpen);
        std::string out = cap.str();
        EXPECT_TRUE(bracesOk(before + out + (linkOpen ? "\n}}}" : "") + (braceOpen ? "}" : "")));
        return out;
    }
    std::unique_ptr<pdf_width_getter> measurer = halfEmMeasurer();
    vlx::TextPage page{0};
    vlx::ColorList colors{{255, 0, 0}, {0, 0, 255}};
    bool bullet = false, linkOpen = false, braceOpen = false;
};

TEST_F(DumpLine, SpacingFitAndTrailingSpace)
{
    EXPECT_EQ(dump(nullptr) + dump(new TextLine(nullptr, 0, 100)), "");
    TextWord* spaced = fword(U"ab", 100, 200, 10);
    spaced->spaceAfter = true;
    struct Row {
        TextLine* line;
        const char* rtf;
    } rows[] = {
        // W 25, M 27.5: (25 - 28.05) * 4 / 5 = -2.44 points.
        {line({fword(U"Hello", 100, 200, 10)}), "\\expndtw-12 Hello "},
        {line({fword(U"x", 100, 200, 10)}), "\\expndtw-1 x"}, // one character: no trailing space
        {line({spaced}), "\\expndtw-12 ab "},                    // ends in a space: none added
        {line({fword(U"abcde", 100, 200, 8, 20)}), "\\expndtw13 abcde "}, // below 11 points: at most +2.5
        {line({fword(U"ab", 100, 200, 0)}), "\\expndtw3 ab "}, // zero size stays finite
        {line({fword(U"ab", 100, 200, 10, 5, 1)}), "ab "},    // vertical: no fit
        {line({fword(U"a\x02z", 100, 200, 10)}), "\\expndtw-12 az "},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.rtf);
        EXPECT_EQ(dump(r.line), r.rtf);
    }
    TagWord fresh;
    EXPECT_EQ(dump(line({fword(U"Hello", 100, 200, 10)}), &fresh), "\\expndtw-12 \\f10 \\fs20 Hello ");
}

TEST_F(DumpLine, FormattingUnderlineAndBullet)
{
    TextWord* b = fword(U"cd", 115, 200, 10);
    b->bold = b->italic = true;
    b->colorR = 250;
    EXPECT_EQ(dump(line({fword(U"ab", 100, 200, 10), b}, true)), "\\expndtw-2 ab\\b\\i \\cf1  cd ");

    TextWord* u = fword(U"ab", 100, 200, 10);
    TextWord* box = fword(U"cd", 115, 200, 10);
    u->underlined = box->underlined = true;
    box->flowCode = 2; // text-box flow: never underlined
    EXPECT_EQ(dump(line({u, box}, true)), "\\expndtw-2 {\\ul a}{\\ul b} cd ");

    TextWord* mark = fword(U"\u2022", 100, 200, 10);
    TextWord* item = fword(U"Item", 110, 200, 10);
    mark->colorR = item->colorR = 255;
    TagWord tag;
    tag.reset(mark, 1);
    bullet = true;
    EXPECT_EQ(dump(line({mark, item}, true), &tag), "\\expndtw-2 {\\cf1 \\f0\\fs30 \\bullet } Item ");
    EXPECT_FALSE(bullet);

    // A bullet glued to its word: the walk goes on in that word, so the next word's formatting starts
    // at the next word, not one character late.
    TextWord* glued = fword(U"\u2022Item", 100, 200, 10);
    TextWord* next = fword(U"cd", 130, 200, 10);
    next->bold = true;
    tag.reset(glued, 0);
    bullet = true;
    EXPECT_EQ(dump(line({glued, next}, true), &tag), "\\expndtw-1 {\\f0\\fs30 \\bullet }Item\\b  cd ");
}

TEST_F(DumpLine, AdjacentLinksShareOneFieldWithEscapedTarget)
{
    TextWord* a = linked(fword(U"ab", 100, 200, 10), "http://a.example/x y\\{}\"\xE9\t\x01");
    TextWord* b = linked(fword(U"cd", 115, 200, 10), "http://b.example/");
    EXPECT_EQ(dump(line({a, b, fword(U"ef", 130, 200, 10)}, true)),
              "\\expndtw1 {\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://a.example/x y\\\\\\{\\}%22\\'e9\\'09\\'01\"}}\n"
              "{\\fldrslt{ab cd\n}}}\\plain \\expndtw1 \\f10 \\fs20  ef ");
    EXPECT_FALSE(linkOpen);
}

TEST_F(DumpLine, LinkAndTagGroupsNest)
{
    // A field left open by a line is closed by the next, which gets its formatting back.
    dump(line({linked(fword(U"ab", 100, 200, 10), "http://x/")}));
    ASSERT_TRUE(linkOpen);
    EXPECT_EQ(dump(line({fword(U"cd", 100, 214, 10)})), "\\expndtw-12 \n}}}\\plain \\expndtw-12 \\f10 \\fs20 cd ");
    // Opened before the caller's tag group: the group closes first.
    dump(line({linked(fword(U"ab", 100, 200, 10), "http://x/")}));
    braceOpen = true;
    EXPECT_EQ(dump(line({fword(U"cd", 100, 214, 10)})), "\\expndtw-12 }\n}}}\\plain \\expndtw-12 \\f10 \\fs20 cd ");
    // Opened inside it: the field closes first.
    braceOpen = true;
    EXPECT_EQ(dump(line({linked(fword(U"ab", 100, 200, 10), "http://x/"), fword(U"cd", 115, 200, 10)}, true)),
              "\\expndtw-2 {\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"http://x/\"}}\n"
              "{\\fldrslt{ab\n}}}}\\plain \\expndtw-2 \\f10 \\fs20  cd ");
    EXPECT_FALSE(braceOpen || linkOpen);
}

TEST(DumpChar, Characters)
{
    const std::pair<unsigned, const char*> rows[] = {
        {'\\', "\\\\"}, {'{', "\\{"}, {'}', "\\}"}, {11, "ff"}, {0x201D, "\""},
        {0x7F, "\x7F"}, {0x80, "\\'80"}, {0xE9, "\\'e9"}, // no raw byte above 0x7F
        {0xFB00, "ff"}, {0xFB01, "fi"}, {0xFB02, "fl"}, {0xFB03, "ffi"}, {0xFB04, "ffl"},
        {0x03C6, "{\\expndtw-14{\\field{\\*\\fldinst SYMBOL 102 \\\\f Symbol }}}"},
        {0x20AC, "{\\f63 \\u8364\\'3f}"},
        {0x1F600, "{\\f63 \\u55357\\'3f\\u56832\\'3f}"}, // surrogate pair
        {0x110000, "{\\f63 \\u65533\\'3f}"}, // no code point: the replacement character
    };
    for (auto [code, rtf] : rows) {
        SCOPED_TRACE(code);
        Capture cap;
        vlx::TextPage::dumpChar(cap.out(), writeOut, code);
        EXPECT_EQ(cap.str(), rtf);
        EXPECT_TRUE(bracesOk(cap.str()));
    }
}

TEST(ColorIndex, WithinOneIsTheEntryItselfOtherwiseTheFirstWithinFifty)
{
    // Steps 50 apart as in the page's table: 148 is nearer 150, yet the coarse pass meets 100 first.
    const vlx::ColorList table{{100, 0, 0}, {150, 0, 0}, {0, 100, 0}, {0, 150, 0}, {0, 0, 100}, {0, 0, 150}};
    const std::pair<int, int> rows[] = {{150, 2}, {149, 2}, {148, 1}, {147, 1}}; // component, entry of its pair
    for (int channel = 0; channel < 3; ++channel)
        for (auto [value, entry] : rows) {
            int c[3] = {0, 0, 0};
            c[channel] = value;
            SCOPED_TRACE(std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]));
            EXPECT_EQ(vlx::TextPage::getColorIndex({c[0], c[1], c[2]}, table), 2 * channel + entry);
        }
}

TEST(Tags, FullAndChangeForms)
{
    std::unique_ptr<TextWord> plain(fword(U"ab", 100, 200, 12)), other(fword(U"cd", 100, 200, 10.75)),
        lowered(fword(U"y", 100, 200, 12));
    std::string text;
    TagWord t;
    t.getTagWord(nullptr, 0, text);
    EXPECT_EQ(text, "\\cf0 "); // black still writes its colour in the full form
    t.reset(plain.get(), 0);
    other->bold = true;
    other->fontCode = "f22";
    other->upShift = 2;
    t.getTagWord(other.get(), 5, text);
    EXPECT_EQ(text, "\\b \\up2 \\f22 \\fs21 \\cf5 ");
    t.getTagWord(plain.get(), 0, text);
    EXPECT_EQ(text, "\\b0 \\up0 \\f10 \\fs24 \\cf0 ");
    // Raised to lowered and back: the shift that becomes 0 comes first.
    plain->upShift = 3;
    lowered->downShift = 2;
    t.reset(plain.get(), 0);
    t.getTagWord(lowered.get(), 0, text);
    EXPECT_EQ(text, "\\up0 \\dn2 ");
    t.getTagWord(plain.get(), 0, text);
    EXPECT_EQ(text, "\\dn0 \\up3 ");
}

TEST(RtfInt, SaturatingConversion)
{
    EXPECT_EQ(vlx::truncInt(-2.7), -2);
    EXPECT_EQ(vlx::truncInt(std::nan("")), 0);
    EXPECT_EQ(vlx::truncInt(1e300), INT_MAX);
    EXPECT_EQ(vlx::truncInt(-HUGE_VAL), INT_MIN);
    EXPECT_EQ(vlx::rtf_twips(12.34), 246);
    EXPECT_EQ(vlx::rtf_div(1, 0, 7.0), 7.0);
}

} // namespace
