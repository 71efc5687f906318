#include "vlx_shel.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Qt takes its own options out of argv here, before the profile path is joined.
    QApplication app(argc, argv);
    const std::string tail = gui_command_tail(argc, argv);
    return gui_main(&app, nullptr, tail.c_str(), 0);
}
