#pragma once
// A unit of work with a step loop, and the thread object that runs one.
// Stopping is cooperative: terminate asks the work to stop and waits for it.
#include <atomic>
#include <exception>
#include <thread>

class tk_thread_functor {
public:
    tk_thread_functor() = default;
    virtual ~tk_thread_functor() = default;

    // Steps until is_finished or a stop request, then on_finish (not after a stop).
    virtual void run();
    virtual bool is_finished();
    // Sleeps 100 ms, waking early on a stop request.
    virtual void step();
    virtual void on_finish();

    // Long-running work checks this between units of work and returns early.
    bool stop_requested() const { return stop_flag.load(); }
    void request_stop() { stop_flag.store(true); }
    void clear_stop() { stop_flag.store(false); }

private:
    std::atomic<bool> stop_flag{false};
};

class tk_thread {
public:
    explicit tk_thread(bool owns_functor = false);
    virtual ~tk_thread();
    tk_thread(const tk_thread&) = delete;
    tk_thread& operator=(const tk_thread&) = delete;

    // Starts a thread running the work object's run once. Throws a level-1
    // tk_exception when no thread can be made.
    void start();
    // Asks the running work to stop, waits for its thread and cleans up.
    void terminate();
    void cleanup();
    bool is_running() const;

    // What ended the last run by throwing, or null; valid once it is not running.
    std::exception_ptr failure() const { return error; }

    virtual tk_thread_functor* create_functor();

protected:
    std::thread handle;
    bool owns_functor;
    tk_thread_functor* functor = nullptr;

private:
    std::atomic<bool> running{false};
    std::exception_ptr error;
};

// The thread's start routine: runs the work object once; returns 1.
int tk_thread_entry(tk_thread_functor* param);
