#include "test_frame_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

static std::string plain(QString s) { return s.remove('&').toStdString(); }

modal_answerer::modal_answerer(int watchdog_ms)
{
    QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
    timer.start(20);
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
        timed_out = true;
        ADD_FAILURE() << "a modal window was left unanswered";
        while (QWidget* w = QApplication::activeModalWidget()) {
            if (auto* d = qobject_cast<QDialog*>(w))
                d->done(0);
            else
                w->close();
            QApplication::processEvents();
        }
    });
    watchdog.start(watchdog_ms);
}

modal_answerer::~modal_answerer()
{
    timer.stop();
    watchdog.stop();
}

modal_answerer& modal_answerer::then(action a)
{
    script.push_back(std::move(a));
    return *this;
}

modal_answerer& modal_answerer::click(const std::string& name)
{
    return then([name](QWidget* w) { EXPECT_TRUE(click_button(w, name)) << "no button " << name; });
}

bool modal_answerer::click_button(QWidget* w, const std::string& name)
{
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        if (plain(b->text()) == name || b->objectName().toStdString() == name)
            return b->click(), true;
    return false;
}

void modal_answerer::poll()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || script.empty())
        return;
    for (const QPointer<QWidget>& h : handled)
        if (h == w)
            return;
    seen_modal s;
    s.cls = w->metaObject()->className();
    if (s.cls == "QDialog" && !w->objectName().isEmpty())
        s.cls = w->objectName().toStdString();
    s.title = w->windowTitle().toStdString();
    if (auto* box = qobject_cast<QMessageBox*>(w))
        s.text = box->text().toStdString();
    else if (auto* label = w->findChild<QLabel*>("1320"))
        s.text = label->text().toStdString();
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        if (b->isVisible())
            s.buttons.push_back(plain(b->text()));
    s.on_gui_thread = w->thread() == QApplication::instance()->thread();
    seen.push_back(s);
    handled.emplace_back(w);
    action a = std::move(script.front());
    script.pop_front();
    // Run it outside this timer's slot: an action may open another modal window,
    // whose loop must still see this timer fire.
    QTimer::singleShot(0, w, [a, w] { a(w); });
}

bool modal_answerer::wait_for(size_t n, int ms)
{
    return QTest::qWaitFor([&] { return seen.size() >= n; }, ms);
}
