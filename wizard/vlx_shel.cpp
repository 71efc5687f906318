// The wizard program's entry: the long-lived objects, the wizard, quick launch.
#include "vlx_shel.h"

#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "tk_errh.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_conv.h"
#include "vlx_res.h"

#include <QApplication>

#include <cstdio>

namespace {

// Everything between the error handler's birth and death: exceptions leave
// after the objects built here are gone again, in reverse order.
int run_wizard(const std::string& cmd_line)
{
    check_comctl32();
    vellix_convertor job;
    const bool quick = !cmd_line.empty();
    if (quick) {
        tk_log(2, "QUICK LAUNCH: profile=%s", cmd_line.c_str());
        wizard_load_profile(job, cmd_line, true);
    }

    char title[64];
    std::snprintf(title, sizeof title, "Vellix %d.%d %s", VLX_VERSION_MAJOR, VLX_VERSION_MINOR, "");
    wizard_shell shell(title, VLX_ICON_ID, VLX_WATERMARK_ID, VLX_HEADER_ID);
    welcome_page welcome;
    sel_file_page sel_file;
    settings_page settings;
    if (!quick) {
        shell.add_page(&welcome);
        shell.add_page(&sel_file);
        shell.add_page(&settings);
    } else {
        // Not shown, but the frame is as large as theirs.
        shell.size_for(&welcome);
        shell.size_for(&sel_file);
        shell.size_for(&settings);
    }
    progress_page progress;
    shell.add_page(&progress);
    finish_page finish;
    shell.add_page(&finish);

    int result = shell.run_modal();
    int requested = 0;
    if (gui_exit_requested(&requested))
        result = requested;
    return result;
}

} // namespace

std::string gui_command_tail(int argc, char** argv)
{
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            tail += ' ';
        tail += argv[i];
    }
    const size_t first = tail.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : tail.substr(first);
}

int gui_main(QApplication* module, void* prev_instance, const char* cmd_line, int show_state)
{
    const std::string tail = cmd_line ? cmd_line : "";
    tk_log(1, "gui_main(%s)", tail.c_str());
    gui_install_clipboard();
    gui_clear_exit_request();
    if (module)
        module->setWindowIcon(vlx_load_icon(VLX_ICON_ID)); // also for the boxes shown without a frame
    int result = 0;
    error_handler handler;
    try {
        try {
            result = run_wizard(tail);
        } catch (const tk_exception& e) {
            handler.handle(e, true);
            result = 0;
        } catch (const tk_final_exception&) {
            result = 0; // the user has been told already
        } catch (const std::exception& e) {
            wizard_shell::error(e.what());
            result = 0;
        }
    } catch (const gui_exit& x) {
        result = x.code;
    }
    return result;
}
