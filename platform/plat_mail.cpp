#include "plat_mail.h"

#include <cerrno>
#include <csignal>
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
    // The composer starts with the defaults of the signals a failed write raises, whatever this
    // process does with them.
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    ::posix_spawnattr_setsigdefault(&attr, &defaults);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, "xdg-email", nullptr, &attr, argv.data(), environ);
    ::posix_spawnattr_destroy(&attr);
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
