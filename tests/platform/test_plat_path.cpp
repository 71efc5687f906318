// The file stand-ins' safety edges; paths, temp files, mail, versions and the
// rest are exercised through the toolkit's tests.
#include "plat_file.h"

#include "scoped_env.h"

#include <cerrno>
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
