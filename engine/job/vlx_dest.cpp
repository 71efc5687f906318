#include "vlx_dest.h"

#include "tk_except.h"
#include "tk_log.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

const char* const CANNOT_OPEN = "Cannot open destination file";

std::string folder_of(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

vlx_dest_file::vlx_dest_file(const std::string& dest) : dest_(dest)
{
    if (dest == "-")
        return;
    std::random_device rd;
    std::string dir = folder_of(dest);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "/.vellix-%08x%08x.tmp", rd(), rd());
        std::string candidate = dir + name;
        // 0666 under the umask: the finished document gets the permissions a new file would.
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            temp_ = candidate;
            return;
        }
        if (errno != EEXIST)
            break;
    }
    int err = errno;
    tk_log(3, "vlx_dest_file: no temporary file beside %s (errno %d)", dest.c_str(), err);
    throw tk_exception(CANNOT_OPEN, 1);
}

vlx_dest_file::~vlx_dest_file()
{
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

void vlx_dest_file::commit()
{
    if (temp_.empty())
        return;
    if (std::rename(temp_.c_str(), dest_.c_str()) != 0) {
        int err = errno;
        tk_log(3, "vlx_dest_file: rename to %s failed (errno %d)", dest_.c_str(), err);
        throw tk_exception_ex(err);
    }
    temp_.clear();
}
