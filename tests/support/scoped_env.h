// Scoped environment variables, temporary folders and small file systems, and whole-file reads
// and writes, for tests that touch the file system or the environment.
#pragma once

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <endian.h>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

const unsigned ACL_NO_ID = unsigned(ACL_UNDEFINED_ID);

// The value of "system.posix_acl_access" for {tag, permissions, id} entries in the kernel's order.
inline std::string acl_value(std::initializer_list<std::array<unsigned, 3>> entries)
{
    posix_acl_xattr_header head{htole32(POSIX_ACL_XATTR_VERSION)};
    std::string v(reinterpret_cast<const char*>(&head), sizeof head);
    for (const auto& e : entries) {
        posix_acl_xattr_entry x{htole16(uint16_t(e[0])), htole16(uint16_t(e[1])), htole32(e[2])};
        v.append(reinterpret_cast<const char*>(&x), sizeof x);
    }
    return v;
}

// An extended attribute's value (a link's own), "(none)" when the file has none of that name.
inline std::string xattr_of(const std::string& path, const char* name)
{
    std::string v(4096, '\0');
    ssize_t n = ::lgetxattr(path.c_str(), name, &v[0], v.size());
    return n < 0 ? "(none)" : v.substr(0, size_t(n));
}

// The names of a file's extended attributes, each ended by a NUL.
inline std::string xattr_names(const std::string& path)
{
    std::string v(4096, '\0');
    ssize_t n = ::llistxattr(path.c_str(), &v[0], v.size());
    return n < 0 ? "(none)" : v.substr(0, size_t(n));
}

} // namespace vlxtest
