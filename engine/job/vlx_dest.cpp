#include "vlx_dest.h"

#include "plat_file.h"
#include "plat_stdfd.h"
#include "tk_dest.h"
#include "tk_except.h"
#include "tk_log.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
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

bool refused(int err)
{
    return err == EACCES || err == EPERM || err == EROFS;
}

// The in-place copy only writes, so a write-only file takes it as well; a file without write bits
// is read-only even for root.
bool can_write(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

[[noreturn]] void cannot_open(const std::string& dest, const char* why)
{
    tk_log(3, "vlx_dest_file: %s %s", dest.c_str(), why);
    throw tk_exception(CANNOT_OPEN, 1);
}

[[noreturn]] void is_the_source(const std::string& dest)
{
    tk_log(3, "vlx_dest_file: %s leads to the source", dest.c_str());
    throw tk_exception(TK_DEST_IS_SOURCE, 1);
}

} // namespace

bool vlx_dest_is_stdout(const std::string& dest)
{
    return dest == "-" || plat::is_file_on_fd(dest, STDOUT_FILENO);
}

void vlx_refuse_stream_dest(const std::string& dest)
{
    if (vlx_dest_is_stdout(dest) || plat::fd_named(dest) >= 0)
        cannot_open(dest, "names a stream of the program");
}

vlx_dest_file::vlx_dest_file(const std::string& dest, const std::string& src) : source_(src)
{
    target_ = dest;
    // A stream closed at start now leads to /dev/null, where the document would vanish unseen.
    if (plat::std_stream_was_closed(dest == "-" ? STDOUT_FILENO : plat::std_stream_named(dest)))
        cannot_open(dest, "names a standard stream closed at start");
    if (vlx_dest_is_stdout(dest)) {
        // "-" included: the stream may have been opened on the source itself (1<>src, >>src)
        if (plat::is_file_on_fd(source_, STDOUT_FILENO))
            is_the_source(dest);
        // written through the stream as it was opened, appending when it appends
        target_ = "-";
        return;
    }
    struct stat st;
    existed_ = ::stat(dest.c_str(), &st) == 0;
    if (!existed_ && errno == ELOOP)
        cannot_open(dest, "is a loop of links"); // renaming over it would replace the link
    // A device, FIFO or pipe is written through the name as given: renaming over it would replace
    // it by a plain file, and the link behind /dev/stdout may name no file at all ("pipe:[N]").
    // So is the file on a descriptor of ours (/dev/fd/3): the name its link shows may be that of
    // no file ("/memfd:x (deleted)") or of another one.
    if (existed_ && (!S_ISREG(st.st_mode) || plat::fd_named(dest) >= 0)) {
        // no commit comes to look for the source: it is looked for now
        if (plat::same_file(dest, source_))
            is_the_source(dest);
        return;
    }
    target_ = plat::resolve_links(dest);
    if (existed_) {
        dev_ = st.st_dev;
        ino_ = st.st_ino;
        mode_ = st.st_mode & 07777;
        uid_ = st.st_uid;
        gid_ = st.st_gid;
    }
    how_ = existed_ && st.st_nlink > 1 ? copied_into : renamed_over;
    if (make_temp(folder_of(target_)))
        return;
    int err = errno;
    if (existed_ && refused(err) && can_write(target_)) {
        how_ = copied_into;
        if (make_temp(plat::temp_dir()))
            return;
        err = errno;
    }
    tk_log(3, "vlx_dest_file: no temporary file for %s (errno %d)", target_.c_str(), err);
    throw tk_exception(CANNOT_OPEN, 1);
}

bool vlx_dest_file::make_temp(const std::string& folder)
{
    // Every later step works in this folder, whatever its name comes to lead to.
    int dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    if (!existed_)
        mode_ = plat::new_file_mode();
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".vellix-%08x%08x.tmp", rd(), rd());
        const std::string path = folder + "/" + name;
        // Recorded before it exists, with signals from outside held: whatever ends the process once
        // the file is there (a stack overflow too) finds it.
        plat::signal_hold hold;
        // The temporary file may hold the text of a protected document: private from its creation
        // until the commit gives it the document's mode.
        int fd = plat::create_recorded_file(dir, name, path, record_);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            int err = errno;
            ::close(dir);
            errno = err;
            return false;
        }
        fd_ = fd;
        folder_ = dir;
        temp_name_ = name;
        temp_ = path;
        return true;
    }
    ::close(dir);
    errno = EEXIST;
    return false;
}

vlx_dest_file::~vlx_dest_file()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty())
        ::unlinkat(folder_, temp_name_.c_str(), 0);
    if (folder_ >= 0)
        ::close(folder_);
}

void vlx_dest_file::commit(const std::function<bool()>& stop)
{
    if (temp_.empty())
        return;
    // Whatever the names led to when the run began, the source itself is never replaced.
    auto not_the_source = [&] {
        if (plat::same_file(target_, source_))
            is_the_source(target_);
    };
    int err = 0;
    if (how_ == renamed_over) {
        // A signal now waits until the document is whole in its place.
        plat::signal_hold hold;
        not_the_source();
        // Only through the descriptor: the folder's owner may have put a link under the name.
        mode_t mode = mode_;
        if (existed_) {
            // The owner first: changing it clears the set-id bits the mode then restores.
            if (::fchown(fd_, uid_, gid_) != 0)
                (void)::fchown(fd_, uid_t(-1), gid_); // only the group, where the user may
            mode = plat::copy_attributes(target_, fd_, mode_);
        }
        if (::fchmod(fd_, mode) != 0)
            err = errno;
        else if (!plat::names_file(folder_, temp_name_, fd_))
            cannot_open(target_, "lost its temporary file to another one");
        else if (::renameat(folder_, temp_name_.c_str(), folder_, target_.substr(target_.rfind('/') + 1).c_str()) != 0)
            err = errno;
        // A sticky folder keeps another user's file from being replaced, not from being written.
        if (err && existed_ && refused(err) && can_write(target_)) {
            (void)::fchmod(fd_, 0600); // private again until it is removed
            how_ = copied_into;
            err = 0;
        }
    }
    if (how_ == copied_into) {
        plat::in_place_file out;
        // The wait for another run's lock comes before the signals are held: a signal still ends it.
        // A name that now leads elsewhere (a link, another file, nothing) is refused as unopened.
        if (int e = out.open(target_, dev_, ino_, stop)) {
            if (e == ECANCELED)
                throw tk_final_exception(); // the user cancelled while another writer held the file
            tk_log(3, "vlx_dest_file: %s cannot be opened as the file the run began with (errno %d)",
                   target_.c_str(), e);
            throw tk_exception(CANNOT_OPEN, 1);
        }
        plat::signal_hold hold;
        not_the_source();
        err = out.copy_into(fd_);
    }
    if (err) {
        tk_log(3, "vlx_dest_file: cannot put the document in %s (errno %d)", target_.c_str(), err);
        throw tk_exception_ex(err);
    }
    if (how_ == copied_into)
        ::unlinkat(folder_, temp_name_.c_str(), 0);
    record_.forget();
    temp_.clear();
}
