// Baseline buckets and insertion order of the word pool; the bounded layout sort.
#include "text_test_util.h"

#include "vlx_sort.h"

#include <algorithm>
#include <limits>
#include <random>

using namespace vlx;
using namespace vlx_test;

namespace {

std::vector<TextWord*> bucket(const TextPool& p, int idx)
{
    std::vector<TextWord*> v;
    for (TextWord* w = p.getPool(idx); w; w = w->next)
        v.push_back(w);
    return v;
}

TEST(Pool, BucketIndexTruncatesTowardZeroAndStaysBounded)
{
    EXPECT_EQ(TextPool::baseIdxOf(7.9), 1);
    EXPECT_EQ(TextPool::baseIdxOf(-2), 0);
    EXPECT_EQ(TextPool::baseIdxOf(-4.5), -1);
    EXPECT_EQ(TextPool::baseIdxOf(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_LE(TextPool::baseIdxOf(1e300), 1 << 20);
    EXPECT_GE(TextPool::baseIdxOf(-std::numeric_limits<double>::infinity()), -(1 << 20));
}

TEST(Pool, RangeGrowsAroundNewBucketsKeepingWords)
{
    TextPool p;
    EXPECT_TRUE(p.isEmpty());
    TextWord* a = hword(10, 1200, "a"); // bucket 300
    p.addWord(a);
    EXPECT_EQ(p.minBaseIdx, 172);
    EXPECT_EQ(p.maxBaseIdx, 428);
    TextWord* b = hword(10, 400, "b"); // bucket 100
    p.addWord(b);
    TextWord* c = hword(10, 2000, "c"); // bucket 500
    p.addWord(c);
    EXPECT_EQ(p.minBaseIdx, -28);
    EXPECT_EQ(p.maxBaseIdx, 628);
    EXPECT_EQ(p.getPool(300), a);
    EXPECT_EQ(p.getPool(500), c);
    EXPECT_EQ(p.getBaseIdx(1e9), 628);
    EXPECT_EQ(p.getBaseIdx(-1e9), -28);
}

TEST(Pool, InsertionOrderAlongTheLine)
{
    TextPool p;
    TextWord* at100 = hword(100.0, 50, "x");
    TextWord* at101 = hword(101.0, 50, "y");
    p.addWord(at100);
    p.addWord(at101); // within 1.1: goes first
    EXPECT_EQ(bucket(p, 12), (std::vector<TextWord*>{at101, at100}));

    TextPool q;
    TextWord* first = hword(100.0, 50, "x");
    TextWord* second = hword(102.0, 50, "y");
    TextWord* before = hword(20.0, 50, "z");
    q.addWord(first);
    q.addWord(second); // beyond the cursor: goes behind
    q.addWord(before); // not beyond the cursor: searched from the head
    EXPECT_EQ(bucket(q, 12), (std::vector<TextWord*>{before, first, second}));
    EXPECT_EQ(q.cursor, before);

    TextPool upside; // rotation 2: right edge descending
    TextWord* left = word(2, 100, 50, 10, uni("l"));
    TextWord* right = word(2, 200, 50, 10, uni("r"));
    upside.addWord(left);
    upside.addWord(right);
    EXPECT_EQ(bucket(upside, 12), (std::vector<TextWord*>{right, left}));
}

TEST(Pool, UnlinkClearsTheWordsLinks)
{
    TextPool p;
    std::unique_ptr<TextWord> a(hword(10, 50, "a")), b(hword(40, 50, "b"));
    p.addWord(a.get());
    p.addWord(b.get());
    p.unlinkWord(12, a.get(), b.get());
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(p.cursor, nullptr);
    EXPECT_EQ(bucket(p, 12), std::vector<TextWord*>{a.get()});
    p.unlinkWord(12, nullptr, a.get());
    EXPECT_EQ(p.getPool(12), nullptr);
}

TEST(LayoutSort, StableAndInBoundsWhateverTheComparator)
{
    std::vector<std::pair<int, int>> v;
    for (int i = 0; i < 100; ++i)
        v.push_back({(i * 7) % 5, i});
    vlx_sort(v, [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first - b.first; });
    for (size_t i = 1; i < v.size(); ++i)
        ASSERT_TRUE(v[i - 1].first < v[i].first || (v[i - 1].first == v[i].first && v[i - 1].second < v[i].second));

    // Tolerant orders are not transitive; random answers must still leave a permutation.
    std::mt19937 rng(42);
    for (int n : {0, 1, 2, 3, 17, 1000}) {
        std::vector<int> p(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            p[static_cast<size_t>(i)] = i;
        vlx_sort(p, [&rng](int, int) { return static_cast<int>(rng() % 3) - 1; });
        std::sort(p.begin(), p.end());
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(p[static_cast<size_t>(i)], i);
    }
}

} // namespace
