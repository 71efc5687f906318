// The underline and rule processor on plain values: duplicates, matching, painting back, ownership.
#include "pdf_ulin.h"
#include "tk_except.h"

#include <gtest/gtest.h>
#include <splash/Splash.h>
#include <splash/SplashBitmap.h>
#include <splash/SplashPattern.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

int g_live = 0; // patterns alive, to see every record released exactly once

struct counted_color : SplashSolidColor {
    explicit counted_color(SplashColorConstPtr c) : SplashSolidColor(c) { ++g_live; }
    ~counted_color() override { --g_live; }
    SplashPattern* copy() const override
    {
        SplashColor c;
        const_cast<counted_color*>(this)->getColor(0, 0, c);
        return new counted_color(c);
    }
};

uline_attr* attr(int r, int g, int b, double alpha = 1.0)
{
    SplashColor c = {static_cast<unsigned char>(r), static_cast<unsigned char>(g), static_cast<unsigned char>(b), 0};
    return new uline_attr(new counted_color(c), alpha, true);
}

template <class F> std::string assertion(F&& f)
{
    try {
        f();
    } catch (const tk_mail_assertion& e) {
        return e.message;
    }
    return "none";
}

// A white RGB raster with its rasteriser.
struct Raster {
    explicit Raster(int size) : bitmap(size, size, 1, splashModeRGB8, false), splash(&bitmap, false)
    {
        std::fill_n(bitmap.getDataPtr(), bitmap.getRowSize() * size, 255);
    }
    const unsigned char* px(int x, int y) { return bitmap.getDataPtr() + y * bitmap.getRowSize() + 3 * x; }
    bool white(int x, int y) { return px(x, y)[0] == 255 && px(x, y)[1] == 255 && px(x, y)[2] == 255; }
    SplashBitmap bitmap;
    Splash splash;
};

struct ULine : ::testing::Test {
    void TearDown() override
    {
        proc.reset();
        EXPECT_EQ(g_live, 0);
    }
    std::unique_ptr<pdf_uline_processor> proc = std::make_unique<pdf_uline_processor>(false);
    pdf_uline_processor& p = *proc;
};

TEST_F(ULine, SetLineNormalisesAndDropsDuplicatesAndWildValues)
{
    p.set_line(300, 100, 52, 50, attr(0, 0, 0));
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(std::vector<double>({p.lines[0].xMin, p.lines[0].xMax, p.lines[0].yMin, p.lines[0].yMax}),
              std::vector<double>({100, 300, 50, 52}));
    p.set_line(100.4, 300.4, 51.5, 53.5, attr(255, 0, 0)); // the same rule: the first one stays
    p.set_line(std::nan(""), 10, 1, 1, attr(0, 0, 0));
    p.set_line(0, HUGE_VAL, 1, 1, attr(0, 0, 0));
    p.set_line(0, 10, 1, 1, nullptr);
    EXPECT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.attrs.size(), 1u);
    EXPECT_EQ(g_live, 1);
    // Only black text matches: the first one's colour (at 51 px = 24.48 pt).
    EXPECT_FALSE(p.process_as_underline(50, 140, 24.5, 255, 0, 0));
    p.set_line(100.5, 300.5, 50, 52, attr(0, 0, 0)); // 0.5 px sideways is another rule
    EXPECT_EQ(p.lines.size(), 2u);
    EXPECT_TRUE(p.process_as_underline(50, 140, 24.5, 0, 0, 0));
}

bool same(const uline_rect& a, const uline_rect& b)
{
    return a.xMin == b.xMin && a.xMax == b.xMax && a.yMin == b.yMin && a.yMax == b.yMax;
}

TEST_F(ULine, DuplicatesAtTheToleranceEdgesWhereverTheyFall)
{
    // A second line with one edge moved: under 0.5 px across or under 2 px down is the same rule.
    // The edges sit on and around multiples of 8 and 16 px, where the lookup's cells meet.
    for (int edge = 0; edge < 4; ++edge)
        for (double at : {0.0, 8.0, 7.9, 8.1, 15.75, 16.0, 16.5, -8.0, -0.25, 1023.999, 1e12, 3e12, -1e300})
            for (double by : {0.49, 0.4999, 0.5, 0.51, 1.5, 1.99, 2.0, 2.01, -0.49, -0.5, -1.99, -2.0}) {
                const double lines[4][4] = {{at, at + 300, 100, 103}, {at - 300, at, 100, 103}, {100, 400, at, at + 30}, {100, 400, at - 30, at}};
                double e[4] = {lines[edge][0], lines[edge][1], lines[edge][2], lines[edge][3]};
                p.flush();
                p.set_line(e[0], e[1], e[2], e[3], attr(0, 0, 0));
                e[edge] += by;
                p.set_line(e[0], e[1], e[2], e[3], attr(0, 0, 0));
                bool one = std::fabs(lines[edge][edge] - e[edge]) < (edge < 2 ? 0.5 : 2);
                EXPECT_EQ(p.lines.size(), one ? 1u : 2u) << "edge " << edge << " at " << at << " moved by " << by;
            }
}

TEST_F(ULine, DuplicateLookupKeepsWhatEveryLineComparedWouldKeep)
{
    std::mt19937 rnd(26);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rnd); };
    // Quarter pixels in a small area, values of any size, and near copies of earlier lines.
    auto quarter = [&](int range) { return (pick(2 * range + 1) - range) / 4.0; };
    auto any = [&] { return (pick(2) ? 1 : -1) * std::pow(10.0, std::uniform_real_distribution<double>(-3, 300)(rnd)); };
    std::vector<uline_rect> kept, made;
    auto reference = [&](const uline_rect& r) {
        for (const uline_rect& l : kept)
            if (std::fabs(r.xMax - l.xMax) < 0.5 && std::fabs(r.xMin - l.xMin) < 0.5 && std::fabs(r.yMax - l.yMax) < 2 &&
                std::fabs(r.yMin - l.yMin) < 2)
                return;
        kept.push_back(r);
    };
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 4000; ++i) {
            double v[4];
            int kind = made.empty() ? 0 : pick(4);
            const uline_rect from = made.empty() ? uline_rect{} : made[pick(int(made.size()))];
            const double old[4] = {from.xMin, from.xMax, from.yMin, from.yMax};
            for (int e = 0; e < 4; ++e)
                v[e] = kind == 0 ? quarter(i % 2 ? 40 : 160) : kind == 1 ? any() : old[e] + quarter(9);
            uline_rect r{0, std::min(v[0], v[1]), std::max(v[0], v[1]), std::min(v[2], v[3]), std::max(v[2], v[3])};
            made.push_back(r);
            reference(r);
            p.set_line(v[0], v[1], v[2], v[3], attr(0, 0, 0));
            if (i == 2000) { // a line turned into an underline leaves the lookup to start afresh
                auto l = std::find_if(kept.begin(), kept.end(), [](const uline_rect& k) { return k.xMax - k.xMin > 2 && std::fabs(k.xMin) < 1e6; });
                ASSERT_NE(l, kept.end());
                ASSERT_TRUE(p.process_as_underline(l->xMin / 2.08333, l->xMin / 2.08333, (l->yMin + l->yMax) / 4.16666, 0, 0, 0));
                ASSERT_EQ(p.lines.size(), kept.size() - 1);
                std::size_t gone = 0;
                while (gone < p.lines.size() && same(p.lines[gone], kept[gone]))
                    ++gone;
                kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(gone));
            }
        }
        ASSERT_EQ(p.lines.size(), kept.size()) << "round " << round;
        for (std::size_t i = 0; i < kept.size(); ++i)
            ASSERT_TRUE(same(p.lines[i], kept[i])) << "line " << i << " of round " << round;
        p.flush();
        kept.clear();
        made.clear();
    }
}

TEST_F(ULine, GeometricMatchThenKnownUnderlinesWithoutColour)
{
    // 0 .. 208.333 px is 0 .. 100 pt; rows 200..202 have their middle at 96.48 pt.
    p.set_line(0, 208.333, 200, 202, attr(0, 0, 0));
    p.set_line(0, 208.333, 400, 402, attr(0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 100.51, 96, 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(-0.51, 50, 96, 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 50, 98.5, 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 50, 94.4, 0, 0, 0));
    EXPECT_TRUE(p.process_as_underline(-0.5, 100.5, 97.9, 0, 0, 0));
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].yMin, 400); // the other line keeps its place
    EXPECT_EQ(g_live, 1);
    ASSERT_EQ(p.underlines.size(), 1u);
    EXPECT_NEAR(p.underlines[0].xMax, 100, 1e-3);
    // The rest of the word, grey now, lies on the recorded underline.
    EXPECT_TRUE(p.process_as_underline(10, 30, 99.4, 60, 60, 60));
    EXPECT_TRUE(p.process_as_underline(10, 100.5, 95.9, 60, 60, 60));
    EXPECT_FALSE(p.process_as_underline(10, 100.6, 97.9, 60, 60, 60));
    EXPECT_EQ(p.underlines.size(), 1u);
}

TEST_F(ULine, TextReachesLinesTwoPointsAwayAndNoFurther)
{
    // Middles at exactly 0 pt, on the edge of a row of the lookup.
    for (double y : {2.0, -2.0, 2.0001, -2.0001, 1e300}) {
        p.flush();
        p.set_line(0, 208.333, 0, 0, attr(0, 0, 0));
        EXPECT_EQ(p.process_as_underline(10, 20, y, 0, 0, 0), std::fabs(y) <= 2) << y;
    }
    p.flush();
    p.set_line(0, 208.333, 1e300, 1e300, attr(0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 20, std::nan(""), 0, 0, 0));
    EXPECT_FALSE(p.process_as_underline(10, 20, HUGE_VAL, 0, 0, 0));
    EXPECT_TRUE(p.process_as_underline(10, 20, 1e300 / 2.08333, 0, 0, 0));
}

TEST_F(ULine, TextTakesTheFirstMatchingLineAsEveryLineComparedWould)
{
    // The lines, their colours and the words of a page, at random; the reference tries every line.
    std::mt19937 rnd(26);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rnd); };
    struct ref_line {
        uline_rect r;
        int grey;
    };
    std::vector<ref_line> kept;
    std::vector<uline_rect> found;
    auto reference = [&](double x1, double x2, double y, int grey) {
        for (const uline_rect& u : found)
            if (x1 >= u.xMin - 0.5 && x2 <= u.xMax + 0.5 && std::fabs((u.yMin + u.yMax) * 0.5 - y) <= 2)
                return true;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            const uline_rect& l = kept[i].r;
            double left = l.xMin / 2.08333, right = l.xMax / 2.08333, mid = (l.yMin + l.yMax) / 4.16666;
            if ((l.xMax - l.xMin < 1.75 && l.yMax - l.yMin > 11) || !(x1 >= left - 0.5 && x2 <= right + 0.5 && std::fabs(mid - y) <= 2) ||
                std::abs(grey - kept[i].grey) > 2)
                continue;
            found.push_back({0, left, right, y, y});
            kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
        return false;
    };
    const int greys[] = {0, 1, 100};
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 1500; ++i) {
            double x0 = pick(400) / 4.0, x1 = x0 + pick(2) * pick(200) / 4.0, y0 = pick(800) / 4.0, y1 = y0 + pick(2) * pick(60) / 4.0;
            int grey = greys[pick(3)];
            std::size_t before = p.lines.size();
            p.set_line(x0, x1, y0, y1, attr(grey, grey, grey));
            if (p.lines.size() > before)
                kept.push_back({p.lines.back(), grey});
        }
        for (int i = 0; i < 1500; ++i) {
            double x1 = pick(200) / 4.0, x2 = x1 + pick(40) / 4.0, y = pick(400) / 8.0;
            int grey = greys[pick(3)];
            ASSERT_EQ(p.process_as_underline(x1, x2, y, grey, grey, grey), reference(x1, x2, y, grey)) << i;
            ASSERT_EQ(p.lines.size(), kept.size()) << i;
        }
        for (std::size_t i = 0; i < kept.size(); ++i)
            ASSERT_TRUE(same(p.lines[i], kept[i].r)) << "line " << i << " of round " << round;
        ASSERT_EQ(p.underlines.size(), found.size());
        if (round % 2) { // more lines after the text of the page has taken some
            p.flush();
            kept.clear();
            found.clear();
        }
    }
}

TEST_F(ULine, VerticalRulesAreNeverUnderlines)
{
    p.set_line(100, 101, 198, 218, attr(0, 0, 0)); // 1 px wide, 20 px tall around 100 pt
    EXPECT_FALSE(p.process_as_underline(48, 48.5, 99.8, 0, 0, 0));
    p.set_line(110, 111.75, 198, 218, attr(0, 0, 0)); // 1.75 px wide can be one
    EXPECT_TRUE(p.process_as_underline(52.8, 53.6, 99.8, 0, 0, 0));
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].xMin, 100);
}

TEST_F(ULine, ColourTest)
{
    const struct {
        int text[3], rule[3];
        bool match;
    } cases[] = {
        {{2, 1, 0}, {0, 2, 2}, true}, {{3, 0, 0}, {0, 0, 0}, false}, {{255, 0, 0}, {0, 0, 255}, true},
    };
    for (const auto& c : cases) {
        p.flush();
        p.set_line(0, 208.333, 200, 202, attr(c.rule[0], c.rule[1], c.rule[2]));
        EXPECT_EQ(p.process_as_underline(10, 20, 96, c.text[0], c.text[1], c.text[2]), c.match)
            << c.text[0] << "," << c.text[1] << "," << c.text[2] << " on " << c.rule[0] << "," << c.rule[1] << "," << c.rule[2];
    }
}

TEST_F(ULine, EmptyPageMatchesNothingAndMismatchedListsAssertOrAreLeftAlone)
{
    EXPECT_FALSE(p.process_as_underline(0, 1000, 100, 0, 0, 0));
    EXPECT_FALSE(p.process_is_inCell(0, 10, 0, 10));
    p.set_line(0, 100, 0, 100, attr(0, 0, 0));
    EXPECT_FALSE(p.process_is_inCell(-1e9, 1e9, -1e9, 1e9));
    Raster r(20);
    p.lines.push_back({0, 0, 10, 5, 5});
    EXPECT_EQ(assertion([&] { p.process_as_underline(0, 1, 2, 0, 0, 0); }), tk_mail_assertion::make_message(PDF_ULIN_UNIT, 683));
    p.undo_lines(&r.splash);
    EXPECT_TRUE(r.white(5, 5));
}

TEST_F(ULine, UndoPaintsWholeRowsInColourAndReleasesRecords)
{
    Raster r(40);
    p.set_line(5, 20.9, 10, 12, attr(10, 20, 30));
    p.set_line(3, 8, 7, 7, attr(0, 0, 0));
    p.set_line(25, 30, 20, 22.5, attr(0, 0, 200)); // a slanted bar comes back as its box
    p.set_line(32, 39, 30, 30, attr(0, 0, 0, 0.5));
    p.set_line(-50, 10, -3, 2, attr(0, 0, 0));       // starts above and left of the raster
    p.set_line(35, 1e7, 38, 60, attr(0, 0, 0));      // runs off the right and bottom
    p.set_line(-100, -50, 5, 6, attr(0, 0, 0));      // wholly outside
    p.set_line(10, 12, 1e6, 1e6 + 3, attr(0, 0, 0));
    p.set_line(10, 12, -1e300, -1e299, attr(0, 0, 0));
    p.underlines.push_back({0, 1, 2, 3, 3});
    p.undo_lines(&r.splash);
    EXPECT_EQ(g_live, 0);
    EXPECT_TRUE(p.lines.empty() && p.attrs.empty());
    const struct {
        int x, y, rgb;
    } probes[] = {{5, 9, 0xffffff},  {5, 10, 0x0a141e}, {20, 12, 0x0a141e}, {5, 13, 0xffffff}, {4, 11, 0xffffff},
                  {21, 11, 0xffffff}, {3, 7, 0},        {8, 7, 0},          {5, 6, 0xffffff},  {5, 8, 0xffffff},
                  {27, 20, 0x0000c8}, {27, 22, 0x0000c8}, {27, 23, 0xffffff}, {35, 30, 0x7f7f7f}, {0, 0, 0},
                  {10, 2, 0},         {11, 2, 0xffffff}, {0, 3, 0xffffff},   {39, 39, 0},       {34, 39, 0xffffff}};
    for (const auto& pr : probes) {
        const unsigned char* c = r.px(pr.x, pr.y);
        EXPECT_EQ(c[0] << 16 | c[1] << 8 | c[2], pr.rgb) << pr.x << "," << pr.y;
    }
    p.flush();
    EXPECT_TRUE(p.underlines.empty());
}

TEST_F(ULine, FlushAndDestructionReleaseAbandonedRecords)
{
    p.set_line(0, 10, 0, 0, attr(0, 0, 0));
    p.set_line(0, 10, 20, 20, attr(0, 0, 0));
    ASSERT_TRUE(p.process_as_underline(0, 1, 0, 0, 0, 0));
    EXPECT_EQ(g_live, 1);
    p.flush();
    EXPECT_EQ(g_live, 0);
    EXPECT_TRUE(p.lines.empty() && p.attrs.empty() && p.underlines.empty());
    p.set_line(0, 10, 30, 30, attr(0, 0, 0)); // released by the destructor
}

} // namespace
