#include "job_fixture.h"

#include "tk_except.h"

#include <vector>

using Pages = std::vector<int>;

namespace {

class JobPageRange : public JobTest {
protected:
    // Parses and returns the list; fails the test when the text is refused.
    Pages parse(const std::string& text)
    {
        auto r = thrown([&] { job.set_page_range(text); });
        EXPECT_EQ(r.first, "") << "‹" << text << "›";
        return job.page_list;
    }
    // Expects the refusal and returns what stayed in the list.
    Pages refuse(const std::string& text)
    {
        auto r = thrown([&] { job.set_page_range(text); });
        EXPECT_EQ(r.first, "Invalid page range") << "‹" << text << "›";
        EXPECT_EQ(r.second, 1) << "‹" << text << "›";
        EXPECT_EQ(job.pages, text);
        return job.page_list;
    }
    vellix_convertor job{vellix_convertor::console_form};
};

TEST_F(JobPageRange, EmptyMeansAllPages)
{
    EXPECT_EQ(parse(""), Pages{});
    EXPECT_EQ(job.pages, "");
}

TEST_F(JobPageRange, ListsAndRangesInOrderWithRepeats)
{
    EXPECT_EQ(parse("1,3-5, 8"), (Pages{1, 3, 4, 5, 8}));
    EXPECT_EQ(job.pages, "1,3-5, 8");
    EXPECT_EQ(parse("3,3"), (Pages{3, 3}));
    EXPECT_EQ(parse("9,2-3,1"), (Pages{9, 2, 3, 1}));
    EXPECT_EQ(parse(" 4 - 6 "), (Pages{4, 5, 6}));
}

TEST_F(JobPageRange, NumbersReadLikeAtoi)
{
    EXPECT_EQ(parse(" 7 "), Pages{7});
    EXPECT_EQ(parse("12abc"), Pages{12});
    EXPECT_EQ(parse("+4"), Pages{4});
    EXPECT_EQ(parse("2x-4y"), (Pages{2, 3, 4}));
}

TEST_F(JobPageRange, BadItemsAreRefused)
{
    for (const char* t : {"5-5", "6-2", "0", "0-3", "3-0", "abc", "1-2-3", "-5", "5-", "1,,2",
                          "1,", ",1", " , "})
        refuse(t);
}

TEST_F(JobPageRange, PagesBeforeTheBadItemStay)
{
    EXPECT_EQ(refuse("2,x,4"), Pages{2});
    EXPECT_EQ(refuse("1,3-4,5-2,9"), (Pages{1, 3, 4}));
    // a new text starts a new list
    EXPECT_EQ(parse("6"), Pages{6});
}

TEST_F(JobPageRange, NumbersMustFitAnInt)
{
    EXPECT_EQ(parse("2147483647"), Pages{2147483647});
    EXPECT_EQ(parse("2147483646-2147483647"), (Pages{2147483646, 2147483647}));
    EXPECT_EQ(refuse("3,2147483648"), Pages{3});
    EXPECT_EQ(refuse("99999999999999999999"), Pages{});
    // 4294967297 would wrap to 1 in 32 bits
    EXPECT_EQ(refuse("1-4294967297"), Pages{});
    EXPECT_EQ(refuse("4294967296-4294967299"), Pages{});
}

TEST_F(JobPageRange, RangesAreBounded)
{
    // two billion pages would exhaust memory: refused before anything is added
    EXPECT_EQ(refuse("5,1-2000000000"), Pages{5});
    EXPECT_EQ(refuse("1-1000001"), Pages{});

    Pages all = parse("1-1000000");
    ASSERT_EQ(all.size(), 1000000u);
    EXPECT_EQ(all.front(), 1);
    EXPECT_EQ(all.back(), 1000000);
    // the whole list is bounded too, not just one range
    EXPECT_EQ(refuse("1-1000000,7").size(), 1000000u);
    EXPECT_EQ(refuse("1-999999,1-2").size(), 999999u);
}

TEST_F(JobPageRange, ProgressIsAWholePercentage)
{
    EXPECT_EQ(job.get_progress(), 0);
    job.current_page = 1;
    EXPECT_EQ(job.get_progress(), 0);  // no page count yet
    job.page_count = 3;
    EXPECT_EQ(job.get_progress(), 33);
    job.current_page = 2;
    EXPECT_EQ(job.get_progress(), 66);
    job.current_page = 3;
    EXPECT_EQ(job.get_progress(), 100);
    job.page_count = 7;
    job.current_page = 2;
    EXPECT_EQ(job.get_progress(), 28);
    // current_page * 100 must not wrap
    job.page_count = 2000000000;
    job.current_page = 1900000000;
    EXPECT_EQ(job.get_progress(), 95);
}

}  // namespace
