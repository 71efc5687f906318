#pragma once
// Checks a destination file name before a conversion starts, and proposes one.
#include <string>
#include <vector>

extern const char TK_DEST_IS_SOURCE[];

// Throws a level-1 tk_exception when dest is a folder, names the source file,
// is a read-only file, or lies in a missing folder.
void common_check_dest(const std::string& dest, const std::string& src = std::string());

// Throws a level-1 tk_exception when the log file is one of the files named (the source, the
// destination, the profiles read), however it is spelled; empty names are passed over.
void common_check_logfile(const std::string& logfile, const std::vector<std::string>& names);

// A destination for name with extension ext: in old_name's folder when old_name
// is a full path, else beside the user's documents folder.
std::string common_make_dest(const std::string& old_name, const std::string& name,
                             const std::string& ext, bool as_is);
