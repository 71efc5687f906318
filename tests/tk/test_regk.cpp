#include "tk_regk.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

using tktest::thrown;

namespace {

const char* const VELLIX = "Software\\Quorvane\\Vellix";

struct RegKey : ::testing::Test {
    vlxtest::TempDir dir;
    vlxtest::EnvVar conf{"XDG_CONFIG_HOME", dir.path.c_str()};
    tk_reg_key k{VELLIX};
    void open(tk_reg_key& key) { ASSERT_EQ(key.create(plat::hkey_current_user(), VELLIX), 0); }
};

} // namespace

TEST_F(RegKey, CreateReportsTheDispositionAndAFailureKeepsTheOpenKey)
{
    uint32_t disp = 0;
    ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr, &disp), 0);
    EXPECT_EQ(disp, plat::REG_CREATED_NEW_KEY);
    disp = 99;
    EXPECT_EQ(k.create(plat::hkey_current_user(), "Software\\..\\x", nullptr, 0, 0, nullptr, &disp),
              plat::REG_INVALID_PARAMETER);
    EXPECT_EQ(disp, 0u);
    bool flag = true;
    EXPECT_TRUE(k.exchange("still", flag, true));
}

TEST_F(RegKey, LoadingKeepsDefaultsOnMissingOrMistypedValues)
{
    open(k);
    bool flag = true;
    std::string text = "default";
    EXPECT_FALSE(k.exchange("missing", text, false));
    // {stored string, bytes it takes}: a string read as a number is more data than a number holds,
    // even one short enough to fit ("0" is not the number 0x30).
    const struct {
        const char* text;
        uint32_t size;
    } strings[] = {{"0", 2}, {"1234", 5}};
    for (const auto& r : strings) {
        ASSERT_EQ(k.set_value(r.text, "str"), 0);
        uint32_t v = 7;
        EXPECT_EQ(k.get_value(v, "str"), plat::REG_MORE_DATA) << r.text;
        EXPECT_EQ(v, 7u);
        EXPECT_FALSE(k.exchange("str", flag, false));
    }
    ASSERT_EQ(k.set_value("0", "str"), 0);
    ASSERT_EQ(k.set_value(uint32_t(2), "two"), 0);
    uint32_t size = 0;
    EXPECT_EQ(k.get_value(nullptr, "two", &size), plat::REG_INVALID_DATA);
    EXPECT_FALSE(k.exchange("two", text, false));
    EXPECT_TRUE(flag);
    EXPECT_EQ(text, "default");

    size = 1;
    char small[3];
    EXPECT_EQ(k.get_value(small, "str", &size), plat::REG_MORE_DATA);
    EXPECT_EQ(size, 2u);
}

TEST_F(RegKey, WithoutAnOpenKeyNothingChangesAndMisuseAsserts)
{
    bool flag = true;
    std::string text = "t";
    EXPECT_FALSE(k.exchange("x", flag, false));
    EXPECT_FALSE(k.exchange("x", text, true));
    EXPECT_TRUE(flag);
    EXPECT_EQ(vlxtest::mode_of(dir / "Quorvane/Vellix"), 0xFFFFFFFFu);
    EXPECT_EQ(thrown([&] { k.set_value(uint32_t(1), "x"); }), tktest::assertion("tk_regk", 149));
}
