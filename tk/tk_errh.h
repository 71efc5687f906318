#pragma once
// The process's error reporter. Its fields are common; handle() has one body per program.
#include "tk_errcv.h"
#include "tk_except.h"
#include "tk_singl.h"

#include <map>
#include <string>

class error_handler : public tk_singleton<error_handler> {
public:
    std::string prefix;
    bool silent = false;
    std::map<int, int> help_topics; // error code to help topic
    tk_error_converter converter;

    error_handler();
    ~error_handler() override;

    // Reports e; returns only when the program may go on.
    void handle(const tk_exception& e, bool top_level);
};
