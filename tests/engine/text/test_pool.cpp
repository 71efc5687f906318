// Baseline buckets and unlinking in the word pool; the bounded layout sort.
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
