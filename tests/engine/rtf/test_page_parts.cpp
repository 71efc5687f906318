// The small writers the page writer shares: vertical gaps and text-box heads.
#include "test_page_builder.h"

#include <gtest/gtest.h>

using namespace writers_test;

namespace {

std::string gap(double top, double bottom, int* count = nullptr)
{
    vlx::TextPage page(0);
    Capture c;
    int n = page.writeGap(c.out(), writeOut, top, bottom);
    if (count)
        *count = n;
    return c.str();
}

std::string boxHead(int left, int top, int right, int bottom, int flow)
{
    char head[128];
    std::snprintf(head, sizeof head, "{\\shp\\shpleft%d\\shptop%d\\shpright%d\\shpbottom%d\n", left, top, right, bottom);
    return std::string(head) +
           "\\shpz0\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt0\n"
           "{\\*\\shpinst {\\sp{\\sn fLine}{\\sv 0}}{\\sp{\\sn shapeType}{\\sv 202}}\n"
           "{\\sp{\\sn dxTextLeft}{\\sv 0}}{\\sp{\\sn dxTextRight}{\\sv 0}}\n"
           "{\\sp{\\sn dyTextTop}{\\sv 0}}{\\sp{\\sn dyTextBottom}{\\sv 0}}\n"
           "{\\sp{\\sn fFilled}{\\sv 0}}\n"
           "{\\sp{\\sn txflTextFlow}{\\sv " +
           std::to_string(flow) + "}}{\\shptxt ";
}

} // namespace

TEST(WriteGap, BelowOnePointWritesNothing)
{
    int n = -1;
    EXPECT_EQ(gap(0, 0.9, &n), "");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(gap(10, 5, &n), "");
    EXPECT_EQ(n, 0);
}

TEST(WriteGap, SixteenPointsIsOneEmptyParagraph)
{
    int n = 0;
    EXPECT_EQ(gap(0, 16.0, &n), "\\sl-320\\fs32\\par\\pard");
    EXPECT_EQ(n, 1);
}

TEST(WriteGap, FortyPointsAddsTwelvePointParagraphs)
{
    int n = 0;
    EXPECT_EQ(gap(0, 40.0, &n), "\\sl-320\\fs32\\par\\sl-240\\fs24\\par\\par\\pard");
    EXPECT_EQ(n, 3);
    // Measured from the top given, not from 0.
    EXPECT_EQ(gap(100, 140.0), gap(0, 40.0));
}

TEST(WriteGap, FontSizeRoundsUpFromNearlyHalfPoints)
{
    // 2 * 1.3 + 0.45 = 3.05 half-points.
    EXPECT_EQ(gap(0, 1.3), "\\sl-26\\fs3\\par\\pard");
}

TEST(WriteGap, DegenerateGapsStayBounded)
{
    int n = 0;
    EXPECT_EQ(gap(0, std::nan(""), &n), "");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(gap(0, HUGE_VAL, &n), "");
    EXPECT_EQ(n, 0);
    std::string big = gap(0, 1e12, &n);
    EXPECT_GT(n, 1);
    EXPECT_LT(n, 200); // no larger than a page
    EXPECT_NE(big.find("\\pard"), std::string::npos);
}

class TextBoxTest : public WriterTest {};

TEST_F(TextBoxTest, HeadKeepsTheTextGroupInsideTheShapeInstance)
{
    vlx::TextPage page(0);
    std::unique_ptr<vlx::TextLine> l(line({vword("abc", 1, 100, 200, 10)}));
    l->xMin = 100;
    l->xMax = 112;
    l->yMin = 200;
    l->yMax = 215;
    Capture c;
    page.writeTextBox(c.out(), writeOut, l.get());
    std::string head = c.str();
    EXPECT_EQ(head, boxHead(2000, 4000, 2240, 4300, 3));
    // The caller closes the text, the instance and the shape.
    EXPECT_TRUE(bracesOk(head + "x}}}"));
}

TEST_F(TextBoxTest, FlowFollowsTheRotation)
{
    vlx::TextPage page(0);
    std::unique_ptr<vlx::TextLine> up(line({vword("abc", 3, 100, 200, 10)}));
    std::unique_ptr<vlx::TextLine> flat(line({word("abc", 100, 200, 10)}));
    Capture a, b;
    page.writeTextBox(a.out(), writeOut, up.get());
    page.writeTextBox(b.out(), writeOut, flat.get());
    EXPECT_NE(a.str().find("{\\sp{\\sn txflTextFlow}{\\sv 2}}{\\shptxt "), std::string::npos);
    EXPECT_NE(b.str().find("{\\sp{\\sn txflTextFlow}{\\sv 0}}{\\shptxt "), std::string::npos);
}

TEST_F(TextBoxTest, BoxOverThePageEdgeMovesOntoThePage)
{
    vlx::TextPage page(0);
    std::unique_ptr<vlx::TextLine> l(line({vword("abc", 1, 100, 200, 10)}));
    l->xMin = -5; // partly left of the page
    l->xMax = 10;
    l->yMin = -2; // and above it
    l->yMax = 30;
    Capture c;
    page.writeTextBox(c.out(), writeOut, l.get());
    EXPECT_EQ(c.str(), boxHead(0, 0, 300, 640, 3));
}

TEST_F(TextBoxTest, CornersAreTakenInEitherOrder)
{
    vlx::TextPage page(0);
    std::unique_ptr<vlx::TextLine> l(line({vword("abc", 1, 100, 200, 10)}));
    l->xMin = 112;
    l->xMax = 100;
    l->yMin = 215;
    l->yMax = 200;
    Capture c;
    page.writeTextBox(c.out(), writeOut, l.get());
    EXPECT_EQ(c.str(), boxHead(2000, 4000, 2240, 4300, 3));
}
