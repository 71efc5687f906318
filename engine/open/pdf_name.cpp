#include "pdf_name.h"

#include "tk_log.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

bool opens(const std::string& name)
{
    FILE* f = std::fopen(name.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

// ASCII letters only: other bytes are parts of multibyte characters.
std::string last_component_in_case(const std::string& file, bool upper)
{
    std::string out = file;
    const size_t slash = out.rfind('/');
    for (size_t i = slash == std::string::npos ? 0 : slash + 1; i < out.size(); ++i) {
        char& c = out[i];
        if (upper && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

} // namespace

std::string pdf_openable_name(const std::string& file)
{
    // Only a missing name is retried; stat, not open, so a FIFO never blocks here.
    struct stat given;
    if (::stat(file.c_str(), &given) == 0 || errno != ENOENT)
        return file;
    for (bool upper : {false, true}) {
        const std::string other = last_component_in_case(file, upper);
        struct stat st;
        if (other != file && ::stat(other.c_str(), &st) == 0 && S_ISREG(st.st_mode) && opens(other)) {
            tk_log(1, "pdf_openable_name(%s) - opens as %s", file.c_str(), other.c_str());
            return other;
        }
    }
    return file;
}
