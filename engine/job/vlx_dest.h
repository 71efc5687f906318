#pragma once
// The document is written beside its destination under a unique name and moved into place only
// when complete, so a failed run neither leaves a truncated document nor destroys an older one.
#include <string>

class vlx_dest_file {
public:
    // "-" stands for standard output and needs no temporary file.
    explicit vlx_dest_file(const std::string& dest);
    ~vlx_dest_file(); // removes the temporary file unless committed
    vlx_dest_file(const vlx_dest_file&) = delete;
    vlx_dest_file& operator=(const vlx_dest_file&) = delete;

    const std::string& path() const { return temp_.empty() ? dest_ : temp_; }
    // Moves the finished document over the destination.
    void commit();

private:
    std::string dest_;
    std::string temp_;
};
