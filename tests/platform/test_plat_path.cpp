#include "plat_dll.h"
#include "plat_file.h"
#include "plat_mail.h"
#include "plat_path.h"

#include "scoped_env.h"

#include <cerrno>
#include <gtest/gtest.h>

using vlxtest::EnvVar;
using vlxtest::TempDir;

TEST(Path, NormalizeIsLexical)
{
    EXPECT_EQ(plat::normalize_absolute("/"), "/");
    EXPECT_EQ(plat::normalize_absolute("/a/../../b//c/./d"), "/b/c/d");
    EXPECT_EQ(plat::normalize_absolute("/a/b/"), "/a/b/");
    EXPECT_EQ(plat::normalize_absolute("/a/b/.."), "/a/");
    EXPECT_EQ(plat::normalize_absolute("/a/."), "/a/");
}

TEST(Path, FullPathFromTheCurrentFolder)
{
    TempDir dir;
    char old[4096];
    ASSERT_TRUE(getcwd(old, sizeof old));
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    std::string a, b;
    bool ok_a = plat::full_path("x/../y.pdf", a);
    bool ok_b = plat::full_path("/abs/./z", b);
    ASSERT_EQ(chdir(old), 0);
    EXPECT_TRUE(ok_a && ok_b);
    EXPECT_EQ(a, dir.path + "/y.pdf");
    EXPECT_EQ(b, "/abs/z");
}

TEST(Path, SplitAndMake)
{
    std::string d, dir, name, ext;
    plat::split_path("/a.b/c.tar.gz", d, dir, name, ext);
    EXPECT_EQ(d, "");
    EXPECT_EQ(dir, "/a.b/");
    EXPECT_EQ(name, "c.tar");
    EXPECT_EQ(ext, ".gz");
    plat::split_path("noext", d, dir, name, ext);
    EXPECT_EQ(dir, "");
    EXPECT_EQ(name, "noext");
    EXPECT_EQ(ext, "");
    EXPECT_EQ(plat::make_path("", "/x", "n", "e"), "/x/n.e");
    EXPECT_EQ(plat::make_path("", "/x/", "n", ".e"), "/x/n.e");
    EXPECT_EQ(plat::make_path("", "", "n", ""), "n");
}

TEST(Path, OwnProgram)
{
    std::string exe;
    ASSERT_TRUE(plat::module_file_name(exe));
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_platform");
}

TEST(Files, TempFilesAreUniquePrivateAndPrefixed)
{
    TempDir dir;
    EnvVar tmp("TMPDIR", dir.path.c_str());
    int err = 0;
    std::string a = plat::make_temp_file(&err), b = plat::make_temp_file(&err);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.substr(0, dir.path.size() + 4), dir.path + "/TMP");
    EXPECT_EQ(vlxtest::mode_of(a), 0600u);
    EnvVar empty("TMPDIR", "");
    std::string c = plat::make_temp_file(&err);
    EXPECT_EQ(c.substr(0, 8), "/tmp/TMP");
    unlink(c.c_str());
    EnvVar missing("TMPDIR", (dir / "none").c_str());
    EXPECT_EQ(plat::make_temp_file(&err), "");
    EXPECT_EQ(err, ENOENT);
}

TEST(Files, AtomicWriteReplacesSymlinksAndSetsTheMode)
{
    TempDir dir;
    vlxtest::spit(dir / "target", "keep");
    ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "f").c_str()), 0);
    EXPECT_EQ(plat::write_file_atomic(dir / "f", "new", 0600), 0);
    EXPECT_EQ(vlxtest::slurp(dir / "target"), "keep");
    EXPECT_EQ(vlxtest::slurp(dir / "f"), "new");
    EXPECT_EQ(vlxtest::mode_of(dir / "f"), 0600u);
    EXPECT_EQ(plat::write_file_atomic(dir / "none/f", "x", 0600), ENOENT);
}

TEST(Files, ReadFileLimits)
{
    TempDir dir;
    std::string data;
    vlxtest::spit(dir / "f", "12345");
    EXPECT_EQ(plat::read_file(dir / "f", data, 5), 0);
    EXPECT_EQ(data, "12345");
    EXPECT_EQ(plat::read_file(dir / "f", data, 4), EFBIG);
    EXPECT_EQ(plat::read_file(dir.path, data, 10), EISDIR);
    EXPECT_EQ(plat::read_file(dir / "none", data, 10), ENOENT);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(plat::read_file(dir / "fifo", data, 10), EINVAL); // and does not block
    EXPECT_TRUE(plat::can_open_file(dir / "fifo", false));
}

TEST(Files, MakeDirs)
{
    TempDir dir;
    EXPECT_EQ(plat::make_dirs(dir / "a/b/c", 0700), 0);
    EXPECT_EQ(vlxtest::mode_of(dir / "a/b"), 0700u);
    EXPECT_EQ(plat::make_dirs(dir / "a/b/c", 0700), 0);
    vlxtest::spit(dir / "file", "");
    EXPECT_EQ(plat::make_dirs(dir / "file", 0700), ENOTDIR);
    EXPECT_EQ(plat::make_dirs(dir / "file/x", 0700), ENOTDIR);
}

TEST(Mail, ExitStatusOfTheMailer)
{
    TempDir dir;
    vlxtest::spit(dir / "xdg-email", "#!/bin/sh\nexit 3\n");
    chmod((dir / "xdg-email").c_str(), 0755);
    EnvVar path("PATH", dir.path.c_str());
    int status = 0;
    EXPECT_EQ(plat::send_mail("a@b", "s", "t", &status), -1);
    EXPECT_EQ(status, 3);
    EnvVar none("PATH", (dir / "none").c_str());
    EXPECT_EQ(plat::send_mail("a@b", "s", "t"), ENOENT);
}

TEST(Dll, MissingLibrary)
{
    plat::dll_version_info info;
    EXPECT_EQ(plat::dll_get_version("/nonexistent/lib.so", info), plat::DLL_NOT_LOADED);
    EXPECT_EQ(plat::dll_get_version(nullptr, info), plat::DLL_NOT_LOADED);
    EXPECT_EQ(info.cb_size, 20u);
}
