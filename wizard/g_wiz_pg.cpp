#include "g_wiz_pg.h"

#include "g_wiz_sh.h"
#include "tk_except.h"
#include "tk_log.h"

#include <QAbstractButton>
#include <QFont>
#include <QLineEdit>

namespace {

const char* const UNIT = "..\\GUI2/g_wiz_pg";

// A control holding a value the user sets, not a command.
bool takes_input(const QWidget* w)
{
    if (qobject_cast<const QLineEdit*>(w))
        return true;
    auto* b = qobject_cast<const QAbstractButton*>(w);
    return b && b->isCheckable();
}

} // namespace

plain_check_box::plain_check_box(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void set_control_id(QWidget* control, int id)
{
    control->setObjectName(QString::number(id));
}

wizard_page_base::wizard_page_base(int dialog_id, int buttons, int page_flags)
    : dialog(dialog_id), wiz_buttons(buttons), flags(page_flags)
{
    tk_log(1, "wizard_page::ctor(%d)", dialog_id);
    setObjectName(QString("page%1").arg(dialog_id));
}

wizard_page_base::~wizard_page_base()
{
    tk_log(2, "wizard_page::dtor");
}

void wizard_page_base::set_header(const std::string& header_title, const std::string& header_subtitle)
{
    title = header_title;
    subtitle = header_subtitle;
    flags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

bool wizard_page_base::notify(const QObject* sender, int code, int& result)
{
    if (sender != this && sender != window())
        return false;
    switch (code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        result = on_kill_active() ? 0 : 1;
        return true;
    case PSN_APPLY:
    case PSN_RESET:
    case PSN_TRANSLATEACCELERATOR:
    case PSN_QUERYINITIALFOCUS:
        result = 0;
        return true;
    case PSN_HELP:
        on_help();
        result = 0;
        return true;
    case PSN_WIZBACK:
        result = on_back();
        return true;
    case PSN_WIZNEXT:
        result = on_next();
        return true;
    case PSN_WIZFINISH:
        result = on_finish() ? 0 : 1;
        return true;
    case PSN_QUERYCANCEL:
        result = on_cancel() ? 0 : 1;
        return true;
    default:
        return false;
    }
}

bool wizard_page_base::OnSetActive()
{
    tk_log(1, "wizard_page::OnSetActive");
    wizard_shell& shell = wizard_shell::instance();
    shell.set_wiz_buttons(wiz_buttons);
    shell.apply_title_icon();
    if (!page_init())
        return false;
    // Enabling a control focuses it; arrival puts the focus where typing belongs all the same.
    if (QWidget* input = first_input())
        input->setFocus(Qt::TabFocusReason);
    else
        shell.focus_default_button();
    return true;
}

QWidget* wizard_page_base::first_input() const
{
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(this) ||
            !takes_input(w))
            continue;
        // The keyboard enters a radio group at its checked button.
        auto* radio = qobject_cast<QAbstractButton*>(w);
        if (radio && radio->autoExclusive() && !radio->isChecked()) {
            const auto group = radio->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
            for (QAbstractButton* b : group)
                if (b->autoExclusive() && b->isChecked() && b->isEnabled())
                    return b;
        }
        return w;
    }
    return nullptr;
}

bool wizard_page_base::on_cancel()
{
    tk_log(2, "wizard_page::on_cancel");
    wizard_shell::instance();
    return wizard_shell::question("Are you sure you want to exit the wizard?", MB_DEFBUTTON2);
}

QWidget* wizard_page_base::control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

bool wizard_page_base::invert_chbox(int id)
{
    tk_log(1, "wizard_page::invert_chbox(%d)", id);
    auto* box = qobject_cast<QAbstractButton*>(control(id));
    tk_assert(box != nullptr && box->isCheckable(), UNIT, 123);
    box->setChecked(!box->isChecked());
    return box->isChecked();
}

void wizard_page_base::enable_ctrl(int id, bool enable)
{
    tk_log(1, "wizard_page::enable_ctrl(%d=%d)", id, enable ? 1 : 0);
    QWidget* w = control(id);
    if (!w)
        return;
    w->setEnabled(enable);
    if (enable)
        w->setFocus();
}

void wizard_page_base::set_title_font(int id)
{
    if (!title_font) {
        title_font = std::make_unique<QFont>(QStringLiteral("Segoe UI"));
        title_font->setPointSize(13);
        title_font->setWeight(QFont::Normal);
        title_font->setStyleHint(QFont::SansSerif);
    }
    if (QWidget* w = control(id))
        w->setFont(*title_font);
}
