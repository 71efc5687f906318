#pragma once
// What the page and entry tests share: a private settings store, recorded
// boxes with scripted answers, recorded URLs, and a wizard built the way the
// entry builds it.
#include "g_f_dlg.h"
#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "tk_errh.h"
#include "vlx_conv.h"
#include "vlx_shel.h"
#include "vlx_testsupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <stdlib.h>

// Clicks a button where a user would: check boxes and radios only react on
// their indicator and text, which a stretched widget's centre can miss.
inline void click_button(QAbstractButton* b)
{
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

struct box_record {
    box_kind kind;
    std::string caption;
    std::string text;
    int style;
};

class pages_env : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vlx-pages-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        gui_clear_exit_request();
        wizard_shell::set_box_hook([this](box_kind k, const std::string& caption, const std::string& text, int style) {
            std::lock_guard<std::mutex> hold(lock);
            boxes.push_back({k, caption, text, style});
            if (k != box_kind::question)
                return 1;
            if (answers.empty())
                return 0;
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
            std::lock_guard<std::mutex> hold(lock);
            dialogs.push_back(d.title());
            if (chosen.empty())
                return false;
            out = chosen;
            return true;
        });
    }

    void TearDown() override
    {
        wizard_shell::set_box_hook(nullptr);
        gui_set_url_opener(nullptr);
        file_dialog::set_chooser(nullptr);
        gui_clear_exit_request();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    // A small document with one line of text per page.
    std::string make_pdf(const std::string& name, int pages)
    {
        vlxtest::PdfWriter w;
        for (int i = 0; i < pages; ++i) {
            vlxtest::PdfPage& p = w.add_page(612, 792);
            p.text(72, 700, "Page " + std::to_string(i + 1) + " of the test", "Helvetica", 12);
            p.fill_rect(72, 690, 200, 1);
        }
        const std::string p = path(name);
        w.save(p);
        return p;
    }

    void write_file(const std::string& p, const std::string& bytes)
    {
        std::ofstream(p, std::ios::binary) << bytes;
    }

    static std::string read_file(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static bool exists(const std::string& p) { return std::filesystem::exists(p); }

    std::vector<box_record> taken_boxes()
    {
        std::lock_guard<std::mutex> hold(lock);
        return boxes;
    }
    size_t box_count()
    {
        std::lock_guard<std::mutex> hold(lock);
        return boxes.size();
    }

    std::string dir;
    std::mutex lock;
    std::vector<box_record> boxes;
    std::deque<int> answers; // question answers in order; none left means No
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
        if (!quick) {
            shell.add_page(&welcome);
            shell.add_page(&sel);
            shell.add_page(&settings);
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
};
