#pragma once
// The wizard program's own pages and its entry.
#include "g_wiz_pg.h"
#include "tk_threa.h"

#include <string>

class QApplication;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;
class vellix_convertor;

inline constexpr const char* VLX_SHEL_UNIT = "vlx_shel";
inline constexpr int VLX_VERSION_MAJOR = 4;
inline constexpr int VLX_VERSION_MINOR = 1;
// Where the welcome page's maker link leads.
inline constexpr const char* VLX_MAKER_URL = "https://www.quorvane.com/";

// Dialog ids of the pages.
enum { IDD_WELCOME = 103, IDD_SEL_FILE = 104, IDD_PROGRESS = 105, IDD_FINISH = 106, IDD_SETTINGS = 107 };

class welcome_page : public wizard_page<103, PSWIZB_NEXT, PSP_HIDEHEADER | PSP_HASHELP> {
public:
    welcome_page();
    bool page_init() override;
    void on_help() override;
    void load_settings();
    bool link_attached() const { return hyperlink_attached; }

private:
    QLabel* hyperlink = nullptr;
    bool hyperlink_attached = false;
};

class sel_file_page : public wizard_page<104, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP> {
public:
    sel_file_page();
    bool page_init() override;
    void on_help() override;
    int on_next() override;
    int on_back() override;

    void save();
    void on_checkbox(int id);
    void on_source_killfocus();
    void make_dest(const char* source);
    void browse_source();
    void browse_dest();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int check_and_go_on();
    // Next and Back pressed by keys come before the PDF field is left: leaving it goes first.
    void leave_source_first();
    QLineEdit* edit(int id) const;

    // The PDF name the destination was last set for, proposed, typed or browsed.
    std::string dest_set_for;
};

class settings_page : public wizard_page<107, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP> {
public:
    static const char* const EXACT_TEXT;
    static const char* const FLOWING_TEXT;

    settings_page();
    bool page_init() override;
    void on_help() override;
    int on_next() override;
    int on_back() override { return on_next(); }

    void on_radio(int code, int id);
    void save();
};

class progress_page : public wizard_page<105, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP>, public tk_thread {
public:
    static const char* const WORKING_TEXT;
    static const char* const FAILED_TEXT;
    // The files a failed run was converting, for the page's failure text.
    static std::string failed_files(const std::string& src, const std::string& dest);

    progress_page();
    ~progress_page() override;
    bool page_init() override;
    void on_help() override;
    // After a failed run Back leads to the files page, to change names or switches.
    int on_back() override;
    void on_timer(int timer_id) override;
    tk_thread_functor* create_functor() override;

    // Asks a running conversion to stop and waits for it while the interface
    // thread keeps serving the worker's requests.
    void stop_worker();

private:
    // The worker has ended: the finish page, or the failure on this page.
    void end_of_run();
    void show_failure(const std::string& error);

    QLabel* intro = nullptr;
    QProgressBar* bar = nullptr;
    QLabel* status = nullptr;
    QTimer* watch = nullptr;
    bool closing = false;
    bool reaped = true;
};

class finish_page : public wizard_page<106, PSWIZB_FINISH, PSP_HIDEHEADER> {
public:
    finish_page();
    bool page_init() override;
    bool on_finish() override;
    void save_settings();
};

inline constexpr const char* VLX_NOT_A_PROFILE = "This file is not a settings profile.";

// Reads a settings profile into the job as the wizard takes it: whole or not
// at all, and the wizard keeps no log file, so a "logfile" key is only kept
// as a name. A file that is not a profile that loads throws a level-1
// tk_exception whose text begins with the path; so does, for a quick launch,
// a profile without "src" or "dest". A quick launch also checks the
// destination (tk_dest's message) before the job takes anything.
void wizard_load_profile(vellix_convertor& job, const std::string& path, bool quick = false);

// The command-line tail: the arguments Qt left, joined by single blanks,
// without leading blanks. Call it after the QApplication has taken its options.
std::string gui_command_tail(int argc, char** argv);

// The wizard program: builds the objects, runs the wizard, returns the exit code.
// The application object must exist; prev_instance and show_state are unused.
int gui_main(QApplication* module, void* prev_instance, const char* cmd_line, int show_state);
