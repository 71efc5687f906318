// Page framework and navigation: notifications, buttons, cancel, control helpers.
#include "g_wiz_pg.h"
#include "test_wizard_env.h"

#include <QFont>
#include <QPushButton>

namespace {

template <int Id, int Buttons, int Flags>
class page : public wizard_page<Id, Buttons, Flags> {
public:
    page()
    {
        auto* box = new plain_check_box("&Use password:", this);
        set_control_id(box, 1222);
        set_control_id(new QLineEdit(this), 1005);
        set_control_id(new QLabel("Welcome", this), 1337);
        QObject::connect(box, &QCheckBox::clicked, this, [this] { clicks_state = this->invert_chbox(1222); });
    }
    bool page_init() override { return accept_activation; }
    bool on_kill_active() override { return may_leave; }
    int on_next() override { return next_result; }
    int on_back() override { return back_result; }
    bool on_finish() override { return may_finish; }
    void on_help() override { ++helps; }

    int helps = 0, next_result = 0, back_result = 0;
    bool accept_activation = true, may_leave = true, may_finish = true, clicks_state = false;
};

using files = page<104, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP>;
using finish = page<106, PSWIZB_FINISH, PSP_HIDEHEADER>;

struct pages_test : wizard_env {
    wizard_shell shell{"Vellix 4.1 ", 501, 311, 312};
    page<103, PSWIZB_NEXT, 0x820> p1;
    files p2;
    page<107, PSWIZB_BACK | PSWIZB_NEXT, PSP_HASHELP> p3;
    finish p4;
    void SetUp() override
    {
        wizard_env::SetUp();
        p2.set_header("Step 1 of 3", "Select files");
        for (wizard_page_base* p : std::initializer_list<wizard_page_base*>{&p1, &p2, &p3, &p4})
            shell.add_page(p);
        shell.start();
        shell.show();
    }
    bool enabled(int id) { return shell.button(id)->isEnabled() && !shell.button(id)->isHidden(); }
};

} // namespace

TEST_F(pages_test, NavigationFollowsThePageAnswers)
{
    EXPECT_EQ(shell.current_page(), &p1);
    EXPECT_EQ(shell.windowTitle().toStdString(), "Vellix 4.1 ");
    EXPECT_FALSE(enabled(wizard_shell::ID_BACK));
    EXPECT_FALSE(enabled(wizard_shell::ID_FINISH));
    EXPECT_TRUE(enabled(wizard_shell::ID_HELP)); // 0x820 carries the Help bit
    EXPECT_EQ(p2.page_flags(), PSP_HASHELP | PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE);

    p1.may_leave = false;
    shell.button(wizard_shell::ID_NEXT)->click();
    EXPECT_EQ(shell.current_page(), &p1);
    p1.may_leave = true;
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p2);
    EXPECT_TRUE(enabled(wizard_shell::ID_BACK));
    QTest::keyClick(&shell, Qt::Key_F1);
    EXPECT_EQ(p2.helps, 1);

    p2.next_result = -1; // stay
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p2);
    p2.next_result = 106; // jump by dialog id
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p4);
    EXPECT_TRUE(enabled(wizard_shell::ID_FINISH));
    EXPECT_FALSE(enabled(wizard_shell::ID_NEXT));

    p3.back_result = -1;
    shell.press_back();
    EXPECT_EQ(shell.current_page(), &p3);
    p3.back_result = 0;
    p2.accept_activation = false; // passed over both ways
    shell.press_back();
    EXPECT_EQ(shell.current_page(), &p1);
    shell.press_next();
    EXPECT_EQ(shell.current_page(), &p3);
    EXPECT_FALSE(shell.set_cur_sel_id(999));

    ASSERT_TRUE(shell.set_cur_sel_id(106));
    p4.may_finish = false;
    shell.press_finish();
    EXPECT_TRUE(shell.isVisible());
    p4.may_finish = true;
    shell.press_finish();
    EXPECT_FALSE(shell.isVisible());
    EXPECT_EQ(shell.result(), QDialog::Accepted);
}

TEST_F(pages_test, CancelAsksWithNoAsDefaultAndNoKeepsThePage)
{
    shell.press_next();
    shell.button(wizard_shell::ID_CANCEL)->click();
    QTest::keyClick(&shell, Qt::Key_Escape);
    EXPECT_TRUE(shell.isVisible());
    EXPECT_EQ(shell.current_page(), &p2);
    answers = {1};
    shell.reject();
    EXPECT_FALSE(shell.isVisible());
    EXPECT_EQ(shell.result(), QDialog::Rejected);
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 3u);
    for (const box_record& b : seen) {
        EXPECT_EQ(b.text, "Are you sure you want to exit the wizard?");
        EXPECT_EQ(b.style & MB_DEFBUTTON2, MB_DEFBUTTON2);
    }
}

TEST_F(pages_test, ControlHelpers)
{
    auto* box = static_cast<QCheckBox*>(p1.control(1222));
    ASSERT_NE(box, nullptr);
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(p1.clicks_state);
    EXPECT_EQ(assertion_of([&] { p1.invert_chbox(1005); }), assertion_text("..\\GUI2/g_wiz_pg", 123));

    p1.set_title_font(1337);
    const QFont first = p1.control(1337)->font();
    EXPECT_EQ(first.pointSize(), 13);
    p1.set_title_font(1337);
    EXPECT_EQ(p1.control(1337)->font(), first);
}

TEST(WizardPages, MissingFrameIsAnInternalError)
{
    files lone;
    EXPECT_EQ(assertion_of([&] { lone.OnSetActive(); }), assertion_text("..\\TK/tk_singl", 59));
}
