#pragma once
// The error handler's dialogs: the internal-error dialog (114) and the
// continue-or-abort dialog (115). Controls carry their ids as object names.
#include <QDialog>

#include <string>

class QLabel;

// Caption of the error dialogs: the wizard's title and " Error", or "Error".
std::string error_dialog_caption();

template <int Id>
class dlg_error_ex : public QDialog {
public:
    enum { IDC_TEXT = 1320, IDC_SEND_BUG = 1112, IDC_OK = 1, IDC_COPY = 1108 };
    explicit dlg_error_ex(const std::string& text, QWidget* parent = nullptr);
    ~dlg_error_ex() override;

    // The result is the id of the button that closed it.
    int run();
    void command(int id);

    std::string text;
};

template <int Id>
class dlg_error_continue : public QDialog {
public:
    enum { IDC_TEXT = 1320, IDC_CONTINUE = 2, IDC_ABORT = 1, IDC_DONT_SHOW = 1222 };
    explicit dlg_error_continue(const std::string& text, QWidget* parent = nullptr);
    ~dlg_error_continue() override;

    // 1 Abort, 2 Continue (also Escape and closing the window).
    int run();
    void command(int id);
    void reject() override;

    std::string text;
    bool dont_show = false;
};

extern template class dlg_error_ex<114>;
extern template class dlg_error_continue<115>;
