#include "tk_except.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(Exceptions, EmptyMessageAndLevelOnlyGiveUnknownException)
{
    tk_exception a("", 1);
    tk_exception b(0);
    EXPECT_STREQ(a.what(), "Unknown exception");
    EXPECT_STREQ(b.what(), "Unknown exception");
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(b.code, 0);
    EXPECT_EQ(a.level, 1);
    EXPECT_EQ(b.level, 0);
}

TEST(Exceptions, AssertionMessageIsHexOfUnitBackslashLine)
{
    tk_mail_assertion a("..\\TK/tk_singl", 35);
    EXPECT_EQ(a.level, 2);
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(a.message, "Internal error: \ncode=2e2e5c544b2f746b5f73696e676c5c3335");
}

TEST(Exceptions, AssertionEncodesEveryByteAsTwoLowercaseDigits)
{
    std::string m = tk_mail_assertion::make_message("\n\xff", 7);
    EXPECT_EQ(m, "Internal error: \ncode=0aff5c37");
}

TEST(Exceptions, SystemErrorCarriesErrnoAndItsText)
{
    errno = ENOENT;
    tk_exception_ex e;
    EXPECT_EQ(e.code, ENOENT);
    EXPECT_EQ(e.level, 1);
    EXPECT_EQ(e.message, "No such file or directory");

    tk_exception_ex none(0);
    EXPECT_EQ(none.message, "Unknown exception");
}

TEST(Exceptions, FamilyCatchesItsOwnButNotTheFinalException)
{
    auto caught = [](auto thrower) {
        try {
            thrower();
        } catch (const tk_exception&) {
            return true;
        } catch (...) {
            return false;
        }
        return false;
    };
    EXPECT_TRUE(caught([] { throw tk_exception_ex(EACCES); }));
    EXPECT_TRUE(caught([] { throw tk_mail_assertion("x", 1); }));
    EXPECT_TRUE(caught([] { throw pdf_wrong_pswd_exception(); }));
    EXPECT_FALSE(caught([] { throw tk_final_exception(); }));

    pdf_wrong_pswd_exception p;
    EXPECT_STREQ(p.what(), "Incorrect password");
    EXPECT_EQ(p.level, 1);
    EXPECT_STREQ(tk_final_exception().what(), "Unknown exception");
}
