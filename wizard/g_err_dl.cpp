#include "g_err_dl.h"

#include "g_wiz_pg.h"
#include "g_wiz_sh.h"
#include "tk_log.h"
#include "tk_utils.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The message row: the system's error icon and the text.
void add_message_row(QDialog* dlg, QVBoxLayout* layout, const std::string& text)
{
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(dlg);
    int size = dlg->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dlg);
    icon->setPixmap(dlg->style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, dlg).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    auto* label = new QLabel(QString::fromStdString(text), dlg);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    set_control_id(label, 1320);
    row->addWidget(icon);
    row->addWidget(label, 1);
    layout->addLayout(row);
}

QPushButton* add_button(QDialog* dlg, QHBoxLayout* row, const char* text, int id)
{
    auto* b = new QPushButton(QString::fromUtf8(text), dlg);
    set_control_id(b, id);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

void open_on_top(QDialog* dlg)
{
    dlg->setWindowTitle(QString::fromStdString(error_dialog_caption()));
    dlg->setModal(true);
    dlg->raise();
}

} // namespace

std::string error_dialog_caption()
{
    if (wizard_shell* shell = wizard_shell::slot())
        return shell->title() + " Error";
    return "Error";
}

template <int Id>
dlg_error_ex<Id>::dlg_error_ex(const std::string& message, QWidget* parent) : QDialog(parent), text(message)
{
    tk_log(1, "dlg_error_ex::ctor");
    setObjectName(QStringLiteral("dlg_error_ex"));
    auto* layout = new QVBoxLayout(this);
    add_message_row(this, layout, text);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QPushButton* send = add_button(this, row, "Send bug", IDC_SEND_BUG);
    QPushButton* ok = add_button(this, row, "OK", IDC_OK);
    QPushButton* copy = add_button(this, row, "Copy to clipboard", IDC_COPY);
    layout->addLayout(row);
    send->setDefault(true);
    connect(send, &QPushButton::clicked, this, [this] { command(IDC_SEND_BUG); });
    connect(ok, &QPushButton::clicked, this, [this] { command(IDC_OK); });
    connect(copy, &QPushButton::clicked, this, [this] { command(IDC_COPY); });
}

template <int Id>
dlg_error_ex<Id>::~dlg_error_ex() = default;

template <int Id>
int dlg_error_ex<Id>::run()
{
    tk_log(1, "dlg_error_ex::on_init");
    open_on_top(this);
    return exec();
}

template <int Id>
void dlg_error_ex<Id>::command(int id)
{
    switch (id) {
    case IDC_OK:
        done(IDC_OK);
        break;
    case IDC_COPY:
        tk_copy_to_clipboard1(text);
        done(IDC_COPY);
        break;
    case IDC_SEND_BUG: {
        wizard_shell* shell = wizard_shell::slot();
        tk_send_bug(shell ? shell->title() : std::string(), text);
        done(IDC_SEND_BUG);
        break;
    }
    default:
        break;
    }
}

template <int Id>
dlg_error_continue<Id>::dlg_error_continue(const std::string& message, QWidget* parent)
    : QDialog(parent), text(message)
{
    tk_log(1, "dlg_error_continue::ctor");
    setObjectName(QStringLiteral("dlg_error_continue"));
    auto* layout = new QVBoxLayout(this);
    add_message_row(this, layout, text);
    auto* box = new plain_check_box(QStringLiteral("&Do not show this dialog box again"), this);
    set_control_id(box, IDC_DONT_SHOW);
    layout->addWidget(box);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QPushButton* cont = add_button(this, row, "Continue", IDC_CONTINUE);
    QPushButton* abort = add_button(this, row, "Abort", IDC_ABORT);
    layout->addLayout(row);
    cont->setDefault(true);
    connect(cont, &QPushButton::clicked, this, [this] { command(IDC_CONTINUE); });
    connect(abort, &QPushButton::clicked, this, [this] { command(IDC_ABORT); });
    connect(box, &QCheckBox::clicked, this, [this] { command(IDC_DONT_SHOW); });
}

template <int Id>
dlg_error_continue<Id>::~dlg_error_continue() = default;

template <int Id>
int dlg_error_continue<Id>::run()
{
    tk_log(1, "dlg_error_continue::on_init");
    open_on_top(this);
    return exec();
}

template <int Id>
void dlg_error_continue<Id>::command(int id)
{
    switch (id) {
    case IDC_ABORT:
        done(IDC_ABORT);
        break;
    case IDC_CONTINUE:
        done(IDC_CONTINUE);
        break;
    case IDC_DONT_SHOW:
        if (auto* box = findChild<QCheckBox*>(QString::number(IDC_DONT_SHOW))) {
            box->setChecked(!box->isChecked());
            dont_show = box->isChecked();
        }
        break;
    default:
        break;
    }
}

template <int Id>
void dlg_error_continue<Id>::reject()
{
    done(IDC_CONTINUE);
}

template class dlg_error_ex<114>;
template class dlg_error_continue<115>;
