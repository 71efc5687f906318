// Scoped environment variables, temporary folders and small file systems, and whole-file reads
// and writes, for tests that touch the file system or the environment.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vlxtest {

// Sets (value) or removes (null) an environment variable until the end of the scope.
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
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    std::string name_, old_;
    bool had_;
};

// Where temporary files and folders go: $TMPDIR, or /tmp when it is unset or empty.
inline std::string temp_root()
{
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

// A fresh empty folder <temp_root()>/<prefix>XXXXXX; throws when none can be made.
inline std::string new_temp_folder(const std::string& prefix)
{
    std::string tmpl = temp_root() + "/" + prefix + "XXXXXX";
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed for " + tmpl + ": " + std::strerror(errno));
    return tmpl;
}

// A fresh folder new_temp_folder(prefix), removed with all it holds at the end of the scope.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "vlxtest") : path(new_temp_folder(prefix)) {}
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// A tmpfs of the given size on a fresh folder new_temp_folder(prefix), unmounted and removed at the
// end of the scope, whatever the test left in it. Only root may mount one; when there is none,
// path is empty and why_not says why.
class TmpfsMount {
public:
    TmpfsMount(const std::string& prefix, size_t bytes)
    {
        if (geteuid() != 0) {
            why_not = "mounting a tmpfs needs root";
            return;
        }
        const std::string tmpl = new_temp_folder(prefix);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        if (::mount("tmpfs", tmpl.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            why_not = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
            ::rmdir(tmpl.c_str());
            return;
        }
        path = tmpl;
    }
    ~TmpfsMount()
    {
        if (path.empty())
            return;
        if (::umount2(path.c_str(), 0) != 0)
            ::umount2(path.c_str(), MNT_DETACH); // still busy: gone once the last user lets go
        ::rmdir(path.c_str());
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path, why_not;
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

// Permission bits of the path itself (a link is not followed); 0xFFFFFFFF when absent.
inline unsigned mode_of(const std::string& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0xFFFFFFFFu;
}

} // namespace vlxtest
