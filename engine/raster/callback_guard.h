#pragma once
// Holds the first failure of a device callback so that it never unwinds through the PDF library;
// the caller rethrows it once the library has returned.
#include <exception>
#include <utility>

class callback_guard {
public:
    template <class F> void run(F&& f)
    {
        if (pending)
            return; // the page is lost already; let the library finish quietly
        try {
            std::forward<F>(f)();
        } catch (...) {
            pending = std::current_exception();
        }
    }
    void rethrow()
    {
        if (pending) {
            std::exception_ptr p = std::move(pending);
            pending = nullptr;
            std::rethrow_exception(p);
        }
    }

private:
    std::exception_ptr pending;
};
