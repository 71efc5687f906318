#include "tk_str.h"

#include "tk_log.h"

std::string tk_trim_left(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b);
}

std::string tk_trim_right(const std::string& s)
{
    size_t e = s.find_last_not_of(' ');
    if (e == std::string::npos) {
        if (!s.empty())
            tk_log(1, "Special processing for all-spaces-string");
        return std::string();
    }
    return s.substr(0, e + 1);
}

std::string tk_trim(const std::string& s)
{
    return tk_trim_left(tk_trim_right(s));
}

std::vector<std::string> tk_split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string text = s.substr(0, s.find('\0'));
    if (text.empty())
        return out;
    size_t i = 0;
    for (;;) {
        size_t j = text.find(sep, i);
        if (j == std::string::npos) {
            out.push_back(text.substr(i));
            return out;
        }
        out.push_back(text.substr(i, j - i));
        i = j + 1;
    }
}
