// Scoped environment changes and temporary folders for the toolkit tests.
#pragma once

#include "tk_except.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tktest {

class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_;
};

class TempDir {
public:
    TempDir()
    {
        char tmpl[] = "/tmp/vlxtkXXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline std::string slurp(const std::string& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void spit(const std::string& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}

inline unsigned mode_of(const std::string& p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0xFFFFFFFFu;
}

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

} // namespace tktest
