// The progress page: starts the conversion on a worker thread and follows it.
#include "vlx_shel.h"

#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const char* const SUBTITLE = "Document converting is in progress";
const char* const FAILED_SUBTITLE = "The conversion did not complete";

} // namespace

const char* const progress_page::WORKING_TEXT =
    "Document converting is in progress. Please wait until the wizard completes\n"
    "converting your PDF document into MS Word format.";
const char* const progress_page::FAILED_TEXT = "The conversion did not complete.";

std::string progress_page::failed_files(const std::string& src, const std::string& dest)
{
    return "Source file: " + src + "\nDestination file: " + dest;
}

progress_page::progress_page() : tk_thread(false)
{
    set_header("Step 3 of 3", SUBTITLE);

    auto* box = new QVBoxLayout(this);
    intro = new QLabel(QString::fromUtf8(WORKING_TEXT), this);
    box->addWidget(intro);
    bar = new QProgressBar(this);
    set_control_id(bar, 1321);
    bar->setRange(0, 100);
    bar->setValue(0);
    status = new QLabel(this);
    set_control_id(status, 1323);
    status->setAlignment(Qt::AlignCenter);
    status->setWordWrap(true);
    box->addWidget(bar);
    box->addWidget(status);
    box->addStretch();

    // The frame's timer only runs once the run has opened the document: this one
    // also sees a run that ended before.
    watch = new QTimer(this);
    watch->setInterval(100);
    connect(watch, &QTimer::timeout, this, [this] {
        if (!closing && !is_running())
            end_of_run();
    });
}

progress_page::~progress_page()
{
    // The worker must be gone before the frame and the job are destroyed; later
    // ticks must not move a wizard that is being torn down.
    closing = true;
    watch->stop();
    try {
        stop_worker();
    } catch (const std::exception& e) {
        tk_log(3, "progress_page::dtor: %s", e.what());
    }
}

tk_thread_functor* progress_page::create_functor()
{
    return &vellix_convertor::instance();
}

bool progress_page::page_init()
{
    tk_log(1, "progress_page::page_init");
    wizard_shell& shell = wizard_shell::instance();
    shell.set_wiz_buttons(0);
    set_header("Step 3 of 3", SUBTITLE);
    shell.refresh_header();
    intro->setText(QString::fromUtf8(WORKING_TEXT));
    status->clear();
    bar->setValue(0);
    vellix_convertor& job = vellix_convertor::instance();
    job.current_page = 0;
    job.page_count = 0;
    job.run_done = false;
    job.run_failed = false;
    wizard_shell::clear_run_error();
    try {
        start();
    } catch (const tk_exception& e) {
        // Nothing will ever tick: say so, and let the user go back.
        job.run_failed = true;
        wizard_shell::error(e.what());
        show_failure(e.what());
        return true;
    }
    reaped = false;
    watch->start();
    return true;
}

void progress_page::on_timer(int timer_id)
{
    if (closing)
        return;
    if (!reaped && !is_running()) {
        end_of_run();
        return;
    }
    vellix_convertor& job = vellix_convertor::instance();
    bar->setValue(static_cast<int>(job.get_progress()));
    char text[256] = {};
    std::snprintf(text, sizeof text, "Processing page %ld of %ld", static_cast<long>(job.current_page.load()),
                  static_cast<long>(job.page_count.load()));
    status->setText(QString::fromUtf8(text));
}

void progress_page::end_of_run()
{
    if (reaped)
        return;
    reaped = true;
    watch->stop();
    wizard_shell& shell = wizard_shell::instance();
    shell.kill_timer();
    cleanup();
    vellix_convertor& job = vellix_convertor::instance();
    if (job.run_done) {
        // The document is complete and in place before the finish page can open it.
        bar->setValue(100);
        if (shell.current_page() == this)
            shell.set_cur_sel_id(IDD_FINISH);
        return;
    }
    show_failure(wizard_shell::last_run_error());
}

void progress_page::show_failure(const std::string& error)
{
    tk_log(2, "progress_page::show_failure(%s)", error.c_str());
    set_header("Step 3 of 3", FAILED_SUBTITLE);
    intro->setText(QString::fromUtf8(FAILED_TEXT));
    // The run's messages do not say which file they mean: the page names both.
    const vellix_convertor& job = vellix_convertor::instance();
    status->setText(QString::fromStdString(error + "\n\n" + failed_files(job.src, job.dest)));
    wizard_shell& shell = wizard_shell::instance();
    if (shell.current_page() != this)
        return;
    shell.refresh_header();
    // The state stays failed; Back leads to the names and switches (none in a quick launch).
    shell.set_wiz_buttons(shell.has_page(IDD_SEL_FILE) ? PSWIZB_BACK : 0);
}

int progress_page::on_back()
{
    tk_log(1, "progress_page::on_back");
    if (is_running() || !vellix_convertor::instance().run_failed)
        return -1;
    return IDD_SEL_FILE;
}

void progress_page::on_help()
{
    tk_log(1, "progress_page::on_help");
    wizard_shell::display_help();
}

void progress_page::stop_worker()
{
    tk_log(1, "progress_page::stop_worker");
    if (functor && is_running())
        functor->request_stop();
    // The worker may be waiting for this thread (a box, the timer): never a plain join.
    gui_wait_worker(*this);
}
