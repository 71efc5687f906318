// The wizard tests need one QApplication for the whole program, built before any test runs.
#include "g_marsh.h"
#include "scoped_env.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A private runtime folder keeps Qt quiet about a missing one.
    const vlxtest::TempDir runtime("vlx-wizard-");
    chmod(runtime.path.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
    static int qt_argc = 1;
    static char* qt_argv[] = {argv[0], nullptr};
    QApplication app(qt_argc, qt_argv);
    gui_install_clipboard();
    return RUN_ALL_TESTS();
}
