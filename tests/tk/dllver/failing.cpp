// A library whose DllGetVersion fails.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t DllGetVersion(void*) { return -2147467259; }
