#include <gtest/gtest.h>

#include <cmath>

#include "test_dumpline_fixture.h"
#include "tk_except.h"

using namespace rtftest;
using vlx::TextWord;

namespace {

class Widths : public ::testing::Test {
protected:
    std::unique_ptr<pdf_width_getter> measurer = makeMeasurer();
};

TEST_F(Widths, WordIsMeasuredAtItsOwnSize)
{
    std::unique_ptr<TextWord> w(makeWord(U"Hello", 100, 200, 12, 6));
    // Five characters of half an em at 12 points.
    EXPECT_DOUBLE_EQ(w->getTextWidth(), 30.0);
}

TEST_F(Widths, MostlyWideWordTakesItsBoxWidth)
{
    // Two of five codes above 255: 3 * 2 > 5, nothing is measured.
    std::unique_ptr<TextWord> w(makeWord(U"a\u4e00b\u4e01c", 100, 200, 10, 4));
    EXPECT_DOUBLE_EQ(w->getTextWidth(), 20.0 * 1.05);
    // One of five: measured (the low bytes are measured like any others).
    std::unique_ptr<TextWord> v(makeWord(U"ab\u4e00cd", 100, 200, 10, 4));
    EXPECT_DOUBLE_EQ(v->getTextWidth(), 25.0);
}

TEST_F(Widths, StoredSpacesCountOneSpaceWidthEach)
{
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* b = makeWord(U"cd", 140, 200, 10, 5); // far gap, but the space is stored
    a->spaceAfter = true;
    auto line = makeLine({a, b});
    ASSERT_EQ(line->len, 5);
    // 10 + space 2.5 + 10, then the trailing space of a line of several characters.
    EXPECT_DOUBLE_EQ(line->getTextWidth(), 10 + 2.5 + 10 + 2.5);
}

TEST_F(Widths, GapWithoutStoredSpace)
{
    // Gap of 8 > half the font size: a space only when the earlier word's spaceAfter is set.
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* b = makeWord(U"cd", 118, 200, 10, 5);
    auto line = makeLine({a, b});
    EXPECT_DOUBLE_EQ(line->getTextWidth(), 10 + 8 + 10 + 2.5);

    TextWord* c = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* d = makeWord(U"cd", 118, 200, 10, 5);
    auto spaced = makeLine({c, d});
    c->spaceAfter = true; // set after the text was built: no stored space
    EXPECT_DOUBLE_EQ(spaced->getTextWidth(), 10 + 2.5 + 10 + 2.5);

    // An overlap counts as a negative gap.
    TextWord* e = makeWord(U"ab", 100, 200, 10, 5);
    TextWord* f = makeWord(U"cd", 109, 200, 10, 5);
    auto tight = makeLine({e, f});
    EXPECT_DOUBLE_EQ(tight->getTextWidth(), 10 - 1 + 10 + 2.5);
}

TEST_F(Widths, TrailingSpaceOnlyForSeveralCharacters)
{
    auto one = makeLine({makeWord(U"x", 100, 200, 10, 5)});
    EXPECT_DOUBLE_EQ(one->getTextWidth(), 5.0);
    auto two = makeLine({makeWord(U"xy", 100, 200, 10, 5)});
    EXPECT_DOUBLE_EQ(two->getTextWidth(), 10.0 + 2.5);
}

TEST_F(Widths, ZeroSpaceWidthAddsNothing)
{
    measurer.reset();
    measurer = makeMeasurer(0);
    TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    a->spaceAfter = true;
    auto line = makeLine({a, makeWord(U"cd", 120, 200, 10, 5)});
    EXPECT_DOUBLE_EQ(line->getTextWidth(), 20.0);
}

TEST_F(Widths, NaturalWidthShortLineAllowance)
{
    // Nine characters: factor (25/9)^(1/16).
    auto nine = makeLine({makeWord(U"abcdefghi", 100, 200, 10, 5)});
    EXPECT_NEAR(nine->getNaturalWidth(), 45.0 * std::pow(25.0 / 9.0, 1.0 / 16.0), 1e-9);
    EXPECT_NEAR(std::pow(25.0 / 9.0, 1.0 / 16.0), 1.066, 0.001);
    auto ten = makeLine({makeWord(U"abcdefghij", 100, 200, 10, 5)});
    EXPECT_DOUBLE_EQ(ten->getNaturalWidth(), 50.0);
}

TEST_F(Widths, NaturalWidthAddsGapsAndTheLastSpace)
{
    TextWord* a = makeWord(U"abcde", 100, 200, 10, 5);
    TextWord* b = makeWord(U"fghij", 130, 200, 10, 5);
    b->spaceAfter = true;
    b->spaceWidth = 0.3;
    auto line = makeLine({a, b});
    ASSERT_GE(line->len, 10);
    // 25 + gap 5 + 25 + 0.3 * 10.
    EXPECT_DOUBLE_EQ(line->getNaturalWidth(), 58.0);
}

TEST_F(Widths, EmptyLineHasNoWidth)
{
    vlx::TextLine line(nullptr, 0, 100);
    EXPECT_EQ(line.getTextWidth(), 0.0);
    EXPECT_EQ(line.getNaturalWidth(), 0.0);
}

TEST(WidthsWithoutMeasurer, IsAnInternalError)
{
    std::unique_ptr<TextWord> w(makeWord(U"ab", 100, 200, 10, 5));
    EXPECT_THROW(w->getTextWidth(), tk_mail_assertion);
}

} // namespace
