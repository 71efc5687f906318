// The wizard's way of reporting an error: boxes and dialogs on the GUI thread.
#include "g_err_dl.h"
#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <QApplication>

#include <cstdlib>

namespace {

// The dialogs' parent: the active window, or the wizard when there is one.
QWidget* dialog_parent()
{
    if (QWidget* w = QApplication::activeWindow())
        return w;
    return wizard_shell::slot();
}

} // namespace

void error_handler::handle(const tk_exception& e, bool top_level)
{
    tk_log(2, "error_handler::handle('%s',top_level=%d)", e.what(), top_level ? 1 : 0);
    if (e.level == 2) {
        tk_log(3, "Internal error:\n%s", e.what());
        const std::string text = e.what();
        gui_call([&] {
            dlg_error_ex<114> dlg(text, dialog_parent());
            dlg.run();
        });
        // The process ends in the entry, on the GUI thread, once everything has unwound, and as
        // if at once: the session's settings are not kept.
        if (vellix_convertor* job = vellix_convertor::slot())
            job->keep_settings = false;
        gui_request_exit(-1);
        throw gui_exit{-1};
    }

    std::string report = prefix.empty() ? std::string() : prefix + ": ";
    std::string converted = converter.convert(e.code);
    report += converted.empty() ? std::string(e.what()) : converted;
    tk_log(3, "Error:\n%s", report.c_str());
    for (char& c : report)
        if (c == '\n')
            c = ' ';
    wizard_shell::note_run_error(report); // also when silent: the progress page shows it

    if (e.level == 1) {
        tk_log(1, "Got 1-level error");
        if (!silent) {
            tk_log(1, "Step 1");
            wizard_shell::error(report);
        }
        tk_log(1, "Step 2");
        auto topic = help_topics.find(e.code);
        if (topic != help_topics.end())
            wizard_shell::display_help(topic->second);
        if (!top_level)
            throw tk_final_exception();
        return;
    }

    tk_log(1, "Got 0-level error");
    if (silent)
        return;
    int result = 2;
    bool dont_show = false;
    gui_call([&] {
        dlg_error_continue<115> dlg(report, dialog_parent());
        result = dlg.run();
        dont_show = dlg.dont_show;
    });
    if (result == 1 && !top_level)
        throw tk_final_exception();
    silent = dont_show;
}
