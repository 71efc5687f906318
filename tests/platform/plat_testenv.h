// Scoped environment variables and temporary folders for the platform tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace plattest {

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
        char tmpl[] = "/tmp/vlxplatXXXXXX";
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
    return ::lstat(p.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0xFFFFFFFFu;
}

} // namespace plattest
