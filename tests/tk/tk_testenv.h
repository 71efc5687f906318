// The toolkit tests' helpers: the shared scoped environment and files, and what a call throws.
#pragma once

#include "scoped_env.h"
#include "tk_except.h"

#include <string>

namespace tktest {

// The message of the tk_exception the call throws, with its level; "" when none.
template <class F>
std::string thrown(F f, int* level = nullptr)
{
    try {
        f();
    } catch (const tk_exception& e) {
        if (level)
            *level = e.level;
        return e.message;
    }
    return "";
}

// The message of the toolkit assertion (unit, line), e.g. ("tk_singl", 35).
inline std::string assertion(const char* unit, int line)
{
    return tk_mail_assertion::make_message((std::string("..\\TK/") + unit).c_str(), line);
}

} // namespace tktest
