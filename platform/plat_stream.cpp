#include "plat_stream.h"

#include "plat_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace plat {

namespace {

struct checked_fd {
    int fd;
    int* first_error;

    void failed(int err)
    {
        if (*first_error == 0)
            *first_error = err;
        errno = err;
    }
};

ssize_t read_fd(void* cookie, char* buf, size_t size)
{
    return read_some(static_cast<checked_fd*>(cookie)->fd, buf, size);
}

ssize_t write_fd(void* cookie, const char* buf, size_t size)
{
    auto* c = static_cast<checked_fd*>(cookie);
    int err = write_all(c->fd, std::string_view(buf, size));
    if (err) {
        c->failed(err);
        return 0; // stdio takes -1 as a count, and reads past the caller's buffer
    }
    return ssize_t(size);
}

int seek_fd(void* cookie, off64_t* offset, int whence)
{
    auto* c = static_cast<checked_fd*>(cookie);
    off64_t at = ::lseek64(c->fd, *offset, whence);
    if (at < 0)
        return -1;
    *offset = at;
    return 0;
}

int close_fd(void* cookie)
{
    auto* c = static_cast<checked_fd*>(cookie);
    int result = ::close(c->fd);
    if (result != 0)
        c->failed(errno);
    int err = errno;
    delete c;
    errno = err;
    return result;
}

} // namespace

FILE* open_checked_stream(const std::string& path, const char* mode, int* first_error)
{
    int flags;
    if (std::strcmp(mode, "w") == 0)
        flags = O_WRONLY | O_CREAT | O_TRUNC;
    else if (std::strcmp(mode, "a") == 0)
        flags = O_WRONLY | O_CREAT | O_APPEND;
    else if (std::strcmp(mode, "w+") == 0)
        flags = O_RDWR | O_CREAT | O_TRUNC;
    else {
        errno = EINVAL;
        return nullptr;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return nullptr;
    return checked_stream(fd, mode, first_error);
}

FILE* checked_stream(int fd, const char* mode, int* first_error)
{
    *first_error = 0;
    auto* cookie = new checked_fd{fd, first_error};
    FILE* f = ::fopencookie(cookie, mode, {read_fd, write_fd, seek_fd, close_fd});
    if (!f) {
        int err = errno;
        ::close(fd);
        delete cookie;
        errno = err;
    }
    return f;
}

} // namespace plat
