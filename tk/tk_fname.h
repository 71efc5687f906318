#pragma once
// A path split into its parts after conversion to a full path.
#include <string>

class tk_file_name {
public:
    std::string ext;   // with its leading ".", or empty
    std::string drive; // always empty here: paths have no drive
    std::string name;  // without extension
    std::string dir;   // with leading and trailing separators

    explicit tk_file_name(const std::string& path);
    explicit tk_file_name(const char* path);

    void parse(const char* path);
    std::string get_dir() const;
    void set_ext(const std::string& e);
    std::string make_path() const;
};
