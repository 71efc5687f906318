// File dialogs: initial folder and name, filters, the default-extension rule, the real dialog.
#include "test_wizard_env.h"

#include <QFileDialog>

#include <unistd.h>

namespace {

const file_filter PDF_FILTER = {"PDF Files (.pdf)\0*.pdf\0All Files (*.*)\0*.*\0", "Select PDF document to convert"};
const file_filter DOC_FILTER = {"MS Word Documents (.doc)\0*.doc\0All Files (*.*)\0*.*\0",
                                "Select the destination file"};

std::string cwd()
{
    char buf[4096];
    return getcwd(buf, sizeof buf) ? buf : "";
}

} // namespace

TEST(FileDialogs, InitialPathFiltersAndExtension)
{
    open_file_dialog d(nullptr, PDF_FILTER, "/srv/docs/report.pdf");
    EXPECT_EQ(d.initial_folder(), "/srv/docs/");
    EXPECT_EQ(d.initial_name(), "report");
    EXPECT_EQ(d.name_filters(), (std::vector<std::string>{"PDF Files (.pdf) (*.pdf)", "All Files (*.*) (*)"}));

    open_file_dialog bare(nullptr, PDF_FILTER, "");
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string self(exe);
    EXPECT_EQ(bare.initial_folder(), self.substr(0, self.rfind('/') + 1));

    EXPECT_EQ(save_file_dialog(nullptr, DOC_FILTER, "", "doc").default_ext(), ".doc");
    EXPECT_EQ(assertion_of([] { save_file_dialog(nullptr, DOC_FILTER, "", nullptr); }),
              assertion_text("..\\GUI2/g_f_dlg", 95));
}

TEST(FileDialogs, DefaultExtensionRule)
{
    const std::string at_limit = "/" + std::string(255, 'a'), fits = "/" + std::string(254, 'a');
    const struct {
        std::string typed, ext, expected;
    } rows[] = {
        {"/tmp/letter", ".doc", "/tmp/letter.doc"},
        {"/tmp/my.doc.txt", ".doc", "/tmp/my.doc.txt"},
        {"/tmp/LETTER.DOC", ".doc", "/tmp/LETTER.DOC"}, // upper case already names a document
        {at_limit, ".doc", at_limit}, // would not fit the path limit
        {fits, ".doc", fits + ".doc"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.typed);
        EXPECT_EQ(save_file_dialog::apply_default_ext(r.typed, r.ext), r.expected);
    }
}

TEST(FileDialogs, RealSaveDialogTakesATypedName)
{
    char dir[] = "/tmp/vlx-fdlg-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    modal_answerer answer;
    answer.then([](QWidget* w) {
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
    save_file_dialog d(nullptr, DOC_FILTER, std::string(dir) + "/old.doc", "doc");
    EXPECT_TRUE(d.show());
    EXPECT_EQ(d.get_file_name(), std::string(dir) + "/letter.doc");
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].title, "Select the destination file");
    rmdir(dir);
}

TEST(FileDialogs, CancelReturnsFalseAndKeepsTheCurrentFolder)
{
    const std::string before = cwd();
    modal_answerer answer;
    answer.then([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    open_file_dialog d(nullptr, PDF_FILTER, "/tmp/none.pdf");
    EXPECT_FALSE(d.show());
    EXPECT_EQ(d.get_file_name(), "");
    EXPECT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(cwd(), before);
}
