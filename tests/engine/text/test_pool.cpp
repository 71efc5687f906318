// Baseline buckets and insertion order of the word pool; the bounded layout sort.
#include "test_word_fixtures.h"

#include "TextPool.h"
#include "vlx_sort.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace vlx;
using namespace vlx_test;

namespace {

std::vector<TextWord*> bucketWords(const TextPool& p, int idx)
{
    std::vector<TextWord*> v;
    for (TextWord* w = p.getPool(idx); w; w = w->next)
        v.push_back(w);
    return v;
}

TEST(Pool, BucketIndexTruncatesTowardZero)
{
    EXPECT_EQ(TextPool::baseIdxOf(0), 0);
    EXPECT_EQ(TextPool::baseIdxOf(7.9), 1);
    EXPECT_EQ(TextPool::baseIdxOf(-2), 0);
    EXPECT_EQ(TextPool::baseIdxOf(-4.5), -1);
    // Garbage baselines give bounded indices instead of undefined conversions.
    EXPECT_EQ(TextPool::baseIdxOf(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_LE(TextPool::baseIdxOf(1e300), 1 << 20);
    EXPECT_GE(TextPool::baseIdxOf(-std::numeric_limits<double>::infinity()), -(1 << 20));
}

TEST(Pool, EmptyPoolHasAnEmptyRange)
{
    TextPool p;
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.minBaseIdx, 0);
    EXPECT_EQ(p.maxBaseIdx, -1);
    EXPECT_EQ(p.cursor, nullptr);
    EXPECT_EQ(p.cursorBaseIdx, -1);
    EXPECT_EQ(p.getPool(0), nullptr);
}

TEST(Pool, RangeGrowsAroundNewBucketsKeepingWords)
{
    TextPool p;
    TextWord* a = plainWord(10, 1200, 10, "a"); // bucket 300
    p.addWord(a);
    EXPECT_EQ(p.minBaseIdx, 172);
    EXPECT_EQ(p.maxBaseIdx, 428);
    EXPECT_EQ(p.pool.size(), 257u);

    TextWord* b = plainWord(10, 400, 10, "b"); // bucket 100
    p.addWord(b);
    EXPECT_EQ(p.minBaseIdx, -28);
    EXPECT_EQ(p.maxBaseIdx, 428);
    EXPECT_EQ(p.getPool(300), a);
    EXPECT_EQ(p.getPool(100), b);

    TextWord* c = plainWord(10, 2000, 10, "c"); // bucket 500
    p.addWord(c);
    EXPECT_EQ(p.maxBaseIdx, 628);
    EXPECT_EQ(p.getPool(300), a);
    EXPECT_EQ(p.getPool(500), c);
    EXPECT_EQ(p.getBaseIdx(1e9), 628);
    EXPECT_EQ(p.getBaseIdx(-1e9), -28);
}

TEST(Pool, StartsWithinToleranceGoFirst)
{
    TextPool p;
    TextWord* at100 = plainWord(100.0, 50, 10, "x");
    TextWord* at101 = plainWord(101.0, 50, 10, "y");
    p.addWord(at100);
    p.addWord(at101);
    EXPECT_EQ(bucketWords(p, 12), (std::vector<TextWord*>{at101, at100}));

    TextPool q;
    TextWord* first = plainWord(100.0, 50, 10, "x");
    TextWord* second = plainWord(102.0, 50, 10, "y");
    TextWord* before = plainWord(20.0, 50, 10, "z");
    q.addWord(first);
    q.addWord(second); // beyond the cursor: goes behind
    q.addWord(before); // not beyond the cursor: searched from the head
    EXPECT_EQ(bucketWords(q, 12), (std::vector<TextWord*>{before, first, second}));
    EXPECT_EQ(q.cursor, before);
    EXPECT_EQ(q.cursorBaseIdx, 12);
}

TEST(Pool, OtherRotationsOrderAlongTheirDirection)
{
    TextPool p;
    // Upside down: ordered by right edge descending.
    TextWord* right = plainWord(200, 50, 10, "r", -5, 2);
    TextWord* left = plainWord(100, 50, 10, "l", -5, 2);
    p.addWord(left);
    p.addWord(right);
    EXPECT_EQ(bucketWords(p, 12), (std::vector<TextWord*>{right, left}));
}

TEST(Pool, UnlinkClearsTheWordsLinks)
{
    TextPool p;
    TextWord* a = plainWord(10, 50, 10, "a");
    TextWord* b = plainWord(40, 50, 10, "b");
    p.addWord(a);
    p.addWord(b);
    ASSERT_EQ(p.cursor, b);
    p.unlinkWord(12, a, b);
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(p.cursor, nullptr);
    EXPECT_EQ(bucketWords(p, 12), std::vector<TextWord*>{a});
    p.unlinkWord(12, nullptr, a);
    EXPECT_EQ(p.getPool(12), nullptr);
    delete a;
    delete b;
}

TEST(LayoutSort, StableForEqualKeys)
{
    std::vector<std::pair<int, int>> v;
    for (int i = 0; i < 100; ++i)
        v.push_back({(i * 7) % 5, i});
    vlx_sort(v, [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
        return a.first < b.first ? -1 : (a.first > b.first ? 1 : 0);
    });
    for (size_t i = 1; i < v.size(); ++i) {
        ASSERT_LE(v[i - 1].first, v[i].first);
        if (v[i - 1].first == v[i].first)
            EXPECT_LT(v[i - 1].second, v[i].second);
    }
}

TEST(LayoutSort, StaysInBoundsWithAnInconsistentComparator)
{
    // Tolerant orders are not transitive; any answers must still leave a permutation.
    std::mt19937 rng(42);
    for (int n : {0, 1, 2, 3, 17, 100, 1000}) {
        std::vector<int> v(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            v[static_cast<size_t>(i)] = i;
        vlx_sort(v, [&rng](int, int) { return static_cast<int>(rng() % 3) - 1; });
        std::vector<int> s = v;
        std::sort(s.begin(), s.end());
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(s[static_cast<size_t>(i)], i);
    }
}

TEST(LayoutSort, TolerantChainSortsWithoutLosingElements)
{
    // Values 0.5 apart: every neighbour "equal", distant ones not.
    std::vector<double> v;
    for (int i = 60; i >= 0; --i)
        v.push_back(i * 0.5);
    vlx_sort(v, [](double a, double b) {
        double d = a - b;
        return d < -1.1 ? -1 : (d > 1.1 ? 1 : 0);
    });
    std::vector<double> s = v;
    std::sort(s.begin(), s.end());
    for (size_t i = 0; i < s.size(); ++i)
        EXPECT_DOUBLE_EQ(s[i], static_cast<double>(i) * 0.5);
    EXPECT_EQ(v.size(), 61u);
}

} // namespace
