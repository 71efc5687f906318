#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstddef>
#include <fcntl.h>
#include <filesystem>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vlxtest {

int empty_input()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    ::close(fds[1]);
    return fds[0];
}

std::string command_output(const std::string& cmd, int* status, std::string* err)
{
    std::string out;
    if (status)
        *status = -1;
    if (err)
        err->clear();
    int outp[2], errp[2] = {-1, -1};
    if (pipe2(outp, O_CLOEXEC) != 0)
        return out;
    if (err && pipe2(errp, O_CLOEXEC) != 0) {
        ::close(outp[0]);
        ::close(outp[1]);
        return out;
    }
    const int in = empty_input();
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (in >= 0)
        posix_spawn_file_actions_adddup2(&fa, in, 0);
    posix_spawn_file_actions_adddup2(&fa, outp[1], 1);
    if (err)
        posix_spawn_file_actions_adddup2(&fa, errp[1], 2);
    const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, "/bin/sh", &fa, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&fa);
    for (int fd : {in, outp[1], errp[1]})
        if (fd >= 0)
            ::close(fd);
    // Both pipes are drained together: a child that fills one while the other is read never stalls.
    pollfd ends[2] = {{outp[0], POLLIN, 0}, {errp[0], POLLIN, 0}};
    std::string* sinks[2] = {&out, err};
    char buf[4096];
    for (int open = err ? 2 : 1; open > 0;) {
        if (poll(ends, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (ends[i].fd < 0 || !ends[i].revents)
                continue;
            const ssize_t n = ::read(ends[i].fd, buf, sizeof buf);
            if (n > 0)
                sinks[i]->append(buf, size_t(n));
            else if (n == 0 || errno != EINTR) {
                ::close(ends[i].fd);
                ends[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& e : ends)
        if (e.fd >= 0)
            ::close(e.fd);
    if (rc != 0)
        return out;
    int st = 0;
    while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    if (status)
        *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

std::string proc_result::describe() const
{
    return "status " + std::to_string(status) + "\n--- stdout (start) ---\n" + out.substr(0, 600) +
           "\n--- stderr (start) ---\n" + err.substr(0, 2000);
}

namespace {

// The shell command that runs argv in cwd with env added, its input empty and its error output in
// the folder io.
std::string shell_command(const std::vector<std::string>& argv, const std::string& cwd,
                          const std::map<std::string, std::string>& env, const TempDir& io)
{
    spit(io / "in", "");
    std::string cmd = (cwd.empty() ? "" : "cd '" + cwd + "' && ") + "env";
    for (const auto& kv : env)
        cmd += " '" + kv.first + "=" + kv.second + "'";
    for (const std::string& a : argv)
        cmd += " '" + a + "'";
    return cmd + " <'" + io / "in" + "' 2>'" + io / "err" + "'";
}

} // namespace

proc_result run_program(const std::vector<std::string>& argv, const std::string& cwd,
                        const std::map<std::string, std::string>& env)
{
    TempDir io("vlxio");
    proc_result r;
    r.out = command_output(shell_command(argv, cwd, env, io), &r.status);
    r.err = slurp(io / "err");
    return r;
}

namespace {

// Every later call nr of this process (and what it execs) gets action.
bool filter_call(long nr, unsigned action)
{
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, unsigned(nr), 0, 1),
        BPF_STMT(BPF_RET | BPF_K, action),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

} // namespace

bool trap_call(long nr)
{
    return filter_call(nr, SECCOMP_RET_TRAP);
}

proc_result run_program_failing_call(long nr, int err, const std::vector<std::string>& argv,
                                     const std::string& cwd, const std::map<std::string, std::string>& env)
{
    TempDir io("vlxio");
    const std::string cmd = shell_command(argv, cwd, env, io) + " >'" + io / "out" + "'";
    proc_result r;
    const pid_t pid = fork();
    if (pid == 0) {
        if (filter_call(nr, SECCOMP_RET_ERRNO | (unsigned(err) & SECCOMP_RET_DATA)))
            execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int st = 0;
    while (pid > 0 && waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    r.status = pid > 0 && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = slurp(io / "out");
    r.err = slurp(io / "err");
    return r;
}

OtherUser::OtherUser(const std::string& prog) : program(prog)
{
    uid = geteuid();
    gid = getegid();
    if (uid != 0) {
        ok = true;
        return;
    }
    other = true;
    uid = gid = 65534;
    prefix = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    std::string tmpl = "/tmp/vlxuserXXXXXX";
    if (!mkdtemp(tmpl.data())) {
        why = "no folder for the program's copy";
        return;
    }
    folder_ = tmpl;
    program = folder_ + "/" + std::filesystem::path(prog).filename().string();
    std::error_code ec;
    std::filesystem::copy_file(prog, program, ec);
    if (ec || chmod(folder_.c_str(), 0755) != 0 || chmod(program.c_str(), 0755) != 0) {
        why = "cannot copy " + prog + " to " + program;
        return;
    }
    // through env: setpriv itself may still find a program in a private folder
    std::vector<std::string> argv = prefix;
    argv.insert(argv.end(), {"env", program, "--help"});
    const proc_result r = run_program(argv, folder_);
    ok = r.status != 126 && r.status != 127 && r.err.rfind("setpriv:", 0) != 0 && !(r.out + r.err).empty();
    if (!ok)
        why = "nobody cannot run " + program + " through setpriv: " + r.describe();
}

OtherUser::~OtherUser()
{
    if (folder_.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

std::string vlxrun_path() { return VLX_BINARY_DIR "/console/VLXRUN"; }

const int reader_seconds = VLX_READER_SECONDS;

std::string lo_convert(const std::vector<std::string>& inputs, const std::string& fmt,
                       const std::string& outdir, const std::string& work)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!test || (std::string(test->test_suite_name()) + "." + test->name()).find("LibreOffice") == std::string::npos)
        return "only a test with LibreOffice in its name gets the reader's time from ctest";
    if (command_output("command -v soffice").empty())
        return "LibreOffice (soffice) is not installed: scripts/deps installs it";
    std::vector<std::string> argv{"timeout", "-k", "10", std::to_string(reader_seconds), "soffice",
                                  "-env:UserInstallation=file://" + work + "/lo", "--headless",
                                  "--convert-to", fmt, "--outdir", outdir};
    argv.insert(argv.end(), inputs.begin(), inputs.end());
    const auto start = std::chrono::steady_clock::now();
    proc_result r = run_program(argv, "", {{"HOME", work}});
    const auto took = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    // timeout(1) answers 124, or 137 when the reader also needed killing.
    if (r.status == 124 || (r.status == 137 && took.count() >= reader_seconds))
        return "LibreOffice did not finish within its time limit of " + std::to_string(reader_seconds) +
               " s: the reader's limit ran out, which says nothing about the document\n" + r.describe();
    std::string why;
    if (r.status != 0 || r.err.find("could not be loaded") != std::string::npos)
        why += "soffice failed; ";
    for (const std::string& in : inputs)
        if (!std::filesystem::exists(outdir + "/" + std::filesystem::path(in).stem().string() + "." + fmt))
            why += "no " + fmt + " made from " + in + "; ";
    return why.empty() ? why : why + "\n" + r.describe();
}

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
