// Page framework and navigation: notifications, buttons, headers, cancel, control helpers.
#include "g_wiz_pg.h"
#include "g_wiz_sh.h"
#include "test_frame_answerer.h"
#include "tk_except.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

template <int Id, int Buttons, int Flags>
class page : public wizard_page<Id, Buttons, Flags> {
public:
    page()
    {
        auto* box = new plain_check_box("&Use password:", this);
        set_control_id(box, 1222);
        auto* edit = new QLineEdit(this);
        set_control_id(edit, 1005);
        auto* label = new QLabel("Welcome", this);
        set_control_id(label, 1337);
        QObject::connect(box, &QCheckBox::clicked, this, [this] { clicks_state = this->invert_chbox(1222); });
    }
    bool page_init() override
    {
        ++inits;
        return accept_activation;
    }
    bool on_kill_active() override
    {
        ++kills;
        return may_leave;
    }
    int on_next() override { return next_result; }
    int on_back() override { return back_result; }
    bool on_finish() override { return may_finish; }
    void on_help() override { ++helps; }

    int inits = 0, kills = 0, helps = 0;
    bool accept_activation = true, may_leave = true, may_finish = true;
    int next_result = 0, back_result = 0;
    bool clicks_state = false;
};

using welcome = page<103, PSWIZB_NEXT, 0x820>;
using files = page<104, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP>;
using settings = page<107, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP>;
using finish = page<106, PSWIZB_FINISH, PSP_HIDEHEADER>;

struct wizard_fixture : ::testing::Test {
    wizard_shell shell{"Vellix 4.1 ", 501, 311, 312};
    welcome p1;
    files p2;
    settings p3;
    finish p4;
    void SetUp() override
    {
        p2.set_header("Step 1 of 3", "Select files");
        p3.set_header("Step 2 of 3", "Conversion settings");
        for (wizard_page_base* p : std::initializer_list<wizard_page_base*>{&p1, &p2, &p3, &p4})
            shell.add_page(p);
    }
    bool enabled(int id) { return shell.button(id)->isEnabled(); }
    bool visible(int id) { return !shell.button(id)->isHidden(); }
};

struct answer_hook {
    int answer;
    std::vector<std::string> asked;
    explicit answer_hook(int a) : answer(a)
    {
        wizard_shell::set_box_hook([this](box_kind, const std::string&, const std::string& text, int style) {
            asked.push_back(text);
            EXPECT_EQ(style & MB_DEFBUTTON2, MB_DEFBUTTON2);
            return answer;
        });
    }
    ~answer_hook() { wizard_shell::set_box_hook(nullptr); }
};

} // namespace

TEST_F(wizard_fixture, FirstActivationSetsButtonsAndTitle)
{
    shell.start();
    EXPECT_EQ(shell.current_page(), &p1);
    EXPECT_EQ(p1.inits, 1);
    EXPECT_EQ(shell.windowTitle().toStdString(), "Vellix 4.1 ");
    EXPECT_FALSE(enabled(wizard_shell::ID_BACK));
    EXPECT_TRUE(enabled(wizard_shell::ID_NEXT));
    EXPECT_FALSE(visible(wizard_shell::ID_FINISH));
    EXPECT_TRUE(enabled(wizard_shell::ID_HELP)); // 0x820 carries the Help bit
    EXPECT_EQ(p2.page_flags(), PSP_HASHELP | PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE);
}

TEST_F(wizard_fixture, NextAndBackFollowThePageAnswers)
{
    shell.start();
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p2);
    EXPECT_EQ(p1.kills, 1);
    EXPECT_TRUE(enabled(wizard_shell::ID_BACK));
    EXPECT_TRUE(enabled(wizard_shell::ID_HELP));

    p2.next_result = -1; // stay
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p2);

    p2.next_result = 106; // jump by dialog id
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p4);
    EXPECT_TRUE(visible(wizard_shell::ID_FINISH));
    EXPECT_FALSE(visible(wizard_shell::ID_NEXT));

    shell.press_back();
    EXPECT_EQ(shell.current_page(), &p3);
    p3.back_result = -1;
    shell.press_back();
    EXPECT_EQ(shell.current_page(), &p3);
}

TEST_F(wizard_fixture, KillActiveCanKeepThePage)
{
    shell.start();
    p1.may_leave = false;
    shell.button(wizard_shell::ID_NEXT)->click();
    EXPECT_EQ(shell.current_page(), &p1);
}

TEST_F(wizard_fixture, APageRefusingActivationIsPassedOver)
{
    shell.start();
    p2.accept_activation = false;
    shell.press_next();
    EXPECT_EQ(p2.inits, 1);
    EXPECT_EQ(shell.current_page(), &p3);
    shell.press_back(); // p2 refuses again, so back lands on p1
    EXPECT_EQ(shell.current_page(), &p1);
}

TEST_F(wizard_fixture, SetCurSelIdShowsThatPageAtOnce)
{
    shell.start();
    EXPECT_TRUE(shell.set_cur_sel_id(106));
    EXPECT_EQ(shell.current_page(), &p4);
    EXPECT_EQ(p4.inits, 1);
    EXPECT_FALSE(shell.set_cur_sel_id(999));
    shell.enable_button(wizard_shell::ID_HELP, false);
    EXPECT_FALSE(enabled(wizard_shell::ID_HELP));
}

TEST_F(wizard_fixture, FinishClosesOnlyWhenThePageAgrees)
{
    shell.start();
    shell.set_cur_sel_id(106);
    shell.show();
    p4.may_finish = false;
    shell.press_finish();
    EXPECT_TRUE(shell.isVisible());
    p4.may_finish = true;
    shell.press_finish();
    EXPECT_FALSE(shell.isVisible());
    EXPECT_EQ(shell.result(), QDialog::Accepted);
}

TEST_F(wizard_fixture, CancelAsksAndNoKeepsThePage)
{
    shell.start();
    shell.press_next();
    shell.show();
    {
        answer_hook no(0);
        shell.button(wizard_shell::ID_CANCEL)->click();
        ASSERT_EQ(no.asked.size(), 1u);
        EXPECT_EQ(no.asked[0], "Are you sure you want to exit the wizard?");
        EXPECT_TRUE(shell.isVisible());
        EXPECT_EQ(shell.current_page(), &p2);
    }
    {
        answer_hook no(0);
        QTest::keyClick(&shell, Qt::Key_Escape);
        EXPECT_EQ(no.asked.size(), 1u);
        EXPECT_TRUE(shell.isVisible());
    }
    answer_hook yes(1);
    shell.reject();
    EXPECT_FALSE(shell.isVisible());
    EXPECT_EQ(shell.result(), QDialog::Rejected);
}

TEST_F(wizard_fixture, RunModalReturnsZeroAfterCancel)
{
    modal_answerer answer;
    // The wizard itself is the first modal window: cancel it, then say Yes.
    answer.then([](QWidget* w) { static_cast<wizard_shell*>(w)->reject(); }).click("Yes");
    EXPECT_EQ(shell.run_modal(), 0);
    EXPECT_EQ(answer.seen.size(), 2u);
}

TEST_F(wizard_fixture, HelpGoesToTheCurrentPage)
{
    shell.start();
    shell.press_next();
    shell.button(wizard_shell::ID_HELP)->click();
    QTest::keyClick(&shell, Qt::Key_F1);
    EXPECT_EQ(p2.helps, 2);
    EXPECT_EQ(p1.helps, 0);
}

TEST_F(wizard_fixture, NotificationsFromOtherWindowsAreLeftAlone)
{
    shell.start();
    QWidget stranger;
    int result = 77;
    EXPECT_FALSE(p2.notify(&stranger, PSN_WIZNEXT, result));
    EXPECT_EQ(result, 77);
    EXPECT_TRUE(p2.notify(&p2, PSN_APPLY, result));
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(p2.notify(&shell, -999, result));
    p2.accept_activation = false;
    EXPECT_TRUE(p2.notify(&shell, PSN_SETACTIVE, result));
    EXPECT_EQ(result, -1);
    p2.may_finish = false;
    EXPECT_TRUE(p2.notify(&shell, PSN_WIZFINISH, result));
    EXPECT_EQ(result, 1);
}

TEST_F(wizard_fixture, PlainCheckBoxIsToggledByThePageOnly)
{
    shell.start();
    shell.show();
    auto* box = static_cast<QCheckBox*>(p1.control(1222));
    ASSERT_NE(box, nullptr);
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(p1.clicks_state);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(p1.clicks_state);
    try {
        p1.invert_chbox(1005);
        ADD_FAILURE() << "not a check box";
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\GUI2/g_wiz_pg", 123));
    }
}

TEST_F(wizard_fixture, EnableCtrlFocusesWhenEnabling)
{
    shell.start();
    shell.show();
    shell.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&shell));
    p1.enable_ctrl(1005, false);
    EXPECT_FALSE(p1.control(1005)->isEnabled());
    p1.enable_ctrl(1005, true);
    EXPECT_TRUE(p1.control(1005)->isEnabled());
    EXPECT_TRUE(p1.control(1005)->hasFocus());
}

TEST_F(wizard_fixture, TitleFontIsMadeOnce)
{
    p1.set_title_font(1337);
    QFont first = p1.control(1337)->font();
    EXPECT_EQ(first.pointSize(), 13);
    p1.set_title_font(1337);
    EXPECT_EQ(p1.control(1337)->font(), first);
}

TEST(WizardPages, MissingFrameIsAnInternalError)
{
    files lone;
    try {
        lone.OnSetActive();
        ADD_FAILURE() << "no frame";
    } catch (const tk_mail_assertion& a) {
        EXPECT_EQ(a.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 59));
    }
}
