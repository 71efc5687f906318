#pragma once
// The program's own path, temporary files, the documents folder, existence
// tests, a library's version, the clipboard and the bug-report mail.
#include <cstdint>
#include <string>

namespace plat {
class temp_record;
}

// Modes of tk_is_file_exist: any value other than TK_MODE_WRITE is a read test.
enum { TK_MODE_WRITE = 1, TK_MODE_READ = 0x4000 };

// The address bug reports go to.
extern const char* const TK_SUPPORT_ADDRESS;

std::string tk_get_module_file_name();
std::string tk_get_module_dir();

// Creates a new empty file with an unpredictable name, readable and writable by its owner alone,
// and returns its name, fd holding it open for reading and writing (the caller closes it); throws
// tk_exception_ex when it cannot. The name is recorded in record (when given) before the file exists.
std::string tk_get_temp_file_name(int& fd, plat::temp_record* record = nullptr);

// The user's documents folder, or the empty text when unknown.
std::string tk_get_user_home_path();

// An existing file (never a folder) that opens for reading, or for reading and
// writing when mode is TK_MODE_WRITE. A file with all write bits clear is read-only.
bool tk_is_file_exist(const std::string& name, int mode);

// An existing folder that can be entered; the empty text is the program's folder.
bool tk_is_path_exist(const std::string& path);

// Both names denote the same file (same file when both exist, else same full path).
bool tk_is_same_file(const std::string& a, const std::string& b);

// major * 65536 + minor from the library's DllGetVersion, 0 when unavailable.
uint32_t get_dll_version(const char* library);

// The console build has no clipboard; a program with one installs its writer.
void tk_set_clipboard_writer(void (*writer)(const std::string& text));
void tk_copy_to_clipboard1(const std::string& text);

// Opens the user's mail composer with a bug report; failures are only logged.
void tk_send_bug(const std::string& title, const std::string& text);
