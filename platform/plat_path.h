#pragma once
// Path handling: full paths, and splitting a path into its parts and making one from them.
// Paths use '/' and never have a drive part.
#include <string>

namespace plat {

// Absolute path made from the current directory, "." and ".." removed lexically
// (symlinks are not resolved). A trailing '/' is kept. False when the current
// directory cannot be read (it was removed) for a relative path.
bool full_path(const std::string& path, std::string& out);

// Removes ".", ".." and repeated separators of an absolute path, keeping a trailing '/'.
std::string normalize_absolute(const std::string& path);

// dir: up to and including the last '/'; ext: from the last '.' of the last
// component; name: what lies between. drive is always empty.
void split_path(const std::string& path, std::string& drive, std::string& dir,
                std::string& name, std::string& ext);

// Joins the parts, adding '/' after a folder without one and '.' before an
// extension without one.
std::string make_path(const std::string& drive, const std::string& dir,
                      const std::string& name, const std::string& ext);

// Full path of the running program (/proc/self/exe); false when unreadable.
bool module_file_name(std::string& out);

// $HOME, else the password database's home folder; empty when neither is known.
std::string home_dir();

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs, else $HOME
// with a trailing '/'. Empty when no home folder is known.
std::string documents_dir();

// $XDG_CONFIG_HOME when absolute, else $HOME/.config; empty when no home is known.
std::string config_home();

// An existing folder the caller may enter (search permission).
bool is_dir_accessible(const std::string& path);

} // namespace plat
