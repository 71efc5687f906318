#pragma once
// Text trimming and splitting; only the blank counts as space.
#include <string>
#include <vector>

std::string tk_trim_left(const std::string& s);
std::string tk_trim_right(const std::string& s);
std::string tk_trim(const std::string& s);

// Every piece counts, empty ones included; an empty text gives no pieces.
// The text ends at its first zero character.
std::vector<std::string> tk_split(const std::string& s, char sep);
