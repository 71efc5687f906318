// File dialogs: initial folder and name, filters, the default-extension rule, the real dialog.
#include "scoped_env.h"
#include "test_wizard_env.h"

#include <QFileDialog>

#include <unistd.h>

namespace {

const file_filter PDF_FILTER = {"PDF Files (.pdf)\0*.pdf\0All Files (*.*)\0*.*\0", "Select PDF document to convert"};
const file_filter DOC_FILTER = {"MS Word Documents (.doc)\0*.doc\0All Files (*.*)\0*.*\0",
                                "Select the destination file"};

} // namespace

TEST(FileDialogs, InitialPathFiltersAndExtension)
{
    open_file_dialog d(nullptr, PDF_FILTER, "/srv/docs/report.pdf");
    EXPECT_EQ(d.initial_folder(), "/srv/docs/");
    EXPECT_EQ(d.initial_name(), "report.pdf"); // the whole name, which Open takes as it stands
    EXPECT_EQ(d.name_filters(), (std::vector<std::string>{"PDF Files (*.pdf)", "All Files (*)"}));
    save_file_dialog s(nullptr, DOC_FILTER, "/srv/docs/report.doc", "doc");
    EXPECT_EQ(s.initial_name(), "report");
    EXPECT_EQ(s.name_filters(), (std::vector<std::string>{"MS Word Documents (*.doc)", "All Files (*)"}));
    {
        // No previous path: the user's documents folder, not the program's.
        vlxtest::TempDir home("home");
        vlxtest::EnvVar h("HOME", home.path.c_str());
        vlxtest::EnvVar conf("XDG_CONFIG_HOME", (home / "conf").c_str());
        for (const std::string& folder : {open_file_dialog(nullptr, PDF_FILTER, "").initial_folder(),
                                          save_file_dialog(nullptr, DOC_FILTER, "", "vlx").initial_folder()})
            EXPECT_EQ(folder, home.path + "/");
    }
    EXPECT_EQ(assertion_of([] { save_file_dialog(nullptr, DOC_FILTER, "", nullptr); }),
              assertion_text("..\\GUI2/g_f_dlg", 95));

    const std::string at_limit = "/" + std::string(255, 'a');
    const struct {
        std::string typed, expected;
    } rows[] = {
        {"/tmp/letter", "/tmp/letter.doc"},
        {"/tmp/LETTER.DOC", "/tmp/LETTER.DOC.doc"}, // the extension is looked for as written
        {"/tmp/letter.doc", "/tmp/letter.doc"},
        {at_limit, at_limit},                   // would not fit the path limit
    };
    for (const auto& r : rows)
        EXPECT_EQ(save_file_dialog::apply_default_ext(r.typed, ".doc"), r.expected) << r.typed;
}

TEST(FileDialogs, RealSaveDialogCancelsOrTakesATypedName)
{
    const vlxtest::TempDir dir("vlx-fdlg-");
    char before[4096];
    ASSERT_TRUE(getcwd(before, sizeof before));
    modal_answerer answer;
    answer.then([](QWidget* w) { static_cast<QDialog*>(w)->reject(); }).then([](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(dlg->testOption(QFileDialog::DontConfirmOverwrite));
        auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text().toStdString(), "old");
        name->setText("letter");
        static_cast<QDialog*>(dlg)->accept();
    });
    save_file_dialog d(nullptr, DOC_FILTER, dir / "old.doc", "doc");
    EXPECT_FALSE(d.show());
    EXPECT_EQ(d.get_file_name(), "");
    char after[4096];
    ASSERT_TRUE(getcwd(after, sizeof after));
    EXPECT_STREQ(after, before);
    EXPECT_TRUE(d.show());
    EXPECT_EQ(d.get_file_name(), dir / "letter.doc");
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].title, "Select the destination file");
}
