// The select-files page: source, password, destination and three switches.
#include "vlx_shel.h"

#include "g_f_dlg.h"
#include "g_wiz_sh.h"
#include "pdf_name.h"
#include "pdf_open.h"
#include "tk_dest.h"
#include "tk_except.h"
#include "tk_fname.h"
#include "tk_log.h"
#include "tk_utils.h"
#include "vlx_conv.h"
#include "vlx_dest.h"

#include <PDFDoc.h>

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QAbstractButton>

#include <algorithm>

namespace {

const file_filter pdf_filter = {"PDF Files (.pdf)\0*.pdf\0All Files (*.*)\0*.*\0",
                                "Select PDF document to convert"};
const file_filter doc_filter = {"MS Word Documents (.doc)\0*.doc\0All Files (*.*)\0*.*\0",
                                "Select the destination file"};

// Edits take up to 259 characters, but a longer stored value is shown whole.
void set_edit_text(QLineEdit* edit, const std::string& text)
{
    const QString value = QString::fromStdString(text);
    edit->setMaxLength(std::max(259, static_cast<int>(value.size())));
    edit->setText(value);
}

std::string edit_text(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

void set_check(QWidget* w, bool on)
{
    if (auto* box = qobject_cast<QAbstractButton*>(w))
        box->setChecked(on);
}

bool is_checked(const QWidget* w)
{
    auto* box = qobject_cast<const QAbstractButton*>(w);
    return box && box->isChecked();
}

} // namespace

sel_file_page::sel_file_page()
{
    set_header("Step 1 of 3", "Select files");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Enter source and destination file names. Click 'Browse' "
                                              "to find files\nthrough directory tree."),
                               this),
                    0, 0, 1, 3);

    auto* src_label = new QLabel(QStringLiteral("&PDF document name:"), this);
    auto* src = new QLineEdit(this);
    set_control_id(src, 1003);
    src->setMaxLength(259);
    src_label->setBuddy(src);
    auto* browse_src = new QPushButton(QStringLiteral("Browse..."), this);
    set_control_id(browse_src, 1107);
    grid->addWidget(src_label, 1, 0, 1, 3);
    grid->addWidget(src, 2, 0, 1, 2);
    grid->addWidget(browse_src, 2, 2);

    auto* use_pswd = new plain_check_box(QStringLiteral("&Use password:"), this);
    set_control_id(use_pswd, 1222);
    auto* pswd = new QLineEdit(this);
    set_control_id(pswd, 1005);
    pswd->setEchoMode(QLineEdit::Password);
    pswd->setMaxLength(259);
    grid->addWidget(use_pswd, 3, 0);
    grid->addWidget(pswd, 3, 1);

    auto* dest_label = new QLabel(QStringLiteral("MS &Word document name:"), this);
    auto* dest = new QLineEdit(this);
    set_control_id(dest, 1004);
    dest->setMaxLength(259);
    dest_label->setBuddy(dest);
    auto* browse_dest = new QPushButton(QStringLiteral("Browse..."), this);
    set_control_id(browse_dest, 1104);
    grid->addWidget(dest_label, 4, 0, 1, 3);
    grid->addWidget(dest, 5, 0, 1, 2);
    grid->addWidget(browse_dest, 5, 2);

    const struct {
        int id;
        const char* text;
    } switches[] = {{1202, "Convert PDF &graphics"}, {1203, "&Do not insert line breaks"}, {1204, "Convert &tables"}};
    int row = 6;
    for (const auto& s : switches) {
        auto* box = new plain_check_box(QString::fromUtf8(s.text), this);
        set_control_id(box, s.id);
        grid->addWidget(box, row++, 0, 1, 3);
        connect(box, &QCheckBox::clicked, this, [this, id = s.id] { on_checkbox(id); });
    }
    grid->setRowStretch(row, 1);

    connect(use_pswd, &QCheckBox::clicked, this, [this] { on_checkbox(1222); });
    connect(browse_src, &QPushButton::clicked, this, [this] { browse_source(); });
    connect(browse_dest, &QPushButton::clicked, this, [this] { this->browse_dest(); });
    connect(dest, &QLineEdit::textEdited, this, [this] { dest_set_for = edit_text(edit(1003)); });
    src->installEventFilter(this);
}

QLineEdit* sel_file_page::edit(int id) const
{
    return qobject_cast<QLineEdit*>(control(id));
}

bool sel_file_page::page_init()
{
    tk_log(1, "sel_file_page::page_init");
    vellix_convertor& job = vellix_convertor::instance();
    set_edit_text(edit(1003), job.src);
    set_edit_text(edit(1004), job.dest);
    dest_set_for = job.src;
    const bool has_pswd = !job.password.empty();
    set_check(control(1222), has_pswd);
    enable_ctrl(1005, has_pswd);
    set_edit_text(edit(1005), job.password);
    set_check(control(1202), job.convert_graphics);
    set_check(control(1203), job.no_crlf_mode);
    set_check(control(1204), job.tables_mode);
    return true;
}

void sel_file_page::save()
{
    tk_log(1, "sel_file_page::save");
    vellix_convertor& job = vellix_convertor::instance();
    job.src = edit_text(edit(1003));
    job.dest = edit_text(edit(1004));
    // A password typed while "Use password" is off does not count.
    job.password = is_checked(control(1222)) ? edit_text(edit(1005)) : std::string();
    job.convert_graphics = is_checked(control(1202));
    job.no_crlf_mode = is_checked(control(1203));
    job.tables_mode = is_checked(control(1204));
}

int sel_file_page::on_back()
{
    tk_log(1, "sel_file_page::on_back");
    leave_source_first();
    save();
    return 0;
}

int sel_file_page::on_next()
{
    tk_log(1, "sel_file_page::on_next");
    leave_source_first();
    save();
    vellix_convertor::instance().src = pdf_openable_name(vellix_convertor::instance().src);
    const vellix_convertor& job = vellix_convertor::instance();
    if (job.src.empty()) {
        wizard_shell::message("You should enter source file name");
        return -1;
    }
    if (job.dest.empty()) {
        wizard_shell::message("You should enter destination file name");
        return -1;
    }
    if (!tk_is_file_exist(job.src, TK_MODE_READ)) {
        wizard_shell::error("Source file does not exist.\r\nPlease verify the correct file name was given.");
        return -1;
    }
    try {
        return check_and_go_on();
    } catch (const tk_exception& e) {
        wizard_shell::error(e.what());
        return -1;
    }
}

// The trial opening, the destination checks and the overwrite question.
int sel_file_page::check_and_go_on()
{
    const vellix_convertor& job = vellix_convertor::instance();
    // Opened now so that a wrong password or a broken file is reported here.
    std::unique_ptr<PDFDoc> trial = pdf_open_document(job.src, job.password);
    // The source is passed too: writing the document over its own source would destroy it.
    common_check_dest(job.dest, job.src);
    vlx_refuse_stream_dest(job.dest); // "-", /dev/stdout: the wizard has no stream to hand it on
    // Yes only allows the replacement: the run moves the new document over the old one once it is
    // complete, so a cancelled or failed run leaves the old one in place.
    if (tk_is_file_exist(job.dest, TK_MODE_READ) &&
        !wizard_shell::question("Destination file already exists. Overwrite?", MB_DEFBUTTON2))
        return -1;
    return 0;
}

void sel_file_page::on_help()
{
    tk_log(1, "sel_file_page::on_help");
    wizard_shell::display_help(1013);
}

void sel_file_page::on_checkbox(int id)
{
    tk_log(1, "sel_file_page::on_checkbox(%d)", id);
    try {
        const bool state = invert_chbox(id);
        if (id == 1222)
            enable_ctrl(1005, state);
    } catch (const std::exception& e) {
        wizard_shell::error(e.what());
    }
}

bool sel_file_page::eventFilter(QObject* watched, QEvent* event)
{
    // Opening the edit's own menu keeps the focus in it: not a leave.
    if (event->type() == QEvent::FocusOut && watched == control(1003) &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        on_source_killfocus();
    return wizard_page_base::eventFilter(watched, event);
}

void sel_file_page::leave_source_first()
{
    if (edit(1003)->hasFocus())
        on_source_killfocus();
}

void sel_file_page::on_source_killfocus()
{
    const std::string source = edit_text(edit(1003));
    if (source.empty())
        return;
    // A destination set for this very name, proposed or the user's own, stays.
    if (source == dest_set_for && !edit(1004)->text().isEmpty())
        return;
    try {
        make_dest(source.c_str());
    } catch (const std::exception& e) {
        wizard_shell::error(e.what());
    }
}

void sel_file_page::make_dest(const char* source)
{
    tk_log(1, "sel_file_page::make_dest(%s)", source ? source : "(null)");
    tk_assert(source != nullptr, VLX_SHEL_UNIT, 340);
    const std::string name = tk_file_name(source).name;
    const std::string current = edit_text(edit(1004));
    set_edit_text(edit(1004), common_make_dest(current, name, "doc", false));
    dest_set_for = source;
}

void sel_file_page::browse_source()
{
    tk_log(1, "sel_file_page::browse_source");
    try {
        open_file_dialog dlg(this, pdf_filter, edit_text(edit(1003)));
        if (!dlg.show())
            return;
        set_edit_text(edit(1003), dlg.get_file_name());
        make_dest(dlg.get_file_name().c_str());
    } catch (const std::exception& e) {
        wizard_shell::error(e.what());
    }
}

void sel_file_page::browse_dest()
{
    tk_log(1, "sel_file_page::browse_dest");
    try {
        save_file_dialog dlg(this, doc_filter, edit_text(edit(1004)), "doc");
        if (dlg.show()) {
            set_edit_text(edit(1004), dlg.get_file_name());
            dest_set_for = edit_text(edit(1003));
        }
    } catch (const std::exception& e) {
        wizard_shell::error(e.what());
    }
}
