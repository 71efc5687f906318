// The progress page: the worker, the ticks, the finish page at 100 %, failures and cancelling.
#include "pdf_open.h"
#include "test_wizard_env.h"

#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <sys/file.h>
#include <thread>

namespace {

const int WAIT_MS = 60000;
// The failure as the box and the page show it: on one line.
const std::string CANNOT_READ_ONE_LINE = [] {
    std::string text = PDF_CANNOT_READ_TEXT;
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}();

struct progress_test : rig_env<0, true> {
    void start(const std::string& src, const std::string& dest, const std::string& pages = "")
    {
        rig->job.src = src;
        rig->job.dest = dest;
        rig->job.set_page_range(pages);
        rig->job.noframe_mode = true; // as the settings page leaves it
        rig->job.open_on_exit = false;
        rig->start();
    }
    QProgressBar* bar() { return rig->ctl<QProgressBar>(rig->progress, 1321); }
    QString status() { return rig->ctl<QLabel>(rig->progress, 1323)->text(); }
    bool enabled(int id) { return rig->shell.button(id)->isEnabled() && rig->shell.button(id)->isVisible(); }
    bool failed_and_idle() { return box_count() >= 1 && !rig->progress.is_running(); }
    // The page's first line: at work, or the failure.
    std::string intro()
    {
        for (QLabel* l : rig->progress.findChildren<QLabel*>())
            if (l->objectName().isEmpty() && !l->text().isEmpty())
                return l->text().toStdString();
        return "";
    }
    // The hidden files the run writes beside the destination.
    std::vector<std::string> temporaries() { return vlxtest::names_starting(dir, ".vellix-"); }
};

// A normal run: the pages before the progress page are there to go back to.
struct failed_run_test : progress_test {
    void SetUp() override
    {
        wizard_env::SetUp();
        rig = std::make_unique<wizard_rig>(false);
        rig->start();
    }
};

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

} // namespace

TEST_F(progress_test, SelectedPagesAreConvertedAndTheFinishPageFollows)
{
    start(make_pdf("in.pdf", 8), path("out.doc"), "2,4-6");
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    for (int id : {wizard_shell::ID_BACK, wizard_shell::ID_NEXT, wizard_shell::ID_FINISH})
        EXPECT_FALSE(enabled(id)) << id;
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_FINISH; }, WAIT_MS));
    EXPECT_FALSE(rig->shell.timer_started());
    EXPECT_EQ(bar()->value(), 100);
    EXPECT_EQ(rig->job.page_count, 4); // the selection, not the document
    EXPECT_EQ(rig->job.current_page, 4);
    EXPECT_TRUE(enabled(wizard_shell::ID_FINISH));
    EXPECT_EQ(box_count(), 0u);
    const std::string rtf = read_file(path("out.doc")); // complete when the finish page shows
    std::string why;
    EXPECT_TRUE(vlxtest::rtf_braces_ok(rtf, &why)) << why;
    EXPECT_NE(rtf.find("Page 6 of the test"), std::string::npos);
    EXPECT_EQ(rtf.find("Page 7 of the test"), std::string::npos);
}

TEST_F(progress_test, TickShowsPagesDoneAndPercentWithoutOverflow)
{
    rig->job.page_count = INT_MAX;
    rig->job.current_page = INT_MAX / 2;
    rig->progress.on_timer(wizard_shell::TIMER_ID);
    EXPECT_EQ(status().toStdString(), "Processing page 1073741823 of 2147483647");
    EXPECT_EQ(bar()->value(), 49);
}

TEST_F(progress_test, RunFailingBeforeTheTimerLeavesThePageAtZero)
{
    start(write_file(path("junk.pdf"), "no PDF here"), path("out.doc"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed_and_idle(); }, WAIT_MS));
    QTest::qWait(450); // two ticks' worth: none may move the page
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].text, CANNOT_READ_ONE_LINE);
    EXPECT_EQ(boxes[0].caption, "Vellix 4.1  Error");
    EXPECT_TRUE(boxes[0].on_gui); // raised on the worker, shown by the interface thread
    EXPECT_TRUE(rig->job.run_failed);
    EXPECT_FALSE(rig->shell.timer_started());
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    EXPECT_EQ(bar()->value(), 0);
    EXPECT_FALSE(exists(path("out.doc")));
    // The page says so; a quick launch has no files page to go back to.
    EXPECT_EQ(intro(), progress_page::FAILED_TEXT);
    EXPECT_EQ(status().toStdString(),
              CANNOT_READ_ONE_LINE + "\n\nSource file: " + path("junk.pdf") + "\nDestination file: " + path("out.doc"));
    for (int id : {wizard_shell::ID_BACK, wizard_shell::ID_NEXT, wizard_shell::ID_FINISH})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(wizard_shell::ID_CANCEL));
}

TEST_F(failed_run_test, FailedRunSaysSoKeepsTheOldFileAndBackLeadsToTheFiles)
{
    const std::string src = make_pdf("in.pdf", 2);
    const std::string dest = write_file(path("out.doc"), "old");
    rig->shell.press_next();
    rig->edit(rig->sel, 1003)->setText(QString::fromStdString(src));
    rig->edit(rig->sel, 1004)->setText(QString::fromStdString(dest));
    answers = {1}; // overwrite: Yes
    rig->shell.press_next();
    ASSERT_EQ(rig->page(), IDD_SETTINGS);
    write_file(src, "no PDF any more"); // the run now fails where the trial opening passed
    rig->shell.press_next();
    ASSERT_EQ(rig->page(), IDD_PROGRESS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box_count() == 2 && enabled(wizard_shell::ID_BACK); }, WAIT_MS));
    EXPECT_EQ(taken_boxes().back().text, CANNOT_READ_ONE_LINE);
    EXPECT_EQ(intro(), progress_page::FAILED_TEXT);
    EXPECT_EQ(status().toStdString(), CANNOT_READ_ONE_LINE + "\n\nSource file: " + src + "\nDestination file: " + dest);
    EXPECT_FALSE(enabled(wizard_shell::ID_NEXT));
    EXPECT_FALSE(enabled(wizard_shell::ID_FINISH));
    EXPECT_EQ(read_file(dest), "old"); // Yes allowed a replacement; nothing replaced it
    EXPECT_TRUE(temporaries().empty());
    screenshot(rig->shell, "4-progress-failed");

    rig->shell.press_back();
    ASSERT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text().toStdString(), dest);
    make_pdf("in.pdf", 2);
    answers = {1};
    rig->shell.press_next();
    rig->shell.press_next();
    ASSERT_EQ(rig->page(), IDD_PROGRESS);
    EXPECT_EQ(intro().rfind("Document converting is in progress.", 0), 0u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_FINISH; }, WAIT_MS));
    EXPECT_EQ(read_file(dest).compare(0, 5, "{\\rtf"), 0);
    EXPECT_EQ(box_count(), 3u);
}

TEST_F(failed_run_test, RunAfterAFailurePartWayStartsAtTheFirstPage)
{
    const std::string pictures = path("tmp");
    std::filesystem::create_directory(pictures);
    vlxtest::EnvVar tmpdir{"TMPDIR", pictures.c_str()};
    const std::string src = make_pdf("in.pdf", 30);
    rig->shell.press_next();
    rig->edit(rig->sel, 1003)->setText(QString::fromStdString(src));
    rig->edit(rig->sel, 1004)->setText(QString::fromStdString(path("first.doc")));
    rig->shell.press_next();
    rig->shell.press_next();
    ASSERT_EQ(rig->page(), IDD_PROGRESS);
    // Part-way through, the temporary folder goes: the next page's picture has nowhere to go.
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->job.current_page >= 2; }, WAIT_MS));
    std::filesystem::rename(pictures, path("gone"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return box_count() == 1 && enabled(wizard_shell::ID_BACK); }, WAIT_MS));
    ASSERT_TRUE(rig->job.run_failed);
    ASSERT_LT(rig->job.current_page, 30);
    std::filesystem::rename(path("gone"), pictures);

    rig->shell.press_back();
    ASSERT_EQ(rig->page(), IDD_SEL_FILE);
    rig->edit(rig->sel, 1004)->setText(QString::fromStdString(path("second.doc")));
    rig->shell.press_next();
    rig->shell.press_next();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_FINISH; }, WAIT_MS));
    const std::string rtf = read_file(path("second.doc"));
    for (int p = 1; p <= 30; ++p)
        EXPECT_NE(rtf.find("Page " + std::to_string(p) + " of the test"), std::string::npos) << p;
    EXPECT_FALSE(exists(path("first.doc")));
    EXPECT_EQ(box_count(), 1u);
}

TEST_F(progress_test, CancelAskedNoGoesOnYesStopsTheWorker)
{
    start(make_pdf("long.pdf", 150), path("out.doc"));
    ASSERT_TRUE(rig->progress.is_running());
    rig->shell.button(wizard_shell::ID_CANCEL)->click(); // No
    QTest::keyClick(&rig->shell, Qt::Key_Escape);         // No
    ASSERT_EQ(box_count(), 2u);
    for (const box_record& b : taken_boxes()) {
        EXPECT_EQ(b.text, "Are you sure you want to exit the wizard?");
        EXPECT_EQ(b.style & MB_DEFBUTTON2, MB_DEFBUTTON2);
    }
    EXPECT_EQ(rig->page(), IDD_PROGRESS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !temporaries().empty(); }, WAIT_MS));
    answers = {1};
    rig->shell.close(); // closing the window asks as Cancel does
    EXPECT_FALSE(rig->shell.isVisible());
    // The entry now destroys the pages: the worker must be gone before the job.
    rig->progress.stop_worker();
    EXPECT_FALSE(rig->progress.is_running());
    EXPECT_TRUE(rig->job.run_failed);
    EXPECT_LT(rig->job.current_page, 150);
    EXPECT_FALSE(exists(path("out.doc"))); // no half-written document is left
    EXPECT_TRUE(temporaries().empty());
    EXPECT_EQ(box_count(), 3u);             // the stopped run reports nothing
}

// Cancel while another writer holds the hard-linked destination ends the run's wait for its lock.
TEST_F(progress_test, CancelEndsTheWaitForAnotherWritersLock)
{
    const std::string dest = path("out.doc");
    vlxtest::spit(dest, "old");
    ASSERT_EQ(link(dest.c_str(), path("other.doc").c_str()), 0); // so it is copied into in place
    const int held = open(dest.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    // The lock is let go after a minute whatever happens, so a wait that never ends fails the row.
    std::promise<void> done;
    std::thread keeper([held, over = done.get_future()] {
        over.wait_for(std::chrono::seconds(60));
        flock(held, LOCK_UN);
    });
    const auto started = std::chrono::steady_clock::now();
    start(make_pdf("short.pdf", 2), dest);
    // The document is whole beside its place: only the lock stands in its way.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<std::string> t = temporaries();
            const std::string rtf = t.empty() ? "" : read_file(path(t[0]));
            return rtf.size() > 3 && rtf.compare(rtf.size() - 3, 3, "}\r\n") == 0;
        },
        WAIT_MS));
    answers = {1};
    rig->shell.close();
    rig->progress.stop_worker();
    const bool in_time = std::chrono::steady_clock::now() - started < std::chrono::seconds(60);
    done.set_value();
    keeper.join();
    close(held);
    EXPECT_TRUE(in_time) << "the run waited for the lock until it was let go";
    EXPECT_FALSE(rig->progress.is_running());
    EXPECT_TRUE(read_file(dest) == "old") << "the document was replaced";
    EXPECT_TRUE(temporaries().empty());
}

TEST_F(progress_test, TeardownDoesNotDeadlockWithAWorkerWaitingForTheInterface)
{
    rig.reset();
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
    std::promise<void> done;
    std::thread watchdog([gone = done.get_future()] {
        if (gone.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            std::fprintf(stderr, "teardown deadlocked with the worker\n");
            std::_Exit(1);
        }
    });
    page.reset();
    shell.reset();
    done.set_value();
    watchdog.join();
    EXPECT_FALSE(gui_quiet());
}
