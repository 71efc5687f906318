#include "plat_file.h"

#include "plat_path.h"
#include "plat_tmpreg.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace plat {

namespace {

// Opening flags that never block on a FIFO or take a terminal.
const int OPEN_FLAGS = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Opens path (OPEN_FLAGS added to flags) and reads its status into *st; a folder
// gives EISDIR. Returns 0 or an errno value; *fd is -1 when the open failed, else
// the caller closes it.
int open_file(const std::string& path, int flags, int* fd, struct stat* st)
{
    *fd = ::open(path.c_str(), flags | OPEN_FLAGS);
    if (*fd < 0)
        return errno;
    if (::fstat(*fd, st) != 0)
        return errno;
    return S_ISDIR(st->st_mode) ? EISDIR : 0;
}

// A full path with its folder's symbolic links resolved where the folder exists.
std::string resolved_folder(const std::string& full)
{
    size_t slash = full.rfind('/');
    std::string folder = full.substr(0, slash + 1);
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real)
        return full;
    std::string out = std::string(real) + "/" + full.substr(slash + 1);
    std::free(real);
    return out;
}

// Opens a regular file for reading into *fd (which the caller closes); a FIFO, socket or device
// is refused unopened. Returns 0 or an errno value, *fd being -1 then.
int open_regular(const std::string& path, int* fd)
{
    *fd = -1;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    int e = open_file(path, O_RDONLY, fd, &st);
    if (!e && !S_ISREG(st.st_mode))
        e = EINVAL; // replaced between the two looks
    if (e && *fd >= 0) {
        ::close(*fd);
        *fd = -1;
    }
    return e;
}

} // namespace

ssize_t read_some(int fd, char* to, size_t n)
{
    for (;;) {
        ssize_t got = ::read(fd, to, n);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

int write_all(int fd, std::string_view data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += size_t(n);
    }
    return 0;
}

bool can_open_file(const std::string& path, bool write, int* err)
{
    int fd = -1;
    struct stat st;
    int e = 0;
    if (::stat(path.c_str(), &st) != 0)
        e = errno;
    else if (S_ISDIR(st.st_mode))
        e = EISDIR;
    else if (!S_ISREG(st.st_mode)) {
        // Opening a FIFO, socket or device is itself an act: closing a FIFO's writer end hands its
        // waiting reader an end-of-file. Only the permissions are asked.
        if (::faccessat(AT_FDCWD, path.c_str(), write ? R_OK | W_OK : R_OK, AT_EACCESS) != 0)
            e = errno;
    } else
        e = open_file(path, write ? O_RDWR : O_RDONLY, &fd, &st);
    if (!e && write && (st.st_mode & 0222) == 0)
        e = EACCES;
    if (fd >= 0)
        ::close(fd);
    if (e && err)
        *err = e;
    return e == 0;
}

bool same_file(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    struct stat sa, sb;
    bool ea = ::stat(a.c_str(), &sa) == 0;
    bool eb = ::stat(b.c_str(), &sb) == 0;
    if (ea && eb)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (ea != eb)
        return false;
    std::string fa, fb;
    return full_path(a, fa) && full_path(b, fb) && resolved_folder(fa) == resolved_folder(fb);
}

int create_private_file(int folder, const std::string& name)
{
    int fd = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd >= 0)
        (void)::fchmod(fd, 0600); // the umask may have taken the owner's own bits
    return fd;
}

int create_recorded_file(int folder, const std::string& name, const std::string& path, temp_record& record)
{
    record.record(path);
    int fd = create_private_file(folder, name);
    if (fd < 0) {
        int err = errno;
        record.forget();
        errno = err;
    }
    return fd;
}

int make_temp_file(std::string& name, temp_record* record)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string dir = temp_dir();
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char r[6];
        if (::getrandom(r, sizeof r, 0) != ssize_t(sizeof r))
            return -1;
        std::string path = dir + "/TMP";
        for (unsigned char c : r)
            path += letters[c % (sizeof letters - 1)];
        int fd = record ? create_recorded_file(AT_FDCWD, path, path, *record) : create_private_file(AT_FDCWD, path);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        name = path;
        return fd;
    }
    errno = EEXIST;
    return -1;
}

bool names_file(int folder, const std::string& name, int fd)
{
    struct stat a, b;
    return ::fstatat(folder, name.c_str(), &a, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

namespace {

// Reads what call(buffer, size) (a listxattr or getxattr call) gives into out, growing the buffer
// while the attribute grows under it. False with errno set when it fails.
template <class F> bool read_attr(F call, std::string& out)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        ssize_t n = call(nullptr, 0);
        if (n < 0)
            return false;
        out.assign(size_t(n), '\0');
        if (n == 0)
            return true;
        n = call(&out[0], out.size());
        if (n >= 0) {
            out.resize(size_t(n));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

// The names of a list from listxattr.
std::vector<std::string> attr_names(const std::string& list)
{
    std::vector<std::string> names;
    for (size_t at = 0; at < list.size();) {
        size_t end = std::min(list.find('\0', at), list.size());
        if (end > at)
            names.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

const char* const ACCESS_ACL = "system.posix_acl_access";

// The group-class bits that give the owning group what an access ACL gives it: its own entry less
// what the mask takes. None for a value that cannot be read.
mode_t owning_group_bits(const std::string& acl)
{
    unsigned group = 0, mask = 7;
    for (size_t at = sizeof(posix_acl_xattr_header); at + sizeof(posix_acl_xattr_entry) <= acl.size();
         at += sizeof(posix_acl_xattr_entry)) {
        posix_acl_xattr_entry e;
        std::memcpy(&e, acl.data() + at, sizeof e);
        if (le16toh(e.e_tag) == ACL_GROUP_OBJ)
            group = le16toh(e.e_perm) & 7;
        else if (le16toh(e.e_tag) == ACL_MASK)
            mask = le16toh(e.e_perm) & 7;
    }
    return mode_t((group & mask) << 3);
}

} // namespace

mode_t copy_attributes(const std::string& from, int to, mode_t mode)
{
    std::string list, value;
    if (!read_attr([&](char* b, size_t n) { return ::llistxattr(from.c_str(), b, n); }, list))
        // Without attributes (or a file) there is no ACL; unread ones may hold one that narrows the
        // group class.
        return errno == ENOTSUP || errno == ENOENT || errno == ENOTDIR ? mode : mode & ~mode_t(070);
    const std::vector<std::string> names = attr_names(list);
    // What the new file got from its folder (a default ACL) and the old one had not goes first.
    if (read_attr([&](char* b, size_t n) { return ::flistxattr(to, b, n); }, list))
        for (const std::string& name : attr_names(list))
            if (std::find(names.begin(), names.end(), name) == names.end())
                (void)::fremovexattr(to, name.c_str());
    for (const std::string& name : names) {
        value.clear();
        bool read = read_attr([&](char* b, size_t n) { return ::lgetxattr(from.c_str(), name.c_str(), b, n); }, value);
        if (read && ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0)
            continue;
        // Without its ACL the group class would give the owning group the mask's rights.
        if (name == ACCESS_ACL)
            mode = (mode & ~mode_t(070)) | (read ? owning_group_bits(value) : 0);
    }
    return mode;
}

int write_file_atomic(const std::string& path, const std::string& data, mode_t mode)
{
    std::string drive, dir, name, ext;
    split_path(path, drive, dir, name, ext);
    std::string tmpl = dir + "." + name + ext + ".XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int e = 0;
    if (::fchmod(fd, mode) != 0)
        e = errno;
    if (!e)
        e = write_all(fd, data);
    if (!e && ::fsync(fd) != 0)
        e = errno;
    if (::close(fd) != 0 && !e)
        e = errno;
    if (!e && ::rename(buf.data(), path.c_str()) != 0)
        e = errno;
    if (e)
        ::unlink(buf.data());
    return e;
}

bool follow_link(const std::string& path, std::string& next)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    std::vector<char> buf(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
    if (n <= 0 || size_t(n) >= buf.size())
        return false;
    std::string text(buf.data(), size_t(n));
    size_t slash = path.rfind('/');
    next = text[0] == '/' || slash == std::string::npos ? text : path.substr(0, slash + 1) + text;
    return true;
}

std::string resolve_links(const std::string& path)
{
    std::string p = path;
    // as many hops as the kernel allows before ELOOP
    for (int hop = 0; hop < 40 && follow_link(p, p); ++hop) {
    }
    return p;
}

namespace {

// Waits for the other writers of the file: runs that copy into one file at once would interleave.
int lock_exclusive(int fd, const std::function<bool()>& stop)
{
    while (::flock(fd, stop ? LOCK_EX | LOCK_NB : LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK) {
            if (stop())
                return ECANCELED;
            const timespec a_while{0, 20 * 1000 * 1000};
            ::nanosleep(&a_while, nullptr);
            continue;
        }
        // A file system without locks still takes the document; racing runs are rarer than it.
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL)
            return 0;
        return errno;
    }
    return 0;
}

// Writes zeros over [from, to) of fd, which reads as zero there (a hole, or past the end).
int write_zeros(int fd, off_t from, off_t to)
{
    static const std::string zeros(65536, '\0');
    while (from < to) {
        ssize_t n = ::pwrite(fd, zeros.data(), size_t(std::min<off_t>(to - from, off_t(zeros.size()))), from);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        from += n;
    }
    return 0;
}

// The reservation where the file system has none: every block of the first size bytes that has no
// space yet (a hole, or past the end) gets zeros written into it. The holes are found by seeking,
// which needs no read access, so a write-only document is reserved too.
int reserve_by_writing(int fd, off_t old_size, off_t size)
{
    const off_t end = std::min(old_size, size);
    for (off_t at = 0; at < end;) {
        off_t hole = ::lseek(fd, at, SEEK_HOLE);
        if (hole < 0 || hole >= end)
            break;
        off_t data = ::lseek(fd, hole, SEEK_DATA);
        if (data < 0 || data > end)
            data = end;
        if (int e = write_zeros(fd, hole, data))
            return e;
        at = data;
    }
    return size > old_size ? write_zeros(fd, old_size, size) : 0;
}

// Makes sure the first size bytes of fd have their blocks, so overwriting them cannot run out of
// space; on failure the file is as it was. No byte of the old content changes.
int reserve(int fd, off_t old_size, off_t size)
{
    if (size <= 0)
        return 0;
    int e;
    do
        e = ::fallocate(fd, 0, 0, size) == 0 ? 0 : errno;
    while (e == EINTR);
    if (e == EOPNOTSUPP || e == ENOSYS)
        e = reserve_by_writing(fd, old_size, size);
    if (e) {
        struct stat st;
        if (::fstat(fd, &st) == 0 && st.st_size != old_size)
            (void)::ftruncate(fd, old_size);
    }
    return e;
}

// Copies in to out from the start, as the sizes were when the caller looked.
int copy_bytes(int in, int out)
{
    std::string chunk(65536, '\0');
    for (;;) {
        ssize_t n = read_some(in, &chunk[0], chunk.size());
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (int e = write_all(out, std::string_view(chunk).substr(0, size_t(n))))
            return e;
    }
}

} // namespace

in_place_file::~in_place_file()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int in_place_file::open(const std::string& path, dev_t dev, ino_t ino, const std::function<bool()>& stop)
{
    // Never truncated on opening: the old document keeps every byte until the new one is known to
    // fit. Not blocking: a FIFO put there meanwhile must not hold the run.
    fd_ = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        return errno;
    struct stat st;
    if (::fstat(fd_, &st) != 0)
        return errno;
    // A name swapped for another file since the run looked must not take the document.
    if (st.st_dev != dev || st.st_ino != ino || !S_ISREG(st.st_mode))
        return ESTALE;
    return lock_exclusive(fd_, stop);
}

int in_place_file::copy_into(int in)
{
    if (fd_ < 0)
        return EBADF;
    int e = ::lseek(in, 0, SEEK_SET) < 0 ? errno : 0;
    struct stat src, dst;
    if (!e && (::fstat(in, &src) != 0 || ::fstat(fd_, &dst) != 0))
        e = errno;
    if (!e)
        e = reserve(fd_, dst.st_size, src.st_size);
    // the search for holes moves the offset
    if (!e && ::lseek(fd_, 0, SEEK_SET) != 0)
        e = errno;
    if (!e)
        e = copy_bytes(in, fd_);
    if (!e && src.st_size < dst.st_size && ::ftruncate(fd_, src.st_size) != 0)
        e = errno;
    if (!e && ::fsync(fd_) != 0)
        e = errno;
    // closing lets the next run's lock through
    if (::close(fd_) != 0 && !e)
        e = errno;
    fd_ = -1;
    return e;
}

int read_file(const std::string& path, std::string& data, size_t max_size)
{
    data.clear();
    int fd;
    int e = open_regular(path, &fd);
    char chunk[4096];
    while (!e) {
        ssize_t n = read_some(fd, chunk, sizeof chunk);
        if (n < 0)
            e = errno;
        else if (n == 0)
            break;
        else if (data.size() + size_t(n) > max_size)
            e = EFBIG;
        else
            data.append(chunk, size_t(n));
    }
    if (fd >= 0)
        ::close(fd);
    if (e)
        data.clear();
    return e;
}

file_reader::~file_reader()
{
    if (fd >= 0)
        ::close(fd);
}

int file_reader::open(const std::string& path)
{
    if (fd >= 0)
        ::close(fd);
    pos = len = 0;
    err = open_regular(path, &fd);
    return err;
}

int file_reader::fill()
{
    if (fd < 0 || err)
        return -1;
    buf.resize(65536);
    ssize_t n = read_some(fd, &buf[0], buf.size());
    if (n <= 0) {
        if (n < 0)
            err = errno;
        return -1;
    }
    pos = 1;
    len = size_t(n);
    return static_cast<unsigned char>(buf[0]);
}

int make_dirs(const std::string& path, mode_t mode)
{
    std::string done;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        done = path.substr(0, j);
        i = j + 1;
        if (done.empty())
            continue;
        if (::mkdir(done.c_str(), mode) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

mode_t new_file_mode()
{
    // Read, not set: setting the umask to learn it would race with other threads creating files.
    std::string status;
    if (read_file("/proc/self/status", status, 1 << 16) == 0) {
        size_t at = status.find("\nUmask:");
        if (at != std::string::npos)
            return 0666 & ~mode_t(std::strtoul(status.c_str() + at + 8, nullptr, 8));
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace plat
