#pragma once
// Runs a program with arguments (no shell) and collects its output and exit status.
#include <string>
#include <vector>

struct prog_result {
    int status = -1; // exit status 0..255, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

prog_result run_prog(const std::string& path, const std::vector<std::string>& args,
                     const std::string& cwd = "");

// Path of the VLXRUN binary of this build.
std::string vlxrun_path();
