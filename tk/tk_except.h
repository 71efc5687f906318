#pragma once
// The one error family of the system: thrown by value, caught by reference.
#include <exception>
#include <string>

class tk_exception : public std::exception {
public:
    std::string message;
    int code = 0;
    int level = 0; // 0 continuable, 1 error, 2 internal error

    tk_exception(const std::string& msg, int lvl);
    explicit tk_exception(int lvl);
    const char* what() const noexcept override { return message.c_str(); }
};

// Carries the system error number and its text.
class tk_exception_ex : public tk_exception {
public:
    tk_exception_ex();                // takes errno as it is now
    explicit tk_exception_ex(int err); // for callers that saved errno first
    void set_last_error(const std::string& prefix, int err);
};

class tk_mail_assertion : public tk_exception {
public:
    tk_mail_assertion(const char* file, int line);
    static std::string make_message(const char* file, int line);
};

class pdf_wrong_pswd_exception : public tk_exception {
public:
    pdf_wrong_pswd_exception();
};

// Abandons the current operation after the user has been told; not a tk_exception.
class tk_final_exception : public std::exception {
public:
    tk_final_exception();
    const char* what() const noexcept override { return "Unknown exception"; }
};

// Throws tk_mail_assertion(unit, line) when cond is false.
inline void tk_assert(bool cond, const char* unit, int line)
{
    if (!cond)
        throw tk_mail_assertion(unit, line);
}
