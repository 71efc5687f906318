// The progress page: the worker, the ticks, the finish page at 100 %, failures and cancelling.
#include "test_pages_env.h"

#include "pdf_open.h"

#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

const int WAIT_MS = 60000;

class progress_test : public pages_env {
protected:
    void TearDown() override
    {
        rig.reset();
        pages_env::TearDown();
    }
    void quick(const std::string& src, const std::string& dest, const std::string& pages = "")
    {
        rig = std::make_unique<wizard_rig>(true);
        rig->job.src = src;
        rig->job.dest = dest;
        rig->job.set_page_range(pages);
        rig->job.open_on_exit = false;
    }
    QProgressBar* bar() { return rig->ctl<QProgressBar>(rig->progress, 1321); }
    QString status() { return rig->ctl<QLabel>(rig->progress, 1323)->text(); }
    bool enabled(int id) { return rig->shell.button(id)->isEnabled() && rig->shell.button(id)->isVisible(); }

    std::unique_ptr<wizard_rig> rig;
};

TEST_F(progress_test, ConversionEndsOnTheFinishPageWithTheDocumentComplete)
{
    const std::string dest = path("out.doc");
    quick(make_pdf("in.pdf", 3), dest);
    rig->start();
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    EXPECT_FALSE(enabled(wizard_shell::ID_BACK));
    EXPECT_FALSE(enabled(wizard_shell::ID_NEXT));
    EXPECT_FALSE(enabled(wizard_shell::ID_FINISH));
    EXPECT_TRUE(rig->shell.button(wizard_shell::ID_CANCEL)->isEnabled());

    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_FINISH; }, WAIT_MS));
    EXPECT_FALSE(rig->progress.is_running());
    EXPECT_FALSE(rig->shell.timer_started());
    EXPECT_EQ(bar()->value(), 100);
    EXPECT_TRUE(rig->job.run_done);
    EXPECT_FALSE(rig->job.run_failed);
    EXPECT_TRUE(enabled(wizard_shell::ID_FINISH));
    EXPECT_EQ(box_count(), 0u);

    const std::string rtf = read_file(dest);
    std::string why;
    EXPECT_TRUE(vlxtest::rtf_braces_ok(rtf, &why)) << why;
    EXPECT_NE(rtf.find("Page 3 of the test"), std::string::npos);
}

TEST_F(progress_test, SelectedPagesAreCountedNotTheDocument)
{
    quick(make_pdf("in.pdf", 8), path("out.doc"), "2,4-6");
    rig->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_FINISH; }, WAIT_MS));
    EXPECT_EQ(rig->job.page_count, 4);
    EXPECT_EQ(rig->job.current_page, 4);
    const std::string rtf = read_file(path("out.doc"));
    EXPECT_NE(rtf.find("Page 6 of the test"), std::string::npos);
    EXPECT_EQ(rtf.find("Page 7 of the test"), std::string::npos);
}

TEST_F(progress_test, TickShowsPagesDoneAndPercent)
{
    // Not started: the tick only reads the job's counters.
    quick("", "");
    rig->job.page_count = 5;
    rig->job.current_page = 0;
    rig->progress.on_timer(wizard_shell::TIMER_ID);
    EXPECT_EQ(status(), "Processing page 0 of 5");
    EXPECT_EQ(bar()->value(), 0);

    rig->job.current_page = 2;
    rig->progress.on_timer(wizard_shell::TIMER_ID);
    EXPECT_EQ(status(), "Processing page 2 of 5");
    EXPECT_EQ(bar()->value(), 40);

    // Counters near the int limit neither wrap the percentage nor garble the text.
    rig->job.page_count = INT_MAX;
    rig->job.current_page = INT_MAX / 2;
    rig->progress.on_timer(wizard_shell::TIMER_ID);
    EXPECT_EQ(status(), QString("Processing page %1 of %2").arg(INT_MAX / 2).arg(INT_MAX));
    EXPECT_EQ(bar()->value(), 49);
}

TEST_F(progress_test, RunFailingBeforeTheTimerLeavesThePageAtZero)
{
    const std::string src = path("junk.pdf");
    write_file(src, "no PDF here");
    quick(src, path("out.doc"));
    rig->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box_count() >= 1 && !rig->progress.is_running(); }, WAIT_MS));
    QTest::qWait(450); // two ticks' worth: none may move the page
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, box_kind::error);
    std::string one_line = PDF_CANNOT_READ_TEXT;
    std::replace(one_line.begin(), one_line.end(), '\n', ' ');
    EXPECT_EQ(seen[0].text, one_line);
    EXPECT_EQ(seen[0].caption, "Vellix 4.1  Error");
    EXPECT_TRUE(rig->job.run_failed);
    EXPECT_FALSE(rig->shell.timer_started());
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    EXPECT_EQ(bar()->value(), 0);
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(enabled(wizard_shell::ID_FINISH));
    EXPECT_FALSE(exists(path("out.doc")));

    answers.push_back(1);
    rig->shell.reject();
    EXPECT_FALSE(rig->shell.isVisible());
    EXPECT_EQ(rig->shell.result(), 0);
}

TEST_F(progress_test, RunFailingAfterTheTimerStopsTheTicks)
{
    quick(make_pdf("in.pdf", 2), path("missing/folder/out.doc"));
    rig->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box_count() >= 1 && !rig->progress.is_running(); }, WAIT_MS));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig->shell.timer_started(); }, WAIT_MS));
    EXPECT_TRUE(rig->job.run_failed);
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    EXPECT_LT(bar()->value(), 100);
    EXPECT_FALSE(enabled(wizard_shell::ID_FINISH));
    EXPECT_EQ(box_count(), 1u);
}

TEST_F(progress_test, CancelAskedNoGoesOnYesStopsTheWorker)
{
    const std::string dest = path("out.doc");
    quick(make_pdf("long.pdf", 150), dest);
    rig->start();
    ASSERT_TRUE(rig->progress.is_running());

    rig->shell.reject(); // No
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::question);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to exit the wizard?");
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    EXPECT_TRUE(rig->shell.isVisible());

    answers.push_back(1);
    rig->shell.reject();
    EXPECT_FALSE(rig->shell.isVisible());
    // The entry now destroys the pages: the worker must be gone before the job.
    rig->progress.stop_worker();
    EXPECT_FALSE(rig->progress.is_running());
    EXPECT_TRUE(rig->job.run_failed);
    EXPECT_LT(rig->job.current_page, 150);
    EXPECT_FALSE(exists(dest)); // no half-written document is left in place
    EXPECT_EQ(box_count(), 2u); // the stopped run reports nothing
}

// A worker that keeps asking the interface thread for something until told to stop.
class asking_work : public tk_thread_functor {
public:
    void run() override
    {
        while (!stop_requested()) {
            gui_call([this] { ++answered; });
            wizard_shell::error("from the worker");
        }
    }
    std::atomic<int> answered{0};
};

class asking_page : public progress_page {
public:
    explicit asking_page(asking_work& w) : work(w) {}
    tk_thread_functor* create_functor() override { return &work; }
    asking_work& work;
};

TEST_F(progress_test, TeardownDoesNotDeadlockWithAWorkerWaitingForTheInterface)
{
    error_handler handler;
    vellix_convertor job;
    auto shell = std::make_unique<wizard_shell>("Vellix 4.1 ", 501, 311, 312);
    asking_work work;
    auto page = std::make_unique<asking_page>(work);
    shell->add_page(page.get());
    shell->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.answered > 3; }, WAIT_MS));
    // No event loop runs from here on: the worker is blocked in its next request
    // while the interface thread destroys the page.
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> hold(m);
        if (!cv.wait_for(hold, std::chrono::seconds(30), [&] { return done; })) {
            std::fprintf(stderr, "teardown deadlocked with the worker\n");
            std::_Exit(1);
        }
    });
    page.reset();
    shell.reset();
    {
        std::lock_guard<std::mutex> hold(m);
        done = true;
    }
    cv.notify_one();
    watchdog.join();
    EXPECT_FALSE(gui_quiet());
}

} // namespace
