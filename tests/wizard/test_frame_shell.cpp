// The wizard frame: message boxes, help, the progress timer and the GUI library check.
#include "g_wiz_pg.h"
#include "test_wizard_env.h"
#include "vlx_res.h"

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const std::string TITLE = "Vellix 4.1 ";

// A page that counts its ticks and may open a box from the first one.
class tick_page : public wizard_page<200, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP> {
public:
    void on_timer(int id) override
    {
        max_depth = std::max(max_depth, ++depth);
        ++ticks;
        last_timer = id;
        if (box_on_first_tick && ticks == 1)
            wizard_shell::message("tick");
        --depth;
    }
    std::atomic<int> ticks{0};
    int depth = 0, max_depth = 0, last_timer = 0;
    bool box_on_first_tick = false;
};

struct started_shell {
    wizard_shell shell{TITLE, 0, 0, 0};
    tick_page page;
    started_shell()
    {
        shell.add_page(&page);
        shell.start();
    }
};

} // namespace

using frame_test = wizard_env;

TEST(WizardBoxes, CaptionsFollowTheFrameAndNoIsTheDefault)
{
    modal_answerer answer;
    auto press_return = [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); };
    answer.click("OK").then(press_return).click("OK").then(press_return);
    wizard_shell::error("Source file does not exist.\r\nPlease verify the correct file name was given.");
    wizard_shell shell(TITLE, 501, 311, 312);
    tick_page page;
    shell.add_page(&page);
    EXPECT_FALSE(wizard_shell::question("Overwrite?", MB_DEFBUTTON2)); // no page shown yet: bare caption
    shell.start();
    wizard_shell::error("Invalid page range");
    EXPECT_TRUE(wizard_shell::question("Are you sure you want to exit the wizard?", 0));

    ASSERT_EQ(answer.seen.size(), 4u);
    EXPECT_EQ(answer.seen[0].cls, "QMessageBox");
    EXPECT_EQ(answer.seen[0].text, "Source file does not exist.\nPlease verify the correct file name was given.");
    EXPECT_EQ(answer.seen[0].buttons, std::vector<std::string>{"OK"});
    const char* titles[] = {"Error", "Question", "Vellix 4.1  Error", "Vellix 4.1  Question"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(answer.seen[i].title, titles[i]);
}

TEST_F(frame_test, HelpOpensTheFileAtTheTopicOrReportsItMissing)
{
    wizard_shell::set_help_file(path("none.html"));
    wizard_shell::display_help(1013);
    EXPECT_TRUE(urls.empty());
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::error);
    EXPECT_EQ(boxes[0].text, "Help file does not exist. Reinstall the program.");

    const std::string file = write_file(path("vellix.html"), "<html></html>");
    wizard_shell::set_help_file(file);
    wizard_shell::display_help(1016);
    EXPECT_EQ(box_count(), 1u);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].toLocalFile().toStdString(), file);
    EXPECT_EQ(urls[0].fragment().toStdString(), "1016");
}

TEST(WizardTimer, StartedFromAPlainThreadTicksReachTheCurrentPage)
{
    started_shell s;
    std::thread([&] { s.shell.run_host().start_timer(20); }).join();
    EXPECT_TRUE(s.shell.timer_started());
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.page.ticks >= 2; }, 10000));
    EXPECT_EQ(s.page.last_timer, wizard_shell::TIMER_ID);
    s.shell.kill_timer();
    EXPECT_FALSE(s.shell.timer_started());
    const int ticks = s.page.ticks;
    QTest::qWait(80);
    EXPECT_EQ(s.page.ticks, ticks);
    s.shell.start_timer(1000);
    EXPECT_EQ(assertion_of([&] { s.shell.start_timer(1000); }), assertion_text("..\\GUI2/g_wiz_sh", 250));
    s.shell.kill_timer();
}

TEST(WizardTimer, TicksInsideANestedModalLoopAreDropped)
{
    started_shell s;
    s.page.box_on_first_tick = true;
    modal_answerer answer;
    // Keep the box open long enough for several ticks to arrive inside its loop.
    answer.then([](QWidget* w) { QTimer::singleShot(150, w, [w] { modal_answerer::click_button(w, "OK"); }); });
    s.shell.start_timer(10);
    EXPECT_TRUE(answer.wait_for(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == nullptr; }, 10000));
    s.shell.kill_timer();
    QTest::qWait(30);
    EXPECT_EQ(s.page.max_depth, 1);
    EXPECT_EQ(answer.seen.size(), 1u);
}

TEST_F(frame_test, OldGuiLibraryIsRefusedWithExit)
{
    EXPECT_NO_THROW(check_comctl32("6.2.0"));
    try {
        check_comctl32("6.1.3");
        ADD_FAILURE() << "no exit";
    } catch (const gui_exit& x) {
        EXPECT_EQ(x.code, -1);
    }
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Incorrect version of the Qt library: 6.1.3 found.\n"
                             "Qt 6.2 or later is required to proceed with the application.");
}

TEST_F(frame_test, EveryPageKeepsOneFixedSizeAndShowsItsPictures)
{
    // A quick launch adds only the last two pages; its frame is the full wizard's all the same.
    QSize full_size;
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "quick launch" : "full wizard");
        const std::string shot = quick ? "quick-" : "";
        wizard_rig rig(quick);
        rig.job.src = make_pdf("in.pdf", 2);
        rig.job.dest = path(shot + "out.doc");
        rig.job.noframe_mode = true;
        rig.job.open_on_exit = false;
        rig.start();
        auto* watermark = rig.shell.findChild<QLabel*>("watermark");
        auto* header = rig.shell.findChild<QLabel*>("header_picture");
        ASSERT_NE(watermark, nullptr);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(watermark->pixmap().toImage(), vlx_load_bitmap(VLX_WATERMARK_ID).toImage());
        EXPECT_EQ(header->pixmap().toImage(), vlx_load_bitmap(VLX_HEADER_ID).toImage());
        EXPECT_FALSE(header->pixmap().isNull());
        // The program's own icon, not a stock one.
        EXPECT_EQ(rig.shell.windowIcon().pixmap(32).toImage(), vlx_load_icon(VLX_ICON_ID).pixmap(32).toImage());
        EXPECT_EQ(rig.shell.minimumSize(), rig.shell.maximumSize()); // not resizable
        const QSize size = rig.shell.size();
        auto look = [&](const std::string& name, int page, bool outer) {
            SCOPED_TRACE(name);
            QApplication::processEvents();
            EXPECT_EQ(rig.page(), page);
            EXPECT_EQ(rig.shell.size(), size);
            EXPECT_EQ(watermark->isVisible(), outer);
            EXPECT_EQ(header->isVisible(), !outer);
            screenshot(rig.shell, shot + name); // lays out what is pending
            expect_shown_whole(rig.shell);
        };
        if (!quick) {
            look("1-welcome", IDD_WELCOME, true);
            rig.shell.press_next();
            look("2-files", IDD_SEL_FILE, false);
            rig.shell.press_next();
            look("3-settings", IDD_SETTINGS, false);
            rig.shell.press_next();
        }
        look("4-progress", IDD_PROGRESS, false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rig.page() == IDD_FINISH; }, 60000));
        look("5-finish", IDD_FINISH, true);
        EXPECT_EQ(box_count(), 0u);
        if (quick)
            EXPECT_EQ(size, full_size);
        else
            full_size = size;
    }
}
