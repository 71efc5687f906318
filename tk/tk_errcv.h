#pragma once
// Maps an exception's code to a message chosen for it; empty when none.
#include <cstdint>
#include <map>
#include <string>

class tk_error_converter {
public:
    std::map<int32_t, std::string> messages;

    tk_error_converter();
    std::string convert(int32_t code) const;
};
