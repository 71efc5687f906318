#include "plat_reg.h"

#include "plat_file.h"
#include "plat_path.h"

#include <cerrno>
#include <cstring>
#include <strings.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace plat {

struct reg_key {
    std::string file; // empty for the root
};

namespace {

// One value as the file holds it.
struct reg_value {
    std::string name;
    uint32_t type;
    std::string data; // DWORD: 4 native bytes; string: the text without its NUL
};

const size_t MAX_STORE = 1 << 20;
const char HEADER[] = "# Vellix settings: d:name=number or s:name=text, bytes escaped as %XX\n";

reg_key root_key;

long code_of(int err)
{
    switch (err) {
    case 0: return REG_OK;
    case ENOENT:
    case ENOTDIR: return REG_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return REG_DENIED;
    case ENOSPC:
    case EDQUOT: return REG_DISK_FULL;
    default: return REG_IO_FAILED;
    }
}

std::string escape(const std::string& s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c <= 0x20 || c >= 0x7F || c == '%' || c == '=' || c == '#') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool unescape(const std::string& s, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        int hi = hex_digit(s[i + 1]), lo = hex_digit(s[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool parse_dword(const std::string& s, uint32_t& v)
{
    if (s.empty() || s.size() > 10)
        return false;
    uint64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + uint64_t(c - '0');
    }
    if (n > 0xFFFFFFFFull)
        return false;
    v = uint32_t(n);
    return true;
}

// Lines that cannot be read are skipped, so one damaged line costs only its value.
std::vector<reg_value> parse(const std::string& text)
{
    std::vector<reg_value> vals;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find('\n', i);
        if (j == std::string::npos)
            j = text.size();
        std::string line = text.substr(i, j - i);
        i = j + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 3 || line[1] != ':' || (line[0] != 'd' && line[0] != 's'))
            continue;
        size_t eq = line.find('=', 2);
        if (eq == std::string::npos)
            continue;
        reg_value v;
        std::string raw;
        if (!unescape(line.substr(2, eq - 2), v.name) || !unescape(line.substr(eq + 1), raw))
            continue;
        if (line[0] == 'd') {
            uint32_t n;
            if (!parse_dword(raw, n))
                continue;
            v.type = REG_DWORD_TYPE;
            v.data.assign(reinterpret_cast<const char*>(&n), 4);
        } else {
            if (raw.find('\0') != std::string::npos)
                continue;
            v.type = REG_SZ_TYPE;
            v.data = raw;
        }
        bool dup = false;
        for (const reg_value& o : vals)
            dup = dup || o.name == v.name;
        if (!dup)
            vals.push_back(v);
    }
    return vals;
}

std::string serialize(const std::vector<reg_value>& vals)
{
    std::string out = HEADER;
    for (const reg_value& v : vals) {
        if (v.type == REG_DWORD_TYPE) {
            uint32_t n;
            std::memcpy(&n, v.data.data(), 4);
            out += "d:" + escape(v.name) + "=" + std::to_string(n) + "\n";
        } else {
            out += "s:" + escape(v.name) + "=" + escape(v.data) + "\n";
        }
    }
    return out;
}

long load(const reg_key* key, std::vector<reg_value>& vals)
{
    std::string text;
    int e = read_file(key->file, text, MAX_STORE);
    if (e == EFBIG)
        return REG_IO_FAILED;
    if (e)
        return code_of(e);
    vals = parse(text);
    return REG_OK;
}

// "Software\Quorvane\Vellix" -> "Quorvane/Vellix"; false for names that would
// leave the store's folder.
bool map_subkey(const char* subkey, std::string& rel)
{
    std::vector<std::string> parts;
    std::string s = subkey;
    size_t i = 0;
    while (i <= s.size()) {
        size_t j = s.find('\\', i);
        if (j == std::string::npos)
            j = s.size();
        parts.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    if (!parts.empty() && strcasecmp(parts[0].c_str(), "Software") == 0)
        parts.erase(parts.begin());
    if (parts.empty())
        return false;
    rel.clear();
    for (const std::string& p : parts) {
        if (p.empty() || p == "." || p == ".." || p.find('/') != std::string::npos)
            return false;
        rel += (rel.empty() ? "" : "/") + p;
    }
    return true;
}

} // namespace

hkey hkey_current_user()
{
    return &root_key;
}

long reg_create_key(hkey parent, const char* subkey, hkey* out, uint32_t* disposition)
{
    if (!parent || !out || !subkey)
        return REG_INVALID_PARAMETER;
    if (parent != &root_key)
        return REG_INVALID_PARAMETER; // keys are files: nothing nests below them
    std::string rel;
    if (!map_subkey(subkey, rel))
        return REG_INVALID_PARAMETER;
    std::string base = config_home();
    if (base.empty())
        return REG_NOT_FOUND;
    std::string file = base + "/" + rel;
    std::string drive, dir, name, ext;
    split_path(file, drive, dir, name, ext);
    if (int e = make_dirs(dir.substr(0, dir.size() - 1), 0700))
        return code_of(e);
    uint32_t disp = REG_OPENED_EXISTING_KEY;
    struct stat st;
    if (::stat(file.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return REG_DENIED;
    } else if (errno == ENOENT) {
        if (int e = write_file_atomic(file, HEADER, 0600))
            return code_of(e);
        disp = REG_CREATED_NEW_KEY;
    } else {
        return code_of(errno);
    }
    *out = new reg_key{file};
    if (disposition)
        *disposition = disp;
    return REG_OK;
}

long reg_close_key(hkey key)
{
    if (!key)
        return REG_INVALID_HANDLE;
    if (key != &root_key)
        delete key;
    return REG_OK;
}

long reg_query_value(hkey key, const char* name, uint32_t expected_type,
                     uint32_t* type, void* data, uint32_t* size)
{
    if (!key || key == &root_key || !name)
        return REG_INVALID_HANDLE;
    std::vector<reg_value> vals;
    if (long rc = load(key, vals))
        return rc;
    for (const reg_value& v : vals) {
        if (v.name != name)
            continue;
        uint32_t need = uint32_t(v.data.size() + (v.type == REG_SZ_TYPE ? 1 : 0));
        if (type)
            *type = v.type;
        if (v.type != expected_type) {
            if (size)
                *size = need;
            return v.type == REG_SZ_TYPE ? REG_MORE_DATA : REG_INVALID_DATA;
        }
        if (!data) {
            if (size)
                *size = need;
            return REG_OK;
        }
        if (!size)
            return REG_INVALID_PARAMETER;
        if (*size < need) {
            *size = need;
            return REG_MORE_DATA;
        }
        std::memcpy(data, v.data.data(), v.data.size());
        if (v.type == REG_SZ_TYPE)
            static_cast<char*>(data)[v.data.size()] = '\0';
        *size = need;
        return REG_OK;
    }
    return REG_NOT_FOUND;
}

long reg_set_value(hkey key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    if (!key || key == &root_key || !name || (!data && size))
        return REG_INVALID_HANDLE;
    reg_value nv{name, type, std::string()};
    const char* bytes = static_cast<const char*>(data);
    if (type == REG_DWORD_TYPE) {
        if (size != 4)
            return REG_INVALID_PARAMETER;
        nv.data.assign(bytes, 4);
    } else if (type == REG_SZ_TYPE) {
        size_t n = 0;
        while (n < size && bytes[n] != '\0')
            ++n;
        nv.data.assign(bytes ? bytes : "", n);
    } else {
        return REG_INVALID_PARAMETER;
    }
    std::vector<reg_value> vals;
    long rc = load(key, vals);
    if (rc == REG_NOT_FOUND)
        vals.clear(); // the file was removed since the key was opened: write it anew
    else if (rc)
        return rc;
    bool replaced = false;
    for (reg_value& v : vals) {
        if (v.name == nv.name) {
            v = nv;
            replaced = true;
        }
    }
    if (!replaced)
        vals.push_back(nv);
    return code_of(write_file_atomic(key->file, serialize(vals), 0600));
}

} // namespace plat
