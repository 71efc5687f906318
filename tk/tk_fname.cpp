#include "tk_fname.h"

#include "plat_path.h"
#include "tk_except.h"
#include "tk_log.h"
#include "tk_utils.h"

namespace {
const char* const UNIT = "..\\TK/tk_fname";
}

tk_file_name::tk_file_name(const std::string& path)
{
    tk_log(1, "tk_file_name::ctor(%s)", path.c_str());
    parse(path.c_str());
}

tk_file_name::tk_file_name(const char* path)
{
    tk_log(1, "tk_file_name::ctor(%s)", path ? path : "(null)");
    parse(path);
}

void tk_file_name::parse(const char* path)
{
    tk_assert(path != nullptr, UNIT, 31);
    if (!*path) {
        plat::split_path(tk_get_module_file_name(), drive, dir, name, ext);
        name.clear();
        return;
    }
    std::string full;
    tk_assert(plat::full_path(path, full), UNIT, 39);
    plat::split_path(full, drive, dir, name, ext);
}

std::string tk_file_name::get_dir() const
{
    return drive + dir;
}

void tk_file_name::set_ext(const std::string& e)
{
    if (!e.empty() && e[0] != '.')
        ext = "." + e;
    else
        ext = e;
}

std::string tk_file_name::make_path() const
{
    return plat::make_path(drive, dir, name, ext);
}
