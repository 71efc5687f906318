#pragma once
// Every job test runs with its own settings store folder, so nothing reaches
// the user's real settings.
#include "scoped_env.h"
#include "tk_except.h"
#include "vlx_conv.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

class JobTest : public ::testing::Test {
protected:
    // Members, not SetUp: a derived fixture's job is built after them.
    vlxtest::TempDir config{"vlxjob"};
    vlxtest::EnvVar config_home{"XDG_CONFIG_HOME", config.path.c_str()};
};

// The message and level of what f throws, or "" and -1 when it throws nothing.
template <class F>
std::pair<std::string, int> thrown(F f)
{
    try {
        f();
    } catch (const tk_exception& e) {
        return {e.message, e.level};
    }
    return {"", -1};
}
