#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

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

std::string proc_result::describe() const
{
    return "status " + std::to_string(status) + "\n--- stdout (start) ---\n" + out.substr(0, 600) +
           "\n--- stderr (start) ---\n" + err.substr(0, 2000);
}

proc_result run_program(const std::vector<std::string>& argv, const std::string& cwd,
                        const std::map<std::string, std::string>& env)
{
    TempDir io("vlxio");
    spit(io / "in", "");
    std::string cmd = (cwd.empty() ? "" : "cd '" + cwd + "' && ") + "env";
    for (const auto& kv : env)
        cmd += " '" + kv.first + "=" + kv.second + "'";
    for (const std::string& a : argv)
        cmd += " '" + a + "'";
    proc_result r;
    r.out = command_output(cmd + " <'" + io / "in" + "' 2>'" + io / "err" + "'", &r.status);
    r.err = slurp(io / "err");
    return r;
}

std::string vlxrun_path() { return VLX_BINARY_DIR "/console/VLXRUN"; }

int start_program(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder, const std::string& tmpdir, const std::vector<int>& ignored)
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
    sigfillset(&sigs);
    sigemptyset(&none);
    // An ignored signal stays ignored across exec; this process ignores them only while it spawns.
    std::vector<struct sigaction> saved(ignored.size());
    for (size_t i = 0; i < ignored.size(); ++i) {
        sigdelset(&sigs, ignored[i]);
        struct sigaction ign {};
        ign.sa_handler = SIG_IGN;
        sigaction(ignored[i], &ign, &saved[i]);
    }
    posix_spawnattr_setsigdefault(&attr, &sigs);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, &attr, argv.data(), env.data()) != 0)
        pid = -1;
    for (size_t i = 0; i < ignored.size(); ++i)
        sigaction(ignored[i], &saved[i], nullptr);
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

void remove_names_starting(const std::string& folder, const std::string& prefix)
{
    for (const std::string& name : names_starting(folder, prefix))
        std::remove((folder + "/" + name).c_str());
}

void write_long_pdf(const std::string& path, int pages)
{
    PdfWriter w;
    for (int i = 0; i < pages; ++i)
        w.add_page().text(72, 700, "Page " + std::to_string(i + 1)).fill_rect(72, 100, 400, 500, {0.2, 0.4, 0.6});
    w.save(path);
}

std::vector<int> ending_signals()
{
    return {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGQUIT, SIGABRT, SIGTRAP,
            SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGSYS, SIGIO, SIGXCPU, SIGPWR, SIGSTKFLT, SIGRTMIN, SIGRTMAX};
}

bool wait_for_end(int pid, int seconds, int* status)
{
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < give_up) {
        pid_t ended = waitpid(pid, status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            return ended == pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGKILL);
    waitpid(pid, status, 0);
    return false;
}

void write_sigign_stand_in(const std::string& folder, const std::string& name)
{
    const std::string path = folder + "/" + name;
    spit(path, "#!/bin/sh\ngrep ^SigIgn: /proc/self/status >\"$0.part\" && mv \"$0.part\" \"$0.sigign\"\n");
    chmod(path.c_str(), 0700);
}

std::string write_failures_ignored_by(const std::string& folder, const std::string& name)
{
    const std::string file = folder + "/" + name + ".sigign";
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(file) && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!std::filesystem::exists(file))
        return "not run";
    const unsigned long long mask = std::stoull(slurp(file).substr(std::strlen("SigIgn:")), nullptr, 16);
    std::string ignored;
    for (int sig : {SIGPIPE, SIGXFSZ})
        if (mask & (1ULL << (sig - 1)))
            ignored += std::string(ignored.empty() ? "" : " ") + sigabbrev_np(sig);
    return ignored;
}

SignalledRun signal_while_writing(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& folder, const std::string& tmpdir, int sig,
                                  const std::vector<int>& ignored)
{
    // The faults end it with a core dump: none is written into the build folder.
    rlimit core{};
    if (getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur != 0) {
        core.rlim_cur = 0;
        setrlimit(RLIMIT_CORE, &core);
    }
    SignalledRun r;
    r.pid = start_program(program, args, folder, tmpdir, ignored);
    if (r.pid <= 0)
        return r;
    pid_t ended = 0;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!r.seen && !ended && std::chrono::steady_clock::now() < give_up) {
        r.seen = !names_starting(tmpdir, "TMP").empty() && !names_starting(folder, ".vellix-").empty();
        if (!r.seen) {
            ended = waitpid(r.pid, &r.status, WNOHANG);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (ended)
        r.reaped = true;
    else {
        kill(r.pid, sig);
        r.reaped = wait_for_end(r.pid, 120, &r.status);
    }
    return r;
}

}  // namespace vlxtest
