#pragma once
// The base of a file conversion job: source, destination and log-file names,
// kept in a settings profile.
#include "tk_threa.h"

#include <string>
#include <vector>

class tk_profile;

class tk_converter : public tk_thread_functor {
public:
    bool silent = false;
    std::string src;
    std::string dest;
    std::string logfile;
    // The profiles read so far, which the log file must not overwrite either.
    std::vector<std::string> profile_files;

    tk_converter();
    ~tk_converter() override = default;

    virtual void set_silent(bool flag);

    // Reads "src", "dest" and "logfile" of "Generic settings"; empty keys keep the fields. The
    // names are taken together or, when the log file is refused, none of them.
    bool load_profile(tk_profile& profile);
    // The names the profile gives: src and dest replaced by its non-empty ones, logfile its
    // own (empty when it names none), checked against those names and the profiles read.
    static void read_profile_names(const tk_profile& profile, std::string& src, std::string& dest,
                                   std::string& logfile, const std::vector<std::string>& profiles);
    // Writes all three keys, empty ones included.
    bool store_profile(tk_profile& profile);
    // Checks the name and hands it to the log-file object, which keeps its lines back until
    // start_logging: names given after the profile must be known before the file is emptied.
    void set_logfile(const std::string& name);
    // Once every name is known: refuses (level 1, logging then stays off and the lines kept back
    // are dropped) a log file that is the source, the destination, a profile read or one of
    // others; else the log file starts with the lines kept back. Nothing to do without one.
    void start_logging(const std::vector<std::string>& others = {});

private:
    std::vector<std::string> names_besides(const std::vector<std::string>& others) const;
};
