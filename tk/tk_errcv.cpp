#include "tk_errcv.h"

#include "tk_log.h"

tk_error_converter::tk_error_converter()
{
    tk_log(2, "tk_error_converter::empty ctor");
}

std::string tk_error_converter::convert(int32_t code) const
{
    tk_log(2, "tk_error_converter::convert(%d)", int(code));
    auto it = messages.find(code);
    if (it == messages.end()) {
        tk_log(1, "Error message not found!");
        return std::string();
    }
    tk_log(1, "Error message has been found: %s", it->second.c_str());
    return it->second;
}
