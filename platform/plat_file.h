#pragma once
// File tests, temporary files and atomic replacement.
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace plat {

class temp_record;

// Opens an existing file for reading (write = false) or reading and writing and
// closes it again; a FIFO, socket or device is never opened, only its permissions
// asked. Folders never count as files, and a file whose write bits are all clear
// is read-only even for root. On false, *err (when given) holds errno.
bool can_open_file(const std::string& path, bool write, int* err = nullptr);

// True when both names denote one file: same device and inode when both exist,
// else the same normalised absolute path. Empty names never match.
bool same_file(const std::string& a, const std::string& b);

// Creates the new file name in the folder open as folder (AT_FDCWD: the current one), never through
// a link, open for reading and writing and private to its owner (mode 0600 whatever the umask).
// Returns the descriptor, or -1 with errno set.
int create_private_file(int folder, const std::string& name);

// As create_private_file, path naming the same file: recorded in record before the file exists, so
// that whatever ends the process once it does finds it; forgotten again when it cannot be made.
int create_recorded_file(int folder, const std::string& name, const std::string& path, temp_record& record);

// Creates an empty, unique file "TMPxxxxxx" in $TMPDIR, else /tmp, as create_private_file does.
// Returns the descriptor with the file's name in name, or -1 with errno set.
// The name is recorded in record (when given) before the file exists, so that whatever ends the
// process once it does finds it.
int make_temp_file(std::string& name, temp_record* record = nullptr);

// True when name in the folder open as folder is, itself and not through a link, the file open as fd.
bool names_file(int folder, const std::string& name, int fd);

// Gives the file open as to the extended attributes of the file from (its ACL among them, a link
// itself and not its target) and takes away those it has that from lacks. Returns the mode to give
// to: mode, less the owning group's rights that from's ACL withheld when that ACL could not be
// copied, so no one gains access.
mode_t copy_attributes(const std::string& from, int to, mode_t mode);

// Writes all of data to fd, going on after interrupted and partial writes.
// Returns 0 or an errno value.
int write_all(int fd, std::string_view data);
// read(2) going on after interruptions: the count, or -1 with errno set.
ssize_t read_some(int fd, char* to, size_t n);

// Replaces path by a new file holding data: a temporary file in the same folder,
// written, flushed and renamed over path. Returns 0 or an errno value.
int write_file_atomic(const std::string& path, const std::string& data, mode_t mode);

// The file a name leads to: symbolic links of the last component followed, relative link texts
// taken from the link's folder. The result need not exist (a dangling link gives its target).
std::string resolve_links(const std::string& path);
// One step of that: false when path is no symbolic link (or cannot be read), else next is where
// it leads.
bool follow_link(const std::string& path, std::string& next);

// An existing file overwritten in place: it keeps its inode, links, owner and mode. Not atomic: a
// process killed outright in the middle leaves it part new, part old.
class in_place_file {
public:
    in_place_file() = default;
    ~in_place_file();
    in_place_file(const in_place_file&) = delete;
    in_place_file& operator=(const in_place_file&) = delete;

    // Opens path to write, its last component not followed, and waits for an exclusive flock on it
    // (held until the copy closes it), so that runs at once leave one run's whole document; hold no
    // signals meanwhile, the wait has no end of its own. With stop, the wait asks it every few
    // milliseconds and gives up with ECANCELED once it says so. ELOOP when a symbolic link stands
    // there now, ESTALE when the file is not the one of device dev and inode ino. Returns 0 or an
    // errno value.
    int open(const std::string& path, dev_t dev, ino_t ino, const std::function<bool()>& stop = {});
    // Copies the whole of the file open as from (read from its start) into the open file and closes
    // it; from stays open. The new length is reserved before
    // the first old byte changes, so a full file system leaves the old content as it was (where the
    // file system has no reservation call too). Returns 0 or an errno value.
    int copy_into(int from);

private:
    int fd_ = -1;
};

// Reads a whole regular file of at most max_size bytes. Returns 0, or an errno
// value (EISDIR for a folder, EINVAL for what is no regular file, EFBIG when larger).
int read_file(const std::string& path, std::string& data, size_t max_size);

// Reads a regular file byte by byte through a small buffer, so that a file of any size
// takes the same memory. What is no regular file is refused as read_file refuses it.
class file_reader {
public:
    file_reader() = default;
    ~file_reader();
    file_reader(const file_reader&) = delete;
    file_reader& operator=(const file_reader&) = delete;

    // Returns 0 or an errno value.
    int open(const std::string& path);
    // The next byte, or -1 at the end of the file or after a failed read (see error).
    int get() { return pos < len ? static_cast<unsigned char>(buf[pos++]) : fill(); }
    // 0, or the errno value of the read that failed.
    int error() const { return err; }

private:
    int fill();
    int fd = -1;
    int err = 0;
    std::string buf;
    size_t pos = 0, len = 0;
};

// The mode a new file created with 0666 gets: 0666 less the process's umask.
mode_t new_file_mode();

// Creates every missing folder of path (itself included) with the given mode.
// Returns 0 or an errno value.
int make_dirs(const std::string& path, mode_t mode);

} // namespace plat
