// Linked into every test program: the environment the tests expect, whoever starts them.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" const char* __lsan_default_suppressions()
{
    // fontconfig keeps its shared default configuration for the life of the process.
    return "leak:libfontconfig.so\n";
}

namespace {

struct test_env {
    std::string config;
    pid_t owner = getpid();

    test_env()
    {
        setenv("VLX_SOURCE_DIR", VLX_SOURCE_DIR, 0);
        setenv("VLX_BINARY_DIR", VLX_BINARY_DIR, 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        // Nothing a test runs (our settings store, Qt's file dialogs) may write the user's settings.
        // A test program started by another (a death test's child) keeps the folder it was given,
        // which its starter removes.
        const char* given = std::getenv("VLX_TEST_CONFIG");
        const char* home = std::getenv("XDG_CONFIG_HOME");
        if (given && home && *given && std::string(given) == home)
            return;
        std::string tmpl = (std::filesystem::temp_directory_path() / "vlx-test-config-XXXXXX").string();
        if (mkdtemp(&tmpl[0])) {
            config = tmpl;
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            setenv("VLX_TEST_CONFIG", config.c_str(), 1);
        }
    }
    ~test_env()
    {
        std::error_code ec;
        if (!config.empty() && getpid() == owner) // not in a forked child
            std::filesystem::remove_all(config, ec);
    }
} const env;

} // namespace
