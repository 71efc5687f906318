#include "tk_cdir.h"
#include "tk_dest.h"
#include "tk_errcv.h"
#include "tk_log.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

using tktest::thrown;
using vlxtest::EnvVar;
using vlxtest::TempDir;

namespace {
const char* const FOLDER = "Destination name should specify a file, not folder.";
const char* const SAME = "Destination name should differ from the source name.";
const char* const READ_ONLY = "Destination name specifies an existing read-only file.";
const char* const NO_PATH = "Destination path does not exist.\nPlease verify the correct path was given.";
} // namespace

TEST(CheckDest, RefusesFoldersReadOnlyFilesAndMissingPaths)
{
    TempDir dir;
    vlxtest::spit(dir / "old.doc", "x");
    vlxtest::spit(dir / "ro.doc", "x");
    chmod((dir / "ro.doc").c_str(), 0444);
    struct {
        std::string dest, msg;
    } rows[] = {
        {dir.path, FOLDER}, {"", FOLDER}, // "": the program's folder
        {dir / "ro.doc", READ_ONLY}, {dir / "missing/new.doc", NO_PATH},
        {dir / "old.doc/new.doc", NO_PATH}, {dir / "old.doc", ""},
    };
    for (auto& r : rows) {
        SCOPED_TRACE(r.dest);
        int level = -1;
        EXPECT_EQ(thrown([&] { common_check_dest(r.dest); }, &level), r.msg);
        EXPECT_EQ(level, r.msg.empty() ? -1 : 1);
    }
}

TEST(CheckDest, NamesOfTheSourceAreRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    std::string src = dir / "in.pdf", dest = dir / "out.doc";
    vlxtest::spit(src, "%PDF");
    ASSERT_EQ(symlink(src.c_str(), (dir / "link.doc").c_str()), 0);
    ASSERT_EQ(link(src.c_str(), (dir / "hard.doc").c_str()), 0);
    int level = -1;
    EXPECT_EQ(thrown([&] { common_check_dest(src, src); }, &level), SAME);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "link.doc", src); }), SAME);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "hard.doc", src); }), SAME);
    // A file that does not exist yet is compared by its full path.
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "x.doc", dir.path + "//x.doc"); }), SAME);
    EXPECT_EQ(thrown([&] { common_check_dest(dir / "in.doc", src); }), "");
    EXPECT_EQ(vlxtest::slurp(src), "%PDF");

    const char* msg = "Logfile name should differ from the source and destination names.";
    EXPECT_EQ(thrown([&] { common_check_logfile(src, src, dest); }, &level), msg);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { common_check_logfile(dest, src, dest); }), msg);
    EXPECT_EQ(thrown([&] { common_check_logfile(dir / "log.txt", src, dest); }), "");
}

TEST(MakeDest, BesideTheOldNameElseBesideTheDocumentsFolder)
{
    EXPECT_EQ(common_make_dest("/out/old.doc", "new", "doc", false), "/out/new.doc");
    EXPECT_EQ(common_make_dest("/out/old.doc", "as is", "doc", true), "as is");
    TempDir dir;
    EnvVar home("HOME", "/home/ann");
    EnvVar conf("XDG_CONFIG_HOME", dir.path.c_str());
    EXPECT_EQ(common_make_dest("", "report", "doc", false), "/home/ann/report.doc");
    EXPECT_EQ(common_make_dest("relative/old.doc", "report", ".doc", false), "/home/ann/report.doc");
}

TEST(ErrorConverter, EmptyUnlessAnEntryMatches)
{
    TempDir dir;
    std::string log = dir / "log";
    tk_logger lg(log.c_str(), true, 1, false);
    tk_error_converter c;
    EXPECT_EQ(c.convert(0), "");
    c.messages[5] = "Access denied";
    EXPECT_EQ(c.convert(5), "Access denied");
    EXPECT_EQ(c.convert(4), "");
    std::string text = vlxtest::slurp(log);
    EXPECT_NE(text.find("convert(0)\r\nError message not found!\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("convert(5)\r\nError message has been found: Access denied\r\n"), std::string::npos);
}
