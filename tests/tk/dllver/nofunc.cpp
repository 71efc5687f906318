// A library without DllGetVersion.
extern "C" __attribute__((visibility("default"))) int vlx_test_something() { return 1; }
