#include "g_wiz_sh.h"

#include "g_marsh.h"
#include "g_wiz_pg.h"
#include "tk_errh.h"
#include "tk_except.h"
#include "tk_fname.h"
#include "tk_log.h"
#include "tk_utils.h"
#include "vlx_conv.h"
#include "vlx_res.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

const char* const UNIT = "..\\GUI2/g_wiz_sh";

std::mutex hook_lock;
wizard_shell::box_hook_fn box_hook;
std::string help_override;
std::string run_error;

wizard_shell::box_hook_fn current_hook()
{
    std::lock_guard<std::mutex> hold(hook_lock);
    return box_hook;
}

// Caption and owner of a box: the frame's once its first page was shown.
std::string box_caption(const char* suffix, QWidget** owner)
{
    *owner = nullptr;
    if (wizard_shell::is_initialized()) {
        wizard_shell& shell = wizard_shell::instance();
        *owner = &shell;
        return shell.title() + " " + suffix;
    }
    return suffix;
}

// Shows a box on the GUI thread; the result is 1 for Yes (question) or OK.
int show_box(box_kind kind, const std::string& text, int style)
{
    static const char* const suffixes[] = {"Error", "Message", "Question"};
    int result = 0;
    gui_call([&] {
        QWidget* owner = nullptr;
        std::string caption = box_caption(suffixes[static_cast<int>(kind)], &owner);
        if (wizard_shell::box_hook_fn hook = current_hook()) {
            result = hook(kind, caption, text, style);
            return;
        }
        QString shown = QString::fromStdString(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QMessageBox box(owner);
        box.setWindowTitle(QString::fromStdString(caption));
        box.setText(shown);
        box.setTextFormat(Qt::PlainText);
        if (kind == box_kind::question) {
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton((style & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
            result = box.exec() == QMessageBox::Yes ? 1 : 0;
        } else {
            box.setIcon(kind == box_kind::error ? QMessageBox::Critical : QMessageBox::Information);
            box.setStandardButtons(QMessageBox::Ok);
            box.exec();
            result = 1;
        }
    });
    return result;
}

// The watermark at the top of the page's full height, its ground colour below.
class watermark_label : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), vlx_watermark_colour());
        p.drawPixmap(0, 0, pixmap());
    }
};

} // namespace

void wizard_shell::shell_host::start_timer(int milliseconds)
{
    shell.start_timer(milliseconds);
}

void wizard_shell::shell_host::error(const std::string& text)
{
    wizard_shell::note_run_error(text);
    wizard_shell::error(text);
}

void wizard_shell::note_run_error(const std::string& text)
{
    std::lock_guard<std::mutex> hold(hook_lock);
    run_error = text;
}

std::string wizard_shell::last_run_error()
{
    std::lock_guard<std::mutex> hold(hook_lock);
    return run_error;
}

void wizard_shell::clear_run_error()
{
    std::lock_guard<std::mutex> hold(hook_lock);
    run_error.clear();
}

wizard_shell::wizard_shell(const std::string& title, int icon, int watermark_id, int header_id)
    : icon_id(icon), window_title(title), watermark(watermark_id), header(header_id)
{
    tk_log(1, "wizard_shell::ctor(%s)", title.c_str());
    setObjectName(QStringLiteral("wizard_shell"));
    setModal(true);

    // The header band of the inner pages: texts at the left, the picture at the right.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    header_box = new QWidget(this);
    header_box->setBackgroundRole(QPalette::Base);
    header_box->setAutoFillBackground(true);
    auto* header_layout = new QHBoxLayout(header_box);
    header_layout->setContentsMargins(16, 6, 6, 6);
    auto* header_texts = new QVBoxLayout;
    header_title = new QLabel(header_box);
    QFont bold = header_title->font();
    bold.setBold(true);
    header_title->setFont(bold);
    header_subtitle = new QLabel(header_box);
    header_subtitle->setIndent(16);
    header_texts->addWidget(header_title);
    header_texts->addWidget(header_subtitle);
    header_layout->addLayout(header_texts, 1);
    header_picture = new QLabel(header_box);
    header_picture->setObjectName(QStringLiteral("header_picture"));
    header_picture->setPixmap(vlx_load_bitmap(header_id));
    header_picture->setVisible(!header_picture->pixmap().isNull());
    header_layout->addWidget(header_picture, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(header_box);
    header_line = new QFrame(this);
    header_line->setFrameShape(QFrame::HLine);
    layout->addWidget(header_line);

    // The pages; the welcome and finish pages have the watermark down their left side.
    body = new QWidget(this);
    body->setAutoFillBackground(true);
    auto* body_layout = new QHBoxLayout(body);
    body_layout->setContentsMargins(0, 0, 0, 0);
    body_layout->setSpacing(0);
    watermark_view = new watermark_label(body);
    watermark_view->setObjectName(QStringLiteral("watermark"));
    watermark_view->setPixmap(vlx_load_bitmap(watermark_id));
    watermark_view->setFixedWidth(watermark_view->pixmap().width());
    watermark_view->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    watermark_view->hide();
    body_layout->addWidget(watermark_view);
    stack = new QStackedWidget(body);
    auto* page_margin = new QVBoxLayout;
    page_margin->setContentsMargins(11, 11, 11, 11);
    page_margin->addWidget(stack);
    body_layout->addLayout(page_margin, 1);
    layout->addWidget(body, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);

    auto* buttons = new QHBoxLayout;
    auto make = [this](const char* text, int id) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };
    help_button = make("&Help", ID_HELP);
    back_button = make("< &Back", ID_BACK);
    next_button = make("&Next >", ID_NEXT);
    finish_button = make("&Finish", ID_FINISH);
    cancel_button = make("Cancel", ID_CANCEL);
    buttons->addWidget(help_button);
    buttons->addStretch(1);
    buttons->addWidget(back_button);
    buttons->addWidget(next_button);
    buttons->addWidget(finish_button);
    buttons->addSpacing(8);
    buttons->addWidget(cancel_button);
    buttons->setContentsMargins(11, 11, 11, 11);
    layout->addLayout(buttons);
    finish_button->hide();

    connect(help_button, &QPushButton::clicked, this, [this] { press_help(); });
    connect(back_button, &QPushButton::clicked, this, [this] { press_back(); });
    connect(next_button, &QPushButton::clicked, this, [this] { press_next(); });
    connect(finish_button, &QPushButton::clicked, this, [this] { press_finish(); });
    connect(cancel_button, &QPushButton::clicked, this, [this] { reject(); });

    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { on_timer_message(TIMER_ID); });

    if (vellix_convertor* conv = vellix_convertor::slot())
        conv->host = &host;
}

wizard_shell::~wizard_shell()
{
    tk_log(1, "wizard_shell::dtor");
    window_ready.store(false);
    if (timer_on.load())
        kill_timer();
    if (vellix_convertor* conv = vellix_convertor::slot()) {
        if (conv->host == &host)
            conv->host = nullptr;
    }
    // Pages belong to the entry; whatever is still here is only let go of.
    for (wizard_page_base* page : every_page())
        page->setParent(nullptr);
}

void wizard_shell::add_page(wizard_page_base* page)
{
    tk_log(1, "wizard_shell::add_page(%d)", page ? page->dialog_id() : 0);
    tk_assert(page != nullptr, UNIT, 120);
    pages.push_back(page);
    stack->addWidget(page);
}

void wizard_shell::start()
{
    if (started)
        return;
    started = true;
    fix_size();
    change_page(0, 1, false);
}

int wizard_shell::run_modal()
{
    tk_log(1, "wizard_shell::run_modal");
    start();
    int result = exec();
    int code = 0;
    if (gui_exit_requested(&code))
        return code;
    return result;
}

void wizard_shell::apply_title_icon()
{
    if (window_ready.load())
        return;
    setWindowTitle(QString::fromStdString(window_title));
    if (icon_id != 0)
        setWindowIcon(vlx_load_icon(icon_id));
    window_ready.store(true);
}

bool wizard_shell::is_initialized()
{
    tk_log(1, "wizard_shell::is_initialized");
    wizard_shell* shell = slot();
    if (!shell) {
        tk_log(1, "Before return false");
        return false;
    }
    tk_log(1, "Singleton has been initialized");
    return shell->window_ready.load();
}

void wizard_shell::error(const std::string& text)
{
    tk_log(1, "wizard_shell::error(%s)", text.c_str());
    show_box(box_kind::error, text, 0);
    tk_log(3, "%s", text.c_str());
}

void wizard_shell::message(const std::string& text)
{
    tk_log(1, "wizard_shell::message(%s)", text.c_str());
    show_box(box_kind::message, text, 0);
    tk_log(3, "%s", text.c_str());
}

bool wizard_shell::question(const std::string& text, int extra_style)
{
    return show_box(box_kind::question, text, extra_style) != 0;
}

void wizard_shell::set_box_hook(box_hook_fn hook)
{
    std::lock_guard<std::mutex> hold(hook_lock);
    box_hook = std::move(hook);
}

std::string wizard_shell::help_file()
{
    {
        std::lock_guard<std::mutex> hold(hook_lock);
        if (!help_override.empty())
            return help_override;
    }
    tk_file_name name(tk_get_module_file_name());
    name.set_ext(".html");
    return name.make_path();
}

void wizard_shell::set_help_file(const std::string& path)
{
    std::lock_guard<std::mutex> hold(hook_lock);
    help_override = path;
}

namespace {

void open_help(int topic, bool with_topic)
{
    std::string file = wizard_shell::help_file();
    if (tk_is_file_exist(file, TK_MODE_READ))
        gui_open_file(file, with_topic ? std::to_string(topic) : std::string());
    else
        wizard_shell::error("Help file does not exist. Reinstall the program.");
}

} // namespace

void wizard_shell::display_help(int topic)
{
    tk_log(1, "wizard_shell::display_help(%d)", topic);
    open_help(topic, true);
}

void wizard_shell::display_help()
{
    tk_log(1, "wizard_shell::display_help");
    open_help(0, false);
}

void wizard_shell::start_timer(int milliseconds)
{
    tk_log(1, "wizard_shell::start_timer(%d)", milliseconds);
    tk_assert(!timer_on.load(), UNIT, 250);
    // A QTimer starts only on its own thread; the run calls from the worker.
    QTimer* t = timer;
    bool queued = true;
    if (gui_is_gui_thread())
        t->start(milliseconds);
    else
        queued = QMetaObject::invokeMethod(t, [t, milliseconds] { t->start(milliseconds); },
                                           Qt::QueuedConnection);
    tk_assert(queued, UNIT, 258);
    timer_on.store(true);
}

void wizard_shell::kill_timer()
{
    tk_log(1, "wizard_shell::kill_timer");
    if (!timer_on.load())
        return;
    if (gui_is_gui_thread())
        timer->stop();
    else
        QMetaObject::invokeMethod(timer, &QTimer::stop, Qt::QueuedConnection);
    timer_on.store(false);
}

void wizard_shell::on_timer_message(int timer_id)
{
    if (timer_id != TIMER_ID)
        return;
    // A tick can come in while the last one waits in a nested modal loop.
    if (in_tick)
        return;
    wizard_page_base* page = current_page();
    if (!page)
        return;
    in_tick = true;
    try {
        page->on_timer(TIMER_ID);
    } catch (const gui_exit&) {
        tk_log(2, "wizard_shell::on_timer: exit requested");
    } catch (const std::exception& e) {
        tk_log(3, "wizard_shell::on_timer: %s", e.what());
    }
    in_tick = false;
}

void wizard_shell::set_wiz_buttons(int bits)
{
    back_button->setEnabled(bits & PSWIZB_BACK);
    const bool finish = bits & PSWIZB_FINISH;
    finish_button->setVisible(finish);
    finish_button->setEnabled(finish);
    next_button->setVisible(!finish);
    next_button->setEnabled(bits & PSWIZB_NEXT);
    QPushButton* def = finish ? finish_button : next_button;
    def->setDefault(def->isEnabled());
}

bool wizard_shell::set_cur_sel_id(int dialog_id)
{
    int target = index_of(dialog_id);
    if (target < 0)
        return false;
    return change_page(target, target >= current ? 1 : -1, current >= 0);
}

void wizard_shell::enable_button(int id, bool enable)
{
    if (QPushButton* b = button(id)) {
        tk_log(2, "wizard_shell::enable_button(%08X)", id);
        b->setEnabled(enable);
    }
}

void wizard_shell::focus_default_button()
{
    QPushButton* def = finish_button->isHidden() ? next_button : finish_button;
    if (def->isEnabled())
        def->setFocus(Qt::TabFocusReason);
}

QPushButton* wizard_shell::button(int id) const
{
    switch (id) {
    case ID_BACK:
        return back_button;
    case ID_NEXT:
        return next_button;
    case ID_FINISH:
        return finish_button;
    case ID_CANCEL:
        return cancel_button;
    case ID_HELP:
        return help_button;
    default:
        return nullptr;
    }
}

wizard_page_base* wizard_shell::current_page() const
{
    return current >= 0 && current < page_count() ? pages[current].data() : nullptr;
}

int wizard_shell::index_of(int dialog_id) const
{
    for (int i = 0; i < page_count(); ++i)
        if (pages[i] && pages[i]->dialog_id() == dialog_id)
            return i;
    return -1;
}

void wizard_shell::size_for(wizard_page_base* page)
{
    if (!page)
        return;
    sized_only.push_back(page);
    stack->addWidget(page);
}

std::vector<wizard_page_base*> wizard_shell::every_page() const
{
    std::vector<wizard_page_base*> all;
    for (const auto* list : {&pages, &sized_only})
        for (const QPointer<wizard_page_base>& page : *list)
            if (page)
                all.push_back(page);
    return all;
}

void wizard_shell::fix_size()
{
    const std::vector<wizard_page_base*> all = every_page();
    // Each page as it is shown: current in the stack, under its header or beside
    // the watermark. The frame is hidden, so nothing refreshes the size hints the
    // layouts cached for the last page: they are dropped by hand.
    auto hint_as_shown = [this](wizard_page_base* page) {
        stack->setCurrentWidget(page);
        show_header(page);
        for (QWidget* w : findChildren<QWidget*>())
            w->updateGeometry();
        return sizeHint();
    };
    // The widest page sets the width; wrapped text then takes its height at that width.
    int width = 0;
    for (wizard_page_base* page : all)
        width = std::max(width, hint_as_shown(page).width());
    int height = 0;
    for (wizard_page_base* page : all) {
        int need = hint_as_shown(page).height();
        if (layout()->hasHeightForWidth())
            need = std::max(need, layout()->totalHeightForWidth(width));
        height = std::max(height, need);
    }
    if (width > 0 && height > 0)
        setFixedSize(width, height);
}

void wizard_shell::show_header(const wizard_page_base* page)
{
    const int f = page->page_flags();
    const bool inner = !(f & PSP_HIDEHEADER);
    header_box->setVisible(inner);
    header_line->setVisible(inner);
    watermark_view->setVisible(!inner && !watermark_view->pixmap().isNull());
    body->setBackgroundRole(inner ? QPalette::Window : QPalette::Base);
    header_title->setText(f & PSP_USEHEADERTITLE ? QString::fromStdString(page->header_title()) : QString());
    header_subtitle->setText(
        f & PSP_USEHEADERSUBTITLE ? QString::fromStdString(page->header_subtitle()) : QString());
    help_button->setEnabled(f & PSP_HASHELP);
}

void wizard_shell::refresh_header()
{
    if (wizard_page_base* page = current_page())
        show_header(page);
}

bool wizard_shell::change_page(int target, int direction, bool leave_current)
{
    int result = 0;
    if (leave_current) {
        wizard_page_base* old = current_page();
        if (old && old->notify(this, PSN_KILLACTIVE, result) && result != 0)
            return false;
    }
    // A page that refuses activation is passed over in the direction of travel.
    for (int i = target; i >= 0 && i < page_count(); i += direction) {
        wizard_page_base* page = pages[i];
        if (!page)
            continue;
        int previous = current;
        current = i;
        stack->setCurrentWidget(page);
        show_header(page);
        result = 0;
        if (page->notify(this, PSN_SETACTIVE, result) && result == -1) {
            current = previous;
            if (previous >= 0 && pages[previous]) {
                stack->setCurrentWidget(pages[previous]);
                show_header(pages[previous]);
            }
            continue;
        }
        return true;
    }
    return false;
}

namespace {

// Runs a page operation; a Qt event handler must not let an exception through.
template <class F>
void guarded(const char* what, F fn)
{
    // What a page's handler lets through ends the wizard, as it would end the modal loop: the
    // error handler reports a toolkit exception (an internal error closes with -1), a box any other.
    try {
        fn();
    } catch (const gui_exit&) {
        tk_log(2, "%s: exit requested", what);
    } catch (const tk_exception& e) {
        tk_log(3, "%s: %s", what, e.what());
        try {
            error_handler::instance().handle(e, true);
            gui_request_exit(0);
        } catch (const gui_exit&) {
        }
    } catch (const std::exception& e) {
        tk_log(3, "%s: %s", what, e.what());
        wizard_shell::error(e.what());
        gui_request_exit(0);
    }
}

} // namespace

void wizard_shell::press_next()
{
    guarded("wizard_shell::next", [this] {
        wizard_page_base* page = current_page();
        int r = 0;
        if (!page || !page->notify(this, PSN_WIZNEXT, r) || r == -1)
            return;
        int target = r == 0 ? current + 1 : index_of(r);
        if (target >= 0 && target < page_count())
            change_page(target, 1, true);
    });
}

void wizard_shell::press_back()
{
    guarded("wizard_shell::back", [this] {
        wizard_page_base* page = current_page();
        int r = 0;
        if (!page || !page->notify(this, PSN_WIZBACK, r) || r == -1)
            return;
        int target = r == 0 ? current - 1 : index_of(r);
        if (target >= 0 && target < page_count())
            change_page(target, -1, true);
    });
}

void wizard_shell::press_finish()
{
    guarded("wizard_shell::finish", [this] {
        wizard_page_base* page = current_page();
        int r = 0;
        if (page && page->notify(this, PSN_WIZFINISH, r) && r != 0)
            return;
        done(QDialog::Accepted);
    });
}

void wizard_shell::press_help()
{
    guarded("wizard_shell::help", [this] {
        int r = 0;
        if (wizard_page_base* page = current_page())
            page->notify(this, PSN_HELP, r);
    });
}

void wizard_shell::reject()
{
    guarded("wizard_shell::cancel", [this] {
        wizard_page_base* page = current_page();
        int r = 0;
        if (page && page->notify(this, PSN_QUERYCANCEL, r) && r != 0)
            return;
        QDialog::reject();
    });
}

void wizard_shell::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        press_help();
        return;
    }
    QDialog::keyPressEvent(event);
}

uint32_t gui_library_version(const char* version)
{
    if (!version)
        return 0;
    char* end = nullptr;
    unsigned long major = std::strtoul(version, &end, 10);
    unsigned long minor = 0;
    if (end && *end == '.')
        minor = std::strtoul(end + 1, nullptr, 10);
    if (major > 0xFFFF || minor > 0xFFFF)
        return 0;
    return static_cast<uint32_t>(major << 16 | minor);
}

void check_comctl32(const char* running_version)
{
    uint32_t v = gui_library_version(running_version);
    tk_log(1, "comctl32.dll version=%X", v);
    if (v < wizard_shell::MIN_GUI_VERSION) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Incorrect version of the Qt library: %.40s found.\n"
                      "Qt %u.%u or later is required to proceed with the application.",
                      running_version ? running_version : "none", unsigned(wizard_shell::MIN_GUI_VERSION >> 16),
                      unsigned(wizard_shell::MIN_GUI_VERSION & 0xFFFF));
        wizard_shell::error(text);
        throw gui_exit{-1};
    }
}

void check_comctl32()
{
    check_comctl32(qVersion());
}
