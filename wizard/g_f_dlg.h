#pragma once
// Choosing a file to read or to write.
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Filter list in the pairs form: display name, pattern, each ending in a zero
// character, the list ending in an extra zero; and the dialog's title.
struct file_filter {
    const char* filter;
    const char* title;
};

class file_dialog {
public:
    file_dialog(QWidget* owner, const file_filter& filter, const std::string& initial_path);
    virtual ~file_dialog() = default;

    // True when the user chose a file; get_file_name then returns it.
    virtual bool show() = 0;
    const std::string& get_file_name() const { return file_name; }

    QWidget* owner() const { return owner_window; }
    const std::string& initial_folder() const { return folder; }
    // The name the dialog proposes: the initial path's name, without its extension
    // when saving. The folder is the initial path's, or the user's documents folder
    // when there is no initial path.
    const std::string& initial_name() const { return initial; }
    const std::string& title() const { return dialog_title; }
    // Qt's name filters: "PDF Files (*.pdf)", "All Files (*)".
    const std::vector<std::string>& name_filters() const { return filters; }
    bool is_save() const { return saving; }

    // Replaces the dialog (tests): gets the dialog and returns whether a file was
    // chosen, writing it into the second argument.
    using chooser_fn = std::function<bool(const file_dialog&, std::string&)>;
    static void set_chooser(chooser_fn chooser);

protected:
    bool run_dialog();

    QWidget* owner_window;
    std::string file_name;
    std::string initial;
    std::string folder;
    std::string dialog_title;
    std::vector<std::string> filters;
    bool saving = false;
};

class open_file_dialog : public file_dialog {
public:
    open_file_dialog(QWidget* owner, const file_filter& filter, const std::string& initial_path);
    bool show() override;
};

class save_file_dialog : public file_dialog {
public:
    // ext with or without its leading "."; null is an internal error.
    save_file_dialog(QWidget* owner, const file_filter& filter, const std::string& initial_path,
                     const char* ext);
    bool show() override;
    const std::string& default_ext() const { return def_ext; }

    // The chosen name with the extension appended unless it already occurs in it
    // (as written) or the result would exceed 259 characters.
    static std::string apply_default_ext(const std::string& chosen, const std::string& ext);

private:
    std::string def_ext;
};
