#pragma once
// The settings store that stands in for the registry under HKEY_CURRENT_USER.
// A key "Software\A\B" is the file $XDG_CONFIG_HOME/A/B (folders 0700, file 0600)
// holding typed values; results are the registry's codes, 0 for success.
#include <cstdint>

namespace plat {

struct reg_key;
using hkey = reg_key*;

enum : uint32_t { REG_SZ_TYPE = 1, REG_DWORD_TYPE = 4 };
enum : uint32_t { REG_CREATED_NEW_KEY = 1, REG_OPENED_EXISTING_KEY = 2 };
enum : uint32_t { KEY_ALL_ACCESS = 0xF003F };

enum : long {
    REG_OK = 0,
    REG_NOT_FOUND = 2,          // ERROR_FILE_NOT_FOUND
    REG_DENIED = 5,             // ERROR_ACCESS_DENIED
    REG_INVALID_HANDLE = 6,     // ERROR_INVALID_HANDLE
    REG_INVALID_DATA = 13,      // ERROR_INVALID_DATA: a number read as a string
    REG_DISK_FULL = 112,        // ERROR_DISK_FULL
    REG_INVALID_PARAMETER = 87, // ERROR_INVALID_PARAMETER
    REG_MORE_DATA = 234,        // ERROR_MORE_DATA
    REG_IO_FAILED = 1016,       // ERROR_REGISTRY_IO_FAILED
};

// The root standing for HKEY_CURRENT_USER; never null, closing it does nothing.
hkey hkey_current_user();

// Opens the key, creating its file and folders when missing. On success *out
// receives a key to be closed with reg_close_key.
long reg_create_key(hkey parent, const char* subkey, hkey* out, uint32_t* disposition);
long reg_close_key(hkey key);

// Reads a value of the expected type. A string asked for as a number gives
// REG_MORE_DATA (it never counts as one), a number asked for as a string
// REG_INVALID_DATA, *size then being the value's own size. data null asks for
// the size; a smaller *size gives REG_MORE_DATA with *size set to what is
// needed. Strings include their NUL.
long reg_query_value(hkey key, const char* name, uint32_t expected_type,
                     uint32_t* type, void* data, uint32_t* size);

// Writes a DWORD (size 4) or a string (the bytes up to the first NUL within size).
long reg_set_value(hkey key, const char* name, uint32_t type, const void* data, uint32_t size);

} // namespace plat
