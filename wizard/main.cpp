#include "plat_stdfd.h"
#include "plat_tmpreg.h"
#include "vlx_shel.h"

#include <QApplication>

int main(int argc, char** argv)
{
    plat::fill_closed_std_streams(); // before anything opens a file that could take their numbers
    // Qt takes its own options out of argv here, before the profile path is joined.
    QApplication app(argc, argv);
    // A session that ends the wizard mid-run leaves no temporary file behind.
    plat::remove_temp_files_on_signals();
    const std::string tail = gui_command_tail(argc, argv);
    return gui_main(&app, nullptr, tail.c_str(), 0);
}
