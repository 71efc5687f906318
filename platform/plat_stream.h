#pragma once
// A stdio stream on a file that remembers why its first write failed: stdio keeps only an error
// flag, and by the time a caller looks at it errno has long moved on.
#include <cstdio>
#include <string>

namespace plat {

// Opens path as fopen does with "w" (created or emptied), "a" (appended to) or "w+" (emptied, also
// read back), always binary. The errno of the first failed write or close lands in *first_error,
// which must outlive the stream. Returns null with errno set when the file cannot be opened.
FILE* open_checked_stream(const std::string& path, const char* mode, int* first_error);
// The same stream on the open descriptor fd, which it takes over: closed with the stream, or at
// once when no stream can be made.
FILE* checked_stream(int fd, const char* mode, int* first_error);

} // namespace plat
