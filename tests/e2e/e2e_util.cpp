#include "e2e.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace e2e {

std::string proc_result::describe() const
{
    return "status " + std::to_string(status) + (term_signal ? ", signal " + std::to_string(term_signal) : "") +
           "\n--- stdout (start) ---\n" + out.substr(0, 600) + "\n--- stderr (start) ---\n" + err.substr(0, 2000);
}

proc_result run_program(const std::vector<std::string>& argv_in, const std::string& cwd,
                        const std::map<std::string, std::string>& env)
{
    TempDir io("vlxe2eio");
    std::vector<std::unique_ptr<vlxtest::EnvVar>> scoped; // the child inherits them
    for (const auto& kv : env)
        scoped.push_back(std::make_unique<vlxtest::EnvVar>(kv.first.c_str(), kv.second.c_str()));
    std::vector<std::string> args = argv_in;
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, (io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, (io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
    proc_result r;
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        r.err = "cannot start " + argv_in[0] + ": " + std::strerror(rc);
        return r;
    }
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(st))
        r.status = WEXITSTATUS(st);
    else if (WIFSIGNALED(st))
        r.term_signal = WTERMSIG(st);
    r.out = slurp(io / "out");
    r.err = slurp(io / "err");
    return r;
}

std::string vlxrun_path() { return VLX_BINARY_DIR "/console/VLXRUN"; }
bool exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> list_dir(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

size_t count_of(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size()))
        ++n;
    return n;
}

std::string swap_ext(const std::string& path, const std::string& outdir, const std::string& ext)
{
    return outdir + "/" + std::filesystem::path(path).stem().string() + ext;
}

std::string lo_convert(const std::vector<std::string>& inputs, const std::string& fmt,
                       const std::string& outdir, const std::string& work)
{
    std::vector<std::string> argv{"timeout", "-k", "5", "90", "soffice",
                                  "-env:UserInstallation=file://" + work + "/lo", "--headless",
                                  "--convert-to", fmt, "--outdir", outdir};
    argv.insert(argv.end(), inputs.begin(), inputs.end());
    proc_result r = run_program(argv, "", {{"HOME", work}});
    std::string why;
    if (r.status != 0 || r.err.find("could not be loaded") != std::string::npos)
        why += "soffice failed; ";
    for (const std::string& in : inputs)
        if (!exists(swap_ext(in, outdir, "." + fmt)))
            why += "no " + fmt + " made from " + in + "; ";
    return why.empty() ? why : why + "\n" + r.describe();
}

std::string pdf_text(const std::string& pdf, int page)
{
    std::string range = page > 0 ? "-f " + std::to_string(page) + " -l " + std::to_string(page) + " " : "";
    return vlxtest::command_output("pdftotext -enc UTF-8 " + range + "'" + pdf + "' - 2>/dev/null");
}

int pdf_pages(const std::string& pdf)
{
    return std::atoi(vlxtest::command_output("pdfinfo '" + pdf + "' | sed -n 's/^Pages: *//p'").c_str());
}

std::string odt_content(const std::string& odt)
{
    return vlxtest::command_output("unzip -p '" + odt + "' content.xml 2>/dev/null");
}

} // namespace e2e
