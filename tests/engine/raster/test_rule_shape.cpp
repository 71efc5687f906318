// Rule-capture geometry the rendered pages do not reach: curve ends, dash phases, wild coordinates.
#include "rule_shape.h"

#include <GfxState.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

rule_poly poly(std::vector<rule_pt> pts) { return {std::move(pts), false}; }

// Each piece as "x0,y0-x1,y1".
std::string pieces(const std::vector<rule_poly>& polys)
{
    std::string s;
    for (const rule_poly& p : polys) {
        char b[64];
        std::snprintf(b, sizeof b, "%s%g,%g-%g,%g", s.empty() ? "" : " ", p.pts.front().x, p.pts.front().y, p.pts.back().x, p.pts.back().y);
        s += b;
    }
    return s;
}

TEST(RuleShape, FlattenedCurvesReachTheirEndPoints)
{
    // A filled sliver whose path ends in a curve: the curve carries it to its far end.
    GfxPath sliver;
    sliver.moveTo(10, 100);
    sliver.lineTo(10, 102);
    sliver.curveTo(70, 102, 140, 102, 200, 101);
    GfxPath curved; // a curve between lines, then a closed subpath of one curve
    curved.moveTo(0, 0);
    curved.curveTo(0, 5, 5, 5, 5, 0);
    curved.lineTo(9, 0);
    curved.moveTo(20, 0);
    curved.curveTo(20, 4, 24, 4, 24, 0);
    curved.close();
    const struct {
        const GfxPath& path;
        const char* expected;
        std::vector<size_t> sizes; // 16 steps per curve
    } rows[] = {{sliver, "10,100-200,101", {18}}, {curved, "0,0-9,0 20,0-20,0", {18, 18}}};
    for (const auto& r : rows) {
        const std::vector<rule_poly> polys = rule_flatten(r.path);
        EXPECT_EQ(pieces(polys), r.expected);
        std::vector<size_t> sizes;
        for (const rule_poly& p : polys)
            sizes.push_back(p.pts.size());
        EXPECT_EQ(sizes, r.sizes) << r.expected;
    }
    rule_box b{};
    ASSERT_TRUE(rule_box_of(rule_flatten(sliver)[0].pts, &b));
    EXPECT_EQ(std::vector<int>({b.xMin, b.yMin, b.xMax, b.yMax}), std::vector<int>({10, 100, 200, 102}));
}

TEST(RuleShape, BoxIsFlooredAndRefusesWildCoordinates)
{
    rule_box b{};
    ASSERT_TRUE(rule_box_of({{10.9, 5.1}, {-0.5, 7.99}}, &b));
    EXPECT_EQ(std::vector<int>({b.xMin, b.yMin, b.xMax, b.yMax}), std::vector<int>({-1, 5, 10, 7}));
    const double inf = std::numeric_limits<double>::infinity();
    for (const std::vector<rule_pt>& pts : std::vector<std::vector<rule_pt>>{
             {}, {{0, 0}, {inf, 0}}, {{std::nan(""), 0}, {1, 1}}, {{0, 0}, {1, -3e9}}, {{1e300, 0}}})
        EXPECT_FALSE(rule_box_of(pts, &b)) << pts.size();
}

TEST(RuleShape, DashesFollowThePhasePerSubpathAroundCorners)
{
    const rule_poly line = poly({{0, 0}, {10, 0}});
    const double nan = std::nan("");
    const struct {
        std::vector<rule_poly> polys;
        std::vector<double> dash;
        double phase;
        const char* expected;
    } rows[] = {
        {{poly({{0, 0}, {25, 0}})}, {6, 4}, 0, "0,0-6,0 10,0-16,0 20,0-25,0"},
        {{line}, {6, 4}, -2, "2,0-8,0"}, // modulo the total, starting inside the gap
        {{poly({{0, 0}, {4, 0}, {4, 4}}), poly({{0, 10}, {3, 10}})}, {6, 1}, 0, "0,0-4,2 4,3-4,4 0,10-3,10"},
        {{line}, {0, 5}, 0, "0,0-0,0 5,0-5,0"}, // zero-length dots; the loop ends
        {{line}, {0, 0}, 0, ""},
        {{line}, {2, 2}, nan, ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(pieces(rule_dash(r.polys, r.dash, r.phase)), r.expected) << r.dash[0] << " " << r.dash[1] << " @" << r.phase;
}

} // namespace
