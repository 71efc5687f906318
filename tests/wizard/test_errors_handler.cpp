// The wizard's error handler: levels, silence, the two dialogs, and reports raised on the worker.
#include "g_err_dl.h"
#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "test_frame_answerer.h"
#include "tk_errh.h"
#include "tk_threa.h"
#include "vlx_conv.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

struct box_log {
    std::mutex lock;
    std::vector<std::pair<std::string, std::string>> boxes; // caption, text
    std::vector<bool> on_gui;
    box_log()
    {
        wizard_shell::set_box_hook([this](box_kind, const std::string& c, const std::string& t, int) {
            std::lock_guard<std::mutex> hold(lock);
            boxes.emplace_back(c, t);
            on_gui.push_back(gui_is_gui_thread());
            return 1;
        });
    }
    ~box_log() { wizard_shell::set_box_hook(nullptr); }
};

struct errors : ::testing::Test {
    error_handler handler;
    void TearDown() override { gui_clear_exit_request(); }
};

tk_exception error_with(const std::string& text, int level, int code = 0)
{
    tk_exception e(text, level);
    e.code = code;
    return e;
}

} // namespace

TEST_F(errors, LevelOneShowsOneLineAndReturnsAtTopLevel)
{
    box_log log;
    handler.handle(error_with("Cannot open\nthe file", 1), true);
    ASSERT_EQ(log.boxes.size(), 1u);
    EXPECT_EQ(log.boxes[0].first, "Error");
    EXPECT_EQ(log.boxes[0].second, "Cannot open the file");
}

TEST_F(errors, LevelOneBelowTopLevelAbandonsTheOperation)
{
    box_log log;
    EXPECT_THROW(handler.handle(error_with("Invalid page range", 1), false), tk_final_exception);
    EXPECT_EQ(log.boxes.size(), 1u);
}

TEST_F(errors, ConverterMessageAndPrefixMakeTheReport)
{
    box_log log;
    handler.converter.messages[42] = "Known\nmessage";
    handler.handle(error_with("raw text", 1, 42), true);
    handler.prefix = "Page 3";
    handler.handle(error_with("raw text", 1, 7), true);
    ASSERT_EQ(log.boxes.size(), 2u);
    EXPECT_EQ(log.boxes[0].second, "Known message");
    EXPECT_EQ(log.boxes[1].second, "Page 3: raw text");
}

TEST_F(errors, HelpTopicFollowsALevelOneError)
{
    box_log log;
    std::vector<QUrl> urls;
    gui_set_url_opener([&](const QUrl& u) {
        urls.push_back(u);
        return true;
    });
    char dir[] = "/tmp/vlx-errh-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string file = std::string(dir) + "/vellix.html";
    std::ofstream(file) << "<html></html>";
    wizard_shell::set_help_file(file);
    handler.help_topics[9] = 1013;
    handler.handle(error_with("with help", 1, 9), true);
    handler.handle(error_with("without help", 1, 10), true);
    wizard_shell::set_help_file("");
    gui_set_url_opener(nullptr);
    unlink(file.c_str());
    rmdir(dir);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].fragment().toStdString(), "1013");
    EXPECT_EQ(log.boxes.size(), 2u);
}

TEST_F(errors, LevelZeroAbortAndContinue)
{
    modal_answerer answer;
    answer.click("Abort").click("Abort").click("Continue").then([](QWidget* w) {
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_THROW(handler.handle(error_with("warn\nline", 0), false), tk_final_exception);
    EXPECT_NO_THROW(handler.handle(error_with("warn", 0), true));
    EXPECT_NO_THROW(handler.handle(error_with("warn", 0), false));
    EXPECT_NO_THROW(handler.handle(error_with("warn", 0), false)); // Escape continues
    ASSERT_EQ(answer.seen.size(), 4u);
    EXPECT_EQ(answer.seen[0].cls, "dlg_error_continue");
    EXPECT_EQ(answer.seen[0].title, "Error");
    EXPECT_EQ(answer.seen[0].text, "warn line");
    EXPECT_FALSE(handler.silent);
}

TEST_F(errors, DoNotShowAgainSilencesLaterErrors)
{
    modal_answerer answer;
    answer.then([](QWidget* w) {
        auto* box = w->findChild<QCheckBox*>("1222");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), "&Do not show this dialog box again");
        box->click();
        EXPECT_TRUE(box->isChecked());
        box->click();
        EXPECT_FALSE(box->isChecked());
        box->click();
        modal_answerer::click_button(w, "Continue");
    });
    handler.handle(error_with("first", 0), true);
    EXPECT_TRUE(handler.silent);
    box_log log;
    handler.handle(error_with("second", 0), false);
    EXPECT_NO_THROW(handler.handle(error_with("third", 1), true));
    EXPECT_TRUE(log.boxes.empty());
    EXPECT_EQ(answer.seen.size(), 1u);
}

TEST_F(errors, AbortBelowTopLevelDoesNotKeepTheCheckBox)
{
    modal_answerer answer;
    answer.then([](QWidget* w) {
        w->findChild<QCheckBox*>("1222")->click();
        modal_answerer::click_button(w, "Abort");
    });
    EXPECT_THROW(handler.handle(error_with("w", 0), false), tk_final_exception);
    EXPECT_FALSE(handler.silent);
}

TEST_F(errors, InternalErrorDialogThenExit)
{
    modal_answerer answer;
    answer.click("OK");
    tk_mail_assertion a("..\\TK/tk_singl", 59);
    try {
        handler.handle(a, true);
        ADD_FAILURE() << "returned";
    } catch (const gui_exit& x) {
        EXPECT_EQ(x.code, -1);
    }
    int code = 0;
    EXPECT_TRUE(gui_exit_requested(&code));
    EXPECT_EQ(code, -1);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].cls, "dlg_error_ex");
    EXPECT_EQ(answer.seen[0].title, "Error");
    EXPECT_EQ(answer.seen[0].text, a.message); // line break kept
    EXPECT_NE(answer.seen[0].text.find('\n'), std::string::npos);
    std::vector<std::string> buttons{"Send bug", "OK", "Copy to clipboard"};
    EXPECT_EQ(answer.seen[0].buttons, buttons);
}

TEST_F(errors, InternalErrorEvenWhenSilent)
{
    handler.silent = true;
    modal_answerer answer;
    answer.click("OK");
    EXPECT_THROW(handler.handle(tk_mail_assertion("..\\TK/tk_prof", 1), true), gui_exit);
    EXPECT_EQ(answer.seen.size(), 1u);
}

TEST_F(errors, CopyToClipboardPutsTheText)
{
    QGuiApplication::clipboard()->clear();
    modal_answerer answer;
    answer.click("Copy to clipboard");
    tk_exception e("Internal error: \ncode=2e2e", 2);
    EXPECT_THROW(handler.handle(e, true), gui_exit);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), e.message);
}

TEST_F(errors, SendBugHandsTheReportOverAndExits)
{
    // No mail program on the path: the report is only logged, the exit still follows.
    std::string saved = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    modal_answerer answer;
    answer.click("Send bug");
    EXPECT_THROW(handler.handle(tk_exception("boom", 2), true), gui_exit);
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(answer.seen.size(), 1u);
}

TEST_F(errors, DialogCaptionNamesTheWizard)
{
    wizard_shell shell("Vellix 4.1 ", 501, 311, 312);
    EXPECT_EQ(error_dialog_caption(), "Vellix 4.1  Error");
    modal_answerer answer;
    answer.click("Continue");
    handler.handle(error_with("w", 0), true);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].title, "Vellix 4.1  Error");
}

TEST_F(errors, RaisedOnAWorkerTheDialogsRunOnTheGuiThread)
{
    modal_answerer answer;
    answer.click("Abort");
    std::atomic<int> outcome{0};
    std::thread worker([&] {
        try {
            handler.handle(error_with("from worker", 0), false);
            outcome = 1;
        } catch (const tk_final_exception&) {
            outcome = 2;
        }
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.load() != 0; }, 10000));
    worker.join();
    EXPECT_EQ(outcome.load(), 2);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_TRUE(answer.seen[0].on_gui_thread);
}

TEST_F(errors, InternalErrorOnTheWorkerClosesTheWizardWithMinusOne)
{
    wizard_shell shell("Vellix 4.1 ", 501, 311, 312);
    std::thread worker;
    std::atomic<bool> unwound{false};
    modal_answerer answer;
    // The wizard is the first modal window; the internal error comes from a worker meanwhile.
    answer.then([&](QWidget*) {
        worker = std::thread([&] {
            try {
                handler.handle(tk_mail_assertion("../PDFR/vlx_conv", 209), true);
            } catch (const gui_exit&) {
                unwound = true;
            }
        });
    });
    answer.click("OK");
    EXPECT_EQ(shell.run_modal(), -1);
    worker.join();
    EXPECT_TRUE(unwound.load());
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].cls, "dlg_error_ex");
    EXPECT_TRUE(answer.seen[1].on_gui_thread);
}

namespace {

class run_thread : public tk_thread {
public:
    tk_thread_functor* create_functor() override { return &vellix_convertor::instance(); }
};

} // namespace

TEST_F(errors, FailedRunReportsThroughTheFrameFromTheWorker)
{
    vellix_convertor conv(vellix_convertor::console_form);
    wizard_shell shell("Vellix 4.1 ", 501, 311, 312);
    EXPECT_EQ(conv.host, &shell.run_host());
    conv.src = "/nonexistent/input.pdf";
    conv.dest = "/tmp/vlx-never-written.doc";
    box_log log;
    run_thread thread;
    thread.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !thread.is_running(); }, 20000));
    gui_wait_worker(thread);
    EXPECT_TRUE(conv.run_failed.load());
    ASSERT_EQ(log.boxes.size(), 1u);
    EXPECT_TRUE(log.on_gui[0]);
    EXPECT_FALSE(shell.timer_started());
}

TEST_F(errors, FrameLeavesTheConvertorWithoutHost)
{
    vellix_convertor conv(vellix_convertor::console_form);
    {
        wizard_shell shell("Vellix 4.1 ", 0, 0, 0);
        EXPECT_NE(conv.host, nullptr);
    }
    EXPECT_EQ(conv.host, nullptr);
}
