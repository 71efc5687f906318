// The wizard's error handler: levels, silence, the two dialogs, and reports raised on the worker.
#include "g_err_dl.h"
#include "g_wiz_pg.h"
#include "test_wizard_env.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

struct errors : wizard_env {
    error_handler handler;
};

// A page whose Next lets an exception through.
class throwing_page : public wizard_page<200, PSWIZB_NEXT, 0> {
public:
    int on_next() override
    {
        if (internal)
            throw tk_mail_assertion("..\\GUI2/g_wiz_pg", 1);
        throw std::runtime_error("out of the blue");
    }
    bool internal = false;
};

tk_exception error_with(const std::string& text, int level, int code = 0)
{
    tk_exception e(text, level);
    e.code = code;
    return e;
}

} // namespace

TEST_F(errors, LevelOneShowsOneLineWithTheConvertersTextAndHelp)
{
    wizard_shell::set_help_file(write_file(path("vellix.html"), "<html></html>"));
    handler.converter.messages[42] = "Known\nmessage";
    handler.help_topics[9] = 1013;
    handler.handle(error_with("Cannot open\nthe file", 1, 9), true);
    handler.handle(error_with("raw text", 1, 42), true);
    handler.prefix = "Page 3";
    EXPECT_THROW(handler.handle(error_with("raw text", 1, 7), false), tk_final_exception);
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].caption, "Error");
    EXPECT_EQ(seen[0].text, "Cannot open the file");
    EXPECT_EQ(seen[1].text, "Known message");
    EXPECT_EQ(seen[2].text, "Page 3: raw text");
    ASSERT_EQ(urls.size(), 1u); // only the error with a help topic opens help
    EXPECT_EQ(urls[0].fragment().toStdString(), "1013");
}

TEST_F(errors, LevelZeroAbortsOrContinuesAndDoNotShowAgainSilencesAfterContinue)
{
    auto tick_and = [](const char* button) {
        return [button](QWidget* w) {
            auto* box = w->findChild<QCheckBox*>("1222");
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text().toStdString(), "&Do not show this dialog box again");
            box->click();
            modal_answerer::click_button(w, button);
        };
    };
    modal_answerer answer;
    answer.click("Abort").click("Continue").then([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    answer.then(tick_and("Abort")).then(tick_and("Continue"));
    EXPECT_THROW(handler.handle(error_with("warn\nline", 0), false), tk_final_exception);
    EXPECT_NO_THROW(handler.handle(error_with("warn", 0), false)); // Continue
    EXPECT_NO_THROW(handler.handle(error_with("warn", 0), false)); // Escape continues
    EXPECT_THROW(handler.handle(error_with("w", 0), false), tk_final_exception);
    EXPECT_FALSE(handler.silent);
    handler.handle(error_with("first", 0), true);
    EXPECT_TRUE(handler.silent);
    handler.handle(error_with("second", 0), false);
    EXPECT_NO_THROW(handler.handle(error_with("third", 1), true));
    EXPECT_EQ(box_count(), 0u);
    ASSERT_EQ(answer.seen.size(), 5u);
    EXPECT_EQ(answer.seen[0].cls, "dlg_error_continue");
    EXPECT_EQ(answer.seen[0].title, "Error");
    EXPECT_EQ(answer.seen[0].text, "warn line");
}

TEST_F(errors, EveryInternalErrorButtonExitsEvenWhenSilent)
{
    handler.silent = true;
    QGuiApplication::clipboard()->clear();
    // No mail program on the path: the report is only logged, the exit still follows.
    const std::string saved = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    const tk_mail_assertion a("..\\TK/tk_singl", 59);
    modal_answerer answer;
    answer.click("OK").click("Copy to clipboard").click("Send bug");
    for (int i = 0; i < 3; ++i) {
        gui_clear_exit_request();
        try {
            handler.handle(a, true);
            ADD_FAILURE() << "returned";
        } catch (const gui_exit& x) {
            EXPECT_EQ(x.code, -1);
        }
        int code = 0;
        EXPECT_TRUE(gui_exit_requested(&code));
        EXPECT_EQ(code, -1);
    }
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), a.message);
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[0].cls, "dlg_error_ex");
    EXPECT_EQ(answer.seen[0].title, "Error");
    EXPECT_EQ(answer.seen[0].text, a.message); // both lines
    EXPECT_EQ(answer.seen[0].buttons, (std::vector<std::string>{"Send bug", "OK", "Copy to clipboard"}));
}

TEST_F(errors, InternalErrorOnTheWorkerClosesTheWizardWithMinusOne)
{
    vellix_convertor job;
    wizard_shell shell("Vellix 4.1 ", 501, 311, 312);
    std::thread worker;
    std::atomic<bool> unwound{false};
    modal_answerer answer;
    // The wizard is the first modal window; the internal error comes from a worker meanwhile.
    answer.then([&](QWidget*) {
        worker = std::thread([&] {
            try {
                handler.handle(tk_mail_assertion("vlx_conv", 209), true);
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
    EXPECT_EQ(answer.seen[1].title, "Vellix 4.1  Error"); // the caption names the wizard while it exists
    EXPECT_TRUE(answer.seen[1].on_gui_thread);
    EXPECT_FALSE(job.keep_settings); // ended as if at once: the session's settings are not stored
}

TEST_F(errors, WhatLeavesAPageHandlerEndsTheWizard)
{
    for (bool internal : {false, true}) {
        SCOPED_TRACE(internal);
        gui_clear_exit_request();
        wizard_shell shell("Vellix 4.1 ", 0, 0, 0);
        throwing_page page;
        page.internal = internal;
        shell.add_page(&page);
        shell.start();
        modal_answerer answer;
        answer.click("OK");
        shell.press_next();
        int code = 1;
        EXPECT_TRUE(gui_exit_requested(&code));
        EXPECT_EQ(code, internal ? -1 : 0);
        if (internal) {
            ASSERT_EQ(answer.seen.size(), 1u); // the internal-error dialog
            EXPECT_EQ(answer.seen[0].cls, "dlg_error_ex");
        } else {
            EXPECT_EQ(answer.seen.size(), 0u);
            const auto seen = taken_boxes();
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(seen[0].text, "out of the blue");
        }
    }
}
