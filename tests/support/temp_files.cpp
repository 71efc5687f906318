#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <iterator>
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

Captured::Captured(int fd) : fd_(fd), saved_(-1), path_(temp_path(".out"))
{
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    const int file = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    saved_ = file < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    const bool redirected = saved_ >= 0 && ::dup2(file, fd) >= 0;
    const int why = errno;
    if (file >= 0)
        ::close(file);
    if (!redirected) {
        if (saved_ >= 0)
            ::close(saved_);
        std::remove(path_.c_str());
        throw std::runtime_error("Captured: cannot redirect descriptor " + std::to_string(fd) + ": " +
                                 std::strerror(why));
    }
}

std::string Captured::text()
{
    if (saved_ >= 0) {
        std::fflush(nullptr);
        std::cout.flush();
        std::cerr.flush();
        ::dup2(saved_, fd_);
        ::close(saved_);
        saved_ = -1;
    }
    std::ifstream f(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Captured::~Captured()
{
    text();
    std::remove(path_.c_str());
}

TempFile::~TempFile()
{
    if (!path.empty())
        std::remove(path.c_str());
}

}  // namespace vlxtest
