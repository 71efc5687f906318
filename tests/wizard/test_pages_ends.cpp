// The welcome and finish pages: profiles in and out, the maker's link, opening the result.
#include "test_pages_env.h"

#include "tk_log.h"
#include "tk_prof.h"

#include <QPushButton>

namespace {

class ends_test : public pages_env {
protected:
    void SetUp() override
    {
        pages_env::SetUp();
        rig = std::make_unique<wizard_rig>();
        rig->start();
        ASSERT_EQ(rig->page(), IDD_WELCOME);
    }
    void TearDown() override
    {
        rig.reset();
        pages_env::TearDown();
    }
    void click(const wizard_page_base& p, int id)
    {
        click_button(rig->ctl<QAbstractButton>(p, id));
    }
    // Shows the finish page without running a conversion.
    void show_finish()
    {
        rig->job.run_done = true; // nothing converts in these tests
        rig->shell.set_cur_sel_id(IDD_FINISH);
        ASSERT_EQ(rig->page(), IDD_FINISH);
    }
    std::unique_ptr<wizard_rig> rig;
};

TEST_F(ends_test, LoadedProfileShowsOnTheFollowingPages)
{
    const std::string prof = path("job.vlx");
    write_file(prof, "[Generic settings]\nsrc=/data/in.pdf\ndest=/data/out.doc\npassword=pw\n"
                     "convert graphics=0\nline breaks=0\nmode=1\nrecognize tables=1\npages=2-3\n");
    chosen = prof;
    click(rig->welcome, 1115);
    EXPECT_EQ(box_count(), 0u);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0], "Select Profile File");
    EXPECT_EQ(rig->page(), IDD_WELCOME);

    rig->shell.press_next();
    ASSERT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text(), "/data/in.pdf");
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text(), "/data/out.doc");
    EXPECT_EQ(rig->edit(rig->sel, 1005)->text(), "pw");
    EXPECT_TRUE(rig->checked(rig->sel, 1222));
    EXPECT_FALSE(rig->checked(rig->sel, 1202));
    EXPECT_TRUE(rig->checked(rig->sel, 1203));
    EXPECT_TRUE(rig->checked(rig->sel, 1204));

    rig->shell.set_cur_sel_id(IDD_SETTINGS);
    EXPECT_TRUE(rig->checked(rig->settings, 1329));
    EXPECT_TRUE(rig->checked(rig->settings, 1332));
    EXPECT_EQ(rig->edit(rig->settings, 1003)->text(), "2-3");
}

TEST_F(ends_test, CancelledProfileDialogChangesNothing)
{
    rig->job.src = "/keep.pdf";
    chosen.clear();
    click(rig->welcome, 1115);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(rig->job.src, "/keep.pdf");
    EXPECT_EQ(box_count(), 0u);
}

TEST_F(ends_test, LogfileKeyIsIgnoredByTheWizard)
{
    ASSERT_EQ(tk_logger::slot(), nullptr);
    const std::string prof = path("log.vlx");
    // Neither a folder that is missing nor one naming the source may stop the load.
    write_file(prof, "[Generic settings]\nsrc=/data/in.pdf\nlogfile=/no/such/folder/x.log\n");
    chosen = prof;
    click(rig->welcome, 1115);
    EXPECT_EQ(box_count(), 0u);
    EXPECT_EQ(rig->job.src, "/data/in.pdf");
    EXPECT_EQ(rig->job.logfile, "");
    EXPECT_EQ(tk_logger::slot(), nullptr);

    write_file(prof, "[Generic settings]\nsrc=/data/in.pdf\nlogfile=/data/in.pdf\n");
    EXPECT_TRUE(wizard_load_profile(rig->job, prof));
    EXPECT_EQ(rig->job.logfile, "");
}

TEST_F(ends_test, UnreadableProfilesAreReportedOnThePage)
{
    chosen = path("none.vlx");
    click(rig->welcome, 1115);
    write_file(path("bad.vlx"), "[Generic settings]\npages=3-1\n");
    chosen = path("bad.vlx");
    click(rig->welcome, 1115);
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, box_kind::error);
    EXPECT_EQ(seen[0].text, "Profile does not exist. Please verify the correct path/name was given.");
    EXPECT_EQ(seen[1].text, "Invalid page range");
    EXPECT_EQ(rig->page(), IDD_WELCOME);
}

TEST_F(ends_test, HyperlinkIsAttachedOnceAndOpensTheMakersSite)
{
    EXPECT_TRUE(rig->welcome.link_attached());
    rig->shell.press_next();
    rig->shell.press_back();
    ASSERT_EQ(rig->page(), IDD_WELCOME);
    auto* link = rig->ctl<QLabel>(rig->welcome, 1320);
    ASSERT_NE(link, nullptr);
    emit link->linkActivated(QString::fromUtf8(VLX_MAKER_URL));
    ASSERT_EQ(urls.size(), 1u); // one connection, one opening
    EXPECT_EQ(urls[0].toString().toStdString(), VLX_MAKER_URL);
}

TEST_F(ends_test, SavedProfileGetsItsExtensionAndReadsBack)
{
    rig->job.src = "/data/a.pdf";
    rig->job.dest = "/data/a.doc";
    rig->job.tables_mode = true;
    rig->job.set_page_range("4-9");
    show_finish();
    chosen = path("mine");
    click(rig->finish, 1116);
    ASSERT_TRUE(exists(path("mine.vlx")));
    EXPECT_EQ(box_count(), 0u);

    tk_profile p;
    ASSERT_TRUE(p.load(path("mine.vlx")));
    EXPECT_EQ(p.get_value(TK_GENERIC_SECTION, "src"), "/data/a.pdf");
    EXPECT_EQ(p.get_value(TK_GENERIC_SECTION, "pages"), "4-9");
    EXPECT_EQ(p.get_value(TK_GENERIC_SECTION, "recognize tables"), "1");
}

TEST_F(ends_test, ProfileThatCannotBeWrittenIsReported)
{
    show_finish();
    chosen = path("no/such/folder/p.vlx");
    click(rig->finish, 1116);
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::error);
}

TEST_F(ends_test, FinishOpensTheDocumentOnlyWhenAsked)
{
    rig->job.dest = path("result.doc");
    rig->job.open_on_exit = true;
    show_finish();
    EXPECT_TRUE(rig->checked(rig->finish, 1225));
    EXPECT_FALSE(rig->shell.button(wizard_shell::ID_HELP)->isEnabled());

    click(rig->finish, 1225);
    EXPECT_FALSE(rig->checked(rig->finish, 1225));
    rig->shell.press_finish();
    EXPECT_TRUE(urls.empty());
    EXPECT_FALSE(rig->job.open_on_exit);
    EXPECT_FALSE(rig->shell.isVisible());
}

TEST_F(ends_test, FinishWithOpenOnExitOpensTheDestination)
{
    rig->job.dest = path("result.doc");
    rig->job.open_on_exit = false;
    show_finish();
    EXPECT_FALSE(rig->checked(rig->finish, 1225));
    click(rig->finish, 1225);
    rig->shell.press_finish();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].toLocalFile().toStdString(), path("result.doc"));
    EXPECT_TRUE(rig->job.open_on_exit);
}

} // namespace
