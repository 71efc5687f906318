#include "tk_conv.h"

#include "tk_dest.h"
#include "tk_except.h"
#include "tk_fname.h"
#include "tk_log.h"
#include "tk_prof.h"
#include "tk_utils.h"

tk_converter::tk_converter()
{
    tk_log(2, "tk_converter::ctor");
}

void tk_converter::set_silent(bool flag)
{
    tk_log(1, "tk_converter::set_silent(%d)", flag ? 1 : 0);
    silent = flag;
}

bool tk_converter::load_profile(tk_profile& profile)
{
    tk_log(1, "tk_converter::load_profile");
    std::string s = src, d = dest, l;
    read_profile_names(profile, s, d, l, profile_files); // before anything is taken
    src = s;
    dest = d;
    if (!l.empty())
        set_logfile(l);
    return true;
}

namespace {

// Refuses, at level 1, a log-file name that is a read-only file, lies in no folder, or is one of names.
void check_logfile(const std::string& name, const std::vector<std::string>& names)
{
    if (tk_is_file_exist(name, TK_MODE_READ) && !tk_is_file_exist(name, TK_MODE_WRITE))
        throw tk_exception("Logfile name specifies an existing read-only file.", 1);
    if (!tk_is_path_exist(tk_file_name(name).get_dir()))
        throw tk_exception("Logfile path does not exist.\nPlease verify the correct path was given.", 1);
    common_check_logfile(name, names);
}

} // namespace

void tk_converter::read_profile_names(const tk_profile& profile, std::string& src, std::string& dest,
                                      std::string& logfile, const std::vector<std::string>& profiles)
{
    std::string v = profile.get_value(TK_GENERIC_SECTION, "src");
    if (!v.empty())
        src = v;
    v = profile.get_value(TK_GENERIC_SECTION, "dest");
    if (!v.empty())
        dest = v;
    logfile = profile.get_value(TK_GENERIC_SECTION, "logfile");
    if (logfile.empty())
        return;
    std::vector<std::string> names = {src, dest};
    names.insert(names.end(), profiles.begin(), profiles.end());
    check_logfile(logfile, names);
}

bool tk_converter::store_profile(tk_profile& profile)
{
    tk_log(2, "tk_converter::store_profile");
    profile.set_value(TK_GENERIC_SECTION, "src", src);
    profile.set_value(TK_GENERIC_SECTION, "dest", dest);
    profile.set_value(TK_GENERIC_SECTION, "logfile", logfile);
    return true;
}

void tk_converter::set_logfile(const std::string& name)
{
    tk_log(1, "tk_convertor::set_logfile(%s)", name.c_str());
    if (!name.empty())
        check_logfile(name, names_besides({}));
    logfile = name;
    if (logfile.empty())
        return;
    // A program without a log-file object (the wizard) keeps the name and logs nothing.
    tk_logger* lg = tk_logger::slot();
    if (!lg) {
        tk_log(2, "tk_convertor::set_logfile: no log-file object, name kept");
        return;
    }
    lg->set_file(logfile.c_str());
    lg->enabled = true;
    lg->held = true;
}

std::vector<std::string> tk_converter::names_besides(const std::vector<std::string>& others) const
{
    std::vector<std::string> names = others;
    names.push_back(src);
    names.push_back(dest);
    names.insert(names.end(), profile_files.begin(), profile_files.end());
    return names;
}

void tk_converter::start_logging(const std::vector<std::string>& others)
{
    tk_logger* lg = tk_logger::slot();
    if (logfile.empty() || !lg || !lg->held)
        return;
    try {
        common_check_logfile(logfile, names_besides(others));
    } catch (const tk_exception&) {
        lg->drop();
        throw;
    }
    lg->release();
}
