#include "run_prog.h"

#include "vlx_testsupport.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string slurp(const std::string& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

} // namespace

std::string vlxrun_path()
{
    const char* dir = std::getenv("VLX_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/console/VLXRUN";
}

prog_result run_prog(const std::string& path, const std::vector<std::string>& args, const std::string& cwd)
{
    vlxtest::TempFile out(vlxtest::temp_path(".out")), err(vlxtest::temp_path(".err"));
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.path.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&fa, 2, err.path.c_str(), O_WRONLY | O_TRUNC, 0);
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    prog_result r;
    pid_t pid;
    if (posix_spawn(&pid, path.c_str(), &fa, nullptr, argv.data(), environ) == 0) {
        int st = 0;
        waitpid(pid, &st, 0);
        if (WIFEXITED(st))
            r.status = WEXITSTATUS(st);
    }
    posix_spawn_file_actions_destroy(&fa);
    r.out = slurp(out.path);
    r.err = slurp(err.path);
    return r;
}
