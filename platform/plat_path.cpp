#include "plat_path.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat {

namespace {

bool current_dir(std::string& out)
{
    std::vector<char> buf(256);
    for (;;) {
        if (::getcwd(buf.data(), buf.size())) {
            out = buf.data();
            return true;
        }
        if (errno != ERANGE || buf.size() > (1u << 20))
            return false;
        buf.resize(buf.size() * 2);
    }
}

} // namespace

std::string normalize_absolute(const std::string& path)
{
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        std::string part = path.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    bool dir_form = !path.empty() && (path.back() == '/' ||
                    (path.size() >= 2 && path.compare(path.size() - 2, 2, "/.") == 0) ||
                    (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0) ||
                    path == "." || path == "..");
    if (out.empty() || dir_form)
        out += "/";
    return out;
}

bool full_path(const std::string& path, std::string& out)
{
    if (!path.empty() && path[0] == '/') {
        out = normalize_absolute(path);
        return true;
    }
    std::string cwd;
    if (!current_dir(cwd))
        return false;
    out = normalize_absolute(cwd + "/" + path);
    return true;
}

void split_path(const std::string& path, std::string& drive, std::string& dir,
                std::string& name, std::string& ext)
{
    drive.clear();
    size_t slash = path.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    dir = path.substr(0, start);
    std::string last = path.substr(start);
    size_t dot = last.rfind('.');
    if (dot == std::string::npos) {
        name = last;
        ext.clear();
    } else {
        name = last.substr(0, dot);
        ext = last.substr(dot);
    }
}

std::string make_path(const std::string& drive, const std::string& dir,
                      const std::string& name, const std::string& ext)
{
    std::string out = drive + dir;
    if (!dir.empty() && dir.back() != '/')
        out += '/';
    out += name;
    if (!ext.empty() && ext[0] != '.')
        out += '.';
    out += ext;
    return out;
}

bool module_file_name(std::string& out)
{
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return false;
        if (size_t(n) < buf.size()) {
            out.assign(buf.data(), size_t(n));
            break;
        }
        if (buf.size() > (1u << 20))
            return false;
        buf.resize(buf.size() * 2);
    }
    // The kernel marks a program file replaced while running.
    const std::string deleted = " (deleted)";
    struct stat st;
    if (out.size() > deleted.size() &&
        out.compare(out.size() - deleted.size(), deleted.size(), deleted) == 0 &&
        ::stat(out.c_str(), &st) != 0)
        out.resize(out.size() - deleted.size());
    return true;
}

std::string home_dir()
{
    const char* h = std::getenv("HOME");
    if (h && *h)
        return h;
    std::vector<char> buf(4096);
    struct passwd pw;
    struct passwd* res = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &res) == 0 && res && res->pw_dir)
        return res->pw_dir;
    return "";
}

std::string config_home()
{
    const char* x = std::getenv("XDG_CONFIG_HOME");
    if (x && x[0] == '/')
        return x;
    std::string home = home_dir();
    return home.empty() ? "" : home + "/.config";
}

namespace {

// Reads XDG_DOCUMENTS_DIR="..." from user-dirs.dirs; empty when absent or malformed.
std::string xdg_documents(const std::string& home)
{
    std::string conf = config_home();
    if (conf.empty())
        return "";
    std::ifstream in(conf + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos || line.compare(b, key.size(), key) != 0)
            continue;
        std::string v = line.substr(b + key.size());
        if (v.size() < 2 || v.front() != '"')
            return "";
        size_t close = v.find('"', 1);
        if (close == std::string::npos)
            return "";
        std::string raw = v.substr(1, close - 1);
        std::string out;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size())
                out += raw[++i];
            else
                out += raw[i];
        }
        if (out.compare(0, 5, "$HOME") == 0)
            out = home + out.substr(5);
        else if (out.empty() || out[0] != '/')
            return "";
        return out;
    }
    return "";
}

} // namespace

std::string documents_dir()
{
    std::string home = home_dir();
    std::string docs = xdg_documents(home);
    if (!docs.empty() && normalize_absolute(docs) != normalize_absolute(home))
        return docs;
    if (home.empty())
        return "";
    return home.back() == '/' ? home : home + "/";
}

bool is_dir_accessible(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

} // namespace plat
