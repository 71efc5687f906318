#include "plat_stdfd.h"

#include "plat_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

bool closed_at_start[3];

std::string real_path(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return "";
    std::string out = real;
    std::free(real);
    return out;
}

// "/proc/<this process>/fd", or "/proc/<this process>/task/<any thread>/fd": one table for all.
bool own_fd_folder(const std::string& folder, const std::string& self)
{
    if (self.empty() || folder.compare(0, self.size(), self) != 0)
        return false;
    std::string rest = folder.substr(self.size());
    if (rest == "/fd")
        return true;
    const std::string task = "/task/";
    if (rest.compare(0, task.size(), task) != 0 || rest.size() < task.size() + 4 ||
        rest.compare(rest.size() - 3, 3, "/fd") != 0)
        return false;
    std::string tid = rest.substr(task.size(), rest.size() - task.size() - 3);
    return tid.find_first_not_of("0123456789") == std::string::npos && !tid.empty();
}

} // namespace

void fill_closed_std_streams()
{
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        closed_at_start[fd] = true;
        // the lowest free number: fd itself, the ones below it being open by now
        int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got < 0)
            got = ::open("/", O_RDONLY | O_DIRECTORY); // still holds the number; writes fail
        if (got >= 0 && got != fd) {
            ::dup2(got, fd);
            ::close(got);
        }
    }
}

bool std_stream_was_closed(int fd)
{
    return fd >= 0 && fd < 3 && closed_at_start[fd];
}

int fd_named(const std::string& path)
{
    // /proc/self leads to this process's own folder, also where the process numbers of /proc are
    // not the ones getpid gives
    const std::string self = real_path("/proc/self");
    std::string p = path;
    // as many hops as the kernel allows before ELOOP
    for (int hop = 0; hop < 40; ++hop) {
        size_t slash = p.rfind('/');
        std::string folder = slash == std::string::npos ? "." : p.substr(0, slash + 1);
        std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
        // the descriptor's own entry is a link too: its number is the answer, not where it leads;
        // the kernel takes no leading zero there
        if (!last.empty() && last.size() < 10 && last.find_first_not_of("0123456789") == std::string::npos &&
            (last[0] != '0' || last.size() == 1) && own_fd_folder(real_path(folder), self))
            return std::atoi(last.c_str());
        if (!follow_link(p, p))
            return -1;
    }
    return -1;
}

int std_stream_named(const std::string& path)
{
    const int fd = fd_named(path);
    return fd <= 2 ? fd : -1;
}

bool is_file_on_fd(const std::string& path, int fd)
{
    struct stat a, b;
    return !path.empty() && ::stat(path.c_str(), &a) == 0 && ::fstat(fd, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace plat
