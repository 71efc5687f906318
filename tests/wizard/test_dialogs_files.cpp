// File dialogs: initial folder and name, filters, the default-extension rule, the real dialog.
#include "g_f_dlg.h"
#include "test_frame_answerer.h"
#include "tk_except.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const file_filter PDF_FILTER = {"PDF Files (.pdf)\0*.pdf\0All Files (*.*)\0*.*\0", "Select PDF document to convert"};
const file_filter DOC_FILTER = {"MS Word Documents (.doc)\0*.doc\0All Files (*.*)\0*.*\0",
                                "Select the destination file"};

struct chooser {
    std::string answer;
    bool ok;
    std::string seen_folder, seen_name;
    chooser(std::string a, bool o) : answer(std::move(a)), ok(o)
    {
        file_dialog::set_chooser([this](const file_dialog& d, std::string& out) {
            seen_folder = d.initial_folder();
            seen_name = d.initial_name();
            out = answer;
            return ok;
        });
    }
    ~chooser() { file_dialog::set_chooser(nullptr); }
};

std::string save_as(const std::string& typed, const char* ext = "doc")
{
    chooser c(typed, true);
    save_file_dialog d(nullptr, DOC_FILTER, "", ext);
    EXPECT_TRUE(d.show());
    return d.get_file_name();
}

} // namespace

TEST(FileDialogs, InitialPathGivesFolderAndBareName)
{
    open_file_dialog d(nullptr, PDF_FILTER, "/srv/docs/report.pdf");
    EXPECT_EQ(d.initial_folder(), "/srv/docs/");
    EXPECT_EQ(d.initial_name(), "report");
    EXPECT_EQ(d.title(), "Select PDF document to convert");
    EXPECT_FALSE(d.is_save());
}

TEST(FileDialogs, EmptyInitialPathOpensTheProgramFolder)
{
    open_file_dialog d(nullptr, PDF_FILTER, "");
    EXPECT_EQ(d.initial_name(), "");
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::string dir(exe);
    dir = dir.substr(0, dir.rfind('/') + 1);
    EXPECT_EQ(d.initial_folder(), dir);
}

TEST(FileDialogs, FilterPairsBecomeQtFilters)
{
    open_file_dialog d(nullptr, PDF_FILTER, "");
    std::vector<std::string> expected{"PDF Files (.pdf) (*.pdf)", "All Files (*.*) (*)"};
    EXPECT_EQ(d.name_filters(), expected);
}

TEST(FileDialogs, DefaultExtensionRule)
{
    EXPECT_EQ(save_as("/tmp/letter"), "/tmp/letter.doc");
    EXPECT_EQ(save_as("/tmp/letter.doc"), "/tmp/letter.doc");
    EXPECT_EQ(save_as("/tmp/my.doc.txt"), "/tmp/my.doc.txt");
    // An upper-case extension already names a document: nothing is appended.
    EXPECT_EQ(save_as("/tmp/LETTER.DOC"), "/tmp/LETTER.DOC");
    EXPECT_EQ(save_as("/tmp/profile", "vlx"), "/tmp/profile.vlx");
}

TEST(FileDialogs, ExtensionWithOrWithoutDot)
{
    save_file_dialog a(nullptr, DOC_FILTER, "", "doc");
    save_file_dialog b(nullptr, DOC_FILTER, "", ".doc");
    EXPECT_EQ(a.default_ext(), ".doc");
    EXPECT_EQ(b.default_ext(), ".doc");
    EXPECT_TRUE(a.is_save());
}

TEST(FileDialogs, NullExtensionIsAnInternalError)
{
    try {
        save_file_dialog d(nullptr, DOC_FILTER, "", nullptr);
        ADD_FAILURE() << "accepted";
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\GUI2/g_f_dlg", 95));
    }
}

TEST(FileDialogs, ExtensionIsNotAppendedPastTheLimit)
{
    std::string long_name = "/" + std::string(255, 'a');
    EXPECT_EQ(save_file_dialog::apply_default_ext(long_name, ".doc"), long_name);
    std::string fits = "/" + std::string(254, 'a');
    EXPECT_EQ(save_file_dialog::apply_default_ext(fits, ".doc"), fits + ".doc");
}

TEST(FileDialogs, CancelReturnsFalseAndKeepsTheCurrentFolder)
{
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    chooser c("ignored", false);
    open_file_dialog d(nullptr, PDF_FILTER, "/tmp/x.pdf");
    EXPECT_FALSE(d.show());
    EXPECT_EQ(d.get_file_name(), "");
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
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

TEST(FileDialogs, RealOpenDialogCancelled)
{
    modal_answerer answer;
    answer.then([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    open_file_dialog d(nullptr, PDF_FILTER, "/tmp/none.pdf");
    EXPECT_FALSE(d.show());
    EXPECT_EQ(answer.seen.size(), 1u);
}
