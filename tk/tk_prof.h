#pragma once
// A settings profile: named sections of key=value lines and bare-line lists,
// read from and written to a plain text file.
#include <map>
#include <string>
#include <vector>

// Orders names by unsigned bytes, a prefix before the longer name.
struct tk_byte_less {
    bool operator()(const std::string& a, const std::string& b) const;
};

class tk_profile {
public:
    using section_map = std::map<std::string, std::string, tk_byte_less>;

    std::map<std::string, section_map, tk_byte_less> sections;
    std::map<std::string, std::vector<std::string>, tk_byte_less> lists;

    tk_profile();

    void add_section(const std::string& name);
    // Keeps the value of a key that is already present.
    void set_value(const std::string& section, const std::string& key, const std::string& value);
    // Empty when the section or the key is missing.
    std::string get_value(const std::string& section, const std::string& key) const;

    // Merges the file into this profile; throws a level-1 tk_exception when it
    // does not exist or is no regular file (a FIFO would never end). False when
    // a key or bare line comes before any section.
    bool load(const std::string& path);
    // As load, but keeps only these keys of the generic section (each its first value) and no
    // lists, so that a file of any size is read in the same little memory.
    bool load(const std::string& path, const std::vector<std::string>& generic_keys);
    // Replaces the file. False when it cannot be written, or when a name, key,
    // value or list line holds a line break (it would read back differently).
    bool store(const std::string& path) const;

private:
    bool read(const std::string& path, const std::vector<std::string>* generic_keys);
};

extern const char* const TK_GENERIC_SECTION; // "Generic settings"
extern const char* const TK_PROFILE_MISSING;
