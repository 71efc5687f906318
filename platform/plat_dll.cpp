#include "plat_dll.h"

#include <dlfcn.h>

namespace plat {

dll_version_result dll_get_version(const char* library, dll_version_info& info)
{
    info = dll_version_info{sizeof(dll_version_info), 0, 0, 0, 0};
    void* lib = library ? ::dlopen(library, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!lib)
        return DLL_NOT_LOADED;
    using fn_t = int32_t (*)(dll_version_info*);
    fn_t fn = reinterpret_cast<fn_t>(::dlsym(lib, "DllGetVersion"));
    dll_version_result r = DLL_NO_FUNCTION;
    if (fn)
        r = fn(&info) == 0 ? DLL_OK : DLL_CALL_FAILED;
    ::dlclose(lib);
    return r;
}

} // namespace plat
