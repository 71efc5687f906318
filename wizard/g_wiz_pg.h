#pragma once
// The base of every wizard page: the frame's notifications become a few
// virtual operations, and the page sets the wizard buttons on activation.
#include <QCheckBox>
#include <QWidget>

#include <memory>
#include <string>

class QFont;

// Wizard buttons (a page's Buttons argument).
enum { PSWIZB_BACK = 1, PSWIZB_NEXT = 2, PSWIZB_FINISH = 4 };

// Page-description flags (a page's PageFlags argument).
enum {
    PSP_HASHELP = 0x20,
    PSP_HIDEHEADER = 0x800,
    PSP_USEHEADERTITLE = 0x1000,
    PSP_USEHEADERSUBTITLE = 0x2000
};

// Notification codes the frame sends to its pages.
enum {
    PSN_SETACTIVE = -200,
    PSN_KILLACTIVE = -201,
    PSN_APPLY = -202,
    PSN_RESET = -203,
    PSN_HELP = -205,
    PSN_WIZBACK = -206,
    PSN_WIZNEXT = -207,
    PSN_WIZFINISH = -208,
    PSN_QUERYCANCEL = -209,
    PSN_TRANSLATEACCELERATOR = -212,
    PSN_QUERYINITIALFOCUS = -213
};

// A check box that does not toggle itself: the page flips it (invert_chbox).
class plain_check_box : public QCheckBox {
public:
    explicit plain_check_box(const QString& text, QWidget* parent = nullptr);

protected:
    void nextCheckState() override {}
};

// Controls are found by their id, kept as the widget's object name ("1003").
void set_control_id(QWidget* control, int id);

class wizard_page_base : public QWidget {
public:
    wizard_page_base(int dialog_id, int buttons, int page_flags);
    ~wizard_page_base() override;

    int dialog_id() const { return dialog; }
    int buttons() const { return wiz_buttons; }
    int page_flags() const { return flags; }
    const std::string& header_title() const { return title; }
    const std::string& header_subtitle() const { return subtitle; }
    // Sets both header texts and the flags that show them.
    void set_header(const std::string& header_title, const std::string& header_subtitle);

    // Dispatches one notification. Returns false, leaving result alone, when the
    // sender is neither this page nor its wizard or the code is not handled.
    bool notify(const QObject* sender, int code, int& result);

    // Page operations.
    virtual bool page_init() { return true; }
    virtual bool on_kill_active() { return true; }
    virtual bool on_finish() { return true; }
    virtual void on_help() {}
    virtual int on_next() { return 0; }
    virtual int on_back() { return 0; }
    virtual bool on_cancel();
    // The frame's progress timer, forwarded to the current page.
    virtual void on_timer(int timer_id) {}

    // Sets the wizard buttons, asks the frame for title and icon, then page_init;
    // a page shown puts the focus on its first input, so typing on arrival lands there.
    bool OnSetActive();
    // The first control in tab order whose value the user sets (a text field, a
    // check box, a radio button: of a radio group the checked one), or null.
    QWidget* first_input() const;

    // The control with that id among this page's children, or null.
    QWidget* control(int id) const;
    bool invert_chbox(int id);
    void enable_ctrl(int id, bool enable);
    void set_title_font(int id);

private:
    int dialog;
    int wiz_buttons;
    int flags;
    std::string title;
    std::string subtitle;
    std::unique_ptr<QFont> title_font;
};

template <int DialogId, int Buttons, int PageFlags>
class wizard_page : public wizard_page_base {
public:
    wizard_page() : wizard_page_base(DialogId, Buttons, PageFlags) {}
};
