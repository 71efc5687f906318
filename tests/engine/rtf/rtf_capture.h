#ifndef VLX_TEST_RTF_CAPTURE_H
#define VLX_TEST_RTF_CAPTURE_H
// An in-memory stdio stream for the RTF the writers produce, and the output callback
// that writes to it.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace rtftest {

inline void writeOut(void* stream, const char* text, int len)
{
    std::fwrite(text, 1, static_cast<size_t>(len), static_cast<FILE*>(stream));
}

class Capture {
public:
    Capture() { f = open_memstream(&buf, &size); }
    ~Capture()
    {
        std::fclose(f);
        std::free(buf);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    FILE* out() const { return f; }
    std::string str()
    {
        std::fflush(f);
        return std::string(buf, size);
    }

private:
    FILE* f = nullptr;
    char* buf = nullptr;
    size_t size = 0;
};

} // namespace rtftest

#endif
