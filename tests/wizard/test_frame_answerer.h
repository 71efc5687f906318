#pragma once
// Answers the modal windows a test provokes: records each one and runs the next
// scripted action on it. A watchdog closes whatever is left and fails the test
// instead of letting it hang.
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct seen_modal {
    std::string cls;   // "QMessageBox", "dlg_error_ex", "QFileDialog", ...
    std::string title; // window title
    std::string text;  // the box text, or control 1320's text
    std::vector<std::string> buttons; // button texts without '&'
    bool on_gui_thread = true;
};

class modal_answerer {
public:
    // An action gets the modal window and closes it somehow.
    using action = std::function<void(QWidget*)>;

    explicit modal_answerer(int watchdog_ms = 10000);
    ~modal_answerer();

    modal_answerer& then(action a);
    // Clicks the button whose text (without '&') or object name is name.
    modal_answerer& click(const std::string& name);

    // Processes events until n modal windows were answered; false on timeout.
    bool wait_for(size_t n, int ms = 10000);

    std::vector<seen_modal> seen;
    bool timed_out = false;

    static bool click_button(QWidget* w, const std::string& name);

private:
    void poll();

    std::deque<action> script;
    std::vector<QPointer<QWidget>> handled;
    QTimer timer;
    QTimer watchdog;
};
