// The progress page: starts the conversion on a worker thread and follows it.
#include "vlx_shel.h"

#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <cstdio>

progress_page::progress_page() : tk_thread(false)
{
    set_header("Step 3 of 3", "Document converting is in progress");

    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel(QStringLiteral("Document converting is in progress. Please wait until the wizard "
                                             "completes\nconverting your PDF document into MS Word format."),
                              this));
    bar = new QProgressBar(this);
    set_control_id(bar, 1321);
    bar->setRange(0, 100);
    bar->setValue(0);
    status = new QLabel(this);
    set_control_id(status, 1323);
    status->setAlignment(Qt::AlignCenter);
    box->addWidget(bar);
    box->addWidget(status);
    box->addStretch();
}

progress_page::~progress_page()
{
    // The worker must be gone before the frame and the job are destroyed; later
    // ticks must not move a wizard that is being torn down.
    closing = true;
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
    wizard_shell::instance().set_wiz_buttons(0);
    bar->setValue(0);
    failure_seen = false;
    vellix_convertor& job = vellix_convertor::instance();
    job.current_page = 0;
    job.page_count = 0;
    job.run_done = false;
    job.run_failed = false;
    try {
        start();
    } catch (const tk_exception& e) {
        // Nothing will ever tick: say so and leave the user with Cancel.
        job.run_failed = true;
        failure_seen = true;
        wizard_shell::error(e.what());
    }
    return true;
}

void progress_page::on_timer(int timer_id)
{
    if (closing)
        return;
    vellix_convertor& job = vellix_convertor::instance();
    const double percent = job.get_progress();
    wizard_shell& shell = wizard_shell::instance();

    if (percent >= 100.0 && !is_running()) {
        // The worker has written and closed the document: reap it before the finish page can open it.
        shell.kill_timer();
        cleanup();
        bar->setValue(100);
        if (shell.current_page() == this)
            shell.set_cur_sel_id(IDD_FINISH);
        return;
    }
    if (job.run_failed && !is_running()) {
        // The run has reported its error and ended: nothing more will change.
        if (!failure_seen) {
            failure_seen = true;
            shell.kill_timer();
            cleanup();
        }
        return;
    }

    bar->setValue(static_cast<int>(percent));
    char text[256] = {};
    std::snprintf(text, sizeof text, "Processing page %ld of %ld", static_cast<long>(job.current_page.load()),
                  static_cast<long>(job.page_count.load()));
    status->setText(QString::fromUtf8(text));
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
