// Word and line widths with a measurer whose characters are half an em wide.
#include "rtf_test_util.h"
#include "tk_except.h"

using namespace rtft;
using vlx::TextWord;

namespace {

TEST(Widths, WordsAndLines)
{
    auto measurer = halfEmMeasurer();
    std::unique_ptr<TextWord> w(fword(U"Hello", 100, 200, 12, 6));
    EXPECT_DOUBLE_EQ(w->getTextWidth(), 30.0);
    // Two of five codes above 255 is more than a third: the box width, not measured.
    std::unique_ptr<TextWord> wide(fword(U"a\u4e00b\u4e01c", 100, 200, 10, 4));
    EXPECT_DOUBLE_EQ(wide->getTextWidth(), 20.0 * 1.05);
    struct Row {
        vlx::TextLine* line;
        double width;
    } rows[] = {
        {line({fword(U"ab", 100, 200, 10), fword(U"cd", 140, 200, 10)}, true), 10 + 2.5 + 10 + 2.5}, // stored space
        {line({fword(U"ab", 100, 200, 10), fword(U"cd", 118, 200, 10)}), 10 + 8 + 10 + 2.5},        // the gap itself
        {line({fword(U"ab", 100, 200, 10), fword(U"cd", 109, 200, 10)}), 10 - 1 + 10 + 2.5},        // overlap
        {new vlx::TextLine(nullptr, 0, 100), 0},
    };
    for (const Row& r : rows) {
        std::unique_ptr<vlx::TextLine> owner(r.line);
        SCOPED_TRACE(r.width);
        EXPECT_DOUBLE_EQ(r.line->getTextWidth(), r.width);
    }
}

TEST(Widths, ZeroSpaceWidthAddsNothingAndNoMeasurerIsAnInternalError)
{
    {
        auto measurer = halfEmMeasurer(0);
        std::unique_ptr<vlx::TextLine> l(line({fword(U"ab", 100, 200, 10), fword(U"cd", 120, 200, 10)}, true));
        EXPECT_DOUBLE_EQ(l->getTextWidth(), 20.0);
    }
    std::unique_ptr<TextWord> w(fword(U"ab", 100, 200, 10));
    EXPECT_THROW(w->getTextWidth(), tk_mail_assertion);
}

} // namespace
