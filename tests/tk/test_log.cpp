#include "tk_log.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

#include <cerrno>

using vlxtest::slurp;
using vlxtest::spit;

namespace {
struct Log : ::testing::Test {
    vlxtest::TempDir dir;
    std::string path = dir / "x.log";
};
} // namespace

TEST_F(Log, FirstCallEmptiesTheFileThenThresholdFiltersAndErrnoSurvives)
{
    tk_log(3, "no logger");
    EXPECT_EQ(vlxtest::mode_of(path), 0xFFFFFFFFu);
    spit(path, "old contents");
    tk_logger lg(path.c_str(), false, 3, false);
    tk_log(3, "disabled");
    EXPECT_EQ(slurp(path), "old contents");
    lg.enabled = true;
    tk_log(1, "trace");
    EXPECT_EQ(slurp(path), "");
    errno = EACCES;
    tk_log(3, "failed: %s", "x%y");
    EXPECT_EQ(errno, EACCES);
    tk_log(3, "again");
    EXPECT_EQ(slurp(path), "failed: x%y\r\nagain\r\n");
    EXPECT_EQ(tktest::thrown([] { tk_logger second(nullptr, false, 3, false); }),
              tktest::assertion("tk_singl", 35));
}

TEST_F(Log, EnabledAtConstructionEmptiesOnceAndTimestampsPrefixLines)
{
    spit(path, "old");
    tk_logger lg(path.c_str(), true, 1, true);
    EXPECT_EQ(slurp(path), "");
    tk_log(1, "one");
    std::string s = slurp(path);
    ASSERT_EQ(s.size(), 9u + 3 + 2);
    EXPECT_EQ(s[2], ':');
    EXPECT_EQ(s[5], ':');
    EXPECT_EQ(s.substr(8), " one\r\n");
    EXPECT_EQ(tktest::thrown([&] { lg.set_file(nullptr); }), tktest::assertion("tk_log", 82));
}

TEST_F(Log, WideLinesAreWholeUtf8WithoutTerminator)
{
    tk_logger lg(path.c_str(), true, 1, false);
    std::wstring longtext(5000, L'\u00e9'); // more than any fixed buffer would hold
    tk_logw(2, L"%ls", longtext.c_str());
    std::string s = slurp(path);
    EXPECT_EQ(s.size(), 10000u + 2);
    EXPECT_EQ(s.substr(0, 2), "\xc3\xa9");
    EXPECT_EQ(s.find('\0'), std::string::npos);
}
