#pragma once
// What the wizard tests share: a private folder and settings store, recorded boxes
// with scripted answers, recorded URLs and file choices, and a wizard built the way
// the entry builds it.
#include "g_f_dlg.h"
#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "scoped_env.h"
#include "test_frame_answerer.h"
#include "tk_errh.h"
#include "tk_except.h"
#include "vlx_conv.h"
#include "vlx_shel.h"
#include "vlx_testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

// Check boxes and radios only react on their indicator and text, which a
// stretched widget's centre can miss.
inline void click_button(QAbstractButton* b)
{
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

// Keys as a user presses them: to the widget that has the keyboard focus.
inline QWidget* key_target()
{
    QWidget* w = QApplication::focusWidget();
    return w ? w : QApplication::activeWindow();
}
inline void type_keys(const QString& text)
{
    ASSERT_NE(key_target(), nullptr);
    QTest::keyClicks(key_target(), text);
}
inline void press_key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    ASSERT_NE(key_target(), nullptr);
    QTest::keyClick(key_target(), key, mods);
}

template <class Fn>
std::string assertion_of(Fn fn)
{
    try {
        fn();
    } catch (const tk_mail_assertion& a) {
        return a.message;
    }
    return "no assertion";
}
inline std::string assertion_text(const char* unit, int line) { return tk_mail_assertion::make_message(unit, line); }

// Saves what the window shows into the build folder, for a person to look at after the tests.
inline void screenshot(QWidget& w, const std::string& name)
{
    const std::string folder = VLX_BINARY_DIR "/wizard-pages";
    std::filesystem::create_directories(folder);
    QCoreApplication::processEvents(); // pending layout changes first
    EXPECT_TRUE(w.grab().save(QString::fromStdString(folder + "/" + name + ".png"))) << name;
}

// Every widget the frame shows lies inside it and gets the room it needs: its
// least size (a picture's whole height among it) and, for wrapped text, the
// height that text takes at the width given.
inline void expect_shown_whole(QWidget& frame)
{
    for (QWidget* w : frame.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        SCOPED_TRACE(w->metaObject()->className() + (" " + w->objectName().toStdString()));
        const QRect r(w->mapTo(&frame, QPoint(0, 0)), w->size());
        EXPECT_TRUE(frame.rect().contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        const QSize least = w->minimumSizeHint();
        if (least.isValid()) {
            EXPECT_GE(w->width(), least.width());
            EXPECT_GE(w->height(), least.height());
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        }
    }
}

struct box_record {
    box_kind kind;
    std::string caption, text;
    int style;
    bool on_gui;
};

class wizard_env : public ::testing::Test {
protected:
    // Members, not SetUp: XDG_CONFIG_HOME goes back to the program's private folder with the fixture.
    vlxtest::TempDir folder{"vlx-wizard-test-"};
    vlxtest::EnvVar config_home{"XDG_CONFIG_HOME", folder.path.c_str()};
    const std::string& dir = folder.path;

    void SetUp() override
    {
        gui_clear_exit_request();
        wizard_shell::set_box_hook([this](box_kind k, const std::string& caption, const std::string& text, int style) {
            std::lock_guard<std::mutex> hold(lock);
            boxes.push_back({k, caption, text, style, gui_is_gui_thread()});
            if (k != box_kind::question || answers.empty())
                return k != box_kind::question ? 1 : 0; // no answer left means No
            int a = answers.front();
            answers.pop_front();
            return a;
        });
        gui_set_url_opener([this](const QUrl& url) {
            std::lock_guard<std::mutex> hold(lock);
            urls.push_back(url);
            return true;
        });
        file_dialog::set_chooser([this](const file_dialog& d, std::string& out) {
            dialogs.push_back(d.title());
            out = chosen;
            return !chosen.empty();
        });
    }

    void TearDown() override
    {
        wizard_shell::set_box_hook(nullptr);
        gui_set_url_opener(nullptr);
        file_dialog::set_chooser(nullptr);
        wizard_shell::set_help_file("");
        gui_clear_exit_request();
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    // One line of text per page.
    std::string make_pdf(const std::string& name, int pages)
    {
        vlxtest::PdfWriter w;
        for (int i = 0; i < pages; ++i)
            w.add_page(612, 792).text(72, 700, "Page " + std::to_string(i + 1) + " of the test", "Helvetica", 12);
        w.save(path(name));
        return path(name);
    }

    std::string write_file(const std::string& p, const std::string& bytes)
    {
        vlxtest::spit(p, bytes);
        return p;
    }
    static std::string read_file(const std::string& p) { return vlxtest::slurp(p); }
    static bool exists(const std::string& p) { return std::filesystem::exists(p); }

    std::vector<box_record> taken_boxes()
    {
        std::lock_guard<std::mutex> hold(lock);
        return boxes;
    }
    size_t box_count() { return taken_boxes().size(); }

    std::mutex lock;
    std::vector<box_record> boxes;
    std::deque<int> answers; // question answers in order
    std::vector<QUrl> urls;
    std::vector<std::string> dialogs;
    std::string chosen; // what the file chooser picks; empty cancels
};

// The wizard's objects in the entry's order; destroyed in reverse.
struct wizard_rig {
    error_handler handler;
    vellix_convertor job;
    wizard_shell shell{"Vellix 4.1 ", 501, 311, 312};
    welcome_page welcome;
    sel_file_page sel;
    settings_page settings;
    progress_page progress;
    finish_page finish;

    explicit wizard_rig(bool quick = false)
    {
        for (wizard_page_base* p : std::initializer_list<wizard_page_base*>{&welcome, &sel, &settings}) {
            if (quick)
                shell.size_for(p);
            else
                shell.add_page(p);
        }
        shell.add_page(&progress);
        shell.add_page(&finish);
    }
    void start()
    {
        shell.start();
        shell.show();
    }
    int page() const { return shell.current_page() ? shell.current_page()->dialog_id() : 0; }
    // Keyboard focus needs the window active, offscreen too.
    bool activate()
    {
        shell.activateWindow();
        return QTest::qWaitForWindowActive(&shell);
    }

    template <class T = QWidget>
    T* ctl(const wizard_page_base& p, int id) const
    {
        return qobject_cast<T*>(p.control(id));
    }
    QLineEdit* edit(const wizard_page_base& p, int id) const { return ctl<QLineEdit>(p, id); }
    bool checked(const wizard_page_base& p, int id) const
    {
        auto* b = ctl<QAbstractButton>(p, id);
        return b && b->isChecked();
    }
    void click(const wizard_page_base& p, int id) { click_button(ctl<QAbstractButton>(p, id)); }
};

// A fixture whose wizard is started on the given page (0: not started).
template <int Page, bool Quick = false>
class rig_env : public wizard_env {
protected:
    void SetUp() override
    {
        wizard_env::SetUp();
        rig = std::make_unique<wizard_rig>(Quick);
        if (Page == 0)
            return;
        rig->start();
        ASSERT_TRUE(rig->shell.set_cur_sel_id(Page));
    }
    void TearDown() override
    {
        rig.reset();
        wizard_env::TearDown();
    }
    std::unique_ptr<wizard_rig> rig;
};
