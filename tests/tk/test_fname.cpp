#include "tk_fname.h"
#include "tk_utils.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>
#include <unistd.h>

TEST(FileName, SplitsTheFullPathAtTheLastDot)
{
    tk_file_name fn(std::string("/a/./b.d/../c.x/my.file.pdf"));
    EXPECT_EQ(fn.dir, "/a/c.x/");
    EXPECT_EQ(fn.name, "my.file");
    EXPECT_EQ(fn.ext, ".pdf");
    tk_file_name back("/w\\a\\b.txt"); // a backslash is an ordinary character
    EXPECT_EQ(back.dir, "/");
    EXPECT_EQ(back.name, "w\\a\\b");

    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    tk_file_name rel("report");
    EXPECT_EQ(rel.dir, std::string(cwd) == "/" ? "/" : std::string(cwd) + "/");
    rel.set_ext("doc");
    EXPECT_EQ(rel.make_path(), rel.dir + "report.doc");

    std::string exe = tk_get_module_file_name(); // an empty text is the program's folder
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_tk");
    EXPECT_EQ(tk_file_name("").get_dir(), exe.substr(0, exe.rfind('/') + 1));
    EXPECT_EQ(tktest::thrown([] { tk_file_name n(static_cast<const char*>(nullptr)); }),
              tktest::assertion("tk_fname", 31));
}
