// VLXRUN seen from outside: messages, exit statuses and the files it writes. What the document
// holds is checked in tests/e2e.
#include "console.h"
#include "scoped_env.h"
#include "tk_except.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

namespace {

class Vlxrun : public ::testing::Test {
protected:
    Vlxrun()
    {
        vlxtest::PdfWriter w;
        w.add_page().text(72, 700, "First page text");
        w.add_page().text(72, 700, "Second page text", "Times-Roman");
        w.save(src);
    }
    // Runs VLXRUN in the work folder with env added, after a command prefix, under a time limit: a
    // run that blocks is a failure, not a hung suite.
    vlxtest::proc_result run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {},
                             const std::vector<std::string>& prefix = {})
    {
        std::vector<std::string> argv = prefix;
        argv.insert(argv.end(), {"timeout", "-s", "KILL", "120", vlxtest::vlxrun_path()});
        argv.insert(argv.end(), args.begin(), args.end());
        return vlxtest::run_program(argv, dir.path, env);
    }
    vlxtest::TempDir dir{"vlxrun"};
    std::string src = dir / "report.pdf";
};

// A command prefix that runs VLXRUN as a user whom permission bits stop: none when this process is
// one, setpriv to nobody when root and that works; nothing otherwise.
bool unprivileged_prefix(std::vector<std::string>& prefix)
{
    if (geteuid() != 0) {
        prefix = {};
        return true;
    }
    prefix = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    std::vector<std::string> check = prefix;
    check.insert(check.end(), {"test", "-x", vlxtest::vlxrun_path()});
    return vlxtest::run_program(check).status == 0;
}

TEST(VlxrunUsage, TextIsExact)
{
    std::string u = usage_text();
    EXPECT_EQ(u.rfind("VLXRUN v4.1\nUsage: VLXRUN OPTIONS\n\n   --dest=", 0), 0u);
    EXPECT_NE(u.find("   1) The default mode is 'preserve text flow'. You can change it \n"), std::string::npos);
    const std::string last = "\n      quotes (for example --dest=\"/home/me/my documents/my report.doc\")";
    EXPECT_EQ(u.rfind(last), u.size() - last.size());
}

TEST_F(Vlxrun, FailuresExitWithTheirMessages)
{
    vlxtest::spit(dir / "junk.pdf", "this is not a PDF");
    vlxtest::spit(dir / "ro.doc", "keep");
    chmod((dir / "ro.doc").c_str(), 0444);
    ASSERT_EQ(mkfifo((dir / "fifo.vlx").c_str(), 0600), 0);
    ASSERT_TRUE(vlxtest::qpdf_encrypt(src, dir / "enc.pdf", vlxtest::Crypt::aes_128, "user", "owner"));
    ASSERT_TRUE(vlxtest::qpdf_encrypt(src, dir / "aes256.pdf", vlxtest::Crypt::aes_256, "user", "owner"));
    ASSERT_EQ(mkfifo((dir / "fifo.pdf").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", (dir / "socket.pdf").c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(symlink("report.pdf", (dir / "alias.pdf").c_str()), 0);
    ASSERT_EQ(symlink("lb.doc", (dir / "la.doc").c_str()), 0);
    ASSERT_EQ(symlink("la.doc", (dir / "lb.doc").c_str()), 0);
    vlxtest::spit(dir / "log-src.vlx", "[Generic settings]\r\nlogfile=" + dir.path + "/./alias.pdf\r\n");
    vlxtest::spit(dir / "log-self.vlx", "[Generic settings]\r\nlogfile=log-self.vlx\r\n");
    vlxtest::spit(dir / "keep.doc", "keep");
    // Root's 0644 FIFO to nobody; without root, one of ours that only its group may write.
    std::vector<std::string> as_user;
    const bool user_ok = unprivileged_prefix(as_user);
    ASSERT_EQ(mkfifo((dir / "ro-fifo.doc").c_str(), 0600), 0);
    ASSERT_EQ(chmod((dir / "ro-fifo.doc").c_str(), geteuid() == 0 ? 0644 : 0464), 0);
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(src.c_str(), 0644), 0);
    // refused whole: neither its log file nor its destination (standard output) is taken
    vlxtest::spit(dir / "refused.vlx", "[Generic settings]\r\ndest=-\r\nlogfile=refused.log\r\npages=zz\r\n");
    const std::string source = vlxtest::slurp(src);
    const std::string usage = usage_text() + "\n", src_opt = "--src=" + src;
    const std::string no_src = "Source file does not exist.\nPlease verify the correct file name was given.\n";
    const std::string cannot_read = "Error:\nThe program cannot read PDF document. It might be corrupted or "
                                    "does not comply with Adobe PDF format.\n";
    const std::string log_clash =
        "Error:\nLogfile name should differ from the source, destination and profile names.\n";
    // {arguments, standard output, standard error, exit status, environment, run as a user}
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int status = 255;
        std::map<std::string, std::string> env{};
        bool unprivileged = false;
    } rows[] = {
        {{}, "", usage},
        {{"--help"}, "", usage},
        {{src_opt, "stray"}, "", usage},
        {{"--mode=3"}, "", usage},
        {{"--unknown"}, "", usage},
        {{"a", "b", "c", "d", "e", "f", "g", "h"}, "", usage},
        // seven options are the most a command line may hold
        {{src_opt, "--dest=seven.doc", "--pages=2", "--mode=2", "--tab", "--no_crlf", "--silent"}, "", "", 0},
        {{"--tab"}, "", "You should specify source file\n"},
        {{"--src=missing.pdf"}, "", no_src},
        // option errors come before the source is examined
        {{"--src=missing.pdf", "--pages=5-5"}, "Error:\nInvalid page range\n", ""},
        {{"--silent", "--src=missing.pdf", "--pages=5-5"}, "", ""},
        {{src_opt, "--profile=none.vlx"},
         "Error:\nProfile does not exist. Please verify the correct path/name was given.\n", ""},
        {{src_opt, "--profile=fifo.vlx"}, // refused at once, not read for ever
         "Error:\nProfile does not exist. Please verify the correct path/name was given.\n", ""},
        {{src_opt, "--profile=refused.vlx"}, "Error:\nInvalid page range\n", ""},
        {{"--src=junk.pdf"}, cannot_read, ""},
        {{"--src=fifo.pdf", "--dest=keep.doc"}, cannot_read, ""},
        {{"--src=socket.pdf", "--dest=keep.doc"}, cannot_read, ""},
        // the log file waits for the names given after the profile
        {{"--profile=log-src.vlx", src_opt, "--dest=keep.doc"}, log_clash, ""},
        {{"--profile=log-self.vlx", src_opt, "--dest=keep.doc"}, log_clash, ""},
        {{"--src=aes256.pdf", "--pswd=" + std::string(1000, 'x')}, "Error:\nIncorrect password\n", ""},
        {{src_opt, "--pages=5-9", "--dest=keep.doc"}, "Error:\nNone of the selected pages is in the document.\n", ""},
        // no temporary name: the system's own text
        {{src_opt, "--dest=keep.doc"}, "Error:\nNo such file or directory\n", "", 255, {{"TMPDIR", dir.path + "/none"}}},
        // the password is checked before the destination
        {{"--src=enc.pdf", "--pswd=wrong", "--dest=no/such/out.doc"}, "Error:\nIncorrect password\n", ""},
        {{src_opt, "--dest=" + dir.path}, "Error:\nDestination name should specify a file, not folder.\n", ""},
        {{src_opt, "--dest=no/such/out.doc"},
         "Error:\nDestination path does not exist. Please verify the correct path was given.\n", ""},
        {{src_opt, "--dest=ro.doc"}, "Error:\nDestination name specifies an existing read-only file.\n", ""},
        // refused unopened: opening a FIFO to write waits for a reader, and the run's time limit would end it
        {{src_opt, "--dest=ro-fifo.doc"}, "Error:\nDestination name specifies an existing read-only file.\n", "", 255,
         {}, true},
        // a loop of links leads to no file; replacing it would lose both links
        {{src_opt, "--dest=la.doc"}, "Error:\nCannot open destination file\n", ""},
        {{src_opt, "--dest=" + src}, "Error:\nDestination name should differ from the source name.\n", ""},
        // a source found in another letter case is the file every check sees
        {{"--src=REPORT.PDF", "--dest=report.pdf"}, "Error:\nDestination name should differ from the source name.\n", ""},
    };
    for (const auto& r : rows) {
        std::string named = "(none)";
        for (const std::string& a : r.args)
            named += " " + a.substr(0, 40);
        SCOPED_TRACE(named);
        if (r.unprivileged && !user_ok)
            continue; // root without a usable setpriv: no user whom the bits stop
        vlxtest::proc_result got = run(r.args, r.env, r.unprivileged ? as_user : std::vector<std::string>{});
        EXPECT_EQ(got.status, r.status);
        EXPECT_EQ(got.out, r.out);
        EXPECT_EQ(got.err, r.err);
    }
    close(sock);
    EXPECT_EQ(vlxtest::slurp(dir / "ro.doc"), "keep");
    EXPECT_NE(vlxtest::slurp(dir / "seven.doc").find("Second page text"), std::string::npos);
    EXPECT_EQ(vlxtest::slurp(dir / "keep.doc"), "keep");
    EXPECT_EQ(vlxtest::slurp(src), source);
    EXPECT_EQ(vlxtest::slurp(dir / "log-self.vlx"), "[Generic settings]\r\nlogfile=log-self.vlx\r\n");
    struct stat st;
    ASSERT_EQ(lstat((dir / "ro-fifo.doc").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    for (const char* name : {"la.doc", "lb.doc"}) {
        std::error_code ec;
        EXPECT_EQ(std::filesystem::read_symlink(dir / name, ec).string(), name[1] == 'a' ? "lb.doc" : "la.doc");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "refused.log"));
}

// A standard stream closed at start is no way to the source: the program opens none of the stream
// numbers for its files, so a name of the stream finds no file and is refused before anything is
// written.
TEST_F(Vlxrun, ClosedStandardStreamIsNeverTheDestination)
{
    const std::string source = vlxtest::slurp(src);
    const std::string refused = "Error:\nCannot open destination file\n";
    // {destination, redirection, the message on standard error (else on standard output)}
    const struct {
        const char* dest;
        const char* redirect;
        bool on_stderr;
    } rows[] = {
        {"/dev/stdout", ">&-", true},          {"/dev/fd/1", ">&-", true},  {"/proc/self/fd/1", ">&-", true},
        {"/proc/thread-self/fd/1", ">&-", true}, {"-", ">&-", true},       {"/dev/stderr", "2>&-", false},
        {"/dev/fd/2", "2>&-", false},          {"/proc/self/fd/2", "2>&-", false}, {"/dev/stdin", "<&-", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.dest) + " " + r.redirect);
        vlxtest::spit(dir / "src.pdf", source);
        const std::string script =
            std::string("timeout -s KILL 120 \"$0\" --src=src.pdf --dest=\"$1\" ") + r.redirect;
        const vlxtest::proc_result got =
            vlxtest::run_program({"sh", "-c", script, vlxtest::vlxrun_path(), r.dest}, dir.path);
        EXPECT_EQ(got.status, 255) << got.describe();
        EXPECT_EQ(r.on_stderr ? got.err : got.out, refused);
        EXPECT_EQ(r.on_stderr ? got.out : got.err, "");
        EXPECT_TRUE(vlxtest::slurp(dir / "src.pdf") == source) << "the source was changed";
        EXPECT_EQ(vlxtest::names_starting(dir.path, ""), (std::vector<std::string>{"report.pdf", "src.pdf"}));
    }
}

// Any name of the file open on standard output is standard output, as "-" is: the document goes
// through the stream as it was opened, and the program's own lines go to standard error.
TEST_F(Vlxrun, DestinationThatIsStandardOutputIsWrittenThroughIt)
{
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    ASSERT_EQ(plain.rfind("{\\rtf", 0), 0u);
    const std::string graphics_off = "Graphics is OFF\nGraphics is OFF\n"; // one line a page
    auto shell = [&](const std::string& script, const std::string& dest) {
        return vlxtest::run_program(
            {"sh", "-c", "v() { timeout -s KILL 120 \"$0\" \"$@\"; }; " + script, vlxtest::vlxrun_path(), dest},
            dir.path);
    };

    for (const char* dest : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        SCOPED_TRACE(dest);
        const vlxtest::proc_result r = shell("v --src=report.pdf --dest=\"$1\" --no_graph | cat >piped.doc", dest);
        EXPECT_EQ(r.status, 0) << r.describe();
        EXPECT_EQ(r.err, graphics_off);
        const std::string got = vlxtest::slurp(dir / "piped.doc");
        EXPECT_EQ(got.rfind("{\\rtf", 0), 0u) << got.substr(0, 100);
        EXPECT_EQ(got.find("Graphics is OFF"), std::string::npos);
    }

    // appended when the stream appends; the file is never replaced
    vlxtest::spit(dir / "app.doc", "old document\n");
    struct stat before, after;
    ASSERT_EQ(stat((dir / "app.doc").c_str(), &before), 0);
    vlxtest::proc_result r = shell("v --src=report.pdf --dest=\"$1\" >>app.doc", "/dev/stdout");
    EXPECT_EQ(r.status, 0) << r.describe();
    EXPECT_TRUE(vlxtest::slurp(dir / "app.doc") == "old document\n" + plain) << vlxtest::slurp(dir / "app.doc").substr(0, 100);
    ASSERT_EQ(stat((dir / "app.doc").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    // standard output redirected to the destination's own name
    vlxtest::spit(dir / "own.doc", "old document");
    ASSERT_EQ(stat((dir / "own.doc").c_str(), &before), 0);
    r = shell("v --src=report.pdf --dest=\"$1\" --no_graph >own.doc", "own.doc");
    EXPECT_EQ(r.status, 0) << r.describe();
    EXPECT_EQ(r.err, graphics_off);
    const std::string own = vlxtest::slurp(dir / "own.doc");
    EXPECT_EQ(own.rfind("{\\rtf", 0), 0u) << own.substr(0, 100);
    EXPECT_EQ(own.find("Graphics is OFF"), std::string::npos);
    ASSERT_EQ(stat((dir / "own.doc").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    // a profile's log file that is that stream would be emptied and mixed into the document
    vlxtest::spit(dir / "log.vlx", "[Generic settings]\r\nlogfile=out.log\r\n");
    vlxtest::spit(dir / "out.log", "keep");
    r = shell("v --profile=log.vlx --src=report.pdf --dest=\"$1\" >>out.log", "-");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Error:\nLogfile name should differ from the source, destination and profile names.\n");
    EXPECT_EQ(vlxtest::slurp(dir / "out.log"), "keep");

    EXPECT_EQ(vlxtest::names_starting(dir.path, "."), std::vector<std::string>{}) << "no temporary file is left";
}

// A profile of any size is read in the same little memory, its first line over the limit ending
// the run at once. Under AddressSanitizer, which reserves far more address space than any limit
// on it would let through, the limit is its own on mapped memory.
TEST_F(Vlxrun, HugeProfileEndsAtItsFirstLongLineUnderAMemoryLimit)
{
    std::map<std::string, std::string> env;
    std::vector<std::string> prefix;
#if defined(__SANITIZE_ADDRESS__)
    const char* asan = std::getenv("ASAN_OPTIONS");
    env["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":mmap_limit_mb=256";
#else
    prefix = {"prlimit", "--as=" + std::to_string(1LL << 30), "--"};
#endif
    const std::string head = "[Generic settings]\r\nmode=1\r\n";
    vlxtest::spit(dir / "small.vlx", head);
    const vlxtest::proc_result small = run({"--profile=small.vlx", "--src=" + src, "--dest=small.doc"}, env, prefix);
    EXPECT_EQ(small.status, 0) << "the limit lets an ordinary run through: " << small.describe();
    // 22 MB of short lines, each a key of its own: only the keys the settings read are kept
    std::string many = head;
    char line[16];
    for (int i = 0; i < 2000000; ++i)
        many.append(line, std::snprintf(line, sizeof line, "k%07d=v\n", i));
    vlxtest::spit(dir / "many.vlx", many);
    const vlxtest::proc_result short_lines =
        run({"--profile=many.vlx", "--src=" + src, "--dest=many.doc"}, env, prefix);
    EXPECT_EQ(short_lines.status, 0) << short_lines.describe();
    // sparse: a valid first line, then 4 GiB of NUL bytes without a line end
    for (long long size : {1LL << 30, (4LL << 30) + 1}) {
        SCOPED_TRACE(size);
        vlxtest::spit(dir / "huge.vlx", head);
        ASSERT_EQ(truncate((dir / "huge.vlx").c_str(), size), 0);
        const vlxtest::proc_result huge = run({"--profile=huge.vlx", "--src=" + src, "--dest=huge.doc"}, env, prefix);
        EXPECT_EQ(huge.status, 255) << huge.describe();
        EXPECT_EQ(huge.out, "Internal error: " + tk_mail_assertion::make_message("..\\TK/tk_prof", 109) + "\n");
        EXPECT_EQ(huge.err, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "huge.doc"));
}

TEST_F(Vlxrun, SignalDuringARunLeavesTheOldDocumentAndNoTemporaryFile)
{
    vlxtest::write_long_pdf(dir / "long.pdf");
    const std::string tmp = dir / "tmp";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    ASSERT_EQ(symlink("real.doc", (dir / "link.doc").c_str()), 0);
    // {destination, the file holding the old document, its text, signal}: every signal whose default
    // ends the process, the faults sent from outside included; behind a link the document too goes to
    // a temporary file, never into the linked file as it is written
    struct row_t {
        const char *dest, *holder, *old;
        int sig;
    };
    std::vector<row_t> rows;
    for (int sig : vlxtest::ending_signals())
        rows.push_back({"out.doc", "out.doc", "old document", sig});
    rows.push_back({"link.doc", "real.doc", "OLD DOCUMENT", SIGTERM});
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.dest) + " " + strsignal(row.sig));
        vlxtest::spit(dir / row.holder, row.old);
        const vlxtest::SignalledRun r = vlxtest::signal_while_writing(
            vlxtest::vlxrun_path(), {"--src=" + dir / "long.pdf", "--dest=" + dir / row.dest}, dir.path, tmp, row.sig);
        ASSERT_GT(r.pid, 0);
        ASSERT_TRUE(r.reaped);
        EXPECT_TRUE(r.seen) << "no page picture seen: " << vlxtest::slurp(dir / "stderr");
        EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == row.sig) << r.status;
        const std::string held = vlxtest::slurp(dir / row.holder);
        EXPECT_TRUE(held == row.old) << held.size() << " bytes: " << held.substr(0, 60);
        EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
        vlxtest::remove_names_starting(dir.path, ".vellix-"); // a row's leftovers would trip the next one
        vlxtest::remove_names_starting(tmp, "");
    }
    struct stat st;
    ASSERT_EQ(lstat((dir / "link.doc").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    // one the parent ignores stays ignored (nohup): the run goes on to its end
    const vlxtest::SignalledRun r = vlxtest::signal_while_writing(vlxtest::vlxrun_path(),
        {"--src=" + dir / "long.pdf", "--dest=" + dir / "out.doc"}, dir.path, tmp, SIGUSR1, {SIGUSR1});
    ASSERT_TRUE(r.reaped);
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.status;
    EXPECT_EQ(vlxtest::slurp(dir / "out.doc").rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
}

// A stack overflow ends the run by SIGSEGV all the same, its files removed by a handler that runs on
// an alternate stack. AddressSanitizer keeps one of its own unless told not to.
TEST_F(Vlxrun, StackOverflowLeavesNoTemporaryFile)
{
    const std::string tmp = dir / "tmp";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    std::map<std::string, std::string> env = {{"TMPDIR", tmp}};
#if defined(__SANITIZE_ADDRESS__)
    const char* asan = std::getenv("ASAN_OPTIONS");
    env["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":use_sigaltstack=0";
#endif
    const vlxtest::proc_result r =
        run({"--src=" + src, "--dest=out.doc"}, env, {"prlimit", "--stack=65536", "--core=0", "--"});
    EXPECT_EQ(r.status, 128 + SIGSEGV) << r.describe();
    EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
    EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
}

// A closed pipe and the file-size limit fail a write like any other cause: the run reports it and
// ends with -1, removing its temporary files and keeping the old document.
TEST_F(Vlxrun, WriteOntoAClosedPipeOrPastTheSizeLimitIsAnError)
{
    vlxtest::write_long_pdf(dir / "long.pdf", 20);
    const std::string tmp = dir / "tmp";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    vlxtest::spit(dir / "out.doc", "old document");
    // {script, what VLXRUN writes to err.txt}; its status goes to status.txt
    const struct {
        std::string script, message;
    } rows[] = {
        // the reader is gone long before the document's end: more than a pipe holds
        {"{ timeout -s KILL 120 \"$0\" --src=long.pdf --dest=- 2>err.txt; echo $? >status.txt; } | head -c 100 >head.txt",
         "Error:\nBroken pipe\n"},
        // 100 blocks of 512 bytes: the first page's picture goes past it
        {"ulimit -f 100; timeout -s KILL 120 \"$0\" --src=long.pdf --dest=out.doc >err.txt 2>&1; echo $? >status.txt",
         "Error:\nFile too large\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.script);
        const vlxtest::proc_result got =
            vlxtest::run_program({"sh", "-c", r.script, vlxtest::vlxrun_path()}, dir.path, {{"TMPDIR", tmp}});
        EXPECT_EQ(got.status, 0) << got.describe();
        EXPECT_EQ(vlxtest::slurp(dir / "status.txt"), "255\n");
        EXPECT_EQ(vlxtest::slurp(dir / "err.txt"), r.message);
        EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
        vlxtest::remove_names_starting(dir.path, ".vellix-");
        vlxtest::remove_names_starting(tmp, "");
    }
    EXPECT_EQ(vlxtest::slurp(dir / "head.txt").rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(vlxtest::slurp(dir / "out.doc"), "old document");
}

// A FIFO whose reader stops at its first end-of-file, as cat does, and a pipe as standard output get
// exactly the bytes of a plain file.
TEST_F(Vlxrun, FifoAndPipeDestinationsGetTheBytesOfAPlainFile)
{
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    ASSERT_EQ(plain.rfind("{\\rtf", 0), 0u);

    ASSERT_EQ(mkfifo((dir / "pipe.doc").c_str(), 0600), 0);
    const std::string reader_dir = dir / "reader";
    ASSERT_EQ(mkdir(reader_dir.c_str(), 0700), 0);
    const int cat = vlxtest::start_program("/bin/cat", {dir / "pipe.doc"}, reader_dir, reader_dir);
    ASSERT_GT(cat, 0);
    // cat waits in its open first: a check that opened and closed the FIFO would end it at once
    const std::string wchan = "/proc/" + std::to_string(cat) + "/wchan";
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (vlxtest::slurp(wchan) != "wait_for_partner" && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const vlxtest::proc_result fifo = run({"--src=report.pdf", "--dest=pipe.doc"});
    EXPECT_EQ(fifo.status, 0) << fifo.describe();
    // cat ends by itself once it has copied the last bytes
    int cat_status = 0;
    ASSERT_TRUE(vlxtest::wait_for_end(cat, 60, &cat_status)) << "cat did not end";
    EXPECT_TRUE(WIFEXITED(cat_status) && WEXITSTATUS(cat_status) == 0) << cat_status;
    const std::string got = vlxtest::slurp(reader_dir + "/stdout");
    EXPECT_TRUE(got == plain) << got.size() << " bytes, not " << plain.size();

    const vlxtest::proc_result piped = run({"--src=report.pdf", "--dest=/dev/stdout"});
    EXPECT_EQ(piped.status, 0) << piped.describe();
    EXPECT_TRUE(piped.out == plain) << piped.out.substr(0, 200);
}

// The tmpfs pages a file of n bytes takes.
size_t fs_pages(size_t n)
{
    return (n + 4095) / 4096;
}

size_t count_of(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

// Without room for the new document a run ends with the system's text, keeps the old document
// byte for byte and leaves no temporary file, and it ends at the page that found the disk full.
TEST_F(Vlxrun, FullFileSystemEndsTheRunWhereItFillsAndKeepsTheOldDocument)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs a small tmpfs, and mounting one needs root";
    const std::string tmp = dir / "tmp", no_space = "Error:\nNo space left on device\n";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    const size_t doc = fs_pages(plain.size());

    // In place: both names of a hard-linked "OLD" (one page), the temporary file beside them. The
    // copy needs doc - 1 pages more than the doc + 1 in use, so it fits from 2 x doc pages on.
    for (size_t pages : {2 * doc - 1, 2 * doc, 2 * doc + 1}) {
        SCOPED_TRACE(std::to_string(pages) + " pages for a document of " + std::to_string(doc));
        const bool fits = pages >= 2 * doc;
        vlxtest::TmpfsMount fs("vlxfull", pages * 4096);
        ASSERT_NE(fs.path, "") << fs.why_not;
        vlxtest::spit(fs / "a.doc", "OLD");
        ASSERT_EQ(link((fs / "a.doc").c_str(), (fs / "b.doc").c_str()), 0);
        const vlxtest::proc_result got = run({"--src=report.pdf", "--dest=" + fs / "a.doc"}, {{"TMPDIR", tmp}});
        EXPECT_EQ(got.status, fits ? 0 : 255);
        EXPECT_EQ(got.out + got.err, fits ? "" : no_space);
        const std::string want = fits ? plain : "OLD";
        EXPECT_TRUE(vlxtest::slurp(fs / "a.doc") == want) << vlxtest::slurp(fs / "a.doc").size() << " bytes";
        EXPECT_TRUE(vlxtest::slurp(fs / "b.doc") == want) << vlxtest::slurp(fs / "b.doc").size() << " bytes";
        EXPECT_EQ(vlxtest::names_starting(fs.path, ""), (std::vector<std::string>{"a.doc", "b.doc"}));
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
    }

    // Page by page: each page says "Graphics is OFF" before it is written. Room for a quarter of
    // the document: the run ends near there, not after the last page.
    const int count = 60;
    vlxtest::PdfWriter w;
    for (int i = 0; i < count; ++i) {
        vlxtest::PdfPage& p = w.add_page();
        for (int line = 0; line < 40; ++line)
            p.text(72, 740 - 16 * line, "Page " + std::to_string(i + 1) + ", line " + std::to_string(line + 1) +
                                            ": words enough to make the document long.");
    }
    w.save(dir / "long.pdf");
    ASSERT_EQ(run({"--src=long.pdf", "--dest=long.doc", "--no_graph"}).status, 0);
    const size_t long_size = vlxtest::slurp(dir / "long.doc").size();
    {
        vlxtest::TmpfsMount fs("vlxfull", (1 + fs_pages(long_size / 4)) * 4096);
        ASSERT_NE(fs.path, "") << fs.why_not;
        vlxtest::spit(fs / "out.doc", "OLD");
        const vlxtest::proc_result got =
            run({"--src=long.pdf", "--dest=" + fs / "out.doc", "--no_graph"}, {{"TMPDIR", tmp}});
        const size_t pages = count_of(got.out, "Graphics is OFF\n");
        EXPECT_EQ(got.status, 255);
        EXPECT_EQ(got.out.substr(got.out.size() - std::min(got.out.size(), no_space.size())), no_space);
        EXPECT_GE(pages, size_t(count / 4 - 3)) << got.out;
        EXPECT_LE(pages, size_t(count / 4 + 3)) << got.out;
        EXPECT_EQ(vlxtest::slurp(fs / "out.doc"), "OLD");
        EXPECT_EQ(vlxtest::names_starting(fs.path, ""), std::vector<std::string>{"out.doc"});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
    }

    // A page picture that does not fit the temporary folder.
    vlxtest::TmpfsMount small("vlxfull", 4 * 4096);
    ASSERT_NE(small.path, "") << small.why_not;
    vlxtest::spit(dir / "keep.doc", "OLD");
    const vlxtest::proc_result got = run({"--src=report.pdf", "--dest=keep.doc"}, {{"TMPDIR", small.path}});
    EXPECT_EQ(got.status, 255);
    EXPECT_EQ(got.out + got.err, no_space);
    EXPECT_EQ(vlxtest::slurp(dir / "keep.doc"), "OLD");
    EXPECT_EQ(vlxtest::names_starting(small.path, ""), std::vector<std::string>{});
    EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
}

// Runs that overwrite one hard-linked destination in place at the same time leave exactly one
// run's whole document, never one run's document with another's tail.
TEST_F(Vlxrun, RacingRunsOntoOneHardLinkedDestinationLeaveOneRunsWholeDocument)
{
    const int runs = 8, rounds = 20;
    // One page each, a noise picture of growing area: documents of 3 to 6 MB, so that the copies
    // take long enough to overlap.
    const int px = 240;
    std::vector<std::uint8_t> rgb(size_t(px) * px * 3);
    unsigned seed = 12345;
    for (std::uint8_t& b : rgb)
        b = std::uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
    std::vector<std::string> single;
    for (int i = 0; i < runs; ++i) {
        vlxtest::PdfWriter w;
        w.add_page().image(0, 0, 612.0 * (i + 5) / 12, 792, px, px, rgb);
        const std::string name = "s" + std::to_string(i);
        w.save(dir / (name + ".pdf"));
        const vlxtest::proc_result r = run({"--src=" + name + ".pdf", "--dest=" + name + ".doc"});
        ASSERT_EQ(r.status, 0) << r.describe();
        single.push_back(vlxtest::slurp(dir / (name + ".doc")));
        for (int j = 0; j < i; ++j)
            ASSERT_NE(single[size_t(j)].size(), single.back().size());
    }
    const std::string script = "pids=; for i in 7 6 5 4 3 2 1 0; do "
                               "timeout -s KILL 300 \"$0\" --src=s$i.pdf --dest=a.doc & pids=\"$pids $!\"; done; "
                               "s=0; for p in $pids; do wait $p || s=$?; done; exit $s";
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::remove((dir / "b.doc").c_str());
        vlxtest::spit(dir / "a.doc", "OLD");
        ASSERT_EQ(link((dir / "a.doc").c_str(), (dir / "b.doc").c_str()), 0);
        const vlxtest::proc_result r = vlxtest::run_program({"sh", "-c", script, vlxtest::vlxrun_path()}, dir.path);
        EXPECT_EQ(r.status, 0) << r.describe();
        const std::string got = vlxtest::slurp(dir / "a.doc");
        EXPECT_TRUE(std::find(single.begin(), single.end(), got) != single.end()) << got.size() << " bytes";
        EXPECT_TRUE(vlxtest::slurp(dir / "b.doc") == got);
        EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
    }
}

TEST_F(Vlxrun, WritableFileInAFolderClosedToNewFilesIsOverwrittenInPlace)
{
    std::vector<std::string> as_user;
    if (!unprivileged_prefix(as_user))
        GTEST_SKIP() << "running as root and no unprivileged user is usable through setpriv";
    const std::string tmp = dir / "tmp", closed = dir / "closed", dest = closed + "/out.doc";
    ASSERT_EQ(mkdir(tmp.c_str(), 0777), 0);
    ASSERT_EQ(mkdir(closed.c_str(), 0755), 0);
    vlxtest::spit(dest, "old document");
    ASSERT_EQ(chmod(dest.c_str(), 0666), 0);
    ASSERT_EQ(chmod(tmp.c_str(), 0777), 0);
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(src.c_str(), 0644), 0);
    ASSERT_EQ(chmod(closed.c_str(), geteuid() == 0 ? 0755 : 0555), 0); // root owns it: closed to nobody
    struct stat before;
    ASSERT_EQ(stat(dest.c_str(), &before), 0);

    vlxtest::proc_result r = run({"--src=report.pdf", "--dest=" + dest}, {{"TMPDIR", tmp}}, as_user);
    chmod(closed.c_str(), 0755);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(vlxtest::slurp(dest).rfind("{\\rtf", 0), 0u);
    struct stat after;
    ASSERT_EQ(stat(dest.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(vlxtest::mode_of(dest), 0666u);
    EXPECT_EQ(vlxtest::names_starting(closed, ""), std::vector<std::string>{"out.doc"});
    EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
}

TEST_F(Vlxrun, ProfileLogFileGetsTheLinesFromBeforeTheNamesWereKnown)
{
    vlxtest::spit(dir / "log.vlx", "[Generic settings]\r\nlogfile=run.log\r\n");
    vlxtest::spit(dir / "run.log", "old lines");
    vlxtest::proc_result r = run({"--profile=log.vlx", "--src=report.pdf", "--pages=5-5"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(vlxtest::slurp(dir / "run.log"), "Error:\nInvalid page range\r\n");
    r = run({"--profile=log.vlx", "--src=report.pdf"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(vlxtest::slurp(dir / "run.log").find("src=[report.pdf]"), std::string::npos);
}

TEST_F(Vlxrun, DefaultDestinationIsTheSourceWithDoc)
{
    vlxtest::proc_result r = run({"--src=report.pdf"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out + r.err, "");
    std::string rtf = vlxtest::slurp(dir / "report.doc");
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_TRUE(vlxtest::rtf_braces_ok(rtf));
    ASSERT_EQ(std::remove((dir / "report.doc").c_str()), 0);
    r = run({"--src=Report.pdf"}); // found as report.pdf
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(vlxtest::slurp(dir / "report.doc").rfind("{\\rtf", 0), 0u);
}

} // namespace
