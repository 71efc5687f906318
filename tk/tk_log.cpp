#include "tk_log.h"

#include "tk_fname.h"
#include "tk_utils.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <vector>

namespace {

const char* const UNIT = "..\\TK/tk_log";

// A held line is written into memory first.
thread_local char* held_text = nullptr;
thread_local size_t held_size = 0;
const size_t MAX_PENDING = 1 << 22;

// Opens the log for appending; returns null when nothing is to be written at this level.
FILE* open_line(int level)
{
    tk_logger* lg = tk_logger::slot();
    if (!lg || !lg->enabled)
        return nullptr;
    if (!lg->held)
        lg->truncate_once();
    if (level < lg->threshold)
        return nullptr;
    FILE* f = lg->held ? open_memstream(&held_text, &held_size) : std::fopen(lg->file_name.c_str(), "ab");
    if (!f)
        return nullptr;
    if (lg->timestamps) {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        std::fprintf(f, "%02d:%02d:%02d ", tm.tm_hour, tm.tm_min, tm.tm_sec);
    }
    return f;
}

void close_line(FILE* f)
{
    tk_logger* lg = tk_logger::slot();
    if (lg->crlf)
        std::fputs("\r\n", f);
    std::fclose(f);
    if (held_text) {
        if (lg->pending.size() + held_size <= MAX_PENDING)
            lg->pending.append(held_text, held_size);
        std::free(held_text);
        held_text = nullptr;
    }
}

void put_utf8(std::string& out, unsigned long c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += "\xEF\xBF\xBD";
    }
}

} // namespace

void tk_log(int level, const char* fmt, ...)
{
    int saved = errno; // callers log between a failed call and the exception that reports it
    FILE* f = open_line(level);
    if (f) {
        va_list ap;
        va_start(ap, fmt);
        std::vfprintf(f, fmt, ap);
        va_end(ap);
        close_line(f);
    }
    errno = saved;
}

void tk_logw(int level, const wchar_t* fmt, ...)
{
    int saved = errno;
    FILE* f = open_line(level);
    if (f) {
        std::vector<wchar_t> buf(256);
        for (;;) {
            va_list ap;
            va_start(ap, fmt);
            int n = std::vswprintf(buf.data(), buf.size(), fmt, ap);
            va_end(ap);
            if (n >= 0 && size_t(n) < buf.size())
                break;
            if (buf.size() >= (1u << 24)) { // give up on absurd lines rather than loop
                buf[0] = 0;
                break;
            }
            buf.resize(buf.size() * 4);
        }
        std::string out;
        for (const wchar_t* p = buf.data(); *p; ++p)
            put_utf8(out, static_cast<unsigned long>(*p));
        std::fwrite(out.data(), 1, out.size(), f);
        close_line(f);
    }
    errno = saved;
}

std::string tk_logger::default_name()
{
    tk_file_name fn(tk_get_module_file_name());
    fn.set_ext(".log");
    return fn.make_path();
}

tk_logger::tk_logger(const char* name, bool en, int thr, bool ts)
{
    file_name = name ? std::string(name) : default_name();
    threshold = thr;
    timestamps = ts;
    enabled = en;
    truncate_once();
}

tk_logger::~tk_logger() = default;

void tk_logger::set_file(const char* name)
{
    tk_assert(name != nullptr, UNIT, 82);
    file_name = name;
}

void tk_logger::truncate_once()
{
    if (!enabled || truncated)
        return;
    truncated = true;
    if (FILE* f = std::fopen(file_name.c_str(), "wb"))
        std::fclose(f);
}

void tk_logger::release()
{
    if (!held)
        return;
    held = false;
    truncate_once();
    if (!enabled || pending.empty())
        return;
    if (FILE* f = std::fopen(file_name.c_str(), "ab")) {
        std::fwrite(pending.data(), 1, pending.size(), f);
        std::fclose(f);
    }
    pending.clear();
}

void tk_logger::drop()
{
    held = false;
    enabled = false;
    pending.clear();
}
