#include "tk_except.h"

#include "tk_log.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

tk_exception::tk_exception(const std::string& msg, int lvl)
    : message(msg.empty() ? "Unknown exception" : msg), level(lvl)
{
}

tk_exception::tk_exception(int lvl) : message("Unknown exception"), level(lvl) {}

tk_exception_ex::tk_exception_ex() : tk_exception_ex(errno) {}

tk_exception_ex::tk_exception_ex(int err) : tk_exception(1)
{
    set_last_error("", err);
}

void tk_exception_ex::set_last_error(const std::string& prefix, int err)
{
    code = err;
    if (err == 0)
        return;
    std::string text = std::generic_category().message(err);
    if (text.empty())
        return;
    message = prefix + text;
    tk_log(2, "GetLastError: %s", text.c_str());
}

std::string tk_mail_assertion::make_message(const char* file, int line)
{
    std::string plain = std::string(file ? file : "") + "\\" + std::to_string(line);
    static const char digits[] = "0123456789abcdef";
    std::string msg = "Internal error: \ncode=";
    for (unsigned char c : plain) {
        msg += digits[c >> 4];
        msg += digits[c & 15];
    }
    return msg;
}

tk_mail_assertion::tk_mail_assertion(const char* file, int line)
    : tk_exception(make_message(file, line), 2)
{
    tk_log(2, "tk_mail_assertion::ctor(%s)", file ? file : "");
}

pdf_wrong_pswd_exception::pdf_wrong_pswd_exception() : tk_exception("Incorrect password", 1) {}

tk_final_exception::tk_final_exception()
{
    tk_log(2, "tk_final_exception::ctor");
}
