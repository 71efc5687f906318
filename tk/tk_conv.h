#pragma once
// The base of a file conversion job: source, destination and log-file names,
// kept in a settings profile.
#include "tk_threa.h"

#include <string>

class tk_profile;

class tk_converter : public tk_thread_functor {
public:
    bool silent = false;
    std::string src;
    std::string dest;
    std::string logfile;

    tk_converter();
    ~tk_converter() override = default;

    virtual void set_silent(bool flag);

    // Reads "src", "dest" and "logfile" of "Generic settings"; empty keys keep the fields.
    bool load_profile(tk_profile& profile);
    // Writes all three keys, empty ones included.
    bool store_profile(tk_profile& profile);
    // Checks the name and hands it to the log-file object, which starts writing.
    void set_logfile(const std::string& name);
};
