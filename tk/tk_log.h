#pragma once
// The log writer and the process's one log-file object. Without an enabled object nothing is written.
#include "tk_singl.h"

#include <string>

// Levels: 1 trace, 2 information, 3 error.
void tk_log(int level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void tk_logw(int level, const wchar_t* fmt, ...);

class tk_logger : public tk_singleton<tk_logger> {
public:
    std::string file_name;
    int threshold = 3;
    bool crlf = true;
    bool enabled = false; // stays false until construction ends: building the name logs
    bool truncated = false;
    bool timestamps = false;
    // Lines kept back, file untouched, until the file is known to be safe to write.
    bool held = false;
    std::string pending;

    // A null name means the program's own path with the extension ".log".
    tk_logger(const char* name, bool enabled, int threshold, bool timestamps);
    ~tk_logger() override;

    void set_file(const char* name);
    void truncate_once();
    // Writes the lines kept back, after the truncation, and logs to the file from then on.
    void release();
    // Forgets the lines kept back and stops logging.
    void drop();
    static std::string default_name();
};
