// VLXRUN seen from outside: messages, exit statuses and the files it writes.
#include "console.h"
#include "run_prog.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string slurp(const std::string& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

size_t count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

std::string make_dir()
{
    char tmpl[] = "/tmp/vlxrunXXXXXX";
    return mkdtemp(tmpl);
}

// A two-page document with text on each page.
std::string two_pages(const std::string& dir)
{
    vlxtest::PdfWriter w;
    w.add_page().text(72, 700, "First page text", "Helvetica", 12);
    w.add_page().text(72, 700, "Second page text", "Times-Roman", 12);
    std::string path = dir + "/report.pdf";
    w.save(path);
    return path;
}

const char* const USAGE_START = "VLXRUN v4.1\nUsage: VLXRUN.EXE OPTIONS\n";

class Vlxrun : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = make_dir();
        src = two_pages(dir);
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    prog_result run(const std::vector<std::string>& args) { return run_prog(vlxrun_path(), args, dir); }

    std::string dir, src;
};

} // namespace

TEST(VlxrunUsage, TextIsExact)
{
    std::string u = usage_text();
    EXPECT_EQ(u.rfind(USAGE_START, 0), 0u);
    EXPECT_NE(u.find("   1) The default mode is 'preserve text flow'. You can change it \n"), std::string::npos);
    EXPECT_NE(u.find("(for example --dest=\"c:\\my documents\\my report.doc\")"), std::string::npos);
    EXPECT_NE(u.back(), '\n');
}

TEST_F(Vlxrun, UsageOnBadCommandLines)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--help"},
        {"--helpme"},
        {"--src=" + src, "stray"},
        {"--mode=3"},
        {"--unknown"},
        {"a", "b", "c", "d", "e", "f", "g", "h"},
    };
    for (const auto& args : cases) {
        prog_result r = run(args);
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, usage_text() + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(Vlxrun, SourceChecks)
{
    prog_result r = run({"--tab"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "You should specify source file\n");

    r = run({"--src=" + dir + "/missing.pdf"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Source file does not exist.\nPlease verify the correct file name was given.\n");

    r = run({"--src=" + dir});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Source file does not exist.\nPlease verify the correct file name was given.\n");
}

TEST_F(Vlxrun, ErrorsOfLevelOneGoToStandardOutput)
{
    prog_result r = run({"--src=" + src, "--pages=5-5"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nInvalid page range\n");

    r = run({"--silent", "--src=" + src, "--pages=5-5"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    std::string junk = dir + "/junk.pdf";
    std::ofstream(junk) << "this is not a PDF";
    r = run({"--src=" + junk});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nThe program cannot read PDF document. It might be corrupted or "
                     "does not comply with Adobe PDF format.\n");

    r = run({"--src=" + src, "--profile=" + dir + "/none.vlx"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nProfile does not exist. Please verify the correct path/name was given.\n");
}

TEST_F(Vlxrun, DestinationChecks)
{
    prog_result r = run({"--src=" + src, "--dest=" + dir});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nDestination name should specify a file, not folder.\n");

    r = run({"--src=" + src, "--dest=" + dir + "/no/such/out.doc"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nDestination path does not exist. Please verify the correct path was given.\n");

    std::string ro = dir + "/ro.doc";
    std::ofstream(ro) << "keep";
    chmod(ro.c_str(), 0444);
    r = run({"--src=" + src, "--dest=" + ro});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nDestination name specifies an existing read-only file.\n");
    EXPECT_EQ(slurp(ro), "keep");

    r = run({"--src=" + src, "--dest=" + src});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nDestination name should differ from the source name.\n");
    EXPECT_EQ(slurp(src).rfind("%PDF", 0), 0u);
}

TEST_F(Vlxrun, WrongPasswordIsReportedBeforeTheDestination)
{
    std::string enc = dir + "/enc.pdf";
    ASSERT_TRUE(vlxtest::qpdf_encrypt(src, enc, vlxtest::Crypt::aes_128, "user", "owner"));
    prog_result r = run({"--src=" + enc, "--pswd=wrong", "--dest=" + dir + "/no/such/out.doc"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nIncorrect password\n");

    r = run({"--src=" + enc, "--pswd=user", "--dest=" + dir + "/enc.doc"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(slurp(dir + "/enc.doc").find("Second page text"), std::string::npos);
}

TEST_F(Vlxrun, DefaultDestinationIsTheSourceWithDoc)
{
    prog_result r = run({"--src=report.pdf"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    std::string rtf = slurp(dir + "/report.doc");
    EXPECT_EQ(rtf.rfind("{\\rtf \\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl", 0), 0u);
    EXPECT_TRUE(vlxtest::rtf_braces_ok(rtf));
    EXPECT_EQ(count(rtf, "\\sect\\sectd\\sbkpage"), 1u);
    EXPECT_EQ(count(rtf, "\\jpegblip"), 2u);
    EXPECT_NE(rtf.find("First page text"), std::string::npos);
}

TEST_F(Vlxrun, OptionsChangeTheDocument)
{
    prog_result r = run({"--src=" + src, "--dest=" + dir + "/a.doc", "--no_graph"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "Graphics is OFF\nGraphics is OFF\n");
    EXPECT_EQ(count(slurp(dir + "/a.doc"), "\\jpegblip"), 0u);

    r = run({"--src=" + src, "--dest=" + dir + "/b.doc", "--pages=2", "--no_graph", "--silent"});
    ASSERT_EQ(r.status, 0);
    std::string b = slurp(dir + "/b.doc");
    EXPECT_EQ(b.find("First page text"), std::string::npos);
    EXPECT_NE(b.find("Second page text"), std::string::npos);

    r = run({"--src=" + src, "--dest=" + dir + "/m1.doc", "--mode=2", "--mode=1", "--no_graph"});
    ASSERT_EQ(r.status, 0);
    r = run({"--src=" + src, "--dest=" + dir + "/m2.doc", "--mode=1", "--mode=2", "--no_graph"});
    ASSERT_EQ(r.status, 0);
    std::string m1 = slurp(dir + "/m1.doc"), m2 = slurp(dir + "/m2.doc");
    EXPECT_NE(m1, m2);
    EXPECT_TRUE(vlxtest::rtf_braces_ok(m1));
    EXPECT_TRUE(vlxtest::rtf_braces_ok(m2));

    r = run({"--src=" + src, "--dest=" + dir + "/t.doc", "--tab", "--no_crlf", "--no_graph"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(vlxtest::rtf_braces_ok(slurp(dir + "/t.doc")));
}

TEST_F(Vlxrun, ProfileSettingsAndLaterOptionsOverride)
{
    std::string prof = dir + "/p.vlx";
    std::ofstream(prof, std::ios::binary) << "[Generic settings]\r\npages=1\r\nconvert graphics=0\r\n";
    prog_result r = run({"--src=" + src, "--dest=" + dir + "/p.doc", "--profile=" + prof});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "Graphics is OFF\n");
    std::string rtf = slurp(dir + "/p.doc");
    EXPECT_NE(rtf.find("First page text"), std::string::npos);
    EXPECT_EQ(rtf.find("Second page text"), std::string::npos);

    r = run({"--src=" + src, "--dest=" + dir + "/q.doc", "--profile=" + prof, "--pages=2"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(slurp(dir + "/q.doc").find("Second page text"), std::string::npos);
}

TEST_F(Vlxrun, StandardOutputDestinationKeepsMessagesApart)
{
    prog_result r = run({"--src=" + src, "--dest=-", "--no_graph"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\\rtf", 0), 0u);
    EXPECT_TRUE(vlxtest::rtf_braces_ok(r.out));
    EXPECT_EQ(r.err, "Graphics is OFF\nGraphics is OFF\n");
}

TEST_F(Vlxrun, FailedRunLeavesAnExistingDocumentAlone)
{
    std::string out = dir + "/keep.doc";
    std::ofstream(out) << "previous";
    std::string junk = dir + "/trunc.pdf";
    std::string good = slurp(src);
    std::ofstream(junk, std::ios::binary) << good.substr(0, good.size() / 2);
    prog_result r = run({"--src=" + junk, "--dest=" + out});
    if (r.status == 0)
        EXPECT_TRUE(vlxtest::rtf_braces_ok(slurp(out))); // the library repaired it
    else
        EXPECT_EQ(slurp(out), "previous");
}
