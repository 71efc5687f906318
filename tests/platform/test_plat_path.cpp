// The file stand-ins' safety edges and the temporary files' removal on a signal; paths, mail,
// versions and the rest are exercised through the toolkit's tests.
#include "plat_file.h"
#include "plat_mail.h"
#include "plat_stdfd.h"
#include "plat_stream.h"
#include "plat_tmpreg.h"

#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <gtest/gtest.h>

using vlxtest::TempDir;

TEST(Files, AtomicWriteReplacesSymlinksAndSetsTheMode)
{
    TempDir dir;
    vlxtest::spit(dir / "target", "keep");
    ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "f").c_str()), 0);
    EXPECT_EQ(plat::write_file_atomic(dir / "f", "new", 0600), 0);
    EXPECT_EQ(vlxtest::slurp(dir / "target"), "keep");
    EXPECT_EQ(vlxtest::slurp(dir / "f"), "new");
    EXPECT_EQ(vlxtest::mode_of(dir / "f"), 0600u);
    EXPECT_EQ(plat::write_file_atomic(dir / "none/f", "x", 0600), ENOENT);
}

// An ACL that cannot go onto the new file leaves the owning group the rights the ACL gave it, never
// the mask's; attributes that go over leave the mode as it was. A pipe takes no attributes.
TEST(Files, AttributesThatCannotBeCopiedGiveNoOneMoreAccess)
{
    TempDir dir;
    int p[2];
    ASSERT_EQ(pipe2(p, O_CLOEXEC), 0);
    const unsigned NO = vlxtest::ACL_NO_ID;
    // {the owning group's entry, the mask, the mode the copy gives}
    const struct {
        unsigned group, mask, mode;
    } rows[] = {{4, 6, 0640}, {6, 4, 0640}, {6, 6, 0660}, {6, 0, 0600}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.group) + " " + std::to_string(r.mask));
        const std::string f = dir / "f", copy = dir / "copy";
        vlxtest::spit(f, "x");
        const std::string acl = vlxtest::acl_value({{ACL_USER_OBJ, 6, NO}, {ACL_USER, 6, 65534},
                                                    {ACL_GROUP_OBJ, r.group, NO}, {ACL_MASK, r.mask, NO},
                                                    {ACL_OTHER, 0, NO}});
        ASSERT_EQ(lsetxattr(f.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0)
            << "the test folder's file system keeps no ACL: " << std::strerror(errno);
        const mode_t mode = 0600 | r.mask << 3;
        ASSERT_EQ(vlxtest::mode_of(f), unsigned(mode));
        EXPECT_EQ(plat::copy_attributes(f, p[1], mode), r.mode);
        vlxtest::spit(copy, "");
        const int fd = open(copy.c_str(), O_RDWR | O_CLOEXEC);
        EXPECT_EQ(plat::copy_attributes(f, fd, mode), mode);
        close(fd);
        EXPECT_TRUE(vlxtest::xattr_of(copy, "system.posix_acl_access") == acl);
    }
    // nothing to copy: no attributes, no file
    vlxtest::spit(dir / "plain", "x");
    EXPECT_EQ(plat::copy_attributes(dir / "plain", p[1], 0664), 0664u);
    EXPECT_EQ(plat::copy_attributes(dir / "none", p[1], 0664), 0664u);
    EXPECT_EQ(plat::copy_attributes(dir / "plain/none", p[1], 0664), 0664u);
    // attributes that cannot be listed may hold an ACL
    ASSERT_EQ(symlink("loop", (dir / "loop").c_str()), 0);
    EXPECT_EQ(plat::copy_attributes(dir / "loop/f", p[1], 0664), 0604u);
    close(p[0]);
    close(p[1]);
}

TEST(Files, ReadFileLimits)
{
    TempDir dir;
    std::string data;
    vlxtest::spit(dir / "f", "12345");
    EXPECT_EQ(plat::read_file(dir / "f", data, 5), 0);
    EXPECT_EQ(data, "12345");
    EXPECT_EQ(plat::read_file(dir / "f", data, 4), EFBIG);
    EXPECT_EQ(plat::read_file(dir.path, data, 10), EISDIR);
}

// A write that fails in the checked stream takes nothing from the caller's buffer, nor past it.
TEST(Files, FailedWriteIntoACheckedStreamTakesNothing)
{
    TempDir dir;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        int err = 0;
        FILE* f = plat::open_checked_stream(dir / "f", "w", &err);
        const std::string data(16384, 'x');
        const size_t n = f ? std::fwrite(data.data(), 1, data.size(), f) : 99;
        vlxtest::spit(dir / "got", std::to_string(n) + " " + std::to_string(f && std::ferror(f)) + " " + strerror(err));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(vlxtest::slurp(dir / "got"), "0 1 File too large");
}

// Only this process's own descriptors 0 to 2 are standard streams, however the name leads there.
TEST(Files, StandardStreamNames)
{
    TempDir dir;
    ASSERT_EQ(symlink("/dev/stdout", (dir / "out").c_str()), 0);
    ASSERT_EQ(symlink("/proc", (dir / "proc").c_str()), 0);
    // relative texts are taken from the link's folder
    ASSERT_EQ(symlink("proc/self/fd/2", (dir / "rel").c_str()), 0);
    ASSERT_EQ(symlink("self/fd/2", (dir / "stray").c_str()), 0);
    const struct {
        std::string name;
        int fd;
    } rows[] = {
        {"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}, {"/dev/fd/1", 1}, {"/dev/fd/./2", 2},
        {"/proc/self/fd/0", 0}, {"/proc/thread-self/fd/1", 1}, {"/proc/" + std::to_string(getpid()) + "/fd/2", 2},
        {dir / "out", 1}, {dir / "proc/self/fd/1", 1}, {dir / "rel", 2}, {dir / "stray", -1},
        {"/proc/self/fd/3", -1}, {"/proc/self/fd/01", -1}, {"/proc/1/fd/1", -1}, {"/dev/null", -1},
        {dir / "none", -1}, {"", -1},
    };
    for (const auto& r : rows)
        EXPECT_EQ(plat::std_stream_named(r.name), r.fd) << r.name;

    // the file a descriptor holds, under any name
    vlxtest::spit(dir / "f", "x");
    ASSERT_EQ(link((dir / "f").c_str(), (dir / "g").c_str()), 0);
    int fd = ::open((dir / "f").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(plat::is_file_on_fd(dir / "g", fd));
    EXPECT_TRUE(plat::is_file_on_fd("/proc/self/fd/" + std::to_string(fd), fd));
    EXPECT_FALSE(plat::is_file_on_fd(dir / "out", fd));
    EXPECT_FALSE(plat::is_file_on_fd(dir / "none", fd));
    // any descriptor of this process, the numbers above 2 included
    const std::string n = std::to_string(fd);
    EXPECT_EQ(plat::fd_named("/dev/fd/" + n), fd);
    EXPECT_EQ(plat::fd_named("/proc/thread-self/fd/" + n), fd);
    EXPECT_EQ(plat::fd_named("/proc/self/fd/0" + n), -1);
    EXPECT_EQ(plat::fd_named(dir / "g"), -1);
    EXPECT_EQ(plat::std_stream_named("/dev/fd/" + n), -1);
    ::close(fd);
}

// Checks only ask about a FIFO: opening it would let a waiting reader or writer through, and closing
// it would then hand the reader an end-of-file before any data.
TEST(Files, ChecksNeverOpenAFifo)
{
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (int waiting : {O_RDONLY, O_WRONLY}) {
        SCOPED_TRACE(waiting == O_RDONLY ? "waiting reader" : "waiting writer");
        std::atomic<bool> through{false};
        std::atomic<pid_t> tid{0};
        std::thread peer([&] {
            tid = gettid();
            int fd = ::open(fifo.c_str(), waiting);
            through = true;
            if (fd >= 0)
                ::close(fd);
        });
        // the probes must come while the peer waits in its open
        for (int i = 0; i < 500 && vlxtest::slurp("/proc/self/task/" + std::to_string(tid) + "/wchan") != "wait_for_partner"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::string data;
        EXPECT_EQ(plat::read_file(fifo, data, 10), EINVAL);
        EXPECT_TRUE(plat::can_open_file(fifo, false));
        EXPECT_TRUE(plat::can_open_file(fifo, true));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(through);
        // the peer's partner, so it ends
        int fd = ::open(fifo.c_str(), (waiting == O_RDONLY ? O_WRONLY : O_RDONLY) | O_NONBLOCK);
        peer.join();
        if (fd >= 0)
            ::close(fd);
    }
}

// A signal taken by one thread while another has created a file but not yet recorded it: the file
// must still go (the wizard's run is on a worker thread; the signal goes to any thread).
TEST(TempFiles, SignalInAnotherThreadWaitsForTheFileBeingRecorded)
{
    TempDir dir;
    const std::string file = dir / "TMPpicture";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        plat::remove_temp_files_on_signals();
        std::atomic<bool> created{false};
        plat::temp_record record;
        std::thread worker([&] {
            plat::signal_hold hold;
            vlxtest::spit(file, "x");
            created = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            record.record(file);
        });
        while (!created)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::raise(SIGTERM); // taken here, in the thread that holds nothing
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_NE(::access(file.c_str(), F_OK), 0);
}

// The handlers cover every signal whose default ends the process, leave the rest and what the
// parent ignores, let the two a failed write raises pass, and a section holds only the signals that
// come from outside.
TEST(TempFiles, HandlersCoverEverySignalThatEndsTheProcess)
{
    TempDir dir;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // what this process inherited aside (a shell starts a background job with INT and QUIT ignored)
        for (int sig : vlxtest::ending_signals())
            std::signal(sig, SIG_DFL);
        std::signal(SIGUSR2, SIG_IGN); // as nohup leaves SIGHUP
        plat::remove_temp_files_on_signals();
        std::string wrong;
        auto disposition = [](int sig) {
            struct sigaction a {};
            sigaction(sig, nullptr, &a);
            return a.sa_handler == SIG_DFL ? "default" : a.sa_handler == SIG_IGN ? "ignored" : "caught";
        };
        auto expect = [&](int sig, const std::string& want, const std::string& got) {
            if (got != want)
                wrong += std::string(strsignal(sig)) + ": " + got + " (wanted: " + want + ")\n";
        };
        const std::vector<int> faults = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS};
        sigset_t held;
        {
            plat::signal_hold hold;
            pthread_sigmask(SIG_BLOCK, nullptr, &held);
        }
        for (int sig : vlxtest::ending_signals()) {
            expect(sig, sig == SIGUSR2 ? "ignored" : "caught", disposition(sig));
            const bool fault = std::find(faults.begin(), faults.end(), sig) != faults.end();
            expect(sig, fault ? "not held" : "held", sigismember(&held, sig) ? "held" : "not held");
        }
        for (int sig : {SIGPIPE, SIGXFSZ}) // caught, not ignored: a program started from here gets the default
            expect(sig, "caught", disposition(sig));
        for (int sig : {SIGCHLD, SIGURG, SIGWINCH, SIGCONT, SIGTSTP, SIGTTIN, SIGTTOU})
            expect(sig, "default", disposition(sig));
        vlxtest::spit(dir / "wrong", wrong);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(vlxtest::slurp(dir / "wrong"), "");
}

// A program started from here, the mail composer, begins with the two signals a failed write raises
// at their defaults (an ignored signal would stay ignored through exec), also when this process
// ignores them itself, as a library may.
TEST(TempFiles, MailComposerStartsWithTheWriteFailureSignalsAtTheirDefaults)
{
    TempDir dir;
    for (bool ignored_here : {false, true}) {
        SCOPED_TRACE(ignored_here);
        const std::string folder = dir / (ignored_here ? "ignored" : "handled");
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        vlxtest::write_sigign_stand_in(folder, "xdg-email");
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setenv("PATH", (folder + ":" + std::getenv("PATH")).c_str(), 1);
            plat::remove_temp_files_on_signals();
            if (ignored_here) {
                std::signal(SIGPIPE, SIG_IGN);
                std::signal(SIGXFSZ, SIG_IGN);
            }
            _exit(plat::send_mail("someone@example.org", "subject", "body") == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(vlxtest::write_failures_ignored_by(folder, "xdg-email"), "");
    }
}

// A fault, or abort(), inside a section of the thread that holds it: the handler cannot wait for
// that section, so the files go and the process ends at once; a real fault still reaches the
// sanitizer's report where one is built in. A fault only sent waits for the section to end, so the
// file the section records goes too.
TEST(TempFiles, FaultInsideAHeldSectionEndsTheProcessAtOnce)
{
    TempDir dir;
    const std::string file = dir / "TMPpicture";
    enum how { real_fault, aborted, sent_fault };
    const struct {
        how what;
        int sig;
    } rows[] = {{real_fault, SIGSEGV}, {aborted, SIGABRT}, {sent_fault, SIGSEGV}, {sent_fault, SIGBUS}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.what) + " " + strsignal(r.sig));
        vlxtest::spit(file, "x");
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int err = ::open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(err, 2);
            plat::remove_temp_files_on_signals();
            plat::temp_record record;
            {
                plat::signal_hold hold;
                if (r.what == sent_fault)
                    ::raise(r.sig); // the file is made but not recorded yet
                record.record(file);
                if (r.what == aborted)
                    std::abort();
                if (r.what == real_fault) {
                    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
                    *static_cast<volatile int*>(page) = 1;
                }
            } // the sent fault ends it here
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        // a handler waiting for the section would give up only after 10 s
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_LT(took.count(), 9000);
        const std::string err = vlxtest::slurp(dir / "stderr");
        if (err.find("Sanitizer") == std::string::npos)
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == r.sig) << status << err;
        else
            EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_NE(::access(file.c_str(), F_OK), 0);
    }
}
