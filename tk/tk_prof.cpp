#include "tk_prof.h"

#include "plat_file.h"
#include "tk_except.h"
#include "tk_log.h"
#include "tk_str.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const UNIT = "..\\TK/tk_prof";
const size_t MAX_LINE = 4095;

// Reads one line without its LF and one trailing CR, checking its length as it
// grows, so that no line of the file is ever held longer than that. False at the
// end of the input with nothing read; asserts on a line longer than MAX_LINE.
bool read_line(plat::file_reader& in, std::string& line)
{
    line.clear();
    bool any = false;
    for (int c; (c = in.get()) >= 0;) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() == MAX_LINE + 1) // room for a CR that is stripped below
            tk_assert(false, UNIT, 109);
        line += char(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    tk_assert(line.size() <= MAX_LINE, UNIT, 109);
    line.resize(std::strlen(line.c_str())); // a line is a text: it ends at a NUL byte
    return any;
}

bool has_line_break(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

const char* const TK_GENERIC_SECTION = "Generic settings";
const char* const TK_PROFILE_MISSING = "Profile does not exist. Please verify the correct path/name was given.";

bool tk_byte_less::operator()(const std::string& a, const std::string& b) const
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    int c = n ? std::memcmp(a.data(), b.data(), n) : 0; // memcmp compares unsigned bytes
    return c < 0 || (c == 0 && a.size() < b.size());
}

tk_profile::tk_profile()
{
    sections[TK_GENERIC_SECTION];
}

void tk_profile::add_section(const std::string& name)
{
    sections[name];
}

void tk_profile::set_value(const std::string& section, const std::string& key, const std::string& value)
{
    sections[section].emplace(key, value);
}

std::string tk_profile::get_value(const std::string& section, const std::string& key) const
{
    auto s = sections.find(section);
    if (s == sections.end())
        return std::string();
    auto k = s->second.find(key);
    return k == s->second.end() ? std::string() : k->second;
}

bool tk_profile::load(const std::string& path)
{
    return read(path, nullptr);
}

bool tk_profile::load(const std::string& path, const std::vector<std::string>& generic_keys)
{
    return read(path, &generic_keys);
}

bool tk_profile::read(const std::string& path, const std::vector<std::string>* keys)
{
    tk_log(2, "tk_profile::load(%s)", path.c_str());
    // Only a regular file, opened without waiting: a FIFO or a device would block the read for ever.
    // It is read a line at a time.
    plat::file_reader in;
    if (in.open(path) != 0)
        throw tk_exception(TK_PROFILE_MISSING, 1);
    bool in_section = false;
    section_map* current = nullptr; // null in a section that is not kept
    std::string current_name;
    std::string line;
    auto keep = [&](const std::string& key, const std::string& value) {
        if (current && (!keys || std::find(keys->begin(), keys->end(), key) != keys->end()))
            current->emplace(key, value);
    };
    while (read_line(in, line)) {
        std::string t = tk_trim(line);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            in_section = true;
            current_name = t.substr(1, t.size() - 2);
            current = !keys || current_name == TK_GENERIC_SECTION ? &sections[current_name] : nullptr;
        } else if (t.find('=') != std::string::npos) {
            if (!in_section)
                return false;
            size_t eq = t.find('=');
            keep(tk_trim(t.substr(0, eq)), t.substr(eq + 1));
        } else if (t.empty()) {
            continue;
        } else {
            if (!in_section)
                return false;
            if (!keys)
                lists[current_name].push_back(line);
            keep(t, std::string());
        }
    }
    if (in.error() != 0)
        throw tk_exception(TK_PROFILE_MISSING, 1);
    return true;
}

bool tk_profile::store(const std::string& path) const
{
    tk_log(2, "tk_profile::store(%s)", path.c_str());
    std::string out;
    for (const auto& s : sections) {
        if (has_line_break(s.first))
            return false;
        out += "[" + s.first + "]\r\n";
        for (const auto& kv : s.second) {
            if (has_line_break(kv.first) || has_line_break(kv.second))
                return false;
            out += kv.first + "=" + kv.second + "\r\n";
        }
        out += "\r\n";
    }
    for (const auto& l : lists) {
        if (has_line_break(l.first))
            return false;
        out += "[" + l.first + "]\r\n";
        for (const std::string& line : l.second) {
            if (has_line_break(line))
                return false;
            out += line + "\r\n";
        }
    }
    // A file with every write bit clear stays read-only, even for root.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        tk_log(3, "tk_profile::store: %s is read-only", path.c_str());
        return false;
    }
    // New files are private: a profile may hold the document password.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) {
        tk_log(3, "tk_profile::store: cannot open %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    int e = plat::write_all(fd, out);
    if (::close(fd) != 0 && !e)
        e = errno;
    if (e) {
        tk_log(3, "tk_profile::store: cannot write %s: %s", path.c_str(), std::strerror(e));
        return false;
    }
    return true;
}
