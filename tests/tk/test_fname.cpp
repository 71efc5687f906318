#include "tk_cdir.h"
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
    EXPECT_EQ(fn.get_dir(), exe.substr(0, exe.rfind('/') + 1));
    EXPECT_EQ(fn.name, "");
    EXPECT_EQ(fn.drive, "");
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_tk");
    EXPECT_EQ(fn.ext, "");
}

TEST(FileName, RelativeNameResolvesAgainstTheCurrentFolder)
{
    tk_file_name fn("report");
    EXPECT_EQ(fn.dir, cwd() == "/" ? "/" : cwd() + "/");
    EXPECT_EQ(fn.name, "report");
    EXPECT_EQ(fn.ext, "");
    fn.set_ext("doc");
    EXPECT_EQ(fn.make_path(), fn.dir + "report.doc");
    fn.set_ext(".rtf");
    EXPECT_EQ(fn.ext, ".rtf");
    fn.set_ext("");
    EXPECT_EQ(fn.make_path(), fn.dir + "report");
}

TEST(FileName, SplitsTheLastComponentAtItsLastDot)
{
    tk_file_name fn(std::string("/a/./b.d/../c.x/my.file.pdf"));
    EXPECT_EQ(fn.dir, "/a/c.x/");
    EXPECT_EQ(fn.name, "my.file");
    EXPECT_EQ(fn.ext, ".pdf");
    EXPECT_EQ(fn.make_path(), "/a/c.x/my.file.pdf");

    tk_file_name folder("//x//y/");
    EXPECT_EQ(folder.dir, "/x/y/");
    EXPECT_EQ(folder.name, "");
    tk_file_name back("/w\\a\\b.txt"); // a backslash is an ordinary character
    EXPECT_EQ(back.dir, "/");
    EXPECT_EQ(back.name, "w\\a\\b");
    tk_file_name root("/..");
    EXPECT_EQ(root.get_dir(), "/");
}

TEST(FileName, NullTextIsAnAssertion)
{
    EXPECT_EQ(tktest::thrown([] { tk_file_name fn(static_cast<const char*>(nullptr)); }),
              tk_mail_assertion::make_message("..\\TK/tk_fname", 31));
}

TEST(Text, TrimOnlyRemovesBlanks)
{
    EXPECT_EQ(tk_trim_right("   "), "");
    EXPECT_EQ(tk_trim("  a b \t"), "a b \t");
    EXPECT_EQ(tk_trim_left("  a "), "a ");
    EXPECT_EQ(tk_trim_right(" a  "), " a");
    EXPECT_EQ(tk_trim(""), "");
}

TEST(Text, SplitKeepsEmptyPieces)
{
    EXPECT_EQ(tk_split("1,,2", ','), (std::vector<std::string>{"1", "", "2"}));
    EXPECT_EQ(tk_split("1,", ','), (std::vector<std::string>{"1", ""}));
    EXPECT_TRUE(tk_split("", ',').empty());
    EXPECT_EQ(tk_split(",", ','), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(tk_split(std::string("a,b\0,c", 6), ','), (std::vector<std::string>{"a", "b"}));
}

TEST(CurDirKeeper, ChangesAndRestores)
{
    vlxtest::TempDir dir;
    std::string before = cwd();
    {
        tk_cur_dir_keeper k(dir.path);
        EXPECT_TRUE(k.ok);
        EXPECT_EQ(cwd(), dir.path);
    }
    EXPECT_EQ(cwd(), before);
    {
        tk_cur_dir_keeper k(dir / "missing");
        EXPECT_FALSE(k.ok);
        EXPECT_EQ(cwd(), before);
    }
    EXPECT_EQ(cwd(), before);
}
