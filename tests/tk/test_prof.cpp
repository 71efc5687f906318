#include "tk_prof.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

using vlxtest::slurp;
using vlxtest::spit;

namespace {

const char* const G = "Generic settings";

struct Profile : ::testing::Test {
    vlxtest::TempDir dir;
    std::string path = dir / "p.vlx";
    tk_profile p;

    bool load_text(tk_profile& into, const std::string& text)
    {
        spit(path, text);
        return into.load(path);
    }
};

} // namespace

TEST_F(Profile, KeyLinesFirstValueWinsAndLineEnds)
{
    // a line is a text: what follows a NUL byte in it is not read
    ASSERT_TRUE(load_text(p, "[S]\r\n  mode = 1  \r\npages=1,3,5-10\r\na=b=c\r\nk=1\nk=2\n[T]\nx=1\nmode=1" +
                             std::string(1, '\0') + "junk\r\n[S]\nk=3\nj=4\nc=x\rb\r\nlast=1"));
    std::pair<const char*, const char*> rows[] = {{"mode", " 1"}, {"a", "b=c"},   {"k", "1"},
                                                  {"j", "4"},     {"c", "x\rb"}, {"last", "1"}};
    for (auto& [key, value] : rows)
        EXPECT_EQ(p.get_value("S", key), value) << key;
    EXPECT_EQ(p.get_value("T", "x"), "1");
    EXPECT_EQ(p.get_value("T", "mode"), "1");
}

// What the settings read: the named keys of the generic section, each its first value, a bare line
// of one too; nothing else is kept, and a key before any section still makes the file unreadable.
TEST_F(Profile, LoadOfSomeKeysKeepsOnlyTheirFirstValues)
{
    spit(path, "[Other]\na=0\n[Generic settings]\nx=1\na=1\n b \nb=2\na=2\n[Other]\nc=0\n[Generic settings]\nc=3\n");
    ASSERT_TRUE(p.load(path, {"a", "b", "c"}));
    const tk_profile::section_map generic = {{"a", "1"}, {"b", ""}, {"c", "3"}};
    EXPECT_EQ(p.sections, (decltype(p.sections){{G, generic}}));
    EXPECT_TRUE(p.lists.empty());
    tk_profile q;
    spit(path, "a=1\n[Generic settings]\n");
    EXPECT_FALSE(q.load(path, {"a"}));
    EXPECT_EQ(q.get_value(G, "a"), "");
}

TEST_F(Profile, LineLengthLimitIs4095CharactersWhereverTheLineLies)
{
    const std::string v4093(4093, 'v');
    // Lines of 16 bytes: 65440 of them put the next line across the reader's 64 KiB buffer.
    auto filler = [](size_t bytes) {
        std::string f;
        char line[17];
        for (size_t i = 0; f.size() < bytes; ++i) {
            std::snprintf(line, sizeof line, "f%013zu=\n", i);
            f += line;
        }
        return f;
    };
    const std::string nul(1, '\0');
    const struct {
        std::string text;
        const char* k; // nullptr: the load stops with the assertion
    } rows[] = {
        {"[S]\r\nk=" + v4093 + "\r\nz=1\n", v4093.c_str()},
        {"[S]\nk=" + v4093 + "w\r\nz=1\n", nullptr},
        {"[S]\nk=" + v4093 + "w", nullptr}, // a last line without its line end
        {"[S]\n" + filler(65440) + "k=" + v4093 + "\nz=1\n", v4093.c_str()},
        {"[S]\n" + filler(1 << 20) + "k=" + v4093 + "w\nz=1\n", nullptr},
        // a NUL byte ends the text of a line, but the bytes after it still count
        {"[S]\nk=ab" + nul + "cd=x\nz=1\n", "ab"},
        {"[S]\nk=a" + nul + std::string(4093, 'x') + "\nz=1\n", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.size());
        tk_profile r;
        int level = -1;
        const std::string msg = tktest::thrown([&] { EXPECT_TRUE(load_text(r, row.text)); }, &level);
        if (row.k) {
            EXPECT_EQ(msg, "");
            EXPECT_EQ(r.get_value("S", "k"), row.k);
            EXPECT_EQ(r.get_value("S", "z"), "1");
        } else {
            EXPECT_EQ(msg, tktest::assertion("tk_prof", 109));
            EXPECT_EQ(level, 2);
            EXPECT_EQ(r.get_value("S", "z"), "");
        }
        if (row.text.size() > (1 << 20)) { // the lines before the long one were taken
            EXPECT_EQ(r.sections["S"].count("f0000000000000"), 1u);
        }
    }
}

TEST_F(Profile, FolderOrFifoIsNoProfile)
{
    const std::string fifo = dir / "fifo.vlx";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& not_a_file : {dir.path, fifo}) { // a FIFO without a writer used to block for ever
        int level = -1;
        EXPECT_EQ(tktest::thrown([&] { p.load(not_a_file); }, &level),
                  "Profile does not exist. Please verify the correct path/name was given.")
            << not_a_file;
        EXPECT_EQ(level, 1);
    }
}

TEST_F(Profile, FreshProfileStoresOnlyTheGenericHeaderPrivately)
{
    ASSERT_TRUE(p.store(path));
    EXPECT_EQ(slurp(path), "[Generic settings]\r\n\r\n");
    EXPECT_EQ(vlxtest::mode_of(path), 0600u);
}

TEST_F(Profile, StoreOrdersSectionsAndKeysByBytesThenWritesListsAndReadsBack)
{
    for (const char* key : {"mode", "dest", "convert graphics", "logfile", "line breaks"})
        p.set_value(G, key, key[0] == 'd' ? "" : "%s=\t1");
    p.set_value(G, "mode", "ignored");
    p.set_value("B", "\xE9", "hi");
    p.set_value("B", "z", "lo");
    p.add_section("A");
    ASSERT_TRUE(p.store(path));
    tk_profile q;
    ASSERT_TRUE(q.load(path));
    EXPECT_EQ(q.sections, p.sections);
    p.lists["B"] = {"  one ", "two"};
    ASSERT_TRUE(p.store(path));
    EXPECT_EQ(slurp(path), "[A]\r\n\r\n"
                           "[B]\r\nz=lo\r\n\xE9=hi\r\n\r\n"
                           "[Generic settings]\r\nconvert graphics=%s=\t1\r\ndest=\r\nline breaks=%s=\t1\r\n"
                           "logfile=%s=\t1\r\nmode=%s=\t1\r\n\r\n"
                           "[B]\r\n  one \r\ntwo\r\n");
}

TEST_F(Profile, StoreRefusesLineBreaksAndReportsFailedWrites)
{
    spit(path, "old");
    for (const char* bad : {"a\nb", "a\rb"}) {
        tk_profile v, k, s, l;
        v.set_value(G, "src", bad);
        k.set_value(G, bad, "1");
        s.add_section(bad);
        l.lists[G] = {bad};
        for (tk_profile* each : {&v, &k, &s, &l})
            EXPECT_FALSE(each->store(path));
    }
    EXPECT_EQ(slurp(path), "old");
    chmod(path.c_str(), 0444);
    EXPECT_FALSE(p.store(path)); // read-only even for root
    EXPECT_EQ(slurp(path), "old");
}
