#include "g_marsh.h"

#include "g_wiz_sh.h"
#include "tk_log.h"
#include "tk_threa.h"
#include "tk_utils.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMetaObject>
#include <QThread>
#include <QFileInfo>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>

namespace {

std::atomic<bool> quiet_flag{false};
std::atomic<bool> exit_flag{false};
std::atomic<int> exit_value{0};

std::mutex opener_lock;
std::function<bool(const QUrl&)> url_opener;

void write_clipboard(const std::string& text)
{
    gui_call([&] {
        if (QClipboard* board = QGuiApplication::clipboard())
            board->setText(QString::fromStdString(text));
    });
}

} // namespace

bool gui_is_gui_thread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool gui_call(const std::function<void()>& fn)
{
    if (gui_is_gui_thread()) {
        fn();
        return true;
    }
    if (quiet_flag.load())
        return false;
    bool ran = false;
    std::exception_ptr failure;
    // Blocking from the GUI thread itself would deadlock; that case ran above.
    bool queued = QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            if (quiet_flag.load())
                return;
            try {
                fn();
            } catch (...) {
                failure = std::current_exception();
            }
            ran = true;
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
    return queued && ran;
}

bool gui_post(const std::function<void()>& fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    return QMetaObject::invokeMethod(app, fn, Qt::QueuedConnection);
}

void gui_set_quiet(bool quiet)
{
    quiet_flag.store(quiet);
}

bool gui_quiet()
{
    return quiet_flag.load();
}

void gui_request_exit(int code)
{
    tk_log(2, "gui_request_exit(%d)", code);
    exit_value.store(code);
    exit_flag.store(true);
    auto close = [code] {
        if (wizard_shell* shell = wizard_shell::slot())
            shell->done(code);
    };
    if (gui_is_gui_thread())
        close();
    else
        gui_post(close);
}

bool gui_exit_requested(int* code)
{
    if (!exit_flag.load())
        return false;
    if (code)
        *code = exit_value.load();
    return true;
}

void gui_clear_exit_request()
{
    exit_flag.store(false);
    exit_value.store(0);
}

bool gui_open_url(const QUrl& url)
{
    tk_log(2, "gui_open_url(%s)", url.toString().toStdString().c_str());
    std::function<bool(const QUrl&)> opener;
    {
        std::lock_guard<std::mutex> hold(opener_lock);
        opener = url_opener;
    }
    if (opener)
        return opener(url);
    bool ok = false;
    gui_call([&] { ok = QDesktopServices::openUrl(url); });
    return ok;
}

void gui_set_url_opener(std::function<bool(const QUrl&)> opener)
{
    std::lock_guard<std::mutex> hold(opener_lock);
    url_opener = std::move(opener);
}

bool gui_open_file(const std::string& path, const std::string& fragment)
{
    // a relative name is the current folder's, as the run wrote it
    QUrl url = QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
    if (!fragment.empty())
        url.setFragment(QString::fromStdString(fragment));
    return gui_open_url(url);
}

void gui_install_clipboard()
{
    tk_set_clipboard_writer(write_clipboard);
}

void gui_wait_worker(tk_thread& thread)
{
    tk_log(1, "gui_wait_worker");
    bool was_quiet = quiet_flag.exchange(true);
    // The worker may be waiting for this thread: keep answering until it has ended.
    while (thread.is_running()) {
        if (QCoreApplication::instance() && gui_is_gui_thread())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread.cleanup();
    quiet_flag.store(was_quiet);
}
