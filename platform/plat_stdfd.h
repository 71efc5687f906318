#pragma once
// The three standard streams. A program started with one of them closed would hand that number to
// the next file it opens, and a name such as /dev/stdout would then lead to that file.
#include <string>

namespace plat {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed and remembers which were.
// Called first thing in main, before anything else opens a file.
void fill_closed_std_streams();

// Whether descriptor fd (0, 1 or 2) was closed when fill_closed_std_streams ran.
bool std_stream_was_closed(int fd);

// The descriptor of this process that path names: /dev/fd/N, /proc/self/fd/N,
// /proc/thread-self/fd/N, /dev/stdout, or a link leading to one of them; else -1.
int fd_named(const std::string& path);

// The standard stream (0, 1 or 2) that path names as fd_named does; else -1.
int std_stream_named(const std::string& path);

// True when path leads to the file open on descriptor fd: the same device and inode.
bool is_file_on_fd(const std::string& path, int fd);

} // namespace plat
