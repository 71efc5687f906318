#pragma once
// The console program: options, the fatal-message exit and the entry.
#include <string>

// Ends the program with an exit status once the entry has unwound and cleaned up.
struct console_exit {
    int status;
};

extern std::string opt_src;
extern std::string opt_dest;
extern std::string opt_pswd;

bool parse_cmd_line(int argc, char** argv);
std::string usage_text();
[[noreturn]] void cmd_fatal(const std::string& message);
int console_main(int argc, char** argv);
