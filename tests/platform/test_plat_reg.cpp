#include "plat_reg.h"

#include "scoped_env.h"

#include <gtest/gtest.h>

using vlxtest::EnvVar;
using vlxtest::TempDir;
using namespace plat;

namespace {

struct Store : ::testing::Test {
    TempDir dir;
    EnvVar conf{"XDG_CONFIG_HOME", dir.path.c_str()};
    std::string file = dir / "Quorvane/Vellix";
    hkey key = nullptr;

    void open() { ASSERT_EQ(reg_create_key(hkey_current_user(), "Software\\Quorvane\\Vellix", &key, nullptr), REG_OK); }
    void reopen() { reg_close_key(key), open(); }
    void TearDown() override { reg_close_key(key); }
    long set_str(const std::string& name, const std::string& v)
    {
        return reg_set_value(key, name.c_str(), REG_SZ_TYPE, v.c_str(), uint32_t(v.size() + 1));
    }
    long set_dw(const char* name, uint32_t v) { return reg_set_value(key, name, REG_DWORD_TYPE, &v, 4); }
    long get_str(const std::string& name, std::string& out)
    {
        uint32_t size = 0, type = 0;
        long rc = reg_query_value(key, name.c_str(), REG_SZ_TYPE, &type, nullptr, &size);
        std::string buf(size, '\xFF');
        if (rc == 0 && (rc = reg_query_value(key, name.c_str(), REG_SZ_TYPE, &type, &buf[0], &size)) == 0) {
            EXPECT_EQ(buf[size - 1], '\0');
            out = buf.substr(0, size - 1);
        }
        return rc;
    }
    long get_dw(const char* name, uint32_t& v)
    {
        uint32_t size = 4, type = 0;
        return reg_query_value(key, name, REG_DWORD_TYPE, &type, &v, &size);
    }
};

} // namespace

TEST_F(Store, AnyBytesRoundTripThroughAPrivateFileReplacedAtomically)
{
    open();
    std::string all, s;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    ASSERT_EQ(set_str(all, all), REG_OK);
    ASSERT_EQ(set_dw("max", 0xFFFFFFFFu), REG_OK);
    ASSERT_EQ(set_str("a", "1"), REG_OK);
    ASSERT_EQ(set_dw("a", 5), REG_OK); // a value may change its type
    uint32_t v = 1;
    EXPECT_EQ(reg_set_value(key, "d", REG_DWORD_TYPE, &v, 2), REG_INVALID_PARAMETER); // short DWORD
    reopen();
    EXPECT_EQ(get_str(all, s), REG_OK);
    EXPECT_EQ(s, all);
    EXPECT_EQ(get_dw("max", v), REG_OK);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_EQ(get_dw("a", v), REG_OK);
    EXPECT_EQ(v, 5u);
    // A header and one line per value: nothing in a value can start another.
    std::string text = vlxtest::slurp(file);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 3);
    EXPECT_EQ(vlxtest::mode_of(file), 0600u);
    EXPECT_EQ(vlxtest::mode_of(dir / "Quorvane"), 0700u);
    auto entries = std::distance(std::filesystem::directory_iterator(dir / "Quorvane"), {});
    EXPECT_EQ(entries, 1); // no temporary file left behind
}

TEST_F(Store, DamagedLinesCostOnlyTheirOwnValue)
{
    ASSERT_EQ(std::filesystem::create_directories(dir / "Quorvane"), true);
    vlxtest::spit(file, std::string("garbage\n\0\xFF\n") +
                            "d:neg=-1\nd:big=4294967296\nd:ok=42\r\n"
                            "s:bad=%G1\ns:nul=a%00b\ns:dup=first\ns:dup=second\n"
                            "s:noequals\ns:last=end");
    open();
    uint32_t v = 0;
    std::string s;
    EXPECT_EQ(get_dw("ok", v), REG_OK);
    EXPECT_EQ(v, 42u);
    for (const char* n : {"neg", "big"})
        EXPECT_EQ(get_dw(n, v), REG_NOT_FOUND) << n;
    for (const char* n : {"bad", "nul", "noequals"})
        EXPECT_EQ(get_str(n, s), REG_NOT_FOUND) << n;
    EXPECT_EQ(get_str("dup", s), REG_OK);
    EXPECT_EQ(s, "first");
    EXPECT_EQ(get_str("last", s), REG_OK);
    EXPECT_EQ(s, "end");
    // A write keeps the readable values and drops the damaged lines.
    ASSERT_EQ(set_dw("new", 1), REG_OK);
    EXPECT_EQ(get_dw("ok", v), REG_OK);
    EXPECT_EQ(vlxtest::slurp(file).find("garbage"), std::string::npos);
}

TEST_F(Store, FolderOrHugeFileInPlaceOfTheStore)
{
    ASSERT_TRUE(std::filesystem::create_directories(file));
    EXPECT_EQ(reg_create_key(hkey_current_user(), "Software\\Quorvane\\Vellix", &key, nullptr), REG_DENIED);
    EXPECT_EQ(key, nullptr);
    std::filesystem::remove_all(file);
    vlxtest::spit(file, std::string(2 << 20, 'x'));
    open();
    uint32_t v;
    EXPECT_EQ(get_dw("a", v), REG_IO_FAILED);
    EXPECT_EQ(set_dw("a", 1), REG_IO_FAILED);
    EXPECT_EQ(vlxtest::slurp(file).size(), size_t(2 << 20));
}

TEST_F(Store, KeyNamesStayInsideTheStoreFolderUnderDotConfigByDefault)
{
    hkey k = nullptr;
    for (const char* bad : {"Software\\..\\x", "Software", "Software\\a/b"})
        EXPECT_EQ(reg_create_key(hkey_current_user(), bad, &k, nullptr), REG_INVALID_PARAMETER) << bad;
    EXPECT_EQ(reg_create_key(nullptr, "Software\\x", &k, nullptr), REG_INVALID_PARAMETER);
    EnvVar home("HOME", dir.path.c_str());
    EnvVar rel("XDG_CONFIG_HOME", "relative/ignored");
    open();
    EXPECT_EQ(vlxtest::mode_of(dir / ".config/Quorvane/Vellix"), 0600u);
}
