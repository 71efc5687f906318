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

    // A null name means the program's own path with the extension ".log".
    tk_logger(const char* name, bool enabled, int threshold, bool timestamps);
    ~tk_logger() override;

    void set_file(const char* name);
    void truncate_once();
    static std::string default_name();
};
