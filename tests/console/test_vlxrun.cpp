// VLXRUN seen from outside: messages, exit statuses and the files it writes. What the document
// holds is checked in tests/e2e.
#include "console.h"
#include "scoped_env.h"
#include "tk_except.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

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
    vlxtest::spit(dir / "log-src.vlx", "[Generic settings]\r\nlogfile=" + dir.path + "/./alias.pdf\r\n");
    vlxtest::spit(dir / "log-self.vlx", "[Generic settings]\r\nlogfile=log-self.vlx\r\n");
    vlxtest::spit(dir / "keep.doc", "keep");
    // refused whole: neither its log file nor its destination (standard output) is taken
    vlxtest::spit(dir / "refused.vlx", "[Generic settings]\r\ndest=-\r\nlogfile=refused.log\r\npages=zz\r\n");
    const std::string source = vlxtest::slurp(src);
    const std::string usage = usage_text() + "\n", src_opt = "--src=" + src;
    const std::string no_src = "Source file does not exist.\nPlease verify the correct file name was given.\n";
    const std::string cannot_read = "Error:\nThe program cannot read PDF document. It might be corrupted or "
                                    "does not comply with Adobe PDF format.\n";
    const std::string log_clash =
        "Error:\nLogfile name should differ from the source, destination and profile names.\n";
    // {arguments, standard output, standard error, exit status, environment}
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int status = 255;
        std::map<std::string, std::string> env{};
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
        {{src_opt, "--dest=" + src}, "Error:\nDestination name should differ from the source name.\n", ""},
        // a source found in another letter case is the file every check sees
        {{"--src=REPORT.PDF", "--dest=report.pdf"}, "Error:\nDestination name should differ from the source name.\n", ""},
    };
    for (const auto& r : rows) {
        std::string named = "(none)";
        for (const std::string& a : r.args)
            named += " " + a.substr(0, 40);
        SCOPED_TRACE(named);
        vlxtest::proc_result got = run(r.args, r.env);
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
    EXPECT_FALSE(std::filesystem::exists(dir / "refused.log"));
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
    env["ASAN_OPTIONS"] = std::string(asan ? asan : "") + ":mmap_limit_mb=512";
#else
    prefix = {"prlimit", "--as=" + std::to_string(1LL << 30), "--"};
#endif
    const std::string head = "[Generic settings]\r\nmode=1\r\n";
    vlxtest::spit(dir / "small.vlx", head);
    const vlxtest::proc_result small = run({"--profile=small.vlx", "--src=" + src, "--dest=small.doc"}, env, prefix);
    EXPECT_EQ(small.status, 0) << "the limit lets an ordinary run through: " << small.describe();
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
    const std::string tmp = dir / "tmp", dest = dir / "out.doc";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        vlxtest::spit(dest, "old document");
        const vlxtest::SignalledRun r = vlxtest::signal_while_writing(
            vlxtest::vlxrun_path(), {"--src=" + dir / "long.pdf", "--dest=" + dest}, dir.path, tmp, sig);
        ASSERT_GT(r.pid, 0);
        ASSERT_TRUE(r.reaped);
        ASSERT_TRUE(r.seen) << "no page picture seen: " << vlxtest::slurp(dir / "stderr");
        EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == sig) << r.status;
        EXPECT_EQ(vlxtest::slurp(dest), "old document");
        EXPECT_EQ(vlxtest::names_starting(dir.path, ".vellix-"), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
    }
}

// A FIFO whose reader stops at its first end-of-file, as cat does, and a pipe as standard output get
// exactly the bytes of a plain file.
TEST_F(Vlxrun, FifoAndPipeDestinationsGetTheBytesOfAPlainFile)
{
    ASSERT_EQ(run({"--src=report.pdf", "--dest=plain.doc"}).status, 0);
    const std::string plain = vlxtest::slurp(dir / "plain.doc");
    ASSERT_EQ(plain.rfind("{\\rtf", 0), 0u);

    ASSERT_EQ(mkfifo((dir / "pipe.doc").c_str(), 0600), 0);
    // cat waits in its open first: a check that opened and closed the FIFO would end it at once
    const std::string script =
        "cat pipe.doc >got.doc & r=$!; i=0; "
        "while [ \"$(cat /proc/$r/wchan 2>/dev/null)\" != wait_for_partner ] && [ $i -lt 500 ]; do "
        "sleep 0.01; i=$((i+1)); done; "
        "timeout -s KILL 60 \"$0\" --src=report.pdf --dest=pipe.doc; s=$?; kill $r 2>/dev/null; wait $r; exit $s";
    const vlxtest::proc_result fifo = vlxtest::run_program({"sh", "-c", script, vlxtest::vlxrun_path()}, dir.path);
    EXPECT_EQ(fifo.status, 0) << fifo.describe();
    EXPECT_TRUE(vlxtest::slurp(dir / "got.doc") == plain) << vlxtest::slurp(dir / "got.doc").size() << " bytes";

    const vlxtest::proc_result piped = run({"--src=report.pdf", "--dest=/dev/stdout"});
    EXPECT_EQ(piped.status, 0) << piped.describe();
    EXPECT_TRUE(piped.out == plain) << piped.out.substr(0, 200);
}

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
