#include "e2e_util.h"

#include "vlx_testsupport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <algorithm>
#include <sstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

std::string proc_result::describe() const
{
    std::string s = "status " + std::to_string(status);
    if (term_signal)
        s += ", signal " + std::to_string(term_signal);
    if (timed_out)
        s += ", timed out";
    s += "\n--- stdout (start) ---\n" + out.substr(0, 600);
    s += "\n--- stderr (start) ---\n" + err.substr(0, 2000);
    return s;
}

std::string find_program(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? name : "";
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string d;
    while (std::getline(dirs, d, ':')) {
        std::string p = (d.empty() ? "." : d) + "/" + name;
        if (::access(p.c_str(), X_OK) == 0)
            return p;
    }
    return "";
}

proc_result run_program(const std::vector<std::string>& argv_in, const spawn_opts& opts)
{
    proc_result r;
    std::string prog = find_program(argv_in.at(0));
    if (prog.empty()) {
        r.err = "program not found: " + argv_in[0];
        return r;
    }
    TempDir io;
    const std::string out = io / "out", err = io / "err";

    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e) {
        std::string kv = *e;
        std::string key = kv.substr(0, kv.find('='));
        if (!opts.env.count(key))
            env_text.push_back(kv);
    }
    for (const auto& kv : opts.env)
        env_text.push_back(kv.first + "=" + kv.second);
    std::vector<char*> envp;
    for (std::string& s : env_text)
        envp.push_back(&s[0]);
    envp.push_back(nullptr);

    std::vector<std::string> args = argv_in;
    args[0] = prog;
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!opts.cwd.empty())
        posix_spawn_file_actions_addchdir_np(&fa, opts.cwd.c_str());
    pid_t pid = 0;
    int rc = posix_spawn(&pid, prog.c_str(), &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        r.err = "posix_spawn failed: " + std::string(std::strerror(rc));
        return r;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(opts.timeout_s);
    int st = 0;
    for (;;) {
        pid_t w = ::waitpid(pid, &st, WNOHANG);
        if (w == pid)
            break;
        if (w < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &st, 0);
            r.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(st))
        r.status = WEXITSTATUS(st);
    else if (WIFSIGNALED(st))
        r.term_signal = WTERMSIG(st);
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

std::string vlxrun_path()
{
    const char* dir = std::getenv("VLX_BINARY_DIR");
    return std::string(dir && *dir ? dir : ".") + "/console/VLXRUN";
}

proc_result run_vlxrun(const std::vector<std::string>& args, const spawn_opts& opts)
{
    std::vector<std::string> argv{vlxrun_path()};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(argv, opts);
}

std::string slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void spit(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> list_dir(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TempDir::TempDir()
{
    const char* t = std::getenv("TMPDIR");
    std::string tmpl = std::string(t && *t ? t : "/tmp") + "/vlxe2e-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed: " + std::string(std::strerror(errno)));
    path_ = buf.data();
}

TempDir::~TempDir()
{
    ::nftw(
        path_.c_str(),
        [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

std::string swap_ext(const std::string& path, const std::string& outdir, const std::string& ext)
{
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return outdir + "/" + name + ext;
}

std::string lo_convert(const std::vector<std::string>& inputs, const std::string& fmt,
                       const std::string& outdir, const std::string& work)
{
    std::vector<std::string> argv{"timeout", "-k", "5", "60", "soffice",
                                  "-env:UserInstallation=file://" + work + "/lo", "--headless",
                                  "--convert-to", fmt, "--outdir", outdir};
    argv.insert(argv.end(), inputs.begin(), inputs.end());
    spawn_opts o;
    o.env["HOME"] = work;
    o.timeout_s = 90;
    proc_result r = run_program(argv, o);
    std::string why;
    if (r.status == 124 || r.timed_out)
        why += "soffice timed out; ";
    if (r.err.find("could not be loaded") != std::string::npos)
        why += "soffice: " + r.err + "; ";
    for (const std::string& in : inputs)
        if (!exists(swap_ext(in, outdir, "." + fmt)))
            why += "no " + fmt + " made from " + in + "; ";
    if (!why.empty())
        why += "\n" + r.describe();
    return why;
}

std::string pdf_text(const std::string& pdf, int page)
{
    std::vector<std::string> argv{"pdftotext", "-enc", "UTF-8"};
    if (page > 0)
        argv.insert(argv.end(), {"-f", std::to_string(page), "-l", std::to_string(page)});
    argv.insert(argv.end(), {pdf, "-"});
    proc_result r = run_program(argv);
    return r.status == 0 ? r.out : "";
}

int pdf_pages(const std::string& pdf)
{
    proc_result r = run_program({"pdfinfo", pdf});
    size_t at = r.out.find("\nPages:");
    return at == std::string::npos ? 0 : std::atoi(r.out.c_str() + at + 8);
}

std::string odt_content(const std::string& odt)
{
    proc_result r = run_program({"unzip", "-p", odt, "content.xml"});
    return r.status == 0 ? r.out : "";
}

size_t count_of(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size()))
        ++n;
    return n;
}

} // namespace e2e
