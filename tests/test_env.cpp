// Linked into every test program: the environment the tests expect, whoever starts them.
#include <cstdlib>

extern "C" const char* __lsan_default_suppressions()
{
    // fontconfig keeps its shared default configuration for the life of the process.
    return "leak:libfontconfig.so\n";
}

namespace {

struct test_env {
    test_env()
    {
        setenv("VLX_SOURCE_DIR", VLX_SOURCE_DIR, 0);
        setenv("VLX_BINARY_DIR", VLX_BINARY_DIR, 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
} const env;

} // namespace
