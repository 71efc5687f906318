// The select-files page: what it checks before the settings page, and in what order.
#include "pdf_open.h"
#include "test_wizard_env.h"
#include "tk_dest.h"

#include <QFocusEvent>

#include <functional>

#include <sys/stat.h>

namespace {

struct sel_file_test : rig_env<IDD_SEL_FILE> {
    void fill(const std::string& src, const std::string& dest)
    {
        rig->edit(rig->sel, 1003)->setText(QString::fromStdString(src));
        rig->edit(rig->sel, 1004)->setText(QString::fromStdString(dest));
    }
    // Presses Next and returns the box it raised.
    box_record next_box()
    {
        const size_t before = box_count();
        rig->shell.press_next();
        EXPECT_EQ(box_count(), before + 1);
        return box_count() > before ? taken_boxes().back() : box_record{};
    }
};

using files_arrival_test = rig_env<IDD_WELCOME>;

const char* const MISSING_SOURCE = "Source file does not exist.\r\nPlease verify the correct file name was given.";

} // namespace

TEST_F(sel_file_test, SourceProblemsAreReportedFirstAndTouchNothing)
{
    // A first run: the empty settings store gives its own defaults.
    EXPECT_TRUE(rig->checked(rig->sel, 1204));
    EXPECT_TRUE(rig->checked(rig->sel, 1202));
    EXPECT_FALSE(rig->checked(rig->sel, 1203));

    box_record b = next_box();
    EXPECT_EQ(b.kind, box_kind::message);
    EXPECT_EQ(b.text, "You should enter source file name");
    EXPECT_EQ(b.caption, "Vellix 4.1  Message");
    fill(make_pdf("a.pdf", 1), "");
    EXPECT_EQ(next_box().text, "You should enter destination file name");

    const std::string dest = write_file(path("out.doc"), "keep");
    fill(path("nothing.pdf"), dest);
    b = next_box();
    EXPECT_EQ(b.kind, box_kind::error);
    EXPECT_EQ(b.text, MISSING_SOURCE);
    fill(dir, dest); // a folder is no source either
    EXPECT_EQ(next_box().text, MISSING_SOURCE);
    EXPECT_EQ(b.caption, "Vellix 4.1  Error");
    fill(write_file(path("junk.pdf"), "not a PDF"), dir); // the document fails before the folder
    EXPECT_EQ(next_box().text, PDF_CANNOT_READ_TEXT);
    fill(path("A.PDF"), path("a.pdf")); // the source is found as a.pdf: the destination is the source
    EXPECT_EQ(next_box().text, "Destination name should differ from the source name.");
    EXPECT_EQ(read_file(dest), "keep");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
}

TEST_F(sel_file_test, PasswordCountsOnlyWhileUsePasswordIsChecked)
{
    const std::string src = path("locked.pdf");
    std::string log;
    ASSERT_TRUE(vlxtest::qpdf_encrypt(make_pdf("plain.pdf", 1), src, vlxtest::Crypt::aes_128, "user", "owner", &log))
        << log;
    const std::string dest = write_file(path("out.doc"), "keep");
    fill(src, dest);
    QLineEdit* pswd = rig->edit(rig->sel, 1005);
    pswd->setText("user"); // typed but not in use
    EXPECT_EQ(next_box().text, "Incorrect password");
    EXPECT_EQ(read_file(dest), "keep"); // no overwrite question, nothing deleted

    EXPECT_EQ(assertion_of([&] { rig->sel.invert_chbox(1005); }), assertion_text("..\\GUI2/g_wiz_pg", 123));
    rig->click(rig->sel, 1222);
    EXPECT_TRUE(pswd->isEnabled());
    answers = {1};
    EXPECT_EQ(next_box().kind, box_kind::question);
    EXPECT_EQ(rig->page(), IDD_SETTINGS);
    EXPECT_EQ(rig->job.password, "user");

    rig->shell.press_back();
    rig->click(rig->sel, 1222);
    EXPECT_FALSE(pswd->isEnabled());
    EXPECT_EQ(pswd->text(), "user");
    rig->sel.save();
    EXPECT_EQ(rig->job.password, "");
}

TEST_F(sel_file_test, DestinationIsRefusedOrNeedsConsentAndOutlivesACancel)
{
    const std::string src = make_pdf("a.pdf", 1);
    const std::string ro = write_file(path("ro.doc"), "old");
    chmod(ro.c_str(), 0444);
    answers = {1, 1, 1, 1, 1, 1}; // were it asked, the answer would destroy the file
    // standard output too: the wizard has no stream to hand the document on
    for (const std::string& dest : {dir, path("no/such/folder/out.doc"), ro, src, std::string("-"),
                                    std::string("/dev/stdout")}) {
        SCOPED_TRACE(dest);
        fill(src, dest);
        EXPECT_EQ(next_box().kind, box_kind::error);
        EXPECT_EQ(rig->page(), IDD_SEL_FILE);
    }
    EXPECT_EQ(read_file(ro), "old");
    EXPECT_EQ(read_file(src).compare(0, 5, "%PDF-"), 0);

    answers = {0, 1};
    const std::string dest = write_file(path("out.doc"), "old");
    fill(src, dest);
    const box_record b = next_box(); // No
    EXPECT_EQ(b.kind, box_kind::question);
    EXPECT_EQ(b.text, "Destination file already exists. Overwrite?");
    EXPECT_EQ(b.style & MB_DEFBUTTON2, MB_DEFBUTTON2);
    EXPECT_EQ(read_file(dest), "old");
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
    rig->shell.press_next(); // Yes
    EXPECT_EQ(rig->page(), IDD_SETTINGS);
    EXPECT_EQ(rig->job.src, src);
    EXPECT_EQ(rig->job.dest, dest);
    answers = {1};
    rig->shell.reject(); // Yes, leave: the consent replaced nothing yet
    EXPECT_FALSE(rig->shell.isVisible());
    EXPECT_EQ(read_file(dest), "old");
}

TEST_F(sel_file_test, LeavingOrBrowsingTheSourceProposesTheDestination)
{
    QLineEdit* src = rig->edit(rig->sel, 1003);
    QLineEdit* dest = rig->edit(rig->sel, 1004);
    rig->shell.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig->shell));
    dest->setText(QString::fromStdString(path("old/typed.doc")));
    src->setFocus();
    src->setText("/elsewhere/report.final.pdf");
    // the edit's own menu keeps the focus in it: nothing is proposed yet
    QFocusEvent to_menu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(src, &to_menu);
    EXPECT_EQ(dest->text().toStdString(), path("old/typed.doc"));
    dest->setFocus();
    EXPECT_EQ(dest->text().toStdString(), path("old/report.final.doc"));

    chosen = path("picked.pdf");
    rig->click(rig->sel, 1107);
    EXPECT_EQ(src->text().toStdString(), chosen);
    EXPECT_EQ(dest->text().toStdString(), path("old/picked.doc"));
    chosen = path("target");
    rig->click(rig->sel, 1104);
    EXPECT_EQ(dest->text().toStdString(), path("target.doc"));
    EXPECT_EQ(dialogs, (std::vector<std::string>{"Select PDF document to convert", "Select the destination file"}));
}

TEST_F(sel_file_test, NextByKeysChecksAndWritesTheDestinationTheFieldShows)
{
    // Alt+N and Enter press Next while the focus is still in the PDF field.
    const std::string old_file = write_file(path("old.doc"), "old");
    const std::string first = make_pdf("a.pdf", 1);
    ASSERT_TRUE(rig->activate());
    const struct {
        std::string pdf;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } rows[] = {{"b", Qt::Key_N, Qt::AltModifier}, {"c", Qt::Key_Return, Qt::NoModifier}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pdf);
        const std::string second = make_pdf(row.pdf + ".pdf", 1);
        press_key(Qt::Key_P, Qt::AltModifier);
        type_keys(QString::fromStdString(first));
        press_key(Qt::Key_W, Qt::AltModifier); // leaving the PDF field proposes a name, typed over here
        type_keys(QString::fromStdString(old_file));
        ASSERT_EQ(rig->edit(rig->sel, 1004)->text().toStdString(), old_file);
        press_key(Qt::Key_P, Qt::AltModifier);
        type_keys(QString::fromStdString(second));
        press_key(row.key, row.mods);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() != IDD_SEL_FILE || box_count() > 0; }));
        EXPECT_EQ(box_count(), 0u); // no overwrite question
        ASSERT_EQ(rig->page(), IDD_SETTINGS);
        EXPECT_EQ(rig->job.src, second);
        EXPECT_EQ(rig->job.dest, path(row.pdf + ".doc"));
        EXPECT_EQ(rig->edit(rig->sel, 1004)->text().toStdString(), rig->job.dest);
        if (&row == &rows[0]) {
            press_key(Qt::Key_B, Qt::AltModifier);
            ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SEL_FILE; }));
        }
    }
    press_key(Qt::Key_Return); // the settings page: on to the run
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_FINISH; }, 60000));
    EXPECT_EQ(read_file(path("c.doc")).compare(0, 5, "{\\rtf"), 0);
    EXPECT_EQ(read_file(old_file), "old");
    EXPECT_EQ(box_count(), 0u);
}

TEST_F(sel_file_test, LeavingAnUnchangedSourceKeepsTheDestinationSet)
{
    QLineEdit* src = rig->edit(rig->sel, 1003);
    QLineEdit* dest = rig->edit(rig->sel, 1004);
    ASSERT_TRUE(rig->activate());
    press_key(Qt::Key_P, Qt::AltModifier);
    type_keys(QString::fromStdString(path("a.pdf")));
    for (int i = 0; i < 3; ++i) // Browse, Use password, the destination
        press_key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), dest);
    EXPECT_EQ(dest->text().toStdString(), common_make_dest("", "a", "doc", false));
    type_keys("My Custom Name.doc"); // over the proposal, which the Tab selected

    // In and out of the unchanged PDF field, by keys and by the mouse.
    const struct {
        const char* way;
        std::function<void()> in, out;
    } ways[] = {
        {"Shift+Tab, Tab",
         [] {
             for (int i = 0; i < 3; ++i)
                 press_key(Qt::Key_Backtab, Qt::ShiftModifier);
         },
         [] { press_key(Qt::Key_Tab); }},
        {"clicks", [&] { QTest::mouseClick(src, Qt::LeftButton); }, [&] { QTest::mouseClick(dest, Qt::LeftButton); }},
    };
    for (const std::string& set : {std::string("My Custom Name.doc"), path("browsed.doc")}) {
        if (set != dest->text().toStdString()) {
            chosen = set;
            rig->click(rig->sel, 1104);
        }
        for (const auto& w : ways) {
            SCOPED_TRACE(set + " " + w.way);
            QTest::mouseClick(dest, Qt::LeftButton);
            w.in();
            ASSERT_EQ(QApplication::focusWidget(), src);
            w.out();
            ASSERT_NE(QApplication::focusWidget(), src);
            EXPECT_EQ(dest->text().toStdString(), set);
        }
    }

    // An emptied destination is proposed again, and so is one for a changed PDF name.
    QTest::mouseClick(dest, Qt::LeftButton);
    press_key(Qt::Key_A, Qt::ControlModifier);
    press_key(Qt::Key_Backspace);
    ASSERT_TRUE(dest->text().isEmpty());
    ways[1].in();
    ways[1].out();
    EXPECT_EQ(dest->text().toStdString(), common_make_dest("", "a", "doc", false));
    press_key(Qt::Key_P, Qt::AltModifier);
    type_keys(QString::fromStdString(path("b.pdf")));
    press_key(Qt::Key_Tab);
    const std::string proposed = common_make_dest("", "a", "doc", false);
    EXPECT_EQ(dest->text().toStdString(), common_make_dest(proposed, "b", "doc", false));
    EXPECT_EQ(box_count(), 0u);
}

TEST_F(files_arrival_test, ArrivingByKeysTheTypingLandsInThePdfField)
{
    QLineEdit* src = rig->edit(rig->sel, 1003);
    ASSERT_TRUE(rig->activate());
    press_key(Qt::Key_Return); // the welcome page's Next
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SEL_FILE; }));
    EXPECT_EQ(QApplication::focusWidget(), src);
    type_keys("/data/first.pdf");
    EXPECT_EQ(src->text(), "/data/first.pdf");

    // A password, whose edit takes the focus as it is enabled, and a shown name: the
    // PDF field has the focus all the same, its name selected for typing over.
    press_key(Qt::Key_U, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == rig->edit(rig->sel, 1005); }));
    type_keys("pw");
    ASSERT_EQ(rig->edit(rig->sel, 1005)->text(), "pw");
    press_key(Qt::Key_B, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_WELCOME; }));
    press_key(Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SEL_FILE; }));
    EXPECT_EQ(QApplication::focusWidget(), src);
    type_keys("/data/second.pdf");
    EXPECT_EQ(src->text(), "/data/second.pdf");
    EXPECT_EQ(rig->edit(rig->sel, 1005)->text(), "pw");
    // Back by keys from the PDF field keeps the destination proposed for what it shows, as a click does.
    press_key(Qt::Key_B, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_WELCOME; }));
    EXPECT_EQ(rig->job.src, "/data/second.pdf");
    EXPECT_EQ(rig->job.dest, common_make_dest("", "second", "doc", false));
    EXPECT_EQ(box_count(), 0u);
}
