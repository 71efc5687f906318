#include "tk_regk.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

using vlxtest::EnvVar;
using vlxtest::TempDir;
using tktest::thrown;

namespace {

const char* const VELLIX = "Software\\Quorvane\\Vellix";

std::string assertion(int line)
{
    return tk_mail_assertion::make_message("..\\TK/tk_regk", line);
}

struct RegKey : ::testing::Test {
    TempDir dir;
    EnvVar conf{"XDG_CONFIG_HOME", dir.path.c_str()};
    std::string file = dir / "Quorvane/Vellix";
};

} // namespace

TEST_F(RegKey, CreateMakesAPrivateStoreAndReportsTheDisposition)
{
    tk_reg_key k(VELLIX);
    uint32_t disp = 0;
    ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr, &disp), 0);
    EXPECT_EQ(disp, plat::REG_CREATED_NEW_KEY);
    EXPECT_EQ(vlxtest::mode_of(file), 0600u);
    EXPECT_EQ(vlxtest::mode_of(dir / "Quorvane"), 0700u);
    tk_reg_key again(VELLIX);
    ASSERT_EQ(again.create(plat::hkey_current_user(), VELLIX, nullptr, 0, plat::KEY_ALL_ACCESS, nullptr, &disp), 0);
    EXPECT_EQ(disp, plat::REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(k.close(), 0);
    EXPECT_EQ(k.close(), 0);
    EXPECT_EQ(k.key, nullptr);
}

TEST_F(RegKey, ExchangeRoundTripsBoolsAndStrings)
{
    {
        tk_reg_key k(VELLIX);
        ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX), 0);
        bool t = true, f = false;
        std::string pw = "p=%w\xE9\nx y", empty;
        EXPECT_TRUE(k.exchange("tables", t, true));
        EXPECT_TRUE(k.exchange("graphics", f, true));
        EXPECT_TRUE(k.exchange("password", pw, true));
        EXPECT_TRUE(k.exchange("pages", empty, true));
    }
    tk_reg_key k(VELLIX);
    ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX), 0);
    bool t = false, f = true;
    std::string pw, pages = "default";
    EXPECT_TRUE(k.exchange("tables", t, false));
    EXPECT_TRUE(k.exchange("graphics", f, false));
    EXPECT_TRUE(k.exchange("password", pw, false));
    EXPECT_TRUE(k.exchange("pages", pages, false));
    EXPECT_TRUE(t);
    EXPECT_FALSE(f);
    EXPECT_EQ(pw, "p=%w\xE9\nx y");
    EXPECT_EQ(pages, "");
}

TEST_F(RegKey, LoadingKeepsDefaultsOnMissingOrMistypedValues)
{
    tk_reg_key k(VELLIX);
    ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX), 0);
    bool flag = true;
    std::string text = "default";
    EXPECT_FALSE(k.exchange("missing", flag, false));
    EXPECT_FALSE(k.exchange("missing", text, false));
    EXPECT_TRUE(flag);
    EXPECT_EQ(text, "default");

    // A one-character string "0" is not the DWORD 0x30.
    ASSERT_EQ(k.set_value("0", "str"), 0);
    uint32_t v = 7;
    EXPECT_EQ(k.get_value(v, "str"), plat::REG_INVALID_DATA);
    EXPECT_FALSE(k.exchange("str", flag, false));
    EXPECT_TRUE(flag);

    ASSERT_EQ(k.set_value(uint32_t(2), "two"), 0);
    EXPECT_FALSE(k.exchange("two", text, false));
    EXPECT_EQ(text, "default");
    flag = false;
    EXPECT_TRUE(k.exchange("two", flag, false));
    EXPECT_TRUE(flag);
}

TEST_F(RegKey, StringReadsReportSizeAndMoreData)
{
    tk_reg_key k(VELLIX);
    ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX), 0);
    ASSERT_EQ(k.set_value("hello", "s"), 0);
    uint32_t size = 0;
    EXPECT_EQ(k.get_value(nullptr, "s", &size), 0);
    EXPECT_EQ(size, 6u);
    char small[3];
    size = sizeof small;
    EXPECT_EQ(k.get_value(small, "s", &size), plat::REG_MORE_DATA);
    EXPECT_EQ(size, 6u);
    char buf[6];
    EXPECT_EQ(k.get_value(buf, "s", &size), 0);
    EXPECT_STREQ(buf, "hello");
}

TEST_F(RegKey, WithoutAnOpenKey)
{
    tk_reg_key k(VELLIX);
    bool flag = true;
    std::string text = "t";
    EXPECT_FALSE(k.exchange("x", flag, false));
    EXPECT_FALSE(k.exchange("x", flag, true));
    EXPECT_FALSE(k.exchange("x", text, false));
    EXPECT_FALSE(k.exchange("x", text, true));
    EXPECT_TRUE(flag);
    EXPECT_EQ(text, "t");
    EXPECT_EQ(vlxtest::mode_of(file), 0xFFFFFFFFu);
    EXPECT_EQ(thrown([&] { k.set_value(uint32_t(1), "x"); }), assertion(149));
    EXPECT_EQ(thrown([&] { k.set_value("v", "x"); }), assertion(157));
}

TEST_F(RegKey, ProgrammingErrorsAreAssertions)
{
    tk_reg_key k(VELLIX);
    EXPECT_EQ(thrown([&] { k.create(nullptr, VELLIX); }), assertion(64));
    uint32_t v, size = 0;
    EXPECT_EQ(thrown([&] { k.get_value(v, nullptr); }), assertion(98));
    EXPECT_EQ(thrown([&] { k.get_value(nullptr, "x", nullptr); }), assertion(115));
    EXPECT_EQ(thrown([&] { k.get_value(nullptr, nullptr, &size); }), assertion(116));
    EXPECT_EQ(thrown([&] { k.set_value(static_cast<const char*>(nullptr), "x"); }), assertion(156));
}

TEST_F(RegKey, FailedCreateKeepsTheOpenKey)
{
    tk_reg_key k(VELLIX);
    ASSERT_EQ(k.create(plat::hkey_current_user(), VELLIX), 0);
    uint32_t disp = 99;
    EXPECT_EQ(k.create(plat::hkey_current_user(), "Software\\..\\x", nullptr, 0, 0, nullptr, &disp),
              plat::REG_INVALID_PARAMETER);
    EXPECT_EQ(disp, 0u);
    bool flag = true;
    EXPECT_TRUE(k.exchange("still", flag, true));
}
