// A library reporting version 5.82 through DllGetVersion.
#include <cstdint>

struct version_info {
    uint32_t cb_size, major, minor, build, platform_id;
};

extern "C" __attribute__((visibility("default"))) int32_t DllGetVersion(version_info* v)
{
    if (v->cb_size != 20)
        return 1;
    v->major = 5;
    v->minor = 82;
    return 0;
}
