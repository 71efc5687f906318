#include "plat_tmpreg.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sys/mman.h>
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

// Every signal whose default ends the process and that can be caught. The faults come from the
// instruction running: blocking one is undefined (Linux ends the process at once, no handler run),
// so a section never holds them.
const int FAULTS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS};
const int FROM_OUTSIDE[] = {
    SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGXCPU,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};
// Taken by a handler that does nothing: the failed write then reports itself, and the run unwinds as
// on any error. Not ignored, as an ignored signal stays ignored in the programs started from here.
const int WRITE_FAILURES[] = {SIGPIPE, SIGXFSZ};

extern "C" void on_write_failure(int) {}

bool is_fault(int sig)
{
    for (int f : FAULTS)
        if (f == sig)
            return true;
    return false;
}

// What a fault met before the handler came, a sanitizer's report for one: a real fault goes on to it.
struct sigaction previous[NSIG];

// The handler runs in any thread that does not hold the signals, so it waits for the sections other
// threads hold (a file created but not yet recorded, a document half put in place); a section that
// would start after the signal never does. A fault, or abort(), may come inside a section of the
// thread itself: that one never ends while the handler waits. A fault only sent (kill -SEGV) is
// taken when the section ends instead, as a held signal is.
std::atomic<int> held_sections{0};
std::atomic<bool> ending{false};
thread_local int sections_here __attribute__((tls_model("initial-exec"))) = 0;
thread_local volatile sig_atomic_t deferred_here __attribute__((tls_model("initial-exec"))) = 0;

// Only async-signal-safe calls from here on.
extern "C" void on_signal(int sig, siginfo_t* info, void*)
{
    const bool sent = !info || info->si_code <= 0; // by kill or raise, not by the kernel for a fault
    if (is_fault(sig) && sent && sections_here > 0) {
        deferred_here = sig;
        return;
    }
    ending.store(true);
    const int own = sections_here;
    // Bounded: a section is a file creation or a document's copy, never a wait on another thread
    // in principle; a stuck one must not keep the process alive.
    timespec ms{0, 1000000};
    for (int i = 0; i < 10000 && held_sections.load() > own; ++i)
        ::nanosleep(&ms, nullptr);
    for (slot& s : table)
        if (s.state.load() == LIVE)
            ::unlink(s.path);
    struct sigaction then {};
    then.sa_handler = SIG_DFL;
    if (is_fault(sig) && !sent && previous[sig].sa_handler != SIG_DFL) {
        // The instruction runs again on return and faults into the handler that was there first.
        ::sigaction(sig, &previous[sig], nullptr);
        return;
    }
    ::sigaction(sig, &then, nullptr);
    ::raise(sig); // taken when the handler returns
}

template <class F> void for_each_ending_signal(F f)
{
    for (int sig : FAULTS)
        f(sig);
    for (int sig : FROM_OUTSIDE)
        f(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        f(sig);
}

sigset_t held_signals()
{
    sigset_t set;
    sigemptyset(&set);
    for_each_ending_signal([&](int sig) {
        if (!is_fault(sig))
            sigaddset(&set, sig);
    });
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
    sigset_t set = held_signals();
    pthread_sigmask(SIG_BLOCK, &set, &saved_);
    ++sections_here;
    held_sections.fetch_add(1);
    if (ending.load()) {
        // Another thread is ending the process by a signal: start nothing it would leave behind.
        held_sections.fetch_sub(1);
        --sections_here;
        for (;;)
            ::pause();
    }
}

signal_hold::~signal_hold()
{
    held_sections.fetch_sub(1);
    --sections_here;
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    if (sections_here == 0 && deferred_here) {
        const int sig = deferred_here;
        deferred_here = 0;
        ::raise(sig);
    }
}

namespace {

// A thread's own alternate stack, with a guard page below it; released when the thread ends.
struct signal_stack {
    char* base = nullptr;
    size_t size = 0;
    ~signal_stack()
    {
        if (!base)
            return;
        stack_t now {};
        if (sigaltstack(nullptr, &now) == 0 && now.ss_sp == base + page()) {
            stack_t off {};
            off.ss_flags = SS_DISABLE;
            sigaltstack(&off, nullptr);
        }
        munmap(base, size);
    }
    static size_t page() { return size_t(sysconf(_SC_PAGESIZE)); }
};

thread_local signal_stack own_stack;

} // namespace

void keep_signal_stack()
{
    stack_t now {};
    if (sigaltstack(nullptr, &now) != 0 || !(now.ss_flags & SS_DISABLE) || own_stack.base)
        return; // one is kept already (a sanitizer's, say)
    const long least = 4 * sysconf(_SC_SIGSTKSZ);
    const size_t usable = least > 64 * 1024 ? size_t(least) : 64 * 1024;
    const size_t size = usable + signal_stack::page();
    void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (base == MAP_FAILED)
        return;
    stack_t ss {};
    ss.ss_sp = static_cast<char*>(base) + signal_stack::page();
    ss.ss_size = usable;
    if (mprotect(base, signal_stack::page(), PROT_NONE) != 0 || sigaltstack(&ss, nullptr) != 0) {
        munmap(base, size);
        return;
    }
    own_stack.base = static_cast<char*>(base);
    own_stack.size = size;
}

void remove_temp_files_on_signals()
{
    keep_signal_stack();
    struct sigaction nothing {};
    nothing.sa_handler = on_write_failure;
    nothing.sa_flags = SA_RESTART;
    for (int sig : WRITE_FAILURES)
        sigaction(sig, &nothing, nullptr);
    struct sigaction sa {};
    sa.sa_sigaction = on_signal;
    // SA_ONSTACK: a stack overflow is handled on the thread's alternate stack
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sa.sa_mask = held_signals();
    for_each_ending_signal([&](int sig) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0 || old.sa_sigaction == on_signal)
            return;
        // A signal the caller's parent set to be ignored stays ignored (nohup).
        if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN)
            return;
        previous[sig] = old;
        sigaction(sig, &sa, nullptr);
    });
}

std::string temp_dir()
{
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

} // namespace plat
