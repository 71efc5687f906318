#include "tk_threa.h"

#include "tk_except.h"
#include "tk_log.h"

#include "plat_tmpreg.h"

#include <chrono>
#include <system_error>

namespace {
const char* const UNIT = "..\\TK/tk_threa";
}

void tk_thread_functor::run()
{
    while (!is_finished()) {
        if (stop_requested())
            return;
        step();
    }
    on_finish();
}

bool tk_thread_functor::is_finished()
{
    return false;
}

void tk_thread_functor::step()
{
    for (int i = 0; i < 20 && !stop_requested(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void tk_thread_functor::on_finish() {}

int tk_thread_entry(tk_thread_functor* param)
{
    tk_assert(param != nullptr, UNIT, 149);
    param->run();
    return 1;
}

tk_thread::tk_thread(bool owns) : owns_functor(owns)
{
    tk_log(2, "tk_thread::ctor(%d)", owns ? 1 : 0);
}

tk_thread::~tk_thread()
{
    try {
        if (is_running())
            terminate();
    } catch (const std::exception& e) {
        tk_log(3, "tk_thread::dtor: %s", e.what());
    }
    // The work may end between the test and terminate's own check; a thread left to be joined
    // would end the process.
    if (functor)
        functor->request_stop();
    if (handle.joinable())
        handle.join();
    try {
        cleanup();
    } catch (const std::exception& e) {
        tk_log(3, "tk_thread::dtor: %s", e.what());
    }
}

bool tk_thread::is_running() const
{
    return running.load();
}

void tk_thread::start()
{
    tk_log(1, "tk_thread::start");
    tk_assert(!is_running(), UNIT, 92);
    cleanup();
    functor = create_functor();
    tk_assert(functor != nullptr, UNIT, 105);
    functor->clear_stop();
    error = nullptr;
    running.store(true);
    try {
        tk_thread_functor* work = functor;
        handle = std::thread([this, work] {
            plat::keep_signal_stack(); // a stack overflow in the work still removes its files
            // Nothing may leave the thread: an escaping exception ends the process.
            try {
                tk_thread_entry(work);
            } catch (const std::exception& e) {
                tk_log(3, "tk_thread_entry: %s", e.what());
                error = std::current_exception();
            } catch (...) {
                tk_log(3, "tk_thread_entry: unknown exception");
                error = std::current_exception();
            }
            running.store(false);
        });
    } catch (const std::system_error& e) {
        running.store(false);
        tk_log(3, "tk_thread::start: %s", e.what());
        throw tk_exception("Cannot start the worker thread: " + e.code().message(), 1);
    }
}

void tk_thread::terminate()
{
    tk_log(1, "tk_thread::terminate");
    tk_assert(is_running(), UNIT, 55);
    if (functor)
        functor->request_stop();
    if (handle.joinable())
        handle.join();
    cleanup();
}

void tk_thread::cleanup()
{
    tk_log(1, "tk_thread::cleanup");
    tk_assert(!is_running(), UNIT, 71);
    if (handle.joinable())
        handle.join();
    if (functor && owns_functor)
        delete functor;
    functor = nullptr;
}

tk_thread_functor* tk_thread::create_functor()
{
    owns_functor = true;
    return new tk_thread_functor;
}
