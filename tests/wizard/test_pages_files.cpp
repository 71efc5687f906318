// The select-files page: what it checks before the settings page, and in what order.
#include "test_pages_env.h"

#include "pdf_open.h"

#include <QApplication>
#include <QPushButton>

#include <sys/stat.h>

namespace {

class sel_file_test : public pages_env {
protected:
    void SetUp() override
    {
        pages_env::SetUp();
        rig = std::make_unique<wizard_rig>();
        rig->start();
        rig->shell.press_next();
        ASSERT_EQ(rig->page(), IDD_SEL_FILE);
    }
    void TearDown() override
    {
        rig.reset();
        pages_env::TearDown();
    }
    void fill(const std::string& src, const std::string& dest)
    {
        rig->edit(rig->sel, 1003)->setText(QString::fromStdString(src));
        rig->edit(rig->sel, 1004)->setText(QString::fromStdString(dest));
    }
    void click(int id)
    {
        click_button(rig->ctl<QAbstractButton>(rig->sel, id));
    }
    std::unique_ptr<wizard_rig> rig;
};

const char* const MISSING_SOURCE = "Source file does not exist.\r\nPlease verify the correct file name was given.";

TEST_F(sel_file_test, EmptyNamesAreReportedSourceFirst)
{
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::message);
    EXPECT_EQ(boxes[0].text, "You should enter source file name");
    EXPECT_EQ(boxes[0].caption, "Vellix 4.1  Message");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);

    fill(make_pdf("a.pdf", 1), "");
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 2u);
    EXPECT_EQ(boxes[1].text, "You should enter destination file name");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
}

TEST_F(sel_file_test, MissingSourceIsAnErrorAndTouchesNothing)
{
    const std::string dest = path("out.doc");
    write_file(dest, "keep");
    fill(path("nothing.pdf"), dest);
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::error);
    EXPECT_EQ(boxes[0].text, MISSING_SOURCE);
    EXPECT_EQ(boxes[0].caption, "Vellix 4.1  Error");
    EXPECT_EQ(read_file(dest), "keep");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);

    // A folder is no source either.
    fill(dir, dest);
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 2u);
    EXPECT_EQ(boxes[1].text, MISSING_SOURCE);
}

TEST_F(sel_file_test, UnreadablePdfIsReportedBeforeTheDestinationIsChecked)
{
    const std::string src = path("junk.pdf");
    write_file(src, "this is not a PDF document");
    fill(src, dir); // a folder: would be refused, but the document fails first
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].text, PDF_CANNOT_READ_TEXT);
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
}

TEST_F(sel_file_test, PasswordCountsOnlyWhileUsePasswordIsChecked)
{
    const std::string plain = make_pdf("plain.pdf", 1);
    const std::string src = path("locked.pdf");
    std::string log;
    ASSERT_TRUE(vlxtest::qpdf_encrypt(plain, src, vlxtest::Crypt::aes_128, "user", "owner", &log)) << log;
    const std::string dest = path("out.doc");
    write_file(dest, "keep");
    fill(src, dest);

    // Typed but not in use: the document is opened without a password.
    rig->edit(rig->sel, 1005)->setText("user");
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].text, "Incorrect password");
    EXPECT_EQ(rig->job.password, "");
    EXPECT_EQ(read_file(dest), "keep"); // no overwrite question, nothing deleted

    click(1222);
    EXPECT_TRUE(rig->checked(rig->sel, 1222));
    EXPECT_TRUE(rig->edit(rig->sel, 1005)->isEnabled());
    rig->edit(rig->sel, 1005)->setText("wrong");
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 2u);
    EXPECT_EQ(boxes[1].text, "Incorrect password");

    rig->edit(rig->sel, 1005)->setText("user");
    answers.push_back(1);
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 3u);
    EXPECT_EQ(boxes[2].kind, box_kind::question);
    EXPECT_EQ(rig->page(), IDD_SETTINGS);
    EXPECT_EQ(rig->job.password, "user");

    // Back on the page, unchecking disables the edit but keeps its text.
    rig->shell.press_back();
    ASSERT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_TRUE(rig->checked(rig->sel, 1222));
    click(1222);
    EXPECT_FALSE(rig->edit(rig->sel, 1005)->isEnabled());
    EXPECT_EQ(rig->edit(rig->sel, 1005)->text(), "user");
    rig->sel.save();
    EXPECT_EQ(rig->job.password, "");
}

TEST_F(sel_file_test, UnusableDestinationsAreRefusedWithoutAQuestion)
{
    const std::string src = make_pdf("a.pdf", 1);
    fill(src, dir);
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::error);
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);

    fill(src, path("no/such/folder/out.doc"));
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 2u);
    EXPECT_EQ(boxes[1].kind, box_kind::error);

    const std::string ro = path("ro.doc");
    write_file(ro, "old");
    chmod(ro.c_str(), 0444);
    fill(src, ro);
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 3u);
    EXPECT_EQ(boxes[2].kind, box_kind::error);
    EXPECT_EQ(read_file(ro), "old");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
}

TEST_F(sel_file_test, DestinationNamingTheSourceIsRefused)
{
    const std::string src = make_pdf("same.pdf", 1);
    const std::string before = read_file(src);
    answers.push_back(1); // were it asked, the answer would destroy the source
    fill(src, src);
    rig->shell.press_next();
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::error);
    EXPECT_EQ(read_file(src), before);
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
}

TEST_F(sel_file_test, ExistingDestinationNeedsConsentAndIsDeletedAtOnce)
{
    const std::string src = make_pdf("a.pdf", 1);
    const std::string dest = path("out.doc");
    write_file(dest, "old");
    fill(src, dest);

    rig->shell.press_next(); // No
    ASSERT_EQ(box_count(), 1u);
    EXPECT_EQ(boxes[0].kind, box_kind::question);
    EXPECT_EQ(boxes[0].text, "Destination file already exists. Overwrite?");
    EXPECT_EQ(boxes[0].style & MB_DEFBUTTON2, MB_DEFBUTTON2);
    EXPECT_EQ(read_file(dest), "old");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);

    answers.push_back(1);
    rig->shell.press_next();
    EXPECT_EQ(rig->page(), IDD_SETTINGS);
    EXPECT_FALSE(exists(dest));
    EXPECT_EQ(rig->job.src, src);
    EXPECT_EQ(rig->job.dest, dest);
}

TEST_F(sel_file_test, LeavingTheSourceEditProposesTheDestination)
{
    QLineEdit* src = rig->edit(rig->sel, 1003);
    QLineEdit* dest = rig->edit(rig->sel, 1004);
    rig->shell.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig->shell));

    dest->setText(QString::fromStdString(path("old/typed.doc")));
    src->setFocus();
    src->setText("");
    dest->setFocus(); // source left empty: nothing changes
    EXPECT_EQ(dest->text().toStdString(), path("old/typed.doc"));

    src->setFocus();
    src->setText("/elsewhere/report.final.pdf");
    dest->setFocus();
    EXPECT_EQ(dest->text().toStdString(), path("old/report.final.doc"));
}

TEST_F(sel_file_test, SwitchesAreToggledByThePageAndSaved)
{
    rig->job.convert_graphics = true;
    rig->job.no_crlf_mode = false;
    rig->job.tables_mode = false;
    rig->sel.page_init();
    click(1202);
    click(1203);
    click(1204);
    click(1204);
    EXPECT_FALSE(rig->checked(rig->sel, 1202));
    EXPECT_TRUE(rig->checked(rig->sel, 1203));
    EXPECT_FALSE(rig->checked(rig->sel, 1204));
    rig->shell.press_back();
    EXPECT_EQ(rig->page(), IDD_WELCOME);
    EXPECT_FALSE(rig->job.convert_graphics);
    EXPECT_TRUE(rig->job.no_crlf_mode);
    EXPECT_FALSE(rig->job.tables_mode);
}

TEST_F(sel_file_test, ActivationShowsTheJob)
{
    rig->shell.press_back();
    rig->job.src = "/a/b.pdf";
    rig->job.dest = "/a/b.doc";
    rig->job.password = "secret";
    rig->job.tables_mode = true;
    rig->shell.press_next();
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text(), "/a/b.pdf");
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text(), "/a/b.doc");
    EXPECT_EQ(rig->edit(rig->sel, 1005)->text(), "secret");
    EXPECT_TRUE(rig->edit(rig->sel, 1005)->isEnabled());
    EXPECT_TRUE(rig->checked(rig->sel, 1222));
    EXPECT_TRUE(rig->checked(rig->sel, 1204));

    // A stored path beyond the edit limit is shown whole, not cut.
    rig->shell.press_back();
    rig->job.src = "/" + std::string(300, 'x') + ".pdf";
    rig->shell.press_next();
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text().toStdString(), rig->job.src);
}

TEST_F(sel_file_test, BrowsingFillsSourceAndDestination)
{
    rig->edit(rig->sel, 1004)->setText(QString::fromStdString(path("x/old.doc")));
    chosen = path("picked.pdf");
    click(1107);
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text().toStdString(), chosen);
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text().toStdString(), path("x/picked.doc"));

    chosen = path("target");
    click(1104);
    EXPECT_EQ(rig->edit(rig->sel, 1004)->text().toStdString(), path("target.doc"));

    chosen.clear(); // cancelled
    click(1107);
    EXPECT_EQ(rig->edit(rig->sel, 1003)->text().toStdString(), path("picked.pdf"));
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0], "Select PDF document to convert");
    EXPECT_EQ(dialogs[1], "Select the destination file");
}

} // namespace
