#pragma once
// One registration slot per class: long-lived objects are reached through it, never passed around.
#include "tk_except.h"

inline constexpr const char* TK_SINGL_UNIT = "..\\TK/tk_singl";

// Logs a release of a slot that does not hold the object being destroyed.
void tk_singleton_release_failed();

template <class T>
class tk_singleton {
public:
    static T& instance()
    {
        tk_assert(s_slot != nullptr, TK_SINGL_UNIT, 59);
        return *slot();
    }
    static T& get_instance()
    {
        tk_assert(s_slot != nullptr, TK_SINGL_UNIT, 66);
        return *slot();
    }
    // The instance or null, for code that must work either way.
    static T* slot() { return static_cast<T*>(s_slot); }

protected:
    tk_singleton()
    {
        tk_assert(s_slot == nullptr, TK_SINGL_UNIT, 35);
        s_slot = this; // the base: T is not constructed yet
    }
    virtual ~tk_singleton()
    {
        // A destructor must not throw: a broken registration is only logged.
        if (s_slot == this)
            s_slot = nullptr;
        else
            tk_singleton_release_failed();
    }
    tk_singleton(const tk_singleton&) = delete;
    tk_singleton& operator=(const tk_singleton&) = delete;

private:
    static inline tk_singleton* s_slot = nullptr;
};
