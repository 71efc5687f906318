#include "tk_utils.h"

#include "plat_tmpreg.h"
#include "tk_log.h"
#include "tk_testenv.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/syscall.h>

using vlxtest::EnvVar;
using vlxtest::TempDir;

TEST(TempFileName, PrivateFileInTmpdirOrTheSystemError)
{
    TempDir dir;
    EnvVar tmp("TMPDIR", dir.path.c_str());
    int fa = -1, fb = -1;
    const mode_t saved = umask(0277); // readable and writable by its owner whatever the umask
    std::string a = tk_get_temp_file_name(fa), b = tk_get_temp_file_name(fb);
    umask(saved);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.compare(0, dir.path.size() + 4, dir.path + "/TMP"), 0) << a;
    EXPECT_EQ(vlxtest::slurp(a), "");
    EXPECT_EQ(vlxtest::mode_of(a), 0600u);
    // open for reading and writing
    EXPECT_EQ(write(fa, "abc", 3), 3);
    char back[4] = {};
    EXPECT_EQ(pread(fa, back, 3, 0), 3);
    EXPECT_STREQ(back, "abc");
    close(fa);
    close(fb);
    {
        EnvVar empty("TMPDIR", ""); // set but empty: the default folder
        int fc = -1;
        std::string c = tk_get_temp_file_name(fc);
        EXPECT_EQ(c.compare(0, 8, "/tmp/TMP"), 0) << c;
        unlink(c.c_str());
        close(fc);
    }

    // A fault the moment the file exists (here in its fchmod) still finds it recorded and removes it.
    {
        TempDir faulted;
        EnvVar in("TMPDIR", faulted.path.c_str());
        EXPECT_EXIT(
            {
                plat::remove_temp_files_on_signals();
                plat::temp_record record;
                int fd;
                if (vlxtest::trap_call(SYS_fchmod))
                    tk_get_temp_file_name(fd, &record);
                std::exit(0);
            },
            testing::KilledBySignal(SIGSYS), "");
        EXPECT_EQ(vlxtest::names_starting(faulted.path, ""), std::vector<std::string>{});
    }

    EnvVar missing("TMPDIR", (dir / "none").c_str());
    try {
        int fd;
        tk_get_temp_file_name(fd);
        FAIL() << "no exception";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.code, ENOENT);
        EXPECT_EQ(e.message, "No such file or directory");
        EXPECT_EQ(e.level, 1);
    }
}

TEST(FileExist, FoldersAreNeverFilesAndNoWriteBitsMeansReadOnly)
{
    TempDir dir;
    vlxtest::spit(dir / "f", "x");
    vlxtest::spit(dir / "ro", "x");
    chmod((dir / "ro").c_str(), 0444); // read-only even for root
    vlxtest::spit(dir / "wo", "x");
    chmod((dir / "wo").c_str(), 0200);
    struct {
        std::string name;
        bool read, write;
    } rows[] = {{dir.path, false, false}, {dir / "none", false, false}, {dir / "f", true, true},
                {dir / "ro", true, false}, {dir / "wo", geteuid() == 0, geteuid() == 0}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(tk_is_file_exist(r.name, 0), r.read);
        EXPECT_EQ(tk_is_file_exist(r.name, TK_MODE_WRITE), r.write);
    }
    char before[4096], after[4096];
    ASSERT_TRUE(getcwd(before, sizeof before));
    EXPECT_TRUE(tk_is_path_exist(dir.path));
    ASSERT_TRUE(getcwd(after, sizeof after));
    EXPECT_STREQ(after, before); // the current folder is restored at once
    EXPECT_FALSE(tk_is_path_exist(dir / "f"));
}

TEST(UserHomePath, DocumentsFolderFromUserDirsElseHome)
{
    TempDir dir;
    EnvVar home("HOME", "/home/ann");
    EnvVar conf("XDG_CONFIG_HOME", dir.path.c_str());
    vlxtest::spit(dir / "user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(tk_get_user_home_path(), "/home/ann/Docs");
}

TEST(DllVersion, MajorAndMinorFromDllGetVersion)
{
    EXPECT_EQ(get_dll_version(TK_TEST_DLLVER), 5u * 65536u + 82u);
    for (const char* lib : {TK_TEST_NOFUNC, TK_TEST_FAILING, "/nonexistent/libnothing.so"})
        EXPECT_EQ(get_dll_version(lib), 0u) << lib;
}

TEST(SendBug, RunsXdgEmailWithAnArgumentVectorOrLogsItsAbsence)
{
    TempDir dir;
    std::string script = dir / "xdg-email", log = dir / "log";
    vlxtest::spit(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + dir / "args" + "'\n");
    chmod(script.c_str(), 0755);
    tk_logger lg(log.c_str(), true, 1, false);
    {
        EnvVar path("PATH", dir.path.c_str());
        tk_send_bug("Vellix 4.1", "Internal error: \ncode=2e; rm -rf $HOME `x`");
    }
    EXPECT_EQ(vlxtest::slurp(dir / "args"),
              std::string("--utf8|--subject|Bug report on Vellix 4.1|--body|Internal error: \ncode=2e; rm -rf $HOME `x`|") +
                  TK_SUPPORT_ADDRESS + "|");
    EnvVar path("PATH", (dir / "none").c_str());
    tk_send_bug("", "text");
    EXPECT_NE(vlxtest::slurp(log).find("Failed to locate xdg-email\r\n"), std::string::npos);
}
