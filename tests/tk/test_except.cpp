#include "tk_except.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <type_traits>

// A handler for tk_exception catches the family but not the final exception.
static_assert(std::is_base_of_v<tk_exception, tk_exception_ex> && std::is_base_of_v<tk_exception, tk_mail_assertion> &&
              std::is_base_of_v<tk_exception, pdf_wrong_pswd_exception> &&
              !std::is_base_of_v<tk_exception, tk_final_exception>);

TEST(Exceptions, TextsOfTheFamily)
{
    EXPECT_STREQ(tk_exception("", 1).what(), "Unknown exception");
    EXPECT_STREQ(tk_exception(0).what(), "Unknown exception");
    EXPECT_STREQ(tk_final_exception().what(), "Unknown exception");
    pdf_wrong_pswd_exception p;
    EXPECT_STREQ(p.what(), "Incorrect password");
    EXPECT_EQ(p.level, 1);

    errno = ENOENT;
    tk_exception_ex e;
    EXPECT_EQ(e.code, ENOENT);
    EXPECT_EQ(e.level, 1);
    EXPECT_EQ(e.message, "No such file or directory");
    EXPECT_EQ(tk_exception_ex(0).message, "Unknown exception");
}

TEST(Exceptions, AssertionMessageIsHexOfEveryByte)
{
    tk_mail_assertion a("..\\TK/tk_singl", 35);
    EXPECT_EQ(a.level, 2);
    EXPECT_EQ(a.message, "Internal error: \ncode=2e2e5c544b2f746b5f73696e676c5c3335");
    EXPECT_EQ(tk_mail_assertion::make_message("\n\xff", 7), "Internal error: \ncode=0aff5c37");
    // No fixed buffer: a long unit is encoded whole.
    std::string unit(1000, 'a');
    EXPECT_EQ(tk_mail_assertion::make_message(unit.c_str(), 1).size(), 22u + 2 * 1002);
}
