// Rule-capture geometry: flattening, dashing, boxes and the size rules of both table modes.
#include "rule_shape.h"

#include <GfxState.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

rule_box box(int x0, int y0, int x1, int y1)
{
    return {x0, y0, x1, y1};
}

rule_poly seg(double x0, double y0, double x1, double y1)
{
    rule_poly p;
    p.pts = {{x0, y0}, {x1, y1}};
    return p;
}

} // namespace

TEST(RuleShape, FillRuleWithoutTables)
{
    // Sizes are last minus first pixel.
    EXPECT_TRUE(rule_fill_candidate(box(0, 0, 300, 3), false, true));
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 300, 3), false, false));
    EXPECT_TRUE(rule_fill_candidate(box(0, 0, 3, 3), false, true));
    EXPECT_TRUE(rule_fill_candidate(box(0, 10, 3, 14), false, true));
    EXPECT_FALSE(rule_fill_candidate(box(0, 10, 3, 15), false, true));
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 3, 40), false, true));
}

TEST(RuleShape, FillRuleWithTables)
{
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 3, 3), true, true));
    EXPECT_TRUE(rule_fill_candidate(box(0, 0, 3, 40), true, false));
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 3, 10), true, true));
    EXPECT_TRUE(rule_fill_candidate(box(0, 0, 3, 11), true, true));
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 5, 40), true, true));
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 40, 5), true, true));
    EXPECT_TRUE(rule_fill_candidate(box(0, 0, 40, 4), true, false));
    EXPECT_FALSE(rule_fill_candidate(box(0, 0, 10, 4), true, true));
}

TEST(RuleShape, BoxIsFlooredAndRefusesWildCoordinates)
{
    rule_box b{};
    ASSERT_TRUE(rule_box_of({{10.9, 5.1}, {-0.5, 7.99}}, &b));
    EXPECT_EQ(b.xMin, -1);
    EXPECT_EQ(b.xMax, 10);
    EXPECT_EQ(b.yMin, 5);
    EXPECT_EQ(b.yMax, 7);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(rule_box_of({}, &b));
    EXPECT_FALSE(rule_box_of({{0, 0}, {inf, 0}}, &b));
    EXPECT_FALSE(rule_box_of({{std::nan(""), 0}, {1, 1}}, &b));
    EXPECT_FALSE(rule_box_of({{0, 0}, {1, -3e9}}, &b));
    EXPECT_FALSE(rule_box_of({{1e300, 0}}, &b));
}

TEST(RuleShape, FlattenKeepsSubpathsAndBoundsCurves)
{
    GfxPath path;
    path.moveTo(0, 0);
    path.lineTo(10, 0);
    path.close();
    path.moveTo(0, 10);
    path.curveTo(0, 20, 10, 20, 10, 10);
    auto polys = rule_flatten(path);
    ASSERT_EQ(polys.size(), 2u);
    EXPECT_TRUE(polys[0].closed);
    EXPECT_FALSE(polys[1].closed);
    ASSERT_EQ(polys[1].pts.size(), 17u);
    double top = 0;
    for (const rule_pt& p : polys[1].pts)
        top = std::max(top, p.y);
    EXPECT_NEAR(top, 17.5, 1e-9); // the curve's own extreme, not its control points
    EXPECT_DOUBLE_EQ(polys[1].pts.back().x, 10);
}

TEST(RuleShape, DashesFollowThePhase)
{
    auto pieces = rule_dash({seg(0, 0, 25, 0)}, {6, 4}, 0);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_DOUBLE_EQ(pieces[0].pts.front().x, 0);
    EXPECT_DOUBLE_EQ(pieces[0].pts.back().x, 6);
    EXPECT_DOUBLE_EQ(pieces[1].pts.front().x, 10);
    EXPECT_DOUBLE_EQ(pieces[1].pts.back().x, 16);
    EXPECT_DOUBLE_EQ(pieces[2].pts.front().x, 20);
    EXPECT_DOUBLE_EQ(pieces[2].pts.back().x, 25);

    // Phase 8 starts inside the gap; phase 18 is the same modulo the total.
    for (double phase : {8.0, 18.0, -2.0}) {
        pieces = rule_dash({seg(0, 0, 10, 0)}, {6, 4}, phase);
        ASSERT_EQ(pieces.size(), 1u) << phase;
        EXPECT_DOUBLE_EQ(pieces[0].pts.front().x, 2) << phase;
        EXPECT_DOUBLE_EQ(pieces[0].pts.back().x, 8) << phase;
    }
}

TEST(RuleShape, DashesRestartPerSubpathAndTurnCorners)
{
    rule_poly corner;
    corner.pts = {{0, 0}, {4, 0}, {4, 4}};
    auto pieces = rule_dash({corner, seg(0, 10, 3, 10)}, {6, 1}, 0);
    ASSERT_EQ(pieces.size(), 3u);
    ASSERT_EQ(pieces[0].pts.size(), 3u); // 4 along, 2 up
    EXPECT_DOUBLE_EQ(pieces[0].pts.back().y, 2);
    EXPECT_DOUBLE_EQ(pieces[1].pts.front().y, 3);
    EXPECT_DOUBLE_EQ(pieces[2].pts.front().x, 0);
    EXPECT_DOUBLE_EQ(pieces[2].pts.back().x, 3);
}

TEST(RuleShape, DegenerateDashPatterns)
{
    EXPECT_TRUE(rule_dash({seg(0, 0, 10, 0)}, {0, 0}, 0).empty());
    EXPECT_TRUE(rule_dash({seg(0, 0, 10, 0)}, {-3, -1}, 0).empty());
    EXPECT_TRUE(rule_dash({seg(0, 0, 10, 0)}, {2, 2}, std::nan("")).empty());
    // Zero "on" entries give zero-length pieces (dots with round caps); the loop ends.
    auto dots = rule_dash({seg(0, 0, 10, 0)}, {0, 5}, 0);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_DOUBLE_EQ(dots[1].pts.front().x, 5);
    EXPECT_DOUBLE_EQ(dots[1].pts.back().x, 5);
}
