// The welcome and finish pages: profiles in and out, the maker's link, opening the result.
#include "plat_tmpreg.h"
#include "test_wizard_env.h"
#include "tk_log.h"
#include "tk_prof.h"

#include <QProcess>
#include <QPushButton>

#include <filesystem>
#include <sys/stat.h>

namespace {

using welcome_test = rig_env<IDD_WELCOME>;

// Shows the finish page without running a conversion.
struct finish_test : rig_env<0> {
    void show_finish(bool open_on_exit)
    {
        rig->job.dest = path("result.doc");
        rig->job.open_on_exit = open_on_exit;
        rig->job.run_done = true;
        rig->start();
        ASSERT_TRUE(rig->shell.set_cur_sel_id(IDD_FINISH));
    }
};

} // namespace

TEST_F(welcome_test, LoadedProfileShowsOnTheFollowingPages)
{
    chosen = write_file(path("job.vlx"), "[Generic settings]\nsrc=/data/in.pdf\ndest=/data/out.doc\npassword=pw\n"
                                         "convert graphics=0\nline breaks=0\nmode=1\nrecognize tables=1\npages=2-3\n"
                                         "logfile=/no/such/folder/x.log\n");
    rig->click(rig->welcome, 1115);
    EXPECT_EQ(box_count(), 0u);
    EXPECT_EQ(dialogs, std::vector<std::string>{"Select Profile File"});
    EXPECT_EQ(rig->job.logfile, "/no/such/folder/x.log"); // kept for Save Settings, never written
    EXPECT_EQ(tk_logger::slot(), nullptr);
    ASSERT_TRUE(rig->job.store_profile(path("again.vlx")));
    tk_profile again;
    ASSERT_TRUE(again.load(path("again.vlx")));
    EXPECT_EQ(again.get_value(TK_GENERIC_SECTION, "logfile"), "/no/such/folder/x.log");

    rig->shell.press_next();
    ASSERT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text(), "/data/in.pdf");
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text(), "/data/out.doc");
    EXPECT_EQ(rig->edit(rig->sel, 1005)->text(), "pw");
    EXPECT_FALSE(rig->checked(rig->sel, 1202));
    EXPECT_TRUE(rig->checked(rig->sel, 1204));
    rig->shell.set_cur_sel_id(IDD_SETTINGS);
    EXPECT_TRUE(rig->checked(rig->settings, 1329));
    EXPECT_EQ(rig->edit(rig->settings, 1003)->text(), "2-3");
}

TEST_F(welcome_test, RefusedProfileIsReportedByNameAndChangesNothing)
{
    rig->job.src = "/keep.pdf";
    rig->job.dest = "/keep.doc";
    rig->job.password = "old";
    rig->job.physLayout_mode = true;
    rig->job.noframe_mode = false;
    rig->job.set_page_range("2-3");
    const std::string fifo = path("fifo.vlx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    rig->shell.activateWindow(); // the buttons' Alt keys act in the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig->shell));
    const std::string names = "[Generic settings]\nsrc=/data/in.pdf\ndest=/data/out.doc\npassword=pw\nmode=2\n";
    const struct {
        std::string file, message;
    } rows[] = {
        {write_file(path("bad.vlx"), names + "pages=zz\n"), "Invalid page range"},
        {write_file(path("late.vlx"), names + "pages=1,3-1\nlogfile=" + path("x.log") + "\n"), "Invalid page range"},
        {make_pdf("report.pdf", 1), VLX_NOT_A_PROFILE},
        {fifo, "Profile does not exist. Please verify the correct path/name was given."}, // not read for ever
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        chosen = row.file;
        const size_t before = box_count();
        QTest::keyClick(&rig->shell, Qt::Key_L, Qt::AltModifier); // Load Settings, clicked after a moment
        ASSERT_TRUE(QTest::qWaitFor([&] { return box_count() > before; }));
        ASSERT_EQ(box_count(), before + 1);
        EXPECT_EQ(boxes.back().text, row.file + ": " + row.message);
        EXPECT_EQ(rig->page(), IDD_WELCOME);
    }
    EXPECT_EQ(dialogs.size(), std::size(rows));
    EXPECT_EQ(rig->job.logfile, "");
    EXPECT_EQ(rig->job.pages, "2-3");
    EXPECT_EQ(rig->job.page_list, (std::vector<int>{2, 3}));
    // the pages show what was there before
    QTest::keyClick(&rig->shell, Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SEL_FILE; }));
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text(), "/keep.pdf");
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text(), "/keep.doc");
    EXPECT_EQ(rig->edit(rig->sel, 1005)->text(), "old");
    rig->shell.set_cur_sel_id(IDD_SETTINGS);
    EXPECT_TRUE(rig->checked(rig->settings, 1329));
    EXPECT_TRUE(rig->checked(rig->settings, 1332));
    EXPECT_EQ(rig->edit(rig->settings, 1003)->text(), "2-3");
    EXPECT_EQ(box_count(), std::size(rows));
}

TEST_F(welcome_test, HyperlinkIsAttachedOnceAndF1OpensHelp)
{
    rig->shell.press_next();
    rig->shell.press_back();
    ASSERT_EQ(rig->page(), IDD_WELCOME);
    auto* link = rig->ctl<QLabel>(rig->welcome, 1320);
    ASSERT_NE(link, nullptr);
    emit link->linkActivated(QString::fromUtf8(VLX_MAKER_URL));
    ASSERT_EQ(urls.size(), 1u); // one connection, one opening
    EXPECT_EQ(urls[0].toString().toStdString(), VLX_MAKER_URL);
    wizard_shell::set_help_file(write_file(path("vellix.html"), "<html></html>"));
    QTest::keyClick(&rig->shell, Qt::Key_F1);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[1].toLocalFile().toStdString(), path("vellix.html"));
}

TEST_F(finish_test, SavedProfileGetsItsExtensionAndFinishOpensTheDocumentWhenAsked)
{
    rig->job.src = "/data/a.pdf";
    rig->job.set_page_range("4-9");
    show_finish(false);
    chosen = path("no/such/folder/p.vlx");
    rig->click(rig->finish, 1116);
    ASSERT_EQ(box_count(), 1u);
    chosen = path("mine");
    rig->click(rig->finish, 1116);
    EXPECT_EQ(box_count(), 1u);
    tk_profile p;
    ASSERT_TRUE(p.load(path("mine.vlx")));
    EXPECT_EQ(p.get_value(TK_GENERIC_SECTION, "src"), "/data/a.pdf");
    EXPECT_EQ(p.get_value(TK_GENERIC_SECTION, "pages"), "4-9");

    EXPECT_FALSE(rig->checked(rig->finish, 1225));
    EXPECT_FALSE(rig->shell.button(wizard_shell::ID_HELP)->isEnabled());
    EXPECT_TRUE(urls.empty());
    rig->click(rig->finish, 1225);
    rig->shell.press_finish();
    EXPECT_FALSE(rig->shell.isVisible());
    EXPECT_TRUE(rig->job.open_on_exit); // remembered for the next run
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].toLocalFile().toStdString(), path("result.doc"));
    // a destination typed without its folder is the current folder's, as the run wrote it
    gui_open_file("typed.doc");
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[1].toLocalFile().toStdString(), std::filesystem::current_path().string() + "/typed.doc");
}

// The desktop's opener (xdg-open, which Qt's desktop services start detached) begins with the two
// signals a failed write raises at their defaults: the wizard lets them pass, and an ignored one
// would stay ignored through exec. The tests' offscreen platform opens nothing itself.
TEST_F(finish_test, OpenerStartsWithTheWriteFailureSignalsAtTheirDefaults)
{
    vlxtest::write_sigign_stand_in(dir, "xdg-open");
    plat::remove_temp_files_on_signals(); // as the program's entry does
    const QString url = QUrl::fromLocalFile(QString::fromStdString(path("result.doc"))).toString();
    ASSERT_TRUE(QProcess::startDetached(QString::fromStdString(path("xdg-open")), {url}));
    EXPECT_EQ(vlxtest::write_failures_ignored_by(dir, "xdg-open"), "");
}

TEST_F(welcome_test, NothingToTypeInSoNextHasTheFocusOnArrival)
{
    ASSERT_TRUE(rig->activate());
    QPushButton* next = rig->shell.button(wizard_shell::ID_NEXT);
    EXPECT_EQ(QApplication::focusWidget(), next);
    press_key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SEL_FILE; }));
    press_key(Qt::Key_B, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_WELCOME; }));
    EXPECT_EQ(QApplication::focusWidget(), next);
    EXPECT_TRUE(dialogs.empty()); // Load Settings was not pressed
}

TEST_F(finish_test, RememberedOpenOnExitIsShownOnArrival)
{
    show_finish(true);
    EXPECT_TRUE(rig->checked(rig->finish, 1225));
    rig->click(rig->finish, 1225);
    rig->shell.press_finish();
    EXPECT_FALSE(rig->job.open_on_exit);
    EXPECT_TRUE(urls.empty());
}

TEST_F(finish_test, OpenOnExitHasTheFocusOnArrival)
{
    show_finish(false);
    ASSERT_TRUE(rig->activate());
    EXPECT_EQ(QApplication::focusWidget(), rig->finish.control(1225));
    press_key(Qt::Key_Space);
    EXPECT_TRUE(rig->checked(rig->finish, 1225));
    press_key(Qt::Key_Return); // Finish
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig->shell.isVisible(); }));
    EXPECT_TRUE(rig->job.open_on_exit);
    EXPECT_TRUE(dialogs.empty()); // Save Settings was not pressed
}
