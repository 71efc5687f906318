#include "vlx_testsupport.h"

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vlxtest {

bool qpdf_encrypt(const std::string& in, const std::string& out, Crypt kind,
                  const std::string& user_pw, const std::string& owner_pw, std::string* log)
{
    std::vector<std::string> args = {"qpdf"};
    if (kind == Crypt::rc4_40)
        args.push_back("--allow-weak-crypto");
    args.insert(args.end(), {"--encrypt", user_pw, owner_pw});
    switch (kind) {
    case Crypt::rc4_40:
        args.push_back("40");
        break;
    case Crypt::aes_128:
        args.insert(args.end(), {"128", "--use-aes=y"});
        break;
    case Crypt::aes_256:
        args.push_back("256");
        // qpdf refuses an empty 256-bit owner password unless told it is meant
        if (owner_pw.empty())
            args.push_back("--allow-insecure");
        break;
    }
    args.insert(args.end(), {"--", in, out});

    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::string capture = temp_path(".log");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, capture.c_str(), O_WRONLY | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    const int in = empty_input();
    if (in >= 0)
        posix_spawn_file_actions_adddup2(&fa, in, 0);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "qpdf", &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (in >= 0)
        ::close(in);
    int status = -1;
    if (rc == 0)
        while (waitpid(pid, &status, 0) < 0) {
        }

    if (log) {
        log->clear();
        if (rc != 0)
            *log = "cannot start qpdf";
        if (FILE* f = std::fopen(capture.c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                log->append(buf, n);
            std::fclose(f);
        }
    }
    std::remove(capture.c_str());

    struct stat st {};
    // exit status 3 means "succeeded with warnings"
    const bool exited_ok = rc == 0 && WIFEXITED(status) &&
                           (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3);
    return exited_ok && ::stat(out.c_str(), &st) == 0 && st.st_size > 0;
}

}  // namespace vlxtest
