#pragma once
// The document is written to a temporary file and put in place only when complete, so a failed
// run neither leaves a truncated document nor destroys an older one. The file the destination
// leads to keeps what it is: a symbolic link stays a link (its target gets the document), a device
// or FIFO is written directly, a file with other hard links or in a folder closed to new files is
// overwritten in place at the end, and a replaced file keeps its mode, owner and group.
#include "plat_tmpreg.h"

#include <string>
#include <sys/types.h>

class vlx_dest_file {
public:
    // "-" stands for standard output and needs no temporary file. Throws the level-1
    // "Cannot open destination file" when no temporary file can be made for dest.
    explicit vlx_dest_file(const std::string& dest);
    ~vlx_dest_file(); // removes the temporary file unless committed
    vlx_dest_file(const vlx_dest_file&) = delete;
    vlx_dest_file& operator=(const vlx_dest_file&) = delete;

    // Where the document is written now.
    const std::string& path() const { return temp_.empty() ? target_ : temp_; }
    // The temporary file (mode 0600 until the commit), empty when there is none.
    const std::string& temp_path() const { return temp_; }
    // Puts the finished document in place, with its final mode.
    void commit();

private:
    enum how_t { written_directly, renamed_over, copied_into };
    bool make_temp(const std::string& folder);

    std::string target_;
    std::string temp_;
    how_t how_ = written_directly;
    bool existed_ = false;
    mode_t mode_ = 0;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    plat::temp_record record_;
};
