#pragma once
// The name a source document opens under: as given, else with its last component in lower case,
// then in upper case. The folders stay as given, so a retry never leaves the folder the user
// named; only a name that does not exist is retried, and only a regular file is taken.
#include <string>

// The first of the three names that opens for reading; the name as given when none does.
std::string pdf_openable_name(const std::string& file);
