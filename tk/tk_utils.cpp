#include "tk_utils.h"

#include "plat_dll.h"
#include "plat_file.h"
#include "plat_mail.h"
#include "plat_path.h"
#include "tk_except.h"
#include "tk_fname.h"
#include "tk_log.h"

#include <cerrno>
#include <system_error>

namespace {
const char* const UNIT = "..\\TK/tk_utils";
void (*clipboard_writer)(const std::string&) = nullptr;
} // namespace

const char* const TK_SUPPORT_ADDRESS = "support@quorvane.example";

std::string tk_get_module_file_name()
{
    std::string path;
    tk_assert(plat::module_file_name(path), UNIT, 203);
    return path;
}

std::string tk_get_module_dir()
{
    return tk_file_name(tk_get_module_file_name()).get_dir();
}

std::string tk_get_temp_file_name(int& fd, plat::temp_record* record)
{
    tk_log(1, "tk_get_temp_file_name");
    std::string name;
    fd = plat::make_temp_file(name, record);
    if (fd < 0)
        throw tk_exception_ex(errno);
    tk_log(2, "tk_get_temp_file_name returns %s", name.c_str());
    return name;
}

std::string tk_get_user_home_path()
{
    tk_log(1, "tk_get_user_home_path");
    std::string docs = plat::documents_dir();
    if (docs.empty()) {
        tk_log(2, "CreateFile error: %08X", unsigned(ENOENT));
        return docs;
    }
    tk_log(1, "%s", docs.c_str());
    return docs;
}

bool tk_is_file_exist(const std::string& name, int mode)
{
    tk_log(1, "tk_is_file_exist(%s)", name.c_str());
    if (!plat::can_open_file(name, mode == TK_MODE_WRITE)) {
        tk_log(1, "File not exists!");
        return false;
    }
    return true;
}

bool tk_is_path_exist(const std::string& path)
{
    tk_log(1, "tk_is_path_exist(%s)", path.c_str());
    return plat::is_dir_accessible(path.empty() ? tk_get_module_dir() : path);
}

bool tk_is_same_file(const std::string& a, const std::string& b)
{
    return plat::same_file(a, b);
}

uint32_t get_dll_version(const char* library)
{
    tk_log(1, "get_dll_version(%s)", library ? library : "(null)");
    plat::dll_version_info info;
    switch (plat::dll_get_version(library, info)) {
    case plat::DLL_OK:
        return ((info.major & 0xFFFF) << 16) | (info.minor & 0xFFFF);
    case plat::DLL_NOT_LOADED:
        tk_log(1, "get_dll_version failed to load DLL");
        return 0;
    case plat::DLL_NO_FUNCTION:
        tk_log(1, "get_dll_version failed to obtain DllGetVersion");
        return 0;
    default:
        return 0;
    }
}

void tk_set_clipboard_writer(void (*writer)(const std::string& text))
{
    clipboard_writer = writer;
}

void tk_copy_to_clipboard1(const std::string& text)
{
    tk_log(2, "tk_copy_to_clipboard1(%s)", text.c_str());
    if (clipboard_writer)
        clipboard_writer(text);
}

void tk_send_bug(const std::string& title, const std::string& text)
{
    tk_log(2, "tk_send_bug(%s|%s)", title.c_str(), text.c_str());
    // The composer is a child process, so our current directory cannot change.
    int status = 0;
    int rc = plat::send_mail(TK_SUPPORT_ADDRESS, "Bug report on " + title, text, &status);
    if (rc == ENOENT)
        tk_log(2, "Failed to locate xdg-email");
    else if (rc > 0)
        tk_log(2, "Failed to start xdg-email: %s", std::generic_category().message(rc).c_str());
    else
        tk_log(2, "xdg-email returns %d", status);
}
