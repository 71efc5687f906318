#include "tk_prof.h"

#include "tk_except.h"
#include "tk_testenv.h"

#include <gtest/gtest.h>

using vlxtest::slurp;
using vlxtest::spit;

namespace {

const char* const G = "Generic settings";
const char* const MISSING = "Profile does not exist. Please verify the correct path/name was given.";

struct ProfileFile : ::testing::Test {
    vlxtest::TempDir dir;
    std::string path = dir / "p.vlx";

    bool load_text(tk_profile& p, const std::string& text)
    {
        spit(path, text);
        return p.load(path);
    }
};

} // namespace

TEST_F(ProfileFile, KeyLinesSplitAtTheFirstEqualsAndKeepBlanksAfterIt)
{
    tk_profile p;
    ASSERT_TRUE(load_text(p, "[Generic settings]\r\n  mode = 1  \r\npages=1,3,5-10\r\na=b=c\r\n"));
    EXPECT_EQ(p.get_value(G, "mode"), " 1");
    EXPECT_EQ(p.get_value(G, "pages"), "1,3,5-10");
    EXPECT_EQ(p.get_value(G, "a"), "b=c");
}

TEST_F(ProfileFile, FirstValueOfAKeyWinsAcrossRepeatedSections)
{
    tk_profile p;
    ASSERT_TRUE(load_text(p, "[S]\nk=1\nk=2\n[T]\nx=1\n[S]\nk=3\nj=4\n"));
    EXPECT_EQ(p.get_value("S", "k"), "1");
    EXPECT_EQ(p.get_value("S", "j"), "4");
    EXPECT_EQ(p.get_value("T", "x"), "1");
}

TEST_F(ProfileFile, HeadersBareLinesAndEmptyNames)
{
    tk_profile p;
    ASSERT_TRUE(load_text(p, "[]\n[ a b ]\n  bare one \n[\n\n\t\n"));
    EXPECT_EQ(p.sections.count(""), 1u);
    ASSERT_EQ(p.sections.count(" a b "), 1u);
    // A bare line is kept untrimmed in the list and trimmed as a key.
    ASSERT_EQ(p.lists[" a b "].size(), 3u);
    EXPECT_EQ(p.lists[" a b "][0], "  bare one ");
    EXPECT_EQ(p.lists[" a b "][1], "[");
    EXPECT_EQ(p.lists[" a b "][2], "\t");
    EXPECT_EQ(p.sections[" a b "].count("bare one"), 1u);
    EXPECT_EQ(p.get_value(" a b ", "bare one"), "");
}

TEST_F(ProfileFile, LinesBeforeAnySectionFailTheLoadKeepingWhatCameBefore)
{
    tk_profile p;
    EXPECT_FALSE(load_text(p, "src=a.pdf\n[Generic settings]\ndest=b\n"));
    EXPECT_EQ(p.get_value(G, "src"), "");
    EXPECT_EQ(p.get_value(G, "dest"), "");

    tk_profile q;
    EXPECT_FALSE(load_text(q, "\n  \nbare\n"));
    EXPECT_TRUE(q.lists.empty());
}

TEST_F(ProfileFile, LastLineWithoutLineEndAndLoneCarriageReturns)
{
    tk_profile p;
    ASSERT_TRUE(load_text(p, "[S]\r\na=x\rb\r\nlast=1"));
    EXPECT_EQ(p.get_value("S", "a"), "x\rb");
    EXPECT_EQ(p.get_value("S", "last"), "1");
}

TEST_F(ProfileFile, LineLengthLimitIs4095Characters)
{
    std::string v4095(4095 - 2, 'v');
    tk_profile p;
    ASSERT_TRUE(load_text(p, "[S]\r\nk=" + v4095 + "\r\n"));
    EXPECT_EQ(p.get_value("S", "k").size(), 4093u);
    tk_profile q;
    ASSERT_TRUE(load_text(q, "[S]\nk=" + v4095));

    tk_profile r;
    int level = -1;
    std::string msg = tktest::thrown([&] { load_text(r, "[S]\nk=" + v4095 + "w\r\nz=1\n"); }, &level);
    EXPECT_EQ(msg, tk_mail_assertion::make_message("..\\TK/tk_prof", 109));
    EXPECT_EQ(level, 2);
    EXPECT_EQ(r.get_value("S", "z"), "");
}

TEST_F(ProfileFile, MissingFileOrFolderIsRefusedWithLevelOne)
{
    tk_profile p;
    int level = -1;
    EXPECT_EQ(tktest::thrown([&] { p.load(dir / "none.vlx"); }, &level), MISSING);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(tktest::thrown([&] { p.load(dir.path); }), MISSING);
}

TEST_F(ProfileFile, FreshProfileStoresOnlyTheGenericHeader)
{
    tk_profile p;
    ASSERT_TRUE(p.store(path));
    EXPECT_EQ(slurp(path), "[Generic settings]\r\n\r\n");
    EXPECT_EQ(vlxtest::mode_of(path), 0600u);
}

TEST_F(ProfileFile, StoreOrdersSectionsAndKeysByBytesThenWritesLists)
{
    tk_profile p;
    p.set_value(G, "mode", "2");
    p.set_value(G, "dest", "");
    p.set_value(G, "convert graphics", "1");
    p.set_value(G, "logfile", "l");
    p.set_value(G, "line breaks", "0");
    p.set_value(G, "mode", "ignored");
    p.set_value("B", "\xE9", "hi");
    p.set_value("B", "z", "lo");
    p.add_section("A");
    p.lists["B"] = {"  one ", "two"};
    ASSERT_TRUE(p.store(path));
    EXPECT_EQ(slurp(path),
              "[A]\r\n\r\n"
              "[B]\r\nz=lo\r\n\xE9=hi\r\n\r\n"
              "[Generic settings]\r\nconvert graphics=1\r\ndest=\r\nline breaks=0\r\nlogfile=l\r\nmode=2\r\n\r\n"
              "[B]\r\n  one \r\ntwo\r\n");
}

TEST_F(ProfileFile, StoreThenLoadRoundTrips)
{
    tk_profile p;
    p.set_value(G, "src", "/tmp/a b/x=y.pdf");
    p.set_value(G, "password", "p%s\tq");
    p.set_value("Other", "k", "");
    ASSERT_TRUE(p.store(path));
    tk_profile q;
    ASSERT_TRUE(q.load(path));
    EXPECT_EQ(q.sections, p.sections);
}

TEST_F(ProfileFile, StoreReplacesAnExistingFileKeepingItsMode)
{
    spit(path, std::string(1000, 'x'));
    chmod(path.c_str(), 0640);
    tk_profile p;
    ASSERT_TRUE(p.store(path));
    EXPECT_EQ(slurp(path), "[Generic settings]\r\n\r\n");
    EXPECT_EQ(vlxtest::mode_of(path), 0640u);
}

TEST_F(ProfileFile, StoreRefusesLineBreaksWithoutTouchingTheFile)
{
    spit(path, "old");
    for (const char* bad : {"a\nb", "a\rb"}) {
        tk_profile v;
        v.set_value(G, "src", bad);
        EXPECT_FALSE(v.store(path));
        tk_profile k;
        k.set_value(G, bad, "1");
        EXPECT_FALSE(k.store(path));
        tk_profile s;
        s.add_section(bad);
        EXPECT_FALSE(s.store(path));
        tk_profile l;
        l.lists[G] = {bad};
        EXPECT_FALSE(l.store(path));
    }
    EXPECT_EQ(slurp(path), "old");
}

TEST_F(ProfileFile, StoreReportsFailedWrites)
{
    tk_profile p;
    EXPECT_FALSE(p.store(dir / "missing/p.vlx"));
    EXPECT_FALSE(p.store(dir.path));
    if (access("/dev/full", W_OK) == 0)
        EXPECT_FALSE(p.store("/dev/full"));
    spit(path, "keep");
    chmod(path.c_str(), 0444);
    EXPECT_FALSE(p.store(path)); // read-only even for root
    EXPECT_EQ(slurp(path), "keep");
}

TEST(Profile, GetValueOfMissingSectionOrKeyIsEmpty)
{
    tk_profile p;
    EXPECT_EQ(p.get_value("nope", "k"), "");
    EXPECT_EQ(p.get_value(G, "k"), "");
    EXPECT_EQ(p.sections.count("nope"), 0u);
    p.set_value("New", "k", "v");
    EXPECT_EQ(p.get_value("New", "k"), "v");
}
