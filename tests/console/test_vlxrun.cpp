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
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <linux/fs.h>
#include <sstream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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
                             const std::vector<std::string>& prefix = {},
                             const std::string& program = vlxtest::vlxrun_path())
    {
        return vlxtest::run_program(command(args, prefix, program), dir.path, env);
    }
    vlxtest::proc_result run_as(const vlxtest::OtherUser& user, const std::vector<std::string>& args,
                                const std::map<std::string, std::string>& env = {})
    {
        return run(args, env, user.prefix, user.program);
    }
    // As run, where the file system has no fallocate.
    vlxtest::proc_result run_without_fallocate(const std::vector<std::string>& args,
                                               const std::map<std::string, std::string>& env = {},
                                               const std::vector<std::string>& prefix = {},
                                               const std::string& program = vlxtest::vlxrun_path())
    {
        return vlxtest::run_program_failing_call(SYS_fallocate, EOPNOTSUPP, command(args, prefix, program), dir.path,
                                                 env);
    }
    static std::vector<std::string> command(const std::vector<std::string>& args,
                                            const std::vector<std::string>& prefix, const std::string& program)
    {
        std::vector<std::string> argv = prefix;
        argv.insert(argv.end(), {"timeout", "-s", "KILL", "120", program});
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }
    vlxtest::TempDir dir{"vlxrun"};
    std::string src = dir / "report.pdf";
};

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
    // the same new file through a linked folder, and the destination made from the source
    ASSERT_EQ(mkdir((dir / "real").c_str(), 0700), 0);
    ASSERT_EQ(symlink("real", (dir / "link").c_str()), 0);
    vlxtest::spit(dir / "log-link.vlx", "[Generic settings]\r\nlogfile=" + dir / "link/out.doc" + "\r\n");
    vlxtest::spit(dir / "log-doc.vlx", "[Generic settings]\r\nlogfile=report.doc\r\n");
    vlxtest::spit(dir / "keep.doc", "keep");
    // Root's 0644 FIFO to nobody; without root, one of ours that only its group may write.
    vlxtest::OtherUser user;
    ASSERT_TRUE(user.ok) << user.why;
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
        {{"--profile=log-link.vlx", src_opt, "--dest=" + dir / "real/out.doc"}, log_clash, ""},
        {{"--profile=log-doc.vlx", src_opt}, log_clash, ""},
        {{"--src=aes256.pdf", "--pswd=" + std::string(1000, 'x')}, "Error:\nIncorrect password\n", ""},
        {{src_opt, "--pages=5-9", "--dest=keep.doc"}, "Error:\nNone of the selected pages is in the document.\n", ""},
        // no temporary name: the system's own text
        {{src_opt, "--dest=keep.doc"}, "Error:\nNo such file or directory\n", "", 255, {{"TMPDIR", dir.path + "/none"}}},
        // the password is checked before the destination
        {{"--src=enc.pdf", "--pswd=wrong", "--dest=no/such/out.doc"}, "Error:\nIncorrect password\n", ""},
        // with the document bound for standard output, whatever its name, messages keep off it
        {{"--src=enc.pdf", "--pswd=wrong", "--dest=/dev/stdout"}, "", "Error:\nIncorrect password\n"},
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
        vlxtest::proc_result got = r.unprivileged ? run_as(user, r.args, r.env) : run(r.args, r.env);
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
    EXPECT_FALSE(std::filesystem::exists(dir / "report.doc"));
    EXPECT_EQ(vlxtest::names_starting(dir / "real", ""), std::vector<std::string>{});
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

// Standard output opened on the source, under any of its names, is refused as a destination naming
// the source is, "-" included, before anything is written.
TEST_F(Vlxrun, StandardOutputOnTheSourceIsRefused)
{
    const std::string source = vlxtest::slurp(src);
    for (const char* script : {"v --src=s.pdf --dest=- 1<>s.pdf", "v --src=s.pdf --dest=- >>s.pdf",
                               "v --src=s.pdf --dest=- >>h.pdf", "v --src=/dev/stdin --dest=- <s.pdf 1<>s.pdf",
                               "v --src=s.pdf --dest=/dev/stdout >>s.pdf"}) {
        SCOPED_TRACE(script);
        std::remove((dir / "h.pdf").c_str());
        vlxtest::spit(dir / "s.pdf", source);
        ASSERT_EQ(link((dir / "s.pdf").c_str(), (dir / "h.pdf").c_str()), 0);
        const vlxtest::proc_result r = vlxtest::run_program(
            {"sh", "-c", std::string("v() { timeout -s KILL 120 \"$0\" \"$@\"; }; ") + script, vlxtest::vlxrun_path()},
            dir.path);
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, "Error:\nDestination name should differ from the source name.\n");
        EXPECT_TRUE(vlxtest::slurp(dir / "s.pdf") == source) << "the source was changed";
    }
    EXPECT_EQ(vlxtest::names_starting(dir.path, ""), (std::vector<std::string>{"h.pdf", "report.pdf", "s.pdf"}));
}

// A name of one of the run's own descriptors is written through it, not through the name its link
// shows: for a deleted file that is a new file "del.doc (deleted)", and the descriptor gets nothing.
TEST_F(Vlxrun, DestinationNamingADescriptorIsWrittenThroughIt)
{
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    for (const char* dest : {"/dev/fd/3", "/proc/self/fd/3", "/proc/thread-self/fd/3"}) {
        SCOPED_TRACE(dest);
        const vlxtest::proc_result r = vlxtest::run_program(
            {"sh", "-c",
             "exec 3<>del.doc; rm del.doc; timeout -s KILL 120 \"$0\" --src=report.pdf --dest=\"$1\"; s=$?; "
             "cat <&3 >got.doc; exit $s",
             vlxtest::vlxrun_path(), dest},
            dir.path);
        EXPECT_EQ(r.status, 0) << r.describe();
        EXPECT_TRUE(vlxtest::slurp(dir / "got.doc") == plain) << vlxtest::slurp(dir / "got.doc").substr(0, 100);
        EXPECT_EQ(vlxtest::names_starting(dir.path, ""),
                  (std::vector<std::string>{"got.doc", "plain.doc", "report.pdf"}));
        vlxtest::remove_names_starting(dir.path, "del.doc");
    }

    // A memfd, whose link shows "/memfd:NAME (deleted)": run as a user whom the root folder stops, so
    // a run that took that name makes no file there.
    vlxtest::OtherUser user;
    ASSERT_TRUE(user.ok) << user.why;
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(src.c_str(), 0644), 0);
    const int mem = memfd_create("vlx-dest", 0); // handed on to the run
    ASSERT_GE(mem, 0);
    const vlxtest::proc_result r = run_as(user, {"--src=report.pdf", "--dest=/dev/fd/" + std::to_string(mem)});
    EXPECT_EQ(r.status, 0) << r.describe();
    std::string got(plain.size() + 1, '\0');
    got.resize(size_t(std::max<ssize_t>(0, pread(mem, got.data(), got.size(), 0))));
    close(mem);
    EXPECT_TRUE(got == plain) << got.substr(0, 100);
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
    // copy needs doc - 1 pages more than the doc + 1 in use, so it fits from 2 x doc pages on; where
    // the file system has no fallocate too.
    const std::pair<size_t, bool> in_place[] = {
        {2 * doc - 1, false}, {2 * doc, false}, {2 * doc + 1, false}, {2 * doc - 1, true}, {2 * doc, true}};
    for (const auto& [pages, no_fallocate] : in_place) {
        SCOPED_TRACE(std::to_string(pages) + " pages for a document of " + std::to_string(doc) +
                     (no_fallocate ? ", no fallocate" : ""));
        const bool fits = pages >= 2 * doc;
        vlxtest::TmpfsMount fs("vlxfull", pages * 4096);
        ASSERT_NE(fs.path, "") << fs.why_not;
        vlxtest::spit(fs / "a.doc", "OLD");
        ASSERT_EQ(link((fs / "a.doc").c_str(), (fs / "b.doc").c_str()), 0);
        const std::vector<std::string> args = {"--src=report.pdf", "--dest=" + fs / "a.doc"};
        const vlxtest::proc_result got =
            no_fallocate ? run_without_fallocate(args, {{"TMPDIR", tmp}}) : run(args, {{"TMPDIR", tmp}});
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

// Waits (60 s at most) until /proc/locks lists the process waiting for a flock, true then, or until
// it ends, false then with its wait status.
bool waits_for_flock(int pid, int* status)
{
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < give_up) {
        std::istringstream locks(vlxtest::slurp("/proc/locks"));
        for (std::string line; std::getline(locks, line);) {
            // "1: -> FLOCK  ADVISORY  WRITE 31315 fe:00:10955390 0 EOF"
            std::istringstream words(line);
            std::string n, arrow, kind, advisory, how, holder;
            words >> n >> arrow >> kind >> advisory >> how >> holder;
            if (arrow == "->" && kind == "FLOCK" && holder == std::to_string(pid))
                return true;
        }
        if (waitpid(pid, status, WNOHANG) == pid)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Waits (seconds at most) for the process to end by itself; false when it has not, left running.
bool ends_within(int pid, int seconds, int* status)
{
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < give_up) {
        if (waitpid(pid, status, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// A run that overwrites a hard-linked document in place waits for the lock of another writer of it
// (here the test, holding it as a run in the middle of its copy would) before any byte changes; a
// signal during the wait ends the run by that signal, the old document whole and no temporary file
// left, and once the lock is let go the run puts its own whole document in place.
TEST_F(Vlxrun, InPlaceCopyWaitsForAnotherWritersLockAndASignalStillEndsIt)
{
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    const std::string tmp = dir / "tmp", dest = dir / "a.doc";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    vlxtest::spit(dest, "OLD");
    ASSERT_EQ(link(dest.c_str(), (dir / "b.doc").c_str()), 0);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, 0}) {
        SCOPED_TRACE(sig ? strsignal(sig) : "lock let go");
        vlxtest::spit(dest, "OLD");
        const int held = open(dest.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(held, 0);
        ASSERT_EQ(flock(held, LOCK_EX), 0);
        const int pid = vlxtest::start_program(vlxtest::vlxrun_path(), {"--src=" + src, "--dest=" + dest}, dir.path, tmp);
        ASSERT_GT(pid, 0);
        int status = 0;
        const bool waited = waits_for_flock(pid, &status);
        EXPECT_TRUE(waited) << "the run did not wait for the lock: " << vlxtest::slurp(dir / "stdout");
        EXPECT_EQ(vlxtest::slurp(dest), "OLD") << "written while another writer held the lock";
        bool ended = !waited;
        if (waited && sig) {
            ASSERT_EQ(kill(pid, sig), 0);
            ended = ends_within(pid, 30, &status);
            EXPECT_TRUE(ended) << "the signal did not end the wait";
        }
        close(held);
        if (!ended) {
            ASSERT_TRUE(vlxtest::wait_for_end(pid, 120, &status));
        }
        if (sig) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
            EXPECT_EQ(vlxtest::slurp(dest), "OLD");
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << vlxtest::slurp(dir / "stdout");
            EXPECT_TRUE(vlxtest::slurp(dest) == plain) << vlxtest::slurp(dest).size() << " bytes";
        }
        EXPECT_EQ(vlxtest::slurp(dir / "b.doc"), vlxtest::slurp(dest));
        EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
        vlxtest::remove_names_starting(dir.path, ".vellix-");
        vlxtest::remove_names_starting(tmp, "");
    }
}

// The in-place copy writes only into the file the run began with: a hard-linked destination swapped
// during the run for a link to another file or for another file, or removed, is refused as a
// destination that cannot be opened, and every file stays as it was.
TEST_F(Vlxrun, HardLinkedDestinationSwappedDuringTheRunIsRefused)
{
    vlxtest::write_long_pdf(dir / "long.pdf", 40);
    const std::string tmp = dir / "tmp", dest = dir / "a.doc";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    for (const std::string swapped_for : {"symbolic link", "hard link", "nothing"}) {
        SCOPED_TRACE(swapped_for);
        vlxtest::spit(dest, "OLD");
        ASSERT_EQ(link(dest.c_str(), (dir / "b.doc").c_str()), 0);
        vlxtest::spit(dir / "other.doc", "OTHER");
        const int pid =
            vlxtest::start_program(vlxtest::vlxrun_path(), {"--src=" + dir / "long.pdf", "--dest=" + dest}, dir.path, tmp);
        ASSERT_GT(pid, 0);
        // a page's picture is being written: the run checked its destination long ago
        int status = 0;
        bool seen = false, ended = false;
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!seen && !ended && std::chrono::steady_clock::now() < give_up) {
            seen = !vlxtest::names_starting(tmp, "TMP").empty();
            ended = !seen && waitpid(pid, &status, WNOHANG) == pid;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(seen) << "no page picture seen: " << vlxtest::slurp(dir / "stdout");
        const std::string swap = dir / "swap.doc";
        if (swapped_for == "nothing") {
            ASSERT_EQ(unlink(dest.c_str()), 0);
        } else {
            ASSERT_EQ(swapped_for[0] == 's' ? symlink("other.doc", swap.c_str())
                                            : link((dir / "other.doc").c_str(), swap.c_str()),
                      0);
            ASSERT_EQ(rename(swap.c_str(), dest.c_str()), 0);
        }
        ASSERT_TRUE(vlxtest::wait_for_end(pid, 120, &status));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255) << status;
        EXPECT_EQ(vlxtest::slurp(dir / "stdout"), "Error:\nCannot open destination file\n");
        EXPECT_EQ(vlxtest::slurp(dir / "other.doc"), "OTHER");
        EXPECT_EQ(vlxtest::slurp(dir / "b.doc"), "OLD");
        EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
        for (const char* name : {"a.doc", "b.doc", "other.doc"})
            std::remove((dir / name).c_str());
    }
}

// Sets or clears a folder's immutable flag (chattr +i); false where the file system or the user
// cannot.
bool set_immutable(const std::string& folder, bool on)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

// A writable file that cannot be replaced is overwritten in place: in a folder that takes no new
// file (by its mode, or an immutable one that refuses with EPERM), another user's file in a sticky
// folder, and a write-only hard-linked document where the file system has no fallocate. It keeps
// its inode, links, mode and owner, and no temporary file is left.
TEST_F(Vlxrun, WritableFileThatCannotBeReplacedIsOverwrittenInPlace)
{
    vlxtest::OtherUser user;
    ASSERT_TRUE(user.ok) << user.why;
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    const std::string tmp = dir / "tmp";
    ASSERT_EQ(mkdir(tmp.c_str(), 0777), 0);
    ASSERT_EQ(chmod(tmp.c_str(), 0777), 0);
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(src.c_str(), 0644), 0);
    const struct {
        const char* folder;
        mode_t folder_mode, file_mode;
        bool immutable, users_file, linked, no_fallocate, as_user;
    } rows[] = {
        // root owns it: closed to nobody; without root, closed to us by its mode
        {"closed", user.other ? 0755u : 0555u, 0666, false, false, false, false, true},
        {"immutable", 0755, 0644, true, false, false, false, false},
        {"sticky", 01777, 0622, false, false, false, false, true}, // nobody may only write it
        // the C library's stand-in for a missing fallocate reads the file
        {"open", 0777, 0200, false, true, true, true, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.folder);
        if ((r.immutable || r.folder_mode == 01777) && geteuid() != 0)
            continue; // only root may make a folder immutable, or a file another user's
        const std::string folder = dir / r.folder, dest = folder + "/out.doc";
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        vlxtest::spit(dest, std::string(100000, 'o')); // more blocks than one for the C library to look into
        if (r.linked) {
            ASSERT_EQ(link(dest.c_str(), (folder + "/link.doc").c_str()), 0);
        }
        if (r.users_file) {
            ASSERT_EQ(chown(dest.c_str(), user.uid, user.gid), 0);
        }
        ASSERT_EQ(chmod(dest.c_str(), r.file_mode), 0);
        ASSERT_EQ(chmod(folder.c_str(), r.folder_mode), 0);
        if (r.immutable && !set_immutable(folder, true)) {
            ADD_FAILURE() << "this file system cannot make a folder immutable";
            continue;
        }
        struct stat before;
        ASSERT_EQ(stat(dest.c_str(), &before), 0);
        const std::vector<std::string> args = {"--src=" + src, "--dest=" + dest};
        const std::vector<std::string> prefix = r.as_user ? user.prefix : std::vector<std::string>{};
        const std::string program = r.as_user ? user.program : vlxtest::vlxrun_path();
        const vlxtest::proc_result got = r.no_fallocate ? run_without_fallocate(args, {{"TMPDIR", tmp}}, prefix, program)
                                                        : run(args, {{"TMPDIR", tmp}}, prefix, program);
        if (r.immutable)
            set_immutable(folder, false);
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(got.status, 0) << got.describe();
        EXPECT_EQ(got.out + got.err, "");
        struct stat after;
        ASSERT_EQ(stat(dest.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_mode & 07777, r.file_mode);
        chmod(dest.c_str(), 0644); // readable for the checks without root
        EXPECT_TRUE(vlxtest::slurp(dest) == plain) << vlxtest::slurp(dest).substr(0, 60);
        const std::vector<std::string> names = {"link.doc", "out.doc"};
        EXPECT_EQ(vlxtest::names_starting(folder, ""), std::vector<std::string>(names.begin() + !r.linked, names.end()));
        EXPECT_EQ(vlxtest::slurp(folder + "/link.doc"), r.linked ? vlxtest::slurp(dest) : "");
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
    }
}

// A umask that clears the owner's write bit: every temporary file is written and read back through
// the descriptor that created it, and the new document gets the mode the umask leaves.
TEST_F(Vlxrun, UmaskThatClearsTheOwnersWriteBitStillConverts)
{
    vlxtest::OtherUser user;
    ASSERT_TRUE(user.ok) << user.why;
    std::vector<std::string> prefix = user.prefix;
    prefix.insert(prefix.end(), {"sh", "-c", "umask 0277 && exec \"$@\"", "sh"});
    const std::string tmp = dir / "tmp", out = dir / "out";
    for (const std::string& d : {tmp, out}) {
        ASSERT_EQ(mkdir(d.c_str(), 0777), 0);
        ASSERT_EQ(chmod(d.c_str(), 0777), 0);
    }
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(src.c_str(), 0644), 0);
    for (bool graphics : {false, true}) {
        SCOPED_TRACE(graphics ? "with graphics" : "--no_graph");
        const std::string dest = out + (graphics ? "/g.doc" : "/t.doc");
        std::vector<std::string> args = {"--src=report.pdf", "--dest=" + dest};
        if (!graphics)
            args.push_back("--no_graph");
        const vlxtest::proc_result r = run(args, {{"TMPDIR", tmp}}, prefix, user.program);
        EXPECT_EQ(r.status, 0) << r.describe();
        EXPECT_EQ(r.out + r.err, graphics ? "" : "Graphics is OFF\nGraphics is OFF\n");
        EXPECT_EQ(vlxtest::mode_of(dest), 0400u);
        EXPECT_EQ(vlxtest::slurp(dest).rfind("{\\rtf", 0), 0u);
    }
    EXPECT_EQ(vlxtest::names_starting(out, ""), (std::vector<std::string>{"g.doc", "t.doc"}));
    EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
}

// In a child process: as uid and gid, waits (two minutes at most) for a ".vellix-" file to appear in
// the folder in, an inotify descriptor, watches, and puts a link to target in its place. 0 when it did.
int swap_for_link(int in, const std::string& folder, const std::string& target, uid_t uid, gid_t gid)
{
    if (geteuid() != uid && (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 || setresuid(uid, uid, uid) != 0))
        return 2;
    alignas(inotify_event) char buf[4096];
    pollfd p{in, POLLIN, 0};
    while (poll(&p, 1, 120000) > 0) {
        const ssize_t n = read(in, buf, sizeof buf);
        for (const char* at = buf; n > 0 && at < buf + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + e->len;
            if (e->len && std::strncmp(e->name, ".vellix-", 8) == 0) {
                const std::string name = folder + "/" + e->name;
                return unlink(name.c_str()) == 0 && symlink(target.c_str(), name.c_str()) == 0 ? 0 : 3;
            }
        }
    }
    return 1;
}

// Root converting beside a PDF in a folder another user owns (without root, one of our own
// swaps): that user puts a link to a file of root's in place of the temporary document the moment
// it appears. Nothing is written, read, owned or opened up through the link, and the link is not put
// in the document's place.
TEST_F(Vlxrun, TemporaryDocumentSwappedForALinkChangesNoFileElsewhere)
{
    const bool root = geteuid() == 0;
    const uid_t uid = root ? 65534 : geteuid();
    const gid_t gid = root ? 65534 : getegid();
    const std::string home = dir / "home", tmp = dir / "tmp", victim = dir / "victim.txt", dest = home + "/long.doc";
    ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
    ASSERT_EQ(chown(home.c_str(), uid, gid), 0);
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    vlxtest::write_long_pdf(home + "/long.pdf", 40);
    vlxtest::spit(victim, "secret");
    ASSERT_EQ(chmod(victim.c_str(), 0600), 0);
    struct stat before;
    ASSERT_EQ(lstat(victim.c_str(), &before), 0);
    // {the old document's mode (0: none), a second hard link to it}: a plain one is replaced and the
    // run fails; a hard-linked one is overwritten in place from what the run wrote, not from the link
    const struct {
        unsigned old_mode;
        bool linked;
    } rows[] = {{0, false}, {0640, false}, {0640, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.old_mode) + (row.linked ? " hard-linked" : ""));
        std::remove(dest.c_str());
        std::remove((home + "/other.doc").c_str());
        if (row.old_mode) {
            vlxtest::spit(dest, "old");
            ASSERT_EQ(chown(dest.c_str(), uid, gid), 0);
            ASSERT_EQ(chmod(dest.c_str(), row.old_mode), 0);
        }
        if (row.linked)
            ASSERT_EQ(link(dest.c_str(), (home + "/other.doc").c_str()), 0);
        const int in = inotify_init1(IN_CLOEXEC);
        ASSERT_GE(in, 0);
        ASSERT_GE(inotify_add_watch(in, home.c_str(), IN_CREATE), 0);
        const pid_t swapper = fork();
        if (swapper == 0)
            _exit(swap_for_link(in, home, victim, uid, gid));
        close(in);
        ASSERT_GT(swapper, 0);
        const vlxtest::proc_result r = run({"--src=" + home + "/long.pdf"}, {{"TMPDIR", tmp}});
        int status = -1;
        ASSERT_TRUE(vlxtest::wait_for_end(swapper, 150, &status));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no swap: " << status;
        EXPECT_EQ(r.status, row.linked ? 0 : 255) << r.describe();
        EXPECT_EQ(r.out, row.linked ? "" : "Error:\nCannot open destination file\n");
        const std::string held = vlxtest::slurp(victim);
        EXPECT_TRUE(held == "secret") << "written through the link: " << held.substr(0, 40);
        struct stat after;
        ASSERT_EQ(lstat(victim.c_str(), &after), 0);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        struct stat st;
        const std::string doc = vlxtest::slurp(dest);
        if (row.linked) {
            EXPECT_EQ(doc.rfind("{\\rtf", 0), 0u) << "read through the link: " << doc.substr(0, 40);
            EXPECT_TRUE(vlxtest::slurp(home + "/other.doc") == doc);
        } else if (row.old_mode) {
            ASSERT_EQ(lstat(dest.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_TRUE(doc == "old") << doc.substr(0, 40);
        } else {
            EXPECT_NE(lstat(dest.c_str(), &st), 0) << "a document was put in place";
        }
        EXPECT_EQ(vlxtest::names_starting(home, "."), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
    }
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
