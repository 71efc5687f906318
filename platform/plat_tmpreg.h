#pragma once
// Temporary files that must not outlive the process: the ones a run is writing are recorded here,
// and a program that installs the handlers removes them when a signal ends it.
#include <csignal>
#include <string>

namespace plat {

// Records one path while it lives (or until forget); the file itself is not touched.
class temp_record {
public:
    temp_record() = default;
    ~temp_record() { forget(); }
    temp_record(const temp_record&) = delete;
    temp_record& operator=(const temp_record&) = delete;

    // False when the table is full or the path too long; the file is then only not removed on a
    // signal.
    bool record(const std::string& path);
    void forget();

private:
    int slot_ = -1;
};

// Holds the signals that come from outside (SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGALRM, ...) back
// while it lives, so that a file is recorded before a signal can end the process, and a finished
// document is put in place whole. The calling thread does not take them, and a handler running in
// another thread waits for the section to end. Faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP,
// SIGSYS) are never held: they come from the instruction running, and cannot wait.
class signal_hold {
public:
    signal_hold();
    ~signal_hold();
    signal_hold(const signal_hold&) = delete;
    signal_hold& operator=(const signal_hold&) = delete;

private:
    sigset_t saved_;
};

// Installs the handlers: each signal whose default ends the process removes the recorded files,
// then ends it by that signal; one its parent ignores stays ignored (nohup). SIGPIPE and SIGXFSZ
// are caught and let pass, so a write that fails on a closed pipe or the file-size limit is an
// ordinary error, and the programs started from here begin with their defaults.
// The calling thread gets an alternate stack (keep_signal_stack).
void remove_temp_files_on_signals();

// Gives the calling thread, until it ends, an alternate signal stack unless it has one, so that the
// handlers run after a stack overflow too. Every thread that runs the work calls it first.
void keep_signal_stack();

// The folder temporary files go to: $TMPDIR when set, else /tmp.
std::string temp_dir();

} // namespace plat
