// The file stand-ins' safety edges and the temporary files' removal on a signal; paths, mail,
// versions and the rest are exercised through the toolkit's tests.
#include "plat_file.h"
#include "plat_tmpreg.h"

#include "scoped_env.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <gtest/gtest.h>

using vlxtest::TempDir;

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
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(plat::read_file(dir / "fifo", data, 10), EINVAL); // and does not block
    EXPECT_TRUE(plat::can_open_file(dir / "fifo", false));
}

// A signal taken by one thread while another has created a file but not yet recorded it: the file
// must still go (the wizard's run is on a worker thread; the signal goes to any thread).
TEST(TempFiles, SignalInAnotherThreadWaitsForTheFileBeingRecorded)
{
    TempDir dir;
    const std::string file = dir / "TMPpicture";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        plat::remove_temp_files_on_signals();
        std::atomic<bool> created{false};
        plat::temp_record record;
        std::thread worker([&] {
            plat::signal_hold hold;
            vlxtest::spit(file, "x");
            created = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            record.record(file);
        });
        while (!created)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::raise(SIGTERM); // taken here, in the thread that holds nothing
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_NE(::access(file.c_str(), F_OK), 0);
}
