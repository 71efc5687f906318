// Failed conversions: an existing document survives, nothing half-written or temporary is left,
// and with the destination "-" the document alone goes to the standard output.
#include "e2e_fixture.h"

#include <csignal>

namespace e2e {
namespace {

const std::string OLD = "an older document that must survive\n";

class Faults : public E2e {
protected:
    // Runs with the destination already holding OLD.
    proc_result run_over_old(const std::string& src, const std::string& dest,
                             const std::vector<std::string>& extra = {},
                             const std::vector<std::string>& prefix = {}, const spawn_opts* opts = nullptr)
    {
        spit(dest, OLD);
        std::vector<std::string> argv = prefix;
        argv.push_back(vlxrun_path());
        argv.push_back("--src=" + src);
        argv.push_back("--dest=" + dest);
        argv.insert(argv.end(), extra.begin(), extra.end());
        return run_program(argv, opts ? *opts : child_opts());
    }

    // After any run: the destination is either untouched (failure) or complete (success), and
    // no temporary file is left beside it or in the temporary folder.
    void expect_whole_or_untouched(const proc_result& r, const std::string& dest,
                                   const std::vector<std::string>& folder)
    {
        EXPECT_EQ(r.term_signal, 0) << r.describe();
        EXPECT_TRUE(r.status == 0 || r.status == 255) << r.describe();
        std::string now = slurp(dest);
        if (r.status == 0) {
            std::string why;
            EXPECT_TRUE(vlxtest::rtf_braces_ok(now, &why)) << why;
            EXPECT_EQ(parse_rtf(now).error, "");
        } else {
            EXPECT_EQ(now, OLD) << "a failed run changed the existing destination";
        }
        EXPECT_EQ(list_dir(work.path()), folder) << "files left beside the destination";
        EXPECT_TRUE(list_dir(child_tmp.path()).empty()) << "temporary files left behind";
    }
};

TEST_F(Faults, SuccessfulRunLeavesNoTemporaryFiles)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    Conversion c = convert(src, work / "report.doc");
    EXPECT_CONVERTED(c);
    EXPECT_EQ(list_dir(work.path()), (std::vector<std::string>{"report.doc", "report.pdf"}));
}

TEST_F(Faults, FailureInTheMiddleOfTheRunKeepsTheOldDestination)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    // The page picture needs a temporary file; a missing temporary folder fails the first page
    // after the document has been started.
    spawn_opts o = child_opts();
    o.env["TMPDIR"] = child_tmp / "missing";
    proc_result r = run_over_old(src, work / "report.doc", {}, {}, &o);
    EXPECT_EQ(r.status, 255) << r.describe();
    EXPECT_EQ(r.out.rfind("Error:\n", 0), 0u) << r.describe();
    expect_whole_or_untouched(r, work / "report.doc", {"report.doc", "report.pdf"});
}

TEST_F(Faults, WriteFailuresAreNotReportedAsSuccess)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    // A file-size limit makes writes fail with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    Conversion full = convert(src, work / "full.doc");
    EXPECT_CONVERTED(full);
    std::remove((work / "full.doc").c_str());
    // The JPEG of page 1 is about a third of the document: the limits fail the first picture,
    // its temporary JPEG, the second page and the last bytes.
    const size_t n = full.rtf.size();
    for (size_t limit : {size_t(4000), n / 4, n / 2, n - 100}) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        proc_result r = run_over_old(src, work / "report.doc", {},
                                     {"prlimit", "--fsize=" + std::to_string(limit), "--"});
        EXPECT_EQ(r.status, 255) << "a document cut short by write errors was reported as finished\n"
                                 << r.describe();
        expect_whole_or_untouched(r, work / "report.doc", {"report.doc", "report.pdf"});
    }
    std::signal(SIGXFSZ, SIG_DFL);
}

TEST_F(Faults, TruncatedOrCorruptSourceNeverLeavesAPartialDocument)
{
    vlxtest::PdfWriter w;
    make_report(w);
    const std::string whole = w.str();
    std::vector<std::pair<std::string, std::string>> cases;
    for (int percent : {30, 60, 85, 97})
        cases.push_back({"cut at " + std::to_string(percent) + "%", whole.substr(0, whole.size() * percent / 100)});
    std::string garbled = whole;
    for (size_t i = garbled.size() / 3; i < garbled.size() * 2 / 3; i += 7)
        garbled[i] = static_cast<char>(0x80 | (i & 0x7f));
    cases.push_back({"garbled middle", garbled});
    std::string wrong_type = whole;
    size_t page2 = wrong_type.rfind("/Type /Page ");
    wrong_type.replace(page2, 12, "/Type /Xage "); // same length: offsets stay valid
    cases.push_back({"second page object of an unknown type", wrong_type});
    std::string bad_stream = whole;
    // Page contents come last in the file: this garbles the second page's operators.
    size_t st = bad_stream.rfind(">>\nstream\n");
    ASSERT_NE(st, std::string::npos);
    size_t en = bad_stream.find("\nendstream", st);
    ASSERT_NE(en, std::string::npos);
    for (size_t i = st + 10; i < en; ++i)
        bad_stream[i] = static_cast<char>(0x80 | (i & 0x7f));
    cases.push_back({"second page's content garbled", bad_stream});
    std::string no_xref = whole.substr(0, whole.find("xref"));
    cases.push_back({"no cross-reference table", no_xref + "trailer\n<< /Root 1 0 R >>\n%%EOF\n"});

    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.first);
        std::string src = work / "broken.pdf";
        spit(src, cs.second);
        proc_result r = run_over_old(src, work / "broken.doc");
        expect_whole_or_untouched(r, work / "broken.doc", {"broken.doc", "broken.pdf"});
        if (r.status == 255) {
            EXPECT_NE(r.out.find("Error:"), std::string::npos) << r.describe();
        }
    }
}

TEST_F(Faults, RefusedSourceLeavesTheDestinationAlone)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string plain = save(w, "plain.pdf");
    std::string locked = work / "locked.pdf";
    ASSERT_TRUE(vlxtest::qpdf_encrypt(plain, locked, vlxtest::Crypt::aes_256, "right", "right-owner"));
    std::remove(plain.c_str());

    proc_result r = run_over_old(locked, work / "locked.doc", {"--pswd=wrong"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Error:\nIncorrect password\n");
    expect_whole_or_untouched(r, work / "locked.doc", {"locked.doc", "locked.pdf"});

    r = run_over_old(locked, work / "locked.doc");
    EXPECT_EQ(r.status, 255) << "no password given";
    expect_whole_or_untouched(r, work / "locked.doc", {"locked.doc", "locked.pdf"});
}

TEST_F(Faults, StandardOutputCarriesOnlyTheDocument)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    Conversion file = convert(src, work / "report.doc", {"--no_graph"});
    EXPECT_CONVERTED(file);

    proc_result r = run_vlxrun({"--src=" + src, "--dest=-", "--no_graph"}, child_opts());
    ASSERT_EQ(r.status, 0) << r.describe();
    EXPECT_EQ(count_of(r.err, "Graphics is OFF\n"), 2u) << "diagnostics belong on the standard error";
    EXPECT_EQ(r.out.find("Graphics is OFF"), std::string::npos);
    RtfDoc doc = parse_rtf(r.out, false);
    EXPECT_EQ(doc.error, "");
    EXPECT_EQ(doc.pages.size(), 2u);
    // The same document as the file, with or without its closing brace.
    EXPECT_TRUE(r.out == file.rtf || r.out + "}\r\n" == file.rtf)
        << "standard output differs from the file: " << r.out.size() << " vs " << file.rtf.size() << " bytes";
    EXPECT_EQ(list_dir(work.path()), (std::vector<std::string>{"report.doc", "report.pdf"}))
        << "the destination \"-\" makes no file";
}

TEST_F(Faults, StandardOutputErrorsGoToStandardError)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    spawn_opts o = child_opts();
    o.env["TMPDIR"] = child_tmp / "missing";
    proc_result r = run_vlxrun({"--src=" + src, "--dest=-"}, o);
    EXPECT_EQ(r.status, 255) << r.describe();
    EXPECT_EQ(r.out.find("Error:"), std::string::npos) << r.describe();
    EXPECT_TRUE(r.out.empty() || r.out.rfind(expected_head(), 0) == 0) << r.describe();
    EXPECT_NE(r.err.find("Error:"), std::string::npos) << r.describe();
    EXPECT_EQ(list_dir(work.path()), (std::vector<std::string>{"report.pdf"}));
}

} // namespace
} // namespace e2e
