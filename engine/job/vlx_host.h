#pragma once
// What the run needs of the program that hosts it. The console has no host; the wizard starts
// its progress timer and shows failures that are not the system's own errors.
#include <string>

class vlx_run_host {
public:
    virtual ~vlx_run_host() = default;
    virtual void start_timer(int milliseconds) = 0;
    virtual void error(const std::string& text) = 0;
};
