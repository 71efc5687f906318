// The wizard frame: message boxes, help, the progress timer, navigation and the page framework.
#include "g_marsh.h"
#include "g_wiz_pg.h"
#include "g_wiz_sh.h"
#include "test_frame_answerer.h"
#include "tk_except.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

const std::string TITLE = "Vellix 4.1 ";

// A page whose answers the test scripts.
class script_page : public wizard_page<200, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP> {
public:
    explicit script_page(int id_for_log = 0)
    {
        auto* box = new plain_check_box("&Check", this);
        set_control_id(box, 1202);
        auto* edit = new QLineEdit(this);
        set_control_id(edit, 1003);
        auto* label = new QLabel("Title", this);
        set_control_id(label, 1337);
        (void)id_for_log;
    }
    bool page_init() override
    {
        ++inits;
        return accept_activation;
    }
    bool on_kill_active() override { return may_leave; }
    int on_next() override { return next_result; }
    int on_back() override { return back_result; }
    void on_help() override { ++helps; }
    void on_timer(int id) override
    {
        ++depth;
        max_depth = std::max(max_depth, depth);
        ++ticks;
        last_timer = id;
        if (nested_box_on_tick && ticks == 1)
            wizard_shell::message("tick");
        --depth;
    }

    int inits = 0;
    int helps = 0;
    int ticks = 0;
    int depth = 0;
    int max_depth = 0;
    int last_timer = 0;
    bool accept_activation = true;
    bool may_leave = true;
    bool nested_box_on_tick = false;
    int next_result = 0;
    int back_result = 0;
};

class id_page : public wizard_page<106, PSWIZB_FINISH, PSP_HIDEHEADER> {
public:
    int inits = 0;
    bool page_init() override
    {
        ++inits;
        return true;
    }
};

struct box_record {
    box_kind kind;
    std::string caption;
    std::string text;
    int style;
};

// Replaces the real boxes for one test.
struct box_recorder {
    std::vector<box_record> boxes;
    int answer = 1;
    std::mutex lock;
    box_recorder()
    {
        wizard_shell::set_box_hook([this](box_kind k, const std::string& c, const std::string& t, int s) {
            std::lock_guard<std::mutex> hold(lock);
            boxes.push_back({k, c, t, s});
            return answer;
        });
    }
    ~box_recorder() { wizard_shell::set_box_hook(nullptr); }
};

struct url_recorder {
    std::vector<QUrl> urls;
    url_recorder()
    {
        gui_set_url_opener([this](const QUrl& u) {
            urls.push_back(u);
            return true;
        });
    }
    ~url_recorder() { gui_set_url_opener(nullptr); }
};

bool raises_assertion(const std::function<void()>& fn, const std::string& unit, int line)
{
    try {
        fn();
    } catch (const tk_mail_assertion& a) {
        return a.message == tk_mail_assertion::make_message(unit.c_str(), line);
    }
    return false;
}

} // namespace

// ---- message boxes -------------------------------------------------------------------------

TEST(WizardBoxes, WithoutFrameTheCaptionsAreBare)
{
    modal_answerer answer;
    answer.click("OK").click("OK").click("No");
    wizard_shell::error("Source file does not exist.\r\nPlease verify the correct file name was given.");
    wizard_shell::message("You should enter source file name");
    EXPECT_FALSE(wizard_shell::question("Destination file already exists. Overwrite?", MB_DEFBUTTON2));
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[0].cls, "QMessageBox");
    EXPECT_EQ(answer.seen[0].title, "Error");
    EXPECT_EQ(answer.seen[0].text, "Source file does not exist.\nPlease verify the correct file name was given.");
    EXPECT_EQ(answer.seen[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(answer.seen[1].title, "Message");
    EXPECT_EQ(answer.seen[1].text, "You should enter source file name");
    EXPECT_EQ(answer.seen[2].title, "Question");
    EXPECT_EQ(answer.seen[2].buttons.size(), 2u);
}

TEST(WizardBoxes, FrameCaptionsOnceTheFirstPageWasShown)
{
    wizard_shell shell(TITLE, 501, 311, 312);
    script_page page;
    shell.add_page(&page);
    EXPECT_FALSE(wizard_shell::is_initialized());
    {
        box_recorder rec;
        wizard_shell::error("before");
        ASSERT_EQ(rec.boxes.size(), 1u);
        EXPECT_EQ(rec.boxes[0].caption, "Error");
    }
    shell.start();
    EXPECT_TRUE(wizard_shell::is_initialized());
    EXPECT_EQ(shell.windowTitle().toStdString(), TITLE);

    modal_answerer answer;
    answer.click("OK").click("OK").click("Yes");
    wizard_shell::error("Invalid page range");
    wizard_shell::message("hello");
    EXPECT_TRUE(wizard_shell::question("Are you sure you want to exit the wizard?", MB_DEFBUTTON2));
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[0].title, "Vellix 4.1  Error");
    EXPECT_EQ(answer.seen[1].title, "Vellix 4.1  Message");
    EXPECT_EQ(answer.seen[2].title, "Vellix 4.1  Question");
    EXPECT_EQ(answer.seen[2].text, "Are you sure you want to exit the wizard?");
}

TEST(WizardBoxes, QuestionDefaultsToNoWithSecondButtonStyle)
{
    modal_answerer answer;
    // Return presses the default button.
    answer.then([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
    answer.then([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_FALSE(wizard_shell::question("q", MB_DEFBUTTON2));
    EXPECT_TRUE(wizard_shell::question("q", 0));
    EXPECT_EQ(answer.seen.size(), 2u);
}

TEST(WizardBoxes, RaisedOnAWorkerTheyAreShownOnTheGuiThread)
{
    modal_answerer answer;
    answer.click("Yes");
    std::atomic<int> result{-1};
    std::thread worker([&] { result = wizard_shell::question("from the worker", MB_DEFBUTTON2) ? 1 : 0; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.load() != -1; }, 10000));
    worker.join();
    EXPECT_EQ(result.load(), 1);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_TRUE(answer.seen[0].on_gui_thread);
    EXPECT_EQ(answer.seen[0].text, "from the worker");
}

TEST(WizardBoxes, QuietModeAnswersWorkerRequestsWithDefaults)
{
    box_recorder rec;
    gui_set_quiet(true);
    bool yes = true;
    std::thread worker([&] { yes = wizard_shell::question("ignored", 0); });
    worker.join();
    gui_set_quiet(false);
    EXPECT_FALSE(yes);
    EXPECT_TRUE(rec.boxes.empty());
}

// ---- help ----------------------------------------------------------------------------------

TEST(WizardHelp, MissingFileIsReported)
{
    box_recorder rec;
    url_recorder urls;
    wizard_shell::set_help_file("/nonexistent/vellix.html");
    wizard_shell::display_help(1013);
    wizard_shell::display_help();
    wizard_shell::set_help_file("");
    EXPECT_TRUE(urls.urls.empty());
    ASSERT_EQ(rec.boxes.size(), 2u);
    EXPECT_EQ(rec.boxes[0].kind, box_kind::error);
    EXPECT_EQ(rec.boxes[0].text, "Help file does not exist. Reinstall the program.");
}

TEST(WizardHelp, OpensTheFileAtTheTopic)
{
    char dir[] = "/tmp/vlx-help-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string file = std::string(dir) + "/vellix.html";
    std::ofstream(file) << "<html></html>";
    box_recorder rec;
    url_recorder urls;
    wizard_shell::set_help_file(file);
    wizard_shell::display_help(1016);
    wizard_shell::display_help();
    wizard_shell::set_help_file("");
    std::remove(file.c_str());
    rmdir(dir);
    EXPECT_TRUE(rec.boxes.empty());
    ASSERT_EQ(urls.urls.size(), 2u);
    EXPECT_EQ(urls.urls[0].toLocalFile().toStdString(), file);
    EXPECT_EQ(urls.urls[0].fragment().toStdString(), "1016");
    EXPECT_FALSE(urls.urls[1].hasFragment());
}

TEST(WizardHelp, DefaultFileSitsBesideTheProgram)
{
    std::string f = wizard_shell::help_file();
    ASSERT_GE(f.size(), 5u);
    EXPECT_EQ(f.substr(f.size() - 5), ".html");
    EXPECT_NE(f.find("test_wizard"), std::string::npos);
}

// ---- progress timer ------------------------------------------------------------------------

namespace {
std::atomic<int> qt_warnings{0};
QtMessageHandler previous_handler = nullptr;
void count_warnings(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    if (type == QtWarningMsg && msg.contains("Timers"))
        ++qt_warnings;
    if (previous_handler)
        previous_handler(type, ctx, msg);
}
} // namespace

TEST(WizardTimer, StartedFromAPlainThreadTicksReachTheCurrentPage)
{
    wizard_shell shell(TITLE, 0, 0, 0);
    script_page page;
    shell.add_page(&page);
    shell.start();
    previous_handler = qInstallMessageHandler(count_warnings);
    std::thread worker([&] { shell.run_host().start_timer(20); });
    worker.join();
    EXPECT_TRUE(shell.timer_started());
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.ticks >= 2; }, 10000));
    qInstallMessageHandler(previous_handler);
    EXPECT_EQ(qt_warnings.load(), 0);
    EXPECT_EQ(page.last_timer, wizard_shell::TIMER_ID);
    shell.kill_timer();
    EXPECT_FALSE(shell.timer_started());
    int ticks = page.ticks;
    QTest::qWait(80);
    EXPECT_EQ(page.ticks, ticks);
}

TEST(WizardTimer, SecondStartIsAnInternalError)
{
    wizard_shell shell(TITLE, 0, 0, 0);
    shell.start_timer(1000);
    EXPECT_TRUE(raises_assertion([&] { shell.start_timer(1000); }, "..\\GUI2/g_wiz_sh", 250));
    shell.kill_timer();
    shell.kill_timer(); // nothing running: nothing happens
    shell.start_timer(1000);
    shell.kill_timer();
}

TEST(WizardTimer, OtherTimerIdsAreSwallowed)
{
    wizard_shell shell(TITLE, 0, 0, 0);
    script_page page;
    shell.add_page(&page);
    shell.start();
    shell.on_timer_message(1);
    EXPECT_EQ(page.ticks, 0);
    shell.on_timer_message(wizard_shell::TIMER_ID);
    EXPECT_EQ(page.ticks, 1);
}

TEST(WizardTimer, TicksInsideANestedModalLoopAreDropped)
{
    wizard_shell shell(TITLE, 0, 0, 0);
    script_page page;
    page.nested_box_on_tick = true;
    shell.add_page(&page);
    shell.start();
    modal_answerer answer;
    // Keep the box open long enough for several ticks to arrive inside its loop.
    answer.then([](QWidget* w) {
        QTimer::singleShot(150, w, [w] { modal_answerer::click_button(w, "OK"); });
    });
    shell.start_timer(10);
    EXPECT_TRUE(answer.wait_for(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == nullptr; }, 10000));
    shell.kill_timer();
    QTest::qWait(30);
    // No tick ran inside the first one while its box was open.
    EXPECT_EQ(page.max_depth, 1);
    EXPECT_EQ(answer.seen.size(), 1u);
}

// ---- common-controls check -----------------------------------------------------------------

TEST(WizardStartup, GuiLibraryVersion)
{
    EXPECT_EQ(gui_library_version("6.4.2"), 0x60004u);
    EXPECT_EQ(gui_library_version("6.10"), 0x6000Au);
    EXPECT_EQ(gui_library_version(""), 0u);
    EXPECT_EQ(gui_library_version(nullptr), 0u);
}

TEST(WizardStartup, OldLibraryIsRefusedWithExit)
{
    box_recorder rec;
    EXPECT_NO_THROW(check_comctl32("6.2.0"));
    EXPECT_NO_THROW(check_comctl32());
    try {
        check_comctl32("6.1.3");
        ADD_FAILURE() << "no exit";
    } catch (const gui_exit& x) {
        EXPECT_EQ(x.code, -1);
    }
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].caption, "Error");
    EXPECT_EQ(rec.boxes[0].text, "Incorrect version of comctl32.dll. Microsoft Internet Explorer 5\n"
                                 "or later is required to proceed with the application.");
}
