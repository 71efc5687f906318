// VLXRUN seen from outside: messages, exit statuses and the files it writes. What the document
// holds is checked in tests/e2e.
#include "console.h"
#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Result {
    int status;
    std::string out, err;
};

class Vlxrun : public ::testing::Test {
protected:
    Vlxrun()
    {
        vlxtest::PdfWriter w;
        w.add_page().text(72, 700, "First page text");
        w.add_page().text(72, 700, "Second page text", "Times-Roman");
        w.save(src);
    }
    // Runs VLXRUN in the work folder.
    Result run(const std::vector<std::string>& args)
    {
        // Under a time limit: a run that blocks is a failure, not a hung suite.
        std::string cmd = "cd '" + dir.path + "' && timeout -s KILL 120 '" VLX_BINARY_DIR "/console/VLXRUN'";
        for (const std::string& a : args)
            cmd += " '" + a + "'";
        Result r;
        r.out = vlxtest::command_output(cmd + " </dev/null 2>'" + dir.path + "/stderr'", &r.status);
        r.err = vlxtest::slurp(dir / "stderr");
        std::remove((dir / "stderr").c_str());
        return r;
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
    const std::string usage = usage_text() + "\n", src_opt = "--src=" + src;
    const std::string no_src = "Source file does not exist.\nPlease verify the correct file name was given.\n";
    // {arguments, standard output, standard error, exit status}
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int status = 255;
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
        {{"--src=junk.pdf"},
         "Error:\nThe program cannot read PDF document. It might be corrupted or does not comply "
         "with Adobe PDF format.\n", ""},
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
        SCOPED_TRACE(r.args.empty() ? "(none)" : r.args.back());
        Result got = run(r.args);
        EXPECT_EQ(got.status, r.status);
        EXPECT_EQ(got.out, r.out);
        EXPECT_EQ(got.err, r.err);
    }
    EXPECT_EQ(vlxtest::slurp(dir / "ro.doc"), "keep");
    EXPECT_NE(vlxtest::slurp(dir / "seven.doc").find("Second page text"), std::string::npos);
    EXPECT_EQ(vlxtest::slurp(src).rfind("%PDF", 0), 0u);
}

TEST_F(Vlxrun, DefaultDestinationIsTheSourceWithDoc)
{
    Result r = run({"--src=report.pdf"});
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
