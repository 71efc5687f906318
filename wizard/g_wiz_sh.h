#pragma once
// The wizard's main window: the pages in a stack, the title, the buttons, the
// progress timer and the help key; also the message boxes and the help display.
#include "tk_singl.h"
#include "vlx_host.h"

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;
class wizard_page_base;

// Message-box styles the callers pass.
enum { MB_DEFBUTTON2 = 0x100 };

enum class box_kind { error, message, question };

class wizard_shell : public QDialog, public tk_singleton<wizard_shell> {
public:
    static constexpr int TIMER_ID = 0x10000;
    // Button ids, as the property sheet numbers them.
    enum { ID_CANCEL = 2, ID_HELP = 9, ID_BACK = 0x3023, ID_NEXT = 0x3024, ID_FINISH = 0x3025 };
    // The lowest GUI library accepted, major * 65536 + minor.
    static constexpr uint32_t MIN_GUI_VERSION = 0x60002;

    wizard_shell(const std::string& title, int icon_id, int watermark_id, int header_id);
    ~wizard_shell() override;

    const std::string& title() const { return window_title; }

    void add_page(wizard_page_base* page);
    // A page the wizard never shows still counts toward the frame's size, so a
    // launch that adds fewer pages gets the same frame.
    void size_for(wizard_page_base* page);
    // Activates the first page (once) and runs the wizard modally: 1 after
    // Finish, 0 after Cancel, or the code of a requested exit.
    int run_modal();
    // Activates the first page without a modal loop (tests show() the frame).
    void start();

    void apply_title_icon();
    static bool is_initialized();

    // Message boxes, from any thread, with or without a frame.
    static void error(const std::string& text);
    static void message(const std::string& text);
    static bool question(const std::string& text, int extra_style);
    // Replaces the boxes (tests): gets kind, caption, text and style; a
    // question takes a non-zero result as Yes.
    using box_hook_fn = std::function<int(box_kind, const std::string& caption,
                                          const std::string& text, int style)>;
    static void set_box_hook(box_hook_fn hook);

    // The text of the last error reported while a conversion ran (by the error
    // handler or the run's host), kept for the progress page; any thread.
    static void note_run_error(const std::string& text);
    static std::string last_run_error();
    static void clear_run_error();

    static void display_help(int topic);
    static void display_help();
    // The help file: the program's path with the extension ".html".
    static std::string help_file();
    static void set_help_file(const std::string& path); // empty restores the default

    // Any thread. The ticks arrive on the GUI thread and go to the current page.
    void start_timer(int milliseconds);
    void kill_timer();
    bool timer_started() const { return timer_on.load(); }
    // A timer message: only TIMER_ID reaches the current page.
    void on_timer_message(int timer_id);

    // Property-sheet messages the pages send.
    void set_wiz_buttons(int buttons); // PSM_SETWIZBUTTONS
    bool set_cur_sel_id(int dialog_id); // PSM_SETCURSELID
    void enable_button(int id, bool enable);
    // For a page with nothing to type into: Enter and Space then go on.
    void focus_default_button();
    QPushButton* button(int id) const;
    wizard_page_base* current_page() const;
    bool has_page(int dialog_id) const { return index_of(dialog_id) >= 0; }
    // Shows the current page's header texts again after the page changed them.
    void refresh_header();
    int current_index() const { return current; }
    int page_count() const { return static_cast<int>(pages.size()); }

    // What the buttons do (also reachable by clicking them).
    void press_back();
    void press_next();
    void press_finish();
    void press_help();

    // The conversion run's view of the frame (set as the convertor's host).
    vlx_run_host& run_host() { return host; }

    void reject() override; // Cancel, Escape and closing the window

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class shell_host : public vlx_run_host {
    public:
        explicit shell_host(wizard_shell& s) : shell(s) {}
        void start_timer(int milliseconds) override;
        void error(const std::string& text) override;

    private:
        wizard_shell& shell;
    };

    bool change_page(int target, int direction, bool leave_current);
    // One size for every page, added or only sized for, as large as the largest
    // needs with its wrapped text; not resizable.
    void fix_size();
    // The pages still here, added or only sized for.
    std::vector<wizard_page_base*> every_page() const;
    void show_header(const wizard_page_base* page);
    int index_of(int dialog_id) const;

    int icon_id;
    std::string window_title;
    std::atomic<bool> timer_on{false};
    std::atomic<bool> window_ready{false};
    int watermark;
    int header;

    shell_host host{*this};
    std::vector<QPointer<wizard_page_base>> pages;
    std::vector<QPointer<wizard_page_base>> sized_only; // never shown
    int current = -1;
    bool started = false;
    bool in_tick = false;
    QTimer* timer = nullptr;
    QStackedWidget* stack = nullptr;
    QWidget* header_box = nullptr;
    QFrame* header_line = nullptr;
    QLabel* header_picture = nullptr;
    QWidget* body = nullptr;
    QLabel* watermark_view = nullptr;
    QLabel* header_title = nullptr;
    QLabel* header_subtitle = nullptr;
    QPushButton* back_button = nullptr;
    QPushButton* next_button = nullptr;
    QPushButton* finish_button = nullptr;
    QPushButton* cancel_button = nullptr;
    QPushButton* help_button = nullptr;
};

// The running GUI library's version as major * 65536 + minor ("6.4.2" -> 0x60004).
uint32_t gui_library_version(const char* version);
// Refuses a GUI library older than the minimum: error box, then gui_exit{-1}.
void check_comctl32();
void check_comctl32(const char* running_version);
