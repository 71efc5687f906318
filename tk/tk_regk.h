#pragma once
// One key of the settings store with typed value reads and writes.
// Results are the registry's codes, 0 for success.
#include "plat_reg.h"

#include <cstdint>
#include <string>

class tk_reg_key {
public:
    plat::hkey key = nullptr;
    std::string path;

    explicit tk_reg_key(const std::string& path);
    ~tk_reg_key();
    tk_reg_key(const tk_reg_key&) = delete;
    tk_reg_key& operator=(const tk_reg_key&) = delete;

    // Class, options, access and security are accepted for the callers' sake and unused.
    long create(plat::hkey parent, const char* subkey, const char* key_class = nullptr,
                uint32_t options = 0, uint32_t access = plat::KEY_ALL_ACCESS,
                void* security = nullptr, uint32_t* disposition = nullptr);
    long close();
    void release();

    long get_value(uint32_t& value, const char* name);
    long get_value(char* buffer, const char* name, uint32_t* size);
    long set_value(uint32_t value, const char* name);
    long set_value(const char* text, const char* name);

    bool exchange(const char* name, bool& flag, bool store);
    bool exchange(const char* name, std::string& text, bool store);
};
