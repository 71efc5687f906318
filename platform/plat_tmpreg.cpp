#include "plat_tmpreg.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace plat {

namespace {

enum { FREE, WRITING, LIVE };

// A run keeps its document and one page picture; a few more leave room for the wizard's own.
const int SLOTS = 8;

struct slot {
    std::atomic<int> state{FREE};
    char path[PATH_MAX];
};

slot table[SLOTS];

const int SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// The handler runs in any thread that does not hold the signals, so it waits for the sections other
// threads hold (a file created but not yet recorded, a document half put in place); a section that
// would start after the signal never does.
std::atomic<int> held_sections{0};
std::atomic<bool> ending{false};

// Only async-signal-safe calls from here on.
extern "C" void on_signal(int sig)
{
    ending.store(true);
    // Bounded: a section is a file creation or a document's copy, never a wait on another thread
    // in principle; a stuck one must not keep the process alive.
    timespec ms{0, 1000000};
    for (int i = 0; i < 10000 && held_sections.load() > 0; ++i)
        ::nanosleep(&ms, nullptr);
    for (slot& s : table)
        if (s.state.load() == LIVE)
            ::unlink(s.path);
    std::signal(sig, SIG_DFL);
    ::raise(sig);
}

sigset_t held_set()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : SIGNALS)
        sigaddset(&set, sig);
    return set;
}

} // namespace

bool temp_record::record(const std::string& path)
{
    forget();
    if (path.size() >= PATH_MAX)
        return false;
    for (int i = 0; i < SLOTS; ++i) {
        int expected = FREE;
        if (table[i].state.compare_exchange_strong(expected, WRITING)) {
            std::memcpy(table[i].path, path.c_str(), path.size() + 1);
            table[i].state.store(LIVE);
            slot_ = i;
            return true;
        }
    }
    return false;
}

void temp_record::forget()
{
    if (slot_ < 0)
        return;
    table[slot_].state.store(WRITING);
    table[slot_].path[0] = '\0';
    table[slot_].state.store(FREE);
    slot_ = -1;
}

signal_hold::signal_hold()
{
    sigset_t set = held_set();
    pthread_sigmask(SIG_BLOCK, &set, &saved_);
    held_sections.fetch_add(1);
    if (ending.load()) {
        // Another thread is ending the process by a signal: start nothing it would leave behind.
        held_sections.fetch_sub(1);
        for (;;)
            ::pause();
    }
}

signal_hold::~signal_hold()
{
    held_sections.fetch_sub(1);
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

void remove_temp_files_on_signals()
{
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sa.sa_mask = held_set();
    for (int sig : SIGNALS) {
        struct sigaction old {};
        // A signal the caller's parent set to be ignored stays ignored (nohup).
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &sa, nullptr);
    }
}

std::string temp_dir()
{
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

} // namespace plat
