#include "tk_log.h"

#include "scoped_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

std::string temp_path()
{
    char tmpl[] = "/tmp/vlxlogXXXXXX";
    int fd = mkstemp(tmpl);
    close(fd);
    return tmpl;
}

using vlxtest::slurp;
using vlxtest::spit;

} // namespace

TEST(Log, WithoutLoggerNothingIsWritten)
{
    std::string p = temp_path();
    unlink(p.c_str());
    tk_log(3, "error %d", 1);
    EXPECT_FALSE(std::ifstream(p).good());
}

TEST(Log, FirstCallEmptiesTheFileThenThresholdFilters)
{
    std::string p = temp_path();
    spit(p, "old contents");
    tk_logger lg(p.c_str(), false, 3, false);
    EXPECT_EQ(slurp(p), "old contents"); // disabled: untouched
    lg.enabled = true;
    tk_log(1, "trace");
    EXPECT_EQ(slurp(p), "");
    tk_log(3, "failed: %s", "x%y");
    tk_log(3, "again");
    EXPECT_EQ(slurp(p), "failed: x%y\r\nagain\r\n");
    unlink(p.c_str());
}

TEST(Log, EnabledAtConstructionEmptiesOnce)
{
    std::string p = temp_path();
    spit(p, "old");
    tk_logger lg(p.c_str(), true, 1, false);
    EXPECT_EQ(slurp(p), "");
    tk_log(1, "one");
    tk_log(2, "two");
    EXPECT_EQ(slurp(p), "one\r\ntwo\r\n");
    unlink(p.c_str());
}

TEST(Log, TimestampsPrefixLocalTime)
{
    std::string p = temp_path();
    setenv("TZ", "UTC", 1);
    tzset();
    tk_logger lg(p.c_str(), true, 1, true);
    tk_log(2, "x");
    std::string s = slurp(p);
    ASSERT_EQ(s.size(), 9u + 1 + 2);
    EXPECT_EQ(s[2], ':');
    EXPECT_EQ(s[5], ':');
    EXPECT_EQ(s[8], ' ');
    EXPECT_EQ(s.substr(9), "x\r\n");
    unlink(p.c_str());
}

TEST(Log, WideLinesAreUtf8WithoutTerminator)
{
    std::string p = temp_path();
    tk_logger lg(p.c_str(), true, 1, false);
    std::wstring longtext(5000, L'\u00e9');
    tk_logw(2, L"%ls", longtext.c_str());
    std::string s = slurp(p);
    EXPECT_EQ(s.size(), 10000u + 2);
    EXPECT_EQ(s.substr(0, 2), "\xc3\xa9");
    EXPECT_EQ(s.find('\0'), std::string::npos);
    unlink(p.c_str());
}

TEST(Log, KeepsErrnoAndRejectsNullFile)
{
    std::string p = temp_path();
    tk_logger lg(p.c_str(), true, 1, false);
    errno = EACCES;
    tk_log(3, "line");
    EXPECT_EQ(errno, EACCES);
    try {
        lg.set_file(nullptr);
        FAIL();
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\TK/tk_log", 82));
    }
    unlink(p.c_str());
}

TEST(Log, SecondLoggerIsAnAssertion)
{
    std::string p = temp_path();
    tk_logger lg(p.c_str(), false, 3, false);
    EXPECT_THROW(tk_logger(p.c_str(), false, 3, false), tk_mail_assertion);
    unlink(p.c_str());
}
