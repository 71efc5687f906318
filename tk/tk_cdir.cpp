#include "tk_cdir.h"

#include "tk_log.h"
#include "tk_utils.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

tk_cur_dir_keeper::tk_cur_dir_keeper(const std::string& folder)
{
    std::string target = folder.empty() ? tk_get_module_dir() : folder;
    std::vector<char> buf(256);
    while (!::getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE || buf.size() > (1u << 20))
            return;
        buf.resize(buf.size() * 2);
    }
    saved = buf.data();
    ok = ::chdir(target.c_str()) == 0;
}

tk_cur_dir_keeper::~tk_cur_dir_keeper()
{
    if (ok)
        (void)::chdir(saved.c_str());
}
