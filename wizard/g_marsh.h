#pragma once
// The GUI thread and the others: calls handed to the interface thread, the
// program's exit request, and opening files and links with the desktop.
#include <functional>
#include <string>

class QUrl;
class tk_thread;

// Thrown to unwind to the entry, which then returns code. Not a std::exception,
// so no handler on the way mistakes it for an error.
struct gui_exit {
    int code;
};

// True on the thread that owns the application object (or when there is none).
bool gui_is_gui_thread();

// Runs fn on the GUI thread and waits for it; directly when already there.
// An exception thrown by fn is thrown again on the calling thread.
// Returns false, without running fn, when a request from another thread
// arrives while the program is shutting down (gui_set_quiet): the caller
// then keeps its default answer.
bool gui_call(const std::function<void()>& fn);

// Queues fn for the GUI thread and returns at once; false when it cannot be queued.
bool gui_post(const std::function<void()>& fn);

// While set, requests from other threads are answered with defaults instead
// of being shown, so the GUI thread can wait for a worker without deadlock.
void gui_set_quiet(bool quiet);
bool gui_quiet();

// Records the exit code and closes the wizard, if one is shown, with it.
// Callable from any thread; the process itself ends in the entry.
void gui_request_exit(int code);
// The recorded exit code, if any.
bool gui_exit_requested(int* code);
void gui_clear_exit_request(); // for tests

// Opens a URL with the desktop (QDesktopServices); replaceable for tests.
bool gui_open_url(const QUrl& url);
void gui_set_url_opener(std::function<bool(const QUrl&)> opener);
// Opens a local file, optionally at an anchor.
bool gui_open_file(const std::string& path, const std::string& fragment = std::string());

// Makes the toolkit's clipboard copy use the application's clipboard.
void gui_install_clipboard();

// Waits on the GUI thread for a worker that was asked to stop, answering its
// pending requests meanwhile (quiet), then cleans the thread object up.
void gui_wait_worker(tk_thread& thread);
