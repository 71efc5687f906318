#include "vlx_testsupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vlxtest {

std::string command_output(const std::string& cmd, int* status)
{
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) {
        if (status)
            *status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int st = pclose(p);
    if (status)
        *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

int start_program(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder, const std::string& tmpdir)
{
    std::vector<std::string> argv_text = {program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    std::vector<std::string> env_text = {"TMPDIR=" + tmpdir};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0)
            env_text.push_back(*e);
    std::vector<char*> env;
    for (std::string& e : env_text)
        env.push_back(&e[0]);
    env.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, (folder + "/stdin").c_str(), O_RDONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&fa, 1, (folder + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, (folder + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t sigs, none;
    sigemptyset(&sigs);
    sigemptyset(&none);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&sigs, sig);
    posix_spawnattr_setsigdefault(&attr, &sigs);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, &attr, argv.data(), env.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    return pid;
}

std::vector<std::string> names_starting(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind(prefix, 0) == 0)
            names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vlxtest
