#include "g_f_dlg.h"

#include "g_marsh.h"
#include "tk_except.h"
#include "tk_fname.h"
#include "tk_log.h"
#include "tk_utils.h"

#include <QFileDialog>
#include <QStringList>

#include <mutex>

namespace {

const char* const UNIT = "..\\GUI2/g_f_dlg";
const size_t PATH_LIMIT = 259; // characters of the file buffer before its terminator

std::mutex chooser_lock;
file_dialog::chooser_fn chooser;

// Pairs of display name and pattern, as Qt reads them: the patterns from the
// last parenthesis group; "*.*" would hide names without a dot here.
std::vector<std::string> parse_filter(const char* list)
{
    std::vector<std::string> out;
    if (!list)
        return out;
    while (*list) {
        std::string name = list;
        list += name.size() + 1;
        std::string pattern = list;
        list += pattern.size() + 1;
        std::string qt_pattern;
        size_t pos = 0;
        while (pos <= pattern.size()) {
            size_t semi = pattern.find(';', pos);
            std::string one = pattern.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
            if (!qt_pattern.empty())
                qt_pattern += ' ';
            qt_pattern += one == "*.*" ? "*" : one;
            if (semi == std::string::npos)
                break;
            pos = semi + 1;
        }
        // Qt shows the patterns itself: a display name that already ends in its own
        // parenthesised patterns would show them twice.
        const size_t open = name.rfind(" (");
        if (open != std::string::npos && !name.empty() && name.back() == ')')
            name.erase(open);
        out.push_back(name + " (" + qt_pattern + ")");
        if (pattern.empty())
            break;
    }
    return out;
}

} // namespace

file_dialog::file_dialog(QWidget* owner, const file_filter& filter, const std::string& initial_path)
    : owner_window(owner)
{
    tk_log(1, "file_dialog::ctor(%s)", initial_path.c_str());
    tk_file_name parts(initial_path);
    initial = parts.name;
    folder = parts.get_dir();
    // Without a previous path the program's own folder means nothing to the user.
    const std::string documents = initial_path.empty() ? tk_get_user_home_path() : std::string();
    if (!documents.empty())
        folder = documents.back() == '/' ? documents : documents + "/";
    dialog_title = filter.title ? filter.title : "";
    filters = parse_filter(filter.filter);
}

void file_dialog::set_chooser(chooser_fn fn)
{
    std::lock_guard<std::mutex> hold(chooser_lock);
    chooser = std::move(fn);
}

bool file_dialog::run_dialog()
{
    chooser_fn fn;
    {
        std::lock_guard<std::mutex> hold(chooser_lock);
        fn = chooser;
    }
    std::string chosen;
    bool ok = false;
    if (fn) {
        ok = fn(*this, chosen);
    } else {
        gui_call([&] {
            QFileDialog dlg(owner_window, QString::fromStdString(dialog_title),
                            QString::fromStdString(folder));
            dlg.setOption(QFileDialog::DontUseNativeDialog, true);
            QStringList names;
            for (const std::string& f : filters)
                names << QString::fromStdString(f);
            dlg.setNameFilters(names);
            if (saving) {
                dlg.setAcceptMode(QFileDialog::AcceptSave);
                dlg.setFileMode(QFileDialog::AnyFile);
                dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
            } else {
                dlg.setAcceptMode(QFileDialog::AcceptOpen);
                dlg.setFileMode(QFileDialog::ExistingFile);
            }
            if (!initial.empty())
                dlg.selectFile(QString::fromStdString(initial));
            if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
                chosen = dlg.selectedFiles().first().toStdString();
                ok = true;
            }
        });
    }
    if (ok && !chosen.empty())
        file_name = chosen;
    return ok && !chosen.empty();
}

open_file_dialog::open_file_dialog(QWidget* owner, const file_filter& filter, const std::string& initial_path)
    : file_dialog(owner, filter, initial_path)
{
    // The file must exist: its whole name, so that Open can take it as it stands.
    if (!initial_path.empty())
        initial += tk_file_name(initial_path).ext;
}

bool open_file_dialog::show()
{
    tk_log(1, "open_file_dialog::show");
    return run_dialog();
}

save_file_dialog::save_file_dialog(QWidget* owner, const file_filter& filter, const std::string& initial_path,
                                   const char* ext)
    : file_dialog(owner, filter, initial_path)
{
    tk_assert(ext != nullptr, UNIT, 95);
    def_ext = ext[0] == '.' ? std::string(ext) : "." + std::string(ext);
    saving = true;
}

bool save_file_dialog::show()
{
    tk_log(1, "save_file_dialog::show");
    if (!run_dialog())
        return false;
    file_name = apply_default_ext(file_name, def_ext);
    return true;
}

std::string save_file_dialog::apply_default_ext(const std::string& chosen, const std::string& ext)
{
    // Only a name without the extension, as written, gets it.
    if (ext.empty() || chosen.find(ext) != std::string::npos || chosen.size() + ext.size() > PATH_LIMIT)
        return chosen;
    return chosen + ext;
}
