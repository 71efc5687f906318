#include "tk_dest.h"
#include "tk_errcv.h"
#include "tk_log.h"
#include "tk_utils.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

using vlxtest::EnvVar;
using vlxtest::TempDir;
using tktest::thrown;

namespace {
const char* const FOLDER = "Destination name should specify a file, not folder.";
const char* const SAME = "Destination name should differ from the source name.";
const char* const READ_ONLY = "Destination name specifies an existing read-only file.";
const char* const NO_PATH = "Destination path does not exist.\nPlease verify the correct path was given.";
} // namespace

TEST(CheckDest, FoldersAreRefused)
{
    TempDir dir;
    int level = -1;
    EXPECT_EQ(thrown([&] { common_check_dest(dir.path + "/"); }, &level), FOLDER);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_dest(dir.path); }), FOLDER);
    EXPECT_EQ(thrown([] { common_check_dest(""); }), FOLDER); // the program's folder
}

TEST(CheckDest, NewOrWritableFilesPassMissingFoldersDoNot)
{
    TempDir dir;
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "new.doc"); }), "");
    vlxtest::spit(dir / "old.doc", "x");
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "old.doc"); }), "");
    int level = -1;
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "missing/new.doc"); }, &level), NO_PATH);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "old.doc/new.doc"); }), NO_PATH);
}

TEST(CheckDest, ReadOnlyFileIsRefused)
{
    TempDir dir;
    vlxtest::spit(dir / "ro.doc", "x");
    chmod((dir / "ro.doc").c_str(), 0444);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "ro.doc"); }), READ_ONLY);
}

TEST(CheckDest, RelativeNameResolvesAgainstTheCurrentFolder)
{
    TempDir dir;
    char old[4096];
    ASSERT_TRUE(getcwd(old, sizeof old));
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    mkdir("sub", 0755);
    std::string ok = thrown([] { common_check_dest("sub/out.doc"); });
    std::string bad = thrown([] { common_check_dest("nosub/out.doc"); });
    std::string folder = thrown([] { common_check_dest("sub"); });
    ASSERT_EQ(chdir(old), 0);
    EXPECT_EQ(ok, "");
    EXPECT_EQ(bad, NO_PATH);
    EXPECT_EQ(folder, FOLDER);
}

TEST(CheckDest, DestinationNamingTheSourceIsRefused)
{
    TempDir dir;
    std::string src = dir / "in.pdf";
    vlxtest::spit(src, "%PDF");
    ASSERT_EQ(symlink(src.c_str(), (dir / "link.doc").c_str()), 0);
    int level = -1;
    EXPECT_EQ(thrown([&] { common_check_dest(src, src); }, &level), SAME);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "link.doc", src); }), SAME);
    EXPECT_EQ(thrown([&] { common_check_dest(dir.path + "/./in.pdf", src); }), SAME);
    EXPECT_EQ(vlxtest::slurp(src), "%PDF");
    // A source that does not exist yet is compared by its full path.
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "x.doc", dir.path + "//x.doc"); }), SAME);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "in.doc", src); }), "");
}

TEST(CheckLogfile, MustNameNeitherSourceNorDestination)
{
    TempDir dir;
    std::string src = dir / "in.pdf", dest = dir / "out.doc";
    vlxtest::spit(src, "%PDF");
    const char* msg = "Logfile name should differ from the source and destination names.";
    int level = -1;
    EXPECT_EQ(thrown([&] { common_check_logfile(src, src, dest); }, &level), msg);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_logfile(dest, src, dest); }), msg);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "log.txt", src, dest); }), "");
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "log.txt", "", ""); }), "");
}

TEST(MakeDest, FullPathKeepsItsFolder)
{
    EXPECT_EQ(common_make_dest("/out/old.doc", "new", "doc", false), "/out/new.doc");
    EXPECT_EQ(common_make_dest("/out/old.doc", "new", ".doc", false), "/out/new.doc");
    EXPECT_EQ(common_make_dest("/out/old", "new", "rtf", false), "/out/new.rtf");
    EXPECT_EQ(common_make_dest("/out/old.doc", "as is", "doc", true), "as is");
}

TEST(MakeDest, OtherwiseBesideTheDocumentsFolder)
{
    TempDir dir;
    EnvVar home("HOME", "/home/ann");
    EnvVar conf("XDG_CONFIG_HOME", dir.path.c_str());
    EXPECT_EQ(common_make_dest("", "report", "doc", false), "/home/ann/report.doc");
    EXPECT_EQ(common_make_dest("relative/old.doc", "report", ".doc", false), "/home/ann/report.doc");
    vlxtest::spit(dir / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    EXPECT_EQ(common_make_dest("", "report", "doc", false), "/home/ann/report.doc");
}

TEST(ErrorConverter, EmptyUnlessAnEntryMatches)
{
    TempDir dir;
    std::string log = dir / "log";
    tk_logger lg(log.c_str(), true, 1, false);
    tk_error_converter c;
    EXPECT_EQ(c.convert(0), "");
    EXPECT_EQ(c.convert(5), "");
    c.messages[5] = "Access denied";
    EXPECT_EQ(c.convert(5), "Access denied");
    EXPECT_EQ(c.convert(4), "");
    EXPECT_EQ(c.convert(6), "");
    EXPECT_EQ(vlxtest::slurp(log),
              "tk_error_converter::empty ctor\r\n"
              "tk_error_converter::convert(0)\r\nError message not found!\r\n"
              "tk_error_converter::convert(5)\r\nError message not found!\r\n"
              "tk_error_converter::convert(5)\r\nError message has been found: Access denied\r\n"
              "tk_error_converter::convert(4)\r\nError message not found!\r\n"
              "tk_error_converter::convert(6)\r\nError message not found!\r\n");
}
