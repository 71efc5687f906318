// The writer's files must open cleanly in qpdf and poppler with exactly the
// pages, boxes, links and content that were asked for.
#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <Annot.h>
#include <GlobalParams.h>
#include <Link.h>
#include <PDFDoc.h>
#include <Page.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sys/wait.h>

using namespace vlxtest;

namespace {

class SupportPdfWriter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { globalParams = std::make_unique<GlobalParams>(); }
    static void TearDownTestSuite() { globalParams.reset(); }

    static std::unique_ptr<PDFDoc> open(const std::string& path, const std::string& pw = "")
    {
        return std::make_unique<PDFDoc>(std::make_unique<GooString>(path), GooString(pw),
                                        GooString(pw));
    }
};

// qpdf --check output; *status -1 when it could not run
std::string qpdf_check(const std::string& path, int* status)
{
    return command_output("qpdf --check '" + path + "' 2>&1", status);
}

PdfWriter& sample(PdfWriter& w)
{
    PdfPage& p = w.add_page(612, 792);
    p.text(72, 700, "Paren (x) and \\ backslash", "Helvetica-Bold", 14, Rgb{1, 0, 0});
    p.text(72, 680, "Times", "Times-Italic", 10);
    p.fill_rect(72, 690, 100, 0.5);
    p.line(72, 600, 300, 600, 1.5, Rgb{0, 0, 1}, {3, 2});
    p.image(300, 300, 40, 30, 2, 2, std::vector<std::uint8_t>(12, 128));
    p.link(72, 695, 172, 715, "http://example.com/a(b)");
    p.link(10, 10, 20, 20, "");
    p.cid_text(400, 700, "\u65e5\u672c", 12);
    p.cid_text(400, 500, "A\u00e9", 12, false);
    w.add_page(200, 300, 90).text(10, 10, "Second", "Courier", 9);
    return w;
}

}  // namespace

TEST_F(SupportPdfWriter, QpdfFindsNoErrors)
{
    PdfWriter w;
    TempFile f(write_temp_pdf(sample(w)));
    int status = 0;
    std::string out = qpdf_check(f.path, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
    EXPECT_NE(out.find("No syntax or stream encoding errors"), std::string::npos) << out;
}

TEST_F(SupportPdfWriter, PagesBoxesAndRotation)
{
    PdfWriter w;
    TempFile f(write_temp_pdf(sample(w)));
    bool rebuilt = false;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(f.path), std::nullopt,
                                        std::nullopt, nullptr, [&] { rebuilt = true; });
    ASSERT_TRUE(doc->isOk());
    ASSERT_EQ(doc->getNumPages(), 2);
    EXPECT_DOUBLE_EQ(doc->getPageMediaWidth(1), 612);
    EXPECT_DOUBLE_EQ(doc->getPageMediaHeight(1), 792);
    EXPECT_EQ(doc->getPageRotate(1), 0);
    EXPECT_DOUBLE_EQ(doc->getPageMediaWidth(2), 200);
    EXPECT_DOUBLE_EQ(doc->getPageMediaHeight(2), 300);
    EXPECT_EQ(doc->getPageRotate(2), 90);
    EXPECT_FALSE(rebuilt) << "the xref table had to be reconstructed";
}

TEST_F(SupportPdfWriter, LinksCarryTheirUri)
{
    PdfWriter w;
    TempFile f(write_temp_pdf(sample(w)));
    auto doc = open(f.path);
    ASSERT_TRUE(doc->isOk());
    std::unique_ptr<Links> links = doc->getPage(1)->getLinks();
    const std::vector<AnnotLink*>& list = links->getLinks();
    ASSERT_EQ(list.size(), 2u);
    AnnotLink* l1 = list[0];
    ASSERT_NE(l1->getAction(), nullptr);
    ASSERT_EQ(l1->getAction()->getKind(), actionURI);
    EXPECT_EQ(static_cast<LinkURI*>(l1->getAction())->getURI(), "http://example.com/a(b)");
    double x1, y1, x2, y2;
    l1->getRect(&x1, &y1, &x2, &y2);
    EXPECT_DOUBLE_EQ(x1, 72);
    EXPECT_DOUBLE_EQ(y2, 715);
    AnnotLink* l2 = list[1];
    EXPECT_EQ(l2->getAction(), nullptr);
    EXPECT_TRUE(doc->getPage(2)->getLinks()->getLinks().empty());
}

TEST_F(SupportPdfWriter, ContentStreamIsExact)
{
    PdfWriter w;
    PdfPage& p = w.add_page();
    p.text(72.5, 700, "A(b)", "Courier-Bold", 10.25, Rgb{0, 0.5, 1});
    p.fill_rect(1, 2, 3, 4, Rgb{1, 1, 1});
    p.line(0, 0, 10, 0, 2);
    p.raw("BT " + p.font("Times-Roman") + " 9 Tf ET");
    p.cid_text(400, 700, "\u65e5A", 20);
    EXPECT_EQ(p.content(),
              "BT /F1 10.25 Tf 0 0.5 1 rg 72.5 700 Td (A\\(b\\)) Tj ET\n"
              "q 1 1 1 rg 1 2 3 4 re f Q\n"
              "q 0 0 0 RG 2 w [] 0 d 0 0 m 10 0 l S Q\n"
              "BT /F2 9 Tf ET\n"
              "BT /CV 20 Tf 400 700 Td <65E50041> Tj ET\n");
    const std::string pdf = w.str();
    EXPECT_NE(pdf.find("/BaseFont /Courier-Bold /Encoding /WinAnsiEncoding"), std::string::npos);
    EXPECT_NE(pdf.find("/Encoding /Identity-V"), std::string::npos);
    EXPECT_NE(pdf.find("<65E5> <65E5>\n<0041> <0041>\n"), std::string::npos) << "the ToUnicode map";
    EXPECT_NE(pdf.find("/F2 4 0 R"), std::string::npos);
    EXPECT_EQ(pdf.rfind("%%EOF\n"), pdf.size() - 6);
}

TEST_F(SupportPdfWriter, ImageSizeMismatchIsRefused)
{
    PdfWriter w;
    EXPECT_THROW(w.add_page().image(0, 0, 10, 10, 2, 2, std::vector<std::uint8_t>(11)),
                 std::invalid_argument);
}

TEST_F(SupportPdfWriter, EncryptedCopiesOpenOnlyWithTheirPassword)
{
    PdfWriter w;
    TempFile plain(write_temp_pdf(sample(w)));
    for (Crypt kind : {Crypt::rc4_40, Crypt::aes_128, Crypt::aes_256}) {
        TempFile enc(temp_path());
        std::string log;
        ASSERT_TRUE(qpdf_encrypt(plain.path, enc.path, kind, "user", "owner", &log)) << log;
        EXPECT_TRUE(open(enc.path, "user")->isOk());
        EXPECT_TRUE(open(enc.path, "owner")->isOk());
        EXPECT_FALSE(open(enc.path, "wrong")->isOk());

        ASSERT_TRUE(qpdf_encrypt(plain.path, enc.path, kind, "", "", &log)) << log;
        EXPECT_TRUE(open(enc.path, "")->isOk());
    }
}

TEST_F(SupportPdfWriter, QpdfFailureIsReported)
{
    TempFile out(temp_path());
    std::string log;
    EXPECT_FALSE(qpdf_encrypt("/nonexistent/in.pdf", out.path, Crypt::aes_128, "a", "b", &log));
    EXPECT_FALSE(log.empty());
}

TEST(SupportTempPath, IsUniqueCreatedAndRemovedByItsGuard)
{
    std::string path;
    {
        TempFile a(temp_path(".x"));
        TempFile b(write_temp_file("abc", ".x"));
        EXPECT_NE(a.path, b.path);
        EXPECT_EQ(a.path.substr(a.path.size() - 2), ".x");
        FILE* f = std::fopen(a.path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
        path = b.path;
    }
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
}

TEST(SupportTempPath, FilesFoldersAndMountsGoWhereTmpdirSays)
{
    {
        EnvVar unset("TMPDIR", nullptr);
        EXPECT_EQ(temp_root(), "/tmp");
        EnvVar empty("TMPDIR", "");
        EXPECT_EQ(temp_root(), "/tmp");
    }
    TempDir outer("outer");
    EnvVar tmp("TMPDIR", outer.path.c_str());
    TempFile file(temp_path(".x"));
    TempDir folder("inner");
    TmpfsMount fs("fs", 1 << 20);
    for (const std::string& p : {file.path, folder.path})
        EXPECT_EQ(p.rfind(outer.path + "/", 0), 0u) << p;
    if (geteuid() == 0)
        EXPECT_EQ(fs.path.rfind(outer.path + "/", 0), 0u) << fs.path << fs.why_not;
    else
        EXPECT_EQ(fs.why_not, "mounting a tmpfs needs root");
}

TEST(SupportCommandOutput, ErrorOutputIsKeptApartWhenAskedForAndInputIsEmpty)
{
    const std::string cmd = "echo out; echo err >&2; wc -c; exit 3";
    int status = 0;
    std::string err;
    EXPECT_EQ(command_output(cmd, &status, &err), "out\n0\n");
    EXPECT_EQ(status, 3);
    EXPECT_EQ(err, "err\n");
    Captured passed(2);
    EXPECT_EQ(command_output(cmd), "out\n0\n");
    EXPECT_EQ(passed.text(), "err\n");
    // Far more error output than a pipe holds, before and after the output: neither stalls.
    const std::string big = "yes 0123456789 | head -c 200000";
    EXPECT_EQ(command_output("(" + big + ") >&2; echo done; (" + big + ") >&2", nullptr, &err), "done\n");
    EXPECT_EQ(err.size(), 400000u);
}
