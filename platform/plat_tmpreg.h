#pragma once
// Temporary files that must not outlive the process: the ones a run is writing are recorded here,
// and a program that installs the handlers removes them when SIGINT, SIGTERM or SIGHUP ends it.
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

// Holds SIGINT, SIGTERM and SIGHUP back while it lives, so that a file is recorded before a signal
// can end the process, and a finished document is put in place whole. The calling thread does not
// take them, and a handler running in another thread waits for the section to end.
class signal_hold {
public:
    signal_hold();
    ~signal_hold();
    signal_hold(const signal_hold&) = delete;
    signal_hold& operator=(const signal_hold&) = delete;

private:
    sigset_t saved_;
};

// Installs the handlers: each removes the recorded files, then ends the process by the signal.
void remove_temp_files_on_signals();

// The folder temporary files go to: $TMPDIR when set, else /tmp.
std::string temp_dir();

} // namespace plat
