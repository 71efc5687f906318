// Tables mode: aligned-column groups and the cell query.
#include "test_coalesce_fixtures.h"

#include <pdf_ulin.h>

#include <map>

using namespace vlx;
using namespace vlx_test;

namespace {

class ColumnGroups : public PageFixture {
protected:
    // columnGroup and cellIndex of every word after coalescing, by its text.
    std::map<std::string, std::pair<int, int>> groups()
    {
        std::map<std::string, std::pair<int, int>> m;
        for (const TextBlock* b : page.blocks)
            for (const TextLine* l = b->lines; l; l = l->next)
                for (const TextWord* w = l->words; w; w = w->next) {
                    std::string s;
                    for (int i = 0; i < w->len; ++i)
                        s += static_cast<char>(w->text[static_cast<size_t>(i)]);
                    m[s] = {w->columnGroup, w->cellIndex};
                }
        return m;
    }

    // A word of 5-point characters starting at x.
    void at(double x, double base, const std::string& chars) { add(mk.h(x, base, chars)); }
};

TEST_F(ColumnGroups, FourWordsStartingTogetherFormAGroup)
{
    pdf_uline_processor proc(true);
    at(100, 100, "a");
    at(100, 112, "bb");
    at(100, 124, "ccc");
    at(100, 136, "dddd");
    page.coalesce();
    auto g = groups();
    EXPECT_EQ(g["a"].first, 1);
    EXPECT_EQ(g["bb"].first, 1);
    EXPECT_EQ(g["ccc"].first, 1);
    EXPECT_EQ(g["dddd"].first, 1);
    EXPECT_EQ(g["a"].second, 0);
    ASSERT_EQ(page.blockCount, 1);
    EXPECT_EQ(page.blocks[0]->lines->columnGroup, 1);
}

TEST_F(ColumnGroups, ThreeWordsOnlyWhenTheLastEndsWithTheFirst)
{
    {
        pdf_uline_processor proc(true);
        at(100, 100, "a");
        at(100, 112, "bb");
        at(100, 124, "ccc");
        at(300, 100, "zz");
        page.coalesce();
        auto g = groups();
        EXPECT_EQ(g["a"].first, 0);
        EXPECT_EQ(g["bb"].first, 0);
        EXPECT_EQ(g["ccc"].first, 0);
    }
    page.clear();
    {
        pdf_uline_processor proc(true);
        at(100, 100, "ab");
        at(100, 112, "cde");
        at(100, 124, "xy");
        at(300, 100, "zz");
        page.coalesce();
        auto g = groups();
        EXPECT_EQ(g["ab"].first, 1);
        EXPECT_EQ(g["cde"].first, 1);
        EXPECT_EQ(g["xy"].first, 1);
        EXPECT_EQ(g["zz"].first, 0);
    }
}

TEST_F(ColumnGroups, AWideGapRestartsTheRun)
{
    pdf_uline_processor proc(true);
    at(100, 100, "a");
    at(100, 112, "bb");
    at(100, 200, "ccc"); // 88 points down: more than 4 font sizes
    at(100, 212, "dddd");
    at(100, 224, "eeeee");
    at(100, 236, "ffffff");
    page.coalesce();
    auto g = groups();
    EXPECT_EQ(g["a"].first, 0);
    EXPECT_EQ(g["bb"].first, 0);
    for (const char* s : {"ccc", "dddd", "eeeee", "ffffff"})
        EXPECT_EQ(g[s].first, 1) << s;
}

TEST_F(ColumnGroups, GroupsAreNumberedAcrossTheColumnsOfAPool)
{
    pdf_uline_processor proc(true);
    for (int i = 0; i < 4; ++i) {
        at(100, 100 + 12 * i, std::string(static_cast<size_t>(i + 1), 'a'));
        at(300, 100 + 12 * i, std::string(static_cast<size_t>(i + 1), 'b'));
    }
    page.coalesce();
    auto g = groups();
    EXPECT_EQ(g["a"].first, 1);
    EXPECT_EQ(g["aaaa"].first, 1);
    EXPECT_EQ(g["b"].first, 2);
    EXPECT_EQ(g["bbbb"].first, 2);
}

TEST_F(ColumnGroups, NoGroupsWithoutTablesMode)
{
    auto fill = [this] {
        at(100, 100, "a");
        at(100, 112, "bb");
        at(100, 124, "ccc");
        at(100, 136, "dddd");
    };
    fill();
    page.coalesce(); // no processor at all
    for (auto& kv : groups())
        EXPECT_EQ(kv.second.first, 0) << kv.first;

    page.clear();
    pdf_uline_processor proc(false);
    fill();
    page.coalesce();
    for (auto& kv : groups())
        EXPECT_EQ(kv.second.first, 0) << kv.first;
}

} // namespace
