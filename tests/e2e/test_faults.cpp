// Failed conversions: an existing document survives, nothing half-written or temporary is left,
// and with the destination "-" the document alone goes to the standard output.
#include "e2e.h"

#include <csignal>

namespace e2e {
namespace {

const std::string OLD = "an older document that must survive\n";

class Faults : public E2e {
protected:
    std::string src;
    void SetUp() override
    {
        vlxtest::PdfWriter w;
        make_report(w);
        src = save(w, "report.pdf");
    }
    // VLXRUN from report.pdf to report.doc, which holds OLD before: afterwards untouched (failure)
    // or complete.
    proc_result run_over_old(const std::vector<std::string>& extra = {}, const std::string& tmp = "",
                             const std::vector<std::string>& wrap = {})
    {
        spit(work / "report.doc", OLD);
        std::vector<std::string> a{"--src=report.pdf", "--dest=report.doc"};
        a.insert(a.end(), extra.begin(), extra.end());
        proc_result r = vlxrun(a, tmp, wrap);
        EXPECT_TRUE(r.status == 0 || r.status == 255) << r.describe();
        std::string now = slurp(work / "report.doc");
        EXPECT_EQ(r.status == 0 ? parse_rtf(now).error : now, r.status == 0 ? "" : OLD)
            << "a failed run changed the existing destination, or a finished one left it incomplete";
        EXPECT_EQ(list_dir(work.path), (std::vector<std::string>{"report.doc", "report.pdf"}));
        return r;
    }
};

TEST_F(Faults, FailureInTheMiddleOfTheRunKeepsTheOldDestination)
{
    // the page picture needs a temporary file: a missing temporary folder fails the first page
    proc_result r = run_over_old({}, child_tmp / "missing");
    EXPECT_EQ(r.status, 255) << r.describe();
    EXPECT_EQ(r.out.rfind("Error:\n", 0), 0u) << r.describe();
}

TEST_F(Faults, WriteFailuresAreNotReportedAsSuccess)
{
    // A file-size limit makes writes fail with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const size_t n = convert(src, work / "report.doc").rtf.size();
    // The JPEG of page 1 is about a third of the document: the limits fail the first picture,
    // its temporary JPEG, the second page and the last bytes.
    for (size_t limit : {size_t(4000), n / 4, n / 2, n - 100}) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        EXPECT_EQ(run_over_old({}, "", {"prlimit", "--fsize=" + std::to_string(limit), "--"}).status, 255)
            << "a document cut short by write errors was reported as finished";
    }
    std::signal(SIGXFSZ, SIG_DFL);
}

TEST_F(Faults, TruncatedOrCorruptSourceNeverLeavesAPartialDocument)
{
    const std::string whole = slurp(src);
    std::vector<std::pair<std::string, std::string>> cases{{"cut at 60%", whole.substr(0, whole.size() * 6 / 10)}};
    std::string wrong_type = whole;
    wrong_type.replace(wrong_type.rfind("/Type /Page "), 12, "/Type /Xage "); // same length
    cases.push_back({"second page object of an unknown type", wrong_type});
    // page contents come last in the file: this garbles the second page's operators
    std::string bad_stream = whole;
    size_t st = bad_stream.rfind(">>\nstream\n"), en = bad_stream.find("\nendstream", st);
    ASSERT_NE(en, std::string::npos);
    for (size_t i = st + 10; i < en; ++i)
        bad_stream[i] = static_cast<char>(0x80 | (i & 0x7f));
    cases.push_back({"second page's content garbled", bad_stream});
    cases.push_back({"no cross-reference table", whole.substr(0, whole.find("xref")) + "trailer\n<< /Root 1 0 R >>\n%%EOF\n"});
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.first);
        spit(src, cs.second);
        proc_result r = run_over_old();
        EXPECT_TRUE(r.status == 0 || r.out.find("Error:") != std::string::npos) << r.describe();
    }
}

TEST_F(Faults, RefusedSourceLeavesTheDestinationAlone)
{
    spit(work / "plain.pdf", slurp(src));
    ASSERT_TRUE(vlxtest::qpdf_encrypt(work / "plain.pdf", src, vlxtest::Crypt::aes_256, "right", "right-owner"));
    std::remove((work / "plain.pdf").c_str());
    EXPECT_EQ(run_over_old({"--pswd=wrong"}).out, "Error:\nIncorrect password\n");
    EXPECT_EQ(run_over_old().status, 255) << "no password given";
}

TEST_F(Faults, StandardOutputCarriesOnlyTheDocument)
{
    Conversion file = convert(src, work / "report.doc", {"--no_graph"});
    EXPECT_CONVERTED(file);
    proc_result r = vlxrun({"--src=" + src, "--dest=-", "--no_graph"});
    ASSERT_EQ(r.status, 0) << r.describe();
    EXPECT_EQ(r.err, "Graphics is OFF\nGraphics is OFF\n") << "diagnostics belong on the standard error";
    RtfDoc doc = parse_rtf(r.out, false);
    EXPECT_EQ(doc.error, "");
    EXPECT_EQ(doc.pages.size(), 2u);
    EXPECT_TRUE(r.out == file.rtf || r.out + "}\r\n" == file.rtf) << "standard output differs from the file";
    EXPECT_EQ(list_dir(work.path), (std::vector<std::string>{"report.doc", "report.pdf"}))
        << "the destination \"-\" makes no file";

    std::remove((work / "report.doc").c_str());
    r = vlxrun({"--src=" + src, "--dest=-"}, child_tmp / "missing");
    EXPECT_EQ(r.status, 255) << r.describe();
    EXPECT_TRUE(r.out.empty() || r.out.rfind(expected_head(), 0) == 0) << r.describe();
    EXPECT_NE(r.err.find("Error:"), std::string::npos) << "errors go to standard error too: " << r.describe();
    EXPECT_EQ(list_dir(work.path), std::vector<std::string>{"report.pdf"});
}

} // namespace
} // namespace e2e
