#pragma once
// Every job test runs with its own settings store folder, so nothing reaches
// the user's real settings.
#include "vlx_conv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <filesystem>
#include <string>

class JobTest : public ::testing::Test {
protected:
    // In the constructor, not SetUp: derived fixtures' members (a job) are built before SetUp runs.
    JobTest()
    {
        char tmpl[] = "/tmp/vlxjob-XXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("mkdtemp failed");
        config_dir = tmpl;
        const char* old = std::getenv("XDG_CONFIG_HOME");
        had_config = old != nullptr;
        if (old)
            old_config = old;
        setenv("XDG_CONFIG_HOME", config_dir.c_str(), 1);
    }
    ~JobTest() override
    {
        if (had_config)
            setenv("XDG_CONFIG_HOME", old_config.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(config_dir);
    }
    std::string store_file() const { return config_dir + "/Quorvane/Vellix"; }

    std::string config_dir;
    std::string old_config;
    bool had_config = false;
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
