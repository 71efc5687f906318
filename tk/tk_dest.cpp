#include "tk_dest.h"

#include "tk_except.h"
#include "tk_fname.h"
#include "tk_log.h"
#include "tk_utils.h"

const char TK_DEST_IS_SOURCE[] = "Destination name should differ from the source name.";

void common_check_dest(const std::string& dest, const std::string& src)
{
    tk_log(1, "common_check_dest(%s)", dest.c_str());
    if (tk_is_path_exist(dest))
        throw tk_exception("Destination name should specify a file, not folder.", 1);
    // Writing over the source would destroy it while the PDF library still reads it.
    if (tk_is_same_file(dest, src))
        throw tk_exception(TK_DEST_IS_SOURCE, 1);
    if (tk_is_file_exist(dest, TK_MODE_READ) && !tk_is_file_exist(dest, TK_MODE_WRITE))
        throw tk_exception("Destination name specifies an existing read-only file.", 1);
    if (!tk_is_path_exist(tk_file_name(dest).get_dir()))
        throw tk_exception("Destination path does not exist.\nPlease verify the correct path was given.", 1);
}

void common_check_logfile(const std::string& logfile, const std::vector<std::string>& names)
{
    tk_log(1, "common_check_logfile(%s)", logfile.c_str());
    // The log file is emptied when logging starts.
    for (const std::string& name : names)
        if (tk_is_same_file(logfile, name))
            throw tk_exception("Logfile name should differ from the source, destination and profile names.", 1);
}

std::string common_make_dest(const std::string& old_name, const std::string& name,
                             const std::string& ext, bool as_is)
{
    tk_log(1, "common_make_dest(%s,%s,%s,%d)", old_name.c_str(), name.c_str(), ext.c_str(),
           as_is ? 1 : 0);
    if (as_is)
        return name;
    tk_file_name fn(old_name);
    // Every name is made full, from the root, so any old name has the folder to keep.
    if (!old_name.empty()) {
        tk_log(1, "old_name - is a full qualified file name");
        fn.name = name;
        fn.set_ext(ext);
        return fn.make_path();
    }
    tk_file_name home(tk_get_user_home_path());
    home.name = name;
    home.set_ext(ext);
    return home.make_path();
}
