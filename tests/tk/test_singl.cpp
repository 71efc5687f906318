#include "tk_singl.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

using tktest::assertion;
using tktest::thrown;

namespace {

struct counter : tk_singleton<counter> {
    int value = 7;
};

struct fails_late : tk_singleton<fails_late> {
    fails_late() { throw tk_exception("late", 1); }
};

struct other_base {
    virtual ~other_base() = default;
    int pad = 1;
};

// The singleton as a second base, as the convertor uses it: the slot must give the whole object.
struct second_base : other_base, tk_singleton<second_base> {
    int value = 3;
};

} // namespace

TEST(Singleton, OneInstanceReachableAndAssertionsOtherwise)
{
    EXPECT_EQ(counter::slot(), nullptr);
    EXPECT_EQ(thrown([] { counter::instance(); }), assertion("tk_singl", 59));
    counter first;
    EXPECT_EQ(thrown([] { counter second; }), assertion("tk_singl", 35));
    EXPECT_EQ(&counter::instance(), &first);
    EXPECT_EQ(counter::instance().value, 7);
}

TEST(Singleton, ThrowingConstructorOrDestructionLeavesSlotEmpty)
{
    EXPECT_EQ(thrown([] { fails_late f; }), "late");
    EXPECT_EQ(fails_late::slot(), nullptr);
    {
        second_base s;
        EXPECT_EQ(&second_base::instance(), &s);
        EXPECT_EQ(second_base::instance().value, 3);
    }
    EXPECT_EQ(second_base::slot(), nullptr);
}
