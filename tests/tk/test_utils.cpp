#include "tk_utils.h"

#include "tk_log.h"
#include "tk_testenv.h"

#include <gtest/gtest.h>

using vlxtest::EnvVar;
using vlxtest::TempDir;

TEST(TempFileName, CreatesAnEmptyPrivateFileInTmpdir)
{
    TempDir dir;
    EnvVar tmp("TMPDIR", dir.path.c_str());
    std::string a = tk_get_temp_file_name();
    std::string b = tk_get_temp_file_name();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.compare(0, dir.path.size() + 4, dir.path + "/TMP"), 0) << a;
    EXPECT_EQ(vlxtest::slurp(a), "");
    EXPECT_EQ(vlxtest::mode_of(a), 0600u);
}

TEST(TempFileName, MissingTmpdirThrowsTheSystemError)
{
    EnvVar tmp("TMPDIR", "/nonexistent-vlx-dir");
    try {
        tk_get_temp_file_name();
        FAIL() << "no exception";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.code, ENOENT);
        EXPECT_EQ(e.message, "No such file or directory");
        EXPECT_EQ(e.level, 1);
    }
}

TEST(FileExist, FoldersAreNeverFiles)
{
    TempDir dir;
    EXPECT_FALSE(tk_is_file_exist(dir.path, TK_MODE_READ));
    EXPECT_FALSE(tk_is_file_exist(dir.path, TK_MODE_WRITE));
    EXPECT_FALSE(tk_is_file_exist(dir / "none", TK_MODE_READ));
    vlxtest::spit(dir / "f", "x");
    EXPECT_TRUE(tk_is_file_exist(dir / "f", TK_MODE_READ));
    EXPECT_TRUE(tk_is_file_exist(dir / "f", 0));
    EXPECT_TRUE(tk_is_file_exist(dir / "f", TK_MODE_WRITE));
}

TEST(FileExist, FileWithoutWriteBitsIsReadOnlyEvenForRoot)
{
    TempDir dir;
    vlxtest::spit(dir / "ro", "x");
    chmod((dir / "ro").c_str(), 0444);
    EXPECT_TRUE(tk_is_file_exist(dir / "ro", TK_MODE_READ));
    EXPECT_FALSE(tk_is_file_exist(dir / "ro", TK_MODE_WRITE));
}

TEST(FileExist, UnreadableFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    TempDir dir;
    vlxtest::spit(dir / "wo", "x");
    chmod((dir / "wo").c_str(), 0200);
    EXPECT_FALSE(tk_is_file_exist(dir / "wo", TK_MODE_READ));
}

TEST(PathExist, FoldersOnly)
{
    TempDir dir;
    vlxtest::spit(dir / "f", "x");
    EXPECT_TRUE(tk_is_path_exist(dir.path));
    EXPECT_TRUE(tk_is_path_exist(dir.path + "/"));
    EXPECT_FALSE(tk_is_path_exist(dir / "f"));
    EXPECT_FALSE(tk_is_path_exist(dir / "none"));
    EXPECT_TRUE(tk_is_path_exist("")); // the program's folder
}

TEST(SameFile, ByInodeOrByFullPath)
{
    TempDir dir;
    vlxtest::spit(dir / "a", "x");
    ASSERT_EQ(symlink((dir / "a").c_str(), (dir / "l").c_str()), 0);
    ASSERT_EQ(link((dir / "a").c_str(), (dir / "h").c_str()), 0);
    EXPECT_TRUE(tk_is_same_file(dir / "a", dir / "l"));
    EXPECT_TRUE(tk_is_same_file(dir / "a", dir / "h"));
    EXPECT_TRUE(tk_is_same_file(dir / "a", dir.path + "/./../" + dir.path.substr(dir.path.rfind('/') + 1) + "/a"));
    EXPECT_TRUE(tk_is_same_file(dir / "new", dir.path + "//new"));
    EXPECT_FALSE(tk_is_same_file(dir / "a", dir / "new"));
    EXPECT_FALSE(tk_is_same_file(dir / "a", ""));
    EXPECT_FALSE(tk_is_same_file("", ""));
}

TEST(UserHomePath, DocumentsFolderFromUserDirsElseHome)
{
    TempDir dir;
    EnvVar home("HOME", "/home/ann");
    EnvVar conf("XDG_CONFIG_HOME", dir.path.c_str());
    EXPECT_EQ(tk_get_user_home_path(), "/home/ann/");
    vlxtest::spit(dir / "user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(tk_get_user_home_path(), "/home/ann/Docs");
    vlxtest::spit(dir / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/data/my docs\"\n");
    EXPECT_EQ(tk_get_user_home_path(), "/data/my docs");
    vlxtest::spit(dir / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(tk_get_user_home_path(), "/home/ann/");
    vlxtest::spit(dir / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=relative\n");
    EXPECT_EQ(tk_get_user_home_path(), "/home/ann/");
}

TEST(DllVersion, MajorAndMinorFromDllGetVersion)
{
    EXPECT_EQ(get_dll_version(TK_TEST_DLLVER), 5u * 65536u + 82u);
    EXPECT_EQ(get_dll_version(TK_TEST_NOFUNC), 0u);
    EXPECT_EQ(get_dll_version(TK_TEST_FAILING), 0u);
    EXPECT_EQ(get_dll_version("/nonexistent/libnothing.so"), 0u);
}

namespace {
std::string clipboard;
void fake_clipboard(const std::string& t) { clipboard = t; }
} // namespace

TEST(Clipboard, WithoutAWriterNothingHappens)
{
    tk_copy_to_clipboard1("lost");
    tk_set_clipboard_writer(fake_clipboard);
    tk_copy_to_clipboard1("Internal error: \ncode=00");
    tk_set_clipboard_writer(nullptr);
    EXPECT_EQ(clipboard, "Internal error: \ncode=00");
}

TEST(SendBug, RunsXdgEmailWithAnArgumentVector)
{
    TempDir dir;
    std::string script = dir / "xdg-email";
    vlxtest::spit(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + dir / "args" + "'\n");
    chmod(script.c_str(), 0755);
    EnvVar path("PATH", dir.path.c_str());
    tk_send_bug("Vellix 4.1", "Internal error: \ncode=2e; rm -rf $HOME `x`");
    EXPECT_EQ(vlxtest::slurp(dir / "args"),
              std::string("--utf8|--subject|Bug report on Vellix 4.1|--body|Internal error: \ncode=2e; rm -rf $HOME `x`|") +
                  TK_SUPPORT_ADDRESS + "|");
}

TEST(SendBug, MissingMailerIsLoggedAndNothingIsSent)
{
    TempDir dir;
    std::string log = dir / "log";
    {
        tk_logger lg(log.c_str(), true, 1, false);
        EnvVar path("PATH", dir.path.c_str());
        tk_send_bug("", "text");
    }
    EXPECT_NE(vlxtest::slurp(log).find("Failed to locate xdg-email\r\n"), std::string::npos);
}
