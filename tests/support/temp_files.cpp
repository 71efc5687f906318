#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace vlxtest {

std::string temp_path(const std::string& suffix)
{
    std::string tmpl = temp_root() + "/vlxtest-XXXXXX" + suffix;
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = mkstemps(buf.data(), int(suffix.size()));
    if (fd < 0)
        throw std::runtime_error("temp_path: mkstemps failed: " + std::string(std::strerror(errno)));
    ::close(fd);
    return std::string(buf.data());
}

std::string write_temp_pdf(const PdfWriter& doc)
{
    std::string path = temp_path(".pdf");
    doc.save(path);
    return path;
}

std::string write_temp_file(const std::string& bytes, const std::string& suffix)
{
    std::string path = temp_path(suffix);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    f.close();
    if (!f)
        throw std::runtime_error("write_temp_file: cannot write " + path);
    return path;
}

TempFile::~TempFile()
{
    if (!path.empty())
        std::remove(path.c_str());
}

}  // namespace vlxtest
