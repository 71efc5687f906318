// Characters, formatting tags and colours of the line writer.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "TagWord.h"
#include "TextPage.h"
#include "rtf_int.h"
#include "test_dumpline_fixture.h"
#include "vlx_testsupport.h"

using namespace rtftest;
using vlx::TagWord;
using vlx::TextPage;

namespace {

std::string charText(unsigned int code)
{
    Capture cap;
    TextPage::dumpChar(cap.out(), writeOut, code);
    return cap.str();
}

TEST(DumpChar, RtfSpecialsAreEscaped)
{
    EXPECT_EQ(charText('\\'), "\\\\");
    EXPECT_EQ(charText('{'), "\\{");
    EXPECT_EQ(charText('}'), "\\}");
    EXPECT_TRUE(vlxtest::rtf_braces_ok("{" + charText('{') + charText('}') + charText('}') + "}"));
}

TEST(DumpChar, LowControlCodes)
{
    EXPECT_EQ(charText(9), " ");
    EXPECT_EQ(charText(11), "ff");
    EXPECT_EQ(charText(12), "fi");
    EXPECT_EQ(charText(14), "ffi");
    EXPECT_EQ(charText(24), "1");
    std::string digits;
    for (unsigned int c = 15; c <= 28; ++c)
        if (c != 24)
            digits += charText(c);
    EXPECT_EQ(digits, ",-./012346789"); // 24 is "1", not "5"
    EXPECT_EQ(charText('A'), "A");
    EXPECT_EQ(charText(0xE9), "\xE9"); // code page 1252 byte unchanged
}

TEST(DumpChar, PunctuationAndLigatures)
{
    EXPECT_EQ(charText(0x2013), "-");
    EXPECT_EQ(charText(0x2018), "'");
    EXPECT_EQ(charText(0x2019), "'");
    EXPECT_EQ(charText(0x201C), "\"");
    EXPECT_EQ(charText(0x201D), "\"");
    // Every ligature with all its letters.
    EXPECT_EQ(charText(0xFB00), "ff");
    EXPECT_EQ(charText(0xFB01), "fi");
    EXPECT_EQ(charText(0xFB02), "fl");
    EXPECT_EQ(charText(0xFB03), "ffi");
    EXPECT_EQ(charText(0xFB04), "ffl");
}

TEST(DumpChar, SymbolFontFieldTakesTheLowerPosition)
{
    EXPECT_EQ(charText(0x03C6), "\\expndtw-14{\\field{\\*\\fldinst SYMBOL 102 \\\\f Symbol }}");
    EXPECT_EQ(charText(0x2126), "\\expndtw-14{\\field{\\*\\fldinst SYMBOL 87 \\\\f Symbol }}");
    EXPECT_EQ(vlx::findSymbolPosition(0x2215), 47);
    EXPECT_EQ(vlx::findSymbolPosition(0x2219), 183);
    EXPECT_EQ(vlx::findSymbolPosition(0x0178), 32);
    EXPECT_EQ(vlx::findSymbolPosition(0x4E00), 0);
    EXPECT_EQ(vlx::findSymbolPosition(0), 0);
    EXPECT_TRUE(vlxtest::rtf_braces_ok("{" + charText(0x03C6) + "}"));
}

TEST(DumpChar, UnicodeEscapes)
{
    EXPECT_EQ(charText(0x20AC), "{\\f63 \\u8364\\'3f}");
    // Above the BMP: one surrogate pair (U+1F600 = D83D DE00).
    EXPECT_EQ(charText(0x1F600), "{\\f63 \\u55357\\'3f\\u56832\\'3f}");
    EXPECT_EQ(charText(0x10000), "{\\f63 \\u55296\\'3f\\u56320\\'3f}");
    EXPECT_EQ(charText(0x10FFFF), "{\\f63 \\u56319\\'3f\\u57343\\'3f}");
    // Not a code point at all: the replacement character.
    EXPECT_EQ(charText(0x110000), "{\\f63 \\u65533\\'3f}");
}

class Tags : public ::testing::Test {
protected:
    std::unique_ptr<vlx::TextWord> word{makeWord(U"ab", 100, 200, 12, 5)};
    std::string text;
};

TEST_F(Tags, FullStateForm)
{
    TagWord t;
    t.getTagWord(nullptr, 0, text);
    EXPECT_EQ(text, "\\cf0 "); // pure black still writes its colour
    word->bold = word->italic = true;
    word->fontCode = "f20";
    t.reset(word.get(), 3);
    t.getTagWord(nullptr, 0, text);
    EXPECT_EQ(text, "\\b\\i \\f20 \\fs24 \\cf3 ");
    EXPECT_EQ(t.colorIndex, 3); // the full form changes nothing
    EXPECT_TRUE(t.bold);
}

TEST_F(Tags, ChangeFormWritesOnlyChanges)
{
    TagWord t;
    t.reset(word.get(), 0);
    t.getTagWord(word.get(), 0, text);
    EXPECT_EQ(text, "");

    std::unique_ptr<vlx::TextWord> other(makeWord(U"cd", 100, 200, 10.75, 5));
    other->bold = true;
    other->fontCode = "f22";
    other->upShift = 2;
    t.getTagWord(other.get(), 5, text);
    EXPECT_EQ(text, "\\b \\up2 \\f22 \\fs21 \\cf5 ");
    EXPECT_EQ(t.fontSize, 21.5);
    EXPECT_EQ(t.fontTag, "f22");

    t.getTagWord(word.get(), 0, text);
    EXPECT_EQ(text, "\\b0 \\up0 \\f10 \\fs24 \\cf0 ");
}

TEST_F(Tags, ShiftGoingToZeroIsWrittenFirst)
{
    std::unique_ptr<vlx::TextWord> raised(makeWord(U"x", 100, 200, 12, 5));
    std::unique_ptr<vlx::TextWord> lowered(makeWord(U"y", 100, 200, 12, 5));
    raised->upShift = 3;
    lowered->downShift = 2;
    TagWord t;
    t.reset(raised.get(), 0);
    t.getTagWord(lowered.get(), 0, text);
    EXPECT_EQ(text, "\\up0 \\dn2 ");
    t.getTagWord(raised.get(), 0, text);
    EXPECT_EQ(text, "\\dn0 \\up3 ");
}

TEST_F(Tags, ResetWithoutWordClears)
{
    TagWord t;
    word->bold = true;
    t.reset(word.get(), 4);
    t.reset(nullptr, 2);
    EXPECT_FALSE(t.bold);
    EXPECT_EQ(t.fontSize, 0);
    EXPECT_EQ(t.fontTag, "");
    EXPECT_EQ(t.colorIndex, 2);
}

TEST(ColorIndex, NearestEntries)
{
    vlx::ColorList colors{{0, 0, 0}, {100, 100, 100}, {130, 120, 110}, {255, 0, 0}};
    EXPECT_EQ(TextPage::getColorIndex({0, 0, 0}, colors), 0);
    EXPECT_EQ(TextPage::getColorIndex({255, 0, 0}, colors), 4);
    // Within 1 of an entry beats an earlier entry within 49.
    EXPECT_EQ(TextPage::getColorIndex({131, 121, 111}, colors), 3);
    // Off by 2..49: the first entry within 49.
    EXPECT_EQ(TextPage::getColorIndex({120, 115, 105}, colors), 2);
    // 50 or more away from every entry: automatic.
    EXPECT_EQ(TextPage::getColorIndex({0, 200, 0}, colors), 0);
    EXPECT_EQ(TextPage::getColorIndex({1, 1, 1}, vlx::ColorList{}), 0);
}

TEST(RtfInt, SaturatesAndTruncates)
{
    EXPECT_EQ(vlx::truncInt(-2.7), -2);
    EXPECT_EQ(vlx::truncInt(2.7), 2);
    EXPECT_EQ(vlx::truncInt(std::nan("")), 0);
    EXPECT_EQ(vlx::truncInt(1e300), INT_MAX);
    EXPECT_EQ(vlx::truncInt(-1e300), INT_MIN);
    EXPECT_EQ(vlx::truncInt(std::numeric_limits<double>::infinity()), INT_MAX);
    EXPECT_EQ(vlx::rtf_twips(12.34), 246);
    EXPECT_EQ(vlx::rtf_div(1, 0), 0.0);
    EXPECT_EQ(vlx::rtf_div(1, 0, 7.0), 7.0);
    EXPECT_EQ(vlx::rtf_div(6, 3), 2.0);
}

} // namespace
