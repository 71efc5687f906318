#include "tk_singl.h"

#include <gtest/gtest.h>

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

// The singleton as a second base, as the convertor uses it.
struct second_base : other_base, tk_singleton<second_base> {
    int value = 3;
};

} // namespace

TEST(Singleton, SecondInstanceIsAnAssertionAndFirstStaysReachable)
{
    counter first;
    try {
        counter second;
        FAIL() << "second instance constructed";
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 35));
    }
    EXPECT_EQ(&counter::instance(), &first);
    EXPECT_EQ(counter::instance().value, 7);
}

TEST(Singleton, MissingInstanceAssertsWithItsLine)
{
    EXPECT_EQ(counter::slot(), nullptr);
    try {
        counter::instance();
        FAIL();
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 59));
    }
    try {
        counter::get_instance();
        FAIL();
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 66));
    }
}

TEST(Singleton, ConstructorThrowingAfterRegistrationLeavesSlotEmpty)
{
    EXPECT_THROW(fails_late f, tk_exception);
    EXPECT_EQ(fails_late::slot(), nullptr);
}

TEST(Singleton, SecondBaseRegistersTheWholeObject)
{
    {
        second_base s;
        EXPECT_EQ(&second_base::instance(), &s);
        EXPECT_EQ(second_base::instance().value, 3);
    }
    EXPECT_EQ(second_base::slot(), nullptr);
}
