#include "tk_cdir.h"
#include "tk_dest.h"

#include "tk_testenv.h"

#include <filesystem>
#include <gtest/gtest.h>

using tktest::thrown;
using vlxtest::EnvVar;
using vlxtest::TempDir;

// The plain refusals (folder, read-only, missing path) are checked end to end by the console tests.
TEST(CheckDest, NamesOfTheSourceAreRefusedBeforeAnythingIsWritten)
{
    const char* same = "Destination name should differ from the source name.";
    TempDir dir;
    std::string src = dir / "in.pdf", dest = dir / "out.doc";
    vlxtest::spit(src, "%PDF");
    ASSERT_EQ(symlink(src.c_str(), (dir / "link.doc").c_str()), 0);
    ASSERT_EQ(link(src.c_str(), (dir / "hard.doc").c_str()), 0);
    int level = -1;
    EXPECT_EQ(thrown([&] { common_check_dest(src, src); }, &level), same);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "link.doc", src); }), same);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "hard.doc", src); }), same);
    // A file that does not exist yet is compared by its full path.
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "x.doc", dir.path + "//x.doc"); }), same);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "in.doc", src); }), "");
    EXPECT_EQ(vlxtest::slurp(src), "%PDF");

    const char* msg = "Logfile name should differ from the source, destination and profile names.";
    const std::vector<std::string> names = {src, dest, dir / "run.vlx"};
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
    EXPECT_EQ(thrown([&] { common_check_logfile(src, names); }, &level), msg);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "link.doc", names); }), msg);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "sub/../in.pdf", names); }), msg);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir.path + "/./out.doc", names); }), msg);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "run.vlx", names); }), msg);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "log.txt", names); }), "");
}

TEST(MakeDest, BesideTheOldNameElseBesideTheDocumentsFolder)
{
    EXPECT_EQ(common_make_dest("/out/old.doc", "new", "doc", false), "/out/new.doc");
    EXPECT_EQ(common_make_dest("/out/old.doc", "as is", "doc", true), "as is");
    TempDir dir;
    EnvVar home("HOME", "/home/ann");
    EnvVar conf("XDG_CONFIG_HOME", dir.path.c_str());
    EXPECT_EQ(common_make_dest("", "report", ".doc", false), "/home/ann/report.doc");
    // a relative old name is made full from the current folder, which it keeps
    EXPECT_EQ(common_make_dest("relative/old.doc", "report", ".doc", false),
              std::filesystem::current_path().string() + "/relative/report.doc");
}
