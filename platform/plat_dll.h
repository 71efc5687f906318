#pragma once
// A shared library's version through its exported "DllGetVersion".
#include <cstdint>

namespace plat {

// The record DllGetVersion fills; cb_size is 20.
struct dll_version_info {
    uint32_t cb_size;
    uint32_t major;
    uint32_t minor;
    uint32_t build;
    uint32_t platform_id;
};

enum dll_version_result { DLL_OK, DLL_NOT_LOADED, DLL_NO_FUNCTION, DLL_CALL_FAILED };

// Loads the library, calls DllGetVersion (0 means success) and unloads it.
dll_version_result dll_get_version(const char* library, dll_version_info& info);

} // namespace plat
