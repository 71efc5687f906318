#pragma once
// The document is written to a temporary file and put in place only when complete, so a failed
// run neither leaves a truncated document nor destroys an older one. The file the destination
// leads to keeps what it is: a symbolic link stays a link (its target gets the document), a device,
// a FIFO or the file on a descriptor of this process is written directly, a file with other hard
// links, in a folder closed to new files or one that may be written but not replaced (another
// user's, in a sticky folder) is overwritten in place at the end, and a replaced file keeps its mode,
// owner, group and extended attributes (its ACL among them).
#include "plat_tmpreg.h"

#include <functional>
#include <string>
#include <sys/types.h>

// True when the document for dest goes through standard output: dest is "-" or the file open on
// descriptor 1 (/dev/stdout, /dev/fd/1, or the name of the file standard output leads to).
bool vlx_dest_is_stdout(const std::string& dest);

// Throws the level-1 "Cannot open destination file" when dest is standard output or names another
// descriptor of this process (/dev/stderr, /dev/fd/3): for a program that has no stream to hand
// a document on.
void vlx_refuse_stream_dest(const std::string& dest);

class vlx_dest_file {
public:
    // "-" stands for standard output and needs no temporary file, and so does any name of the file
    // open there. Throws the level-1 "Cannot open destination file" when dest names a standard
    // stream that was closed at start, is a loop of links, or no temporary file can be made for it.
    // src is the source document, which the commit never puts the document over, and which
    // standard output must not be open on.
    explicit vlx_dest_file(const std::string& dest, const std::string& src = std::string());
    ~vlx_dest_file(); // removes the temporary file unless committed
    vlx_dest_file(const vlx_dest_file&) = delete;
    vlx_dest_file& operator=(const vlx_dest_file&) = delete;

    // Where the document is written now.
    const std::string& path() const { return temp_.empty() ? target_ : temp_; }
    // The temporary file (mode 0600 until the commit), empty when there is none.
    const std::string& temp_path() const { return temp_; }
    // The temporary file open for reading and writing, -1 when there is none: the document is
    // written through it, since the name may lead elsewhere once the folder's owner has changed it.
    int fd() const { return fd_; }
    // Puts the finished document in place, with its final mode. A wait for another writer's lock
    // ends with tk_final_exception once stop says so.
    void commit(const std::function<bool()>& stop = {});

private:
    enum how_t { written_directly, renamed_over, copied_into };
    bool make_temp(const std::string& folder);

    std::string target_;
    std::string source_;
    std::string temp_;
    std::string temp_name_; // temp_ in the folder open as folder_
    int folder_ = -1;
    int fd_ = -1;
    how_t how_ = written_directly;
    bool existed_ = false;
    dev_t dev_ = 0; // the file found at the start, the only one written in place
    ino_t ino_ = 0;
    mode_t mode_ = 0;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    plat::temp_record record_;
};
