#include "plat_mail.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace plat {

int send_mail(const std::string& address, const std::string& subject, const std::string& body,
              int* exit_status)
{
    std::vector<std::string> args = {"xdg-email", "--utf8", "--subject", subject, "--body", body, address};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, "xdg-email", nullptr, nullptr, argv.data(), environ);
    if (rc != 0)
        return rc;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return errno;
    }
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (exit_status)
        *exit_status = code;
    return code == 0 ? 0 : -1;
}

} // namespace plat
