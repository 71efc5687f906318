#include "tk_fname.h"
#include "tk_str.h"
#include "tk_utils.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string cwd()
{
    char buf[4096];
    return getcwd(buf, sizeof buf) ? buf : "";
}

} // namespace

TEST(FileName, EmptyTextIsTheProgramsFolderAndExtension)
{
    tk_file_name fn("");
    std::string exe = tk_get_module_file_name();
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_tk");
    EXPECT_EQ(fn.get_dir(), exe.substr(0, exe.rfind('/') + 1));
    EXPECT_EQ(fn.name, "");
    EXPECT_EQ(fn.ext, "");
    EXPECT_EQ(tktest::thrown([] { tk_file_name n(static_cast<const char*>(nullptr)); }),
              tktest::assertion("tk_fname", 31));
}

TEST(FileName, RelativeNameResolvesAgainstTheCurrentFolder)
{
    tk_file_name fn("report");
    EXPECT_EQ(fn.dir, cwd() == "/" ? "/" : cwd() + "/");
    EXPECT_EQ(fn.name, "report");
    EXPECT_EQ(fn.ext, "");
    fn.set_ext("doc");
    EXPECT_EQ(fn.make_path(), fn.dir + "report.doc");
}

TEST(FileName, SplitsTheLastComponentAtItsLastDot)
{
    tk_file_name fn(std::string("/a/./b.d/../c.x/my.file.pdf"));
    EXPECT_EQ(fn.dir, "/a/c.x/");
    EXPECT_EQ(fn.name, "my.file");
    EXPECT_EQ(fn.ext, ".pdf");
    EXPECT_EQ(fn.make_path(), "/a/c.x/my.file.pdf");
    tk_file_name back("/w\\a\\b.txt"); // a backslash is an ordinary character
    EXPECT_EQ(back.dir, "/");
    EXPECT_EQ(back.name, "w\\a\\b");
}

TEST(Text, TrimOnlyBlanksAndSplitKeepsEmptyPieces)
{
    EXPECT_EQ(tk_trim("  a b \t"), "a b \t");
    using V = std::vector<std::string>;
    EXPECT_EQ(tk_split("1,,2", ','), (V{"1", "", "2"}));
    EXPECT_TRUE(tk_split("", ',').empty());
    EXPECT_EQ(tk_split(std::string("a,b\0,c", 6), ','), (V{"a", "b"}));
}
