// Opening documents: what opens, and the exact text and level of each refusal.
#include "pdf_glob.h"
#include "pdf_open.h"
#include "scoped_env.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_testsupport.h"

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vlxtest;

namespace {

// "pages N", or the refusal as "<class>: <message> (level L)".
std::string open_result(const std::string& file, const std::string& pw)
{
    try {
        return "pages " + std::to_string(pdf_open_document(file, pw)->getNumPages());
    } catch (const pdf_wrong_pswd_exception& e) {
        return "wrong: " + e.message + " (level " + std::to_string(e.level) + ")";
    } catch (const tk_exception& e) {
        return "tk: " + e.message + " (level " + std::to_string(e.level) + ")";
    }
}
const std::string CANNOT_READ = std::string("tk: ") + PDF_CANNOT_READ_TEXT + " (level 1)";

// The log lines of the n-th opening of file.
std::vector<std::string> opening_lines(const std::string& log, const std::string& file, int n = 0)
{
    const std::string head = "PDFDoc::ctor(name=" + file + ",";
    size_t at = log.find(head);
    for (; n > 0 && at != std::string::npos; --n)
        at = log.find(head, at + 1);
    std::vector<std::string> lines;
    while (at < log.size()) {
        const size_t end = log.find("\r\n", at);
        const std::string line = log.substr(at, end - at);
        if (!lines.empty() && line.rfind("PDFDoc::ctor(", 0) == 0)
            break;
        lines.push_back(line);
        at = end == std::string::npos ? end : end + 2;
    }
    return lines;
}
const std::string INCORRECT = "wrong: Incorrect password (level 1)";

std::string two_pages()
{
    PdfWriter w;
    w.add_page().text(72, 700, "First page");
    w.add_page(300, 400).text(20, 20, "Second page", "Times-Roman", 10);
    return w.str();
}

class PdfOpen : public ::testing::Test {
protected:
    static void SetUpTestSuite() { pdf_create_global_params(); }
    static void TearDownTestSuite() { pdf_delete_global_params(); }
};

TEST_F(PdfOpen, PlainDocumentsOpenWithAnyPasswordEncryptedOnlyWithTheirs)
{
    EXPECT_EQ(globalParams->getTextEncodingName(), "Latin1");
    std::string v17 = two_pages();
    v17.replace(5, 3, "1.7");
    TempFile plain(write_temp_file(two_pages())), newer(write_temp_file(v17));
    EXPECT_EQ(open_result(plain.path, "anything"), "pages 2");
    EXPECT_EQ(open_result(newer.path, ""), "pages 2");
    for (Crypt c : {Crypt::rc4_40, Crypt::aes_128, Crypt::aes_256}) {
        SCOPED_TRACE(static_cast<int>(c));
        TempFile locked(temp_path()), open_user(temp_path());
        ASSERT_TRUE(qpdf_encrypt(plain.path, locked.path, c, "secret", "boss"));
        ASSERT_TRUE(qpdf_encrypt(plain.path, open_user.path, c, "", "boss"));
        EXPECT_EQ(open_result(locked.path, "secret"), "pages 2");
        EXPECT_EQ(open_result(locked.path, "boss"), "pages 2");  // also tried as owner password
        for (const char* pw : {"", "Secret"})
            EXPECT_EQ(open_result(locked.path, pw), INCORRECT) << pw;
        EXPECT_EQ(open_result(open_user.path, ""), "pages 2");
    }
}

TEST_F(PdfOpen, PasswordsReachTheLibraryCutTo127Bytes)
{
    // Longer ones overran the library's stack for AES-256 documents.
    TempFile plain(write_temp_file(two_pages())), locked(temp_path());
    const std::string pw(127, 'p');
    ASSERT_TRUE(qpdf_encrypt(plain.path, locked.path, Crypt::aes_256, pw, pw));
    EXPECT_EQ(open_result(locked.path, pw), "pages 2");
    EXPECT_EQ(open_result(locked.path, pw + "q"), "pages 2");
    EXPECT_EQ(open_result(locked.path, pw.substr(1)), INCORRECT);
    EXPECT_EQ(open_result(locked.path, std::string(1000, 'x')), INCORRECT);
}

TEST_F(PdfOpen, UnreadableInputsCannotBeRead)
{
    std::string no_catalog = two_pages();
    no_catalog.replace(no_catalog.find("/Root 1 0 R"), 11, "/Root 9 0 R");
    std::string other_filter = two_pages();
    other_filter.replace(other_filter.rfind("/Root 1 0 R >>"), 14,
                         "/Root 1 0 R /Encrypt << /Filter /NotStandard /V 1 >> >>");
    TempDir dir;
    std::vector<std::string> paths = {dir / "missing.pdf", dir.path};
    for (const std::string& bytes : {std::string("plain text, not a PDF\n"), std::string(),
                                     no_catalog,
                                     other_filter})
        paths.push_back(write_temp_file(bytes));
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(open_result(paths[i], "x"), CANNOT_READ) << paths[i];
        if (i >= 2)
            std::remove(paths[i].c_str());
    }
}

TEST_F(PdfOpen, AMissingNameIsTriedInLowerThenUpperCaseInItsOwnFolder)
{
    PdfWriter one;
    one.add_page().text(72, 700, "Only page");
    TempDir dir;
    spit(dir / "A.PDF", two_pages());
    spit(dir / "b.pdf", two_pages());
    spit(dir / "c.pdf", one.str());
    spit(dir / "C.PDF", two_pages());
    ASSERT_EQ(mkdir((dir / "Sub").c_str(), 0700), 0);
    spit(dir / "Sub/d.pdf", two_pages());
    spit(dir / "E.PDF", two_pages());
    ASSERT_EQ(symlink("e.pdf", (dir / "e.pdf").c_str()), 0); // exists, but never opens
    const struct {
        const char* name;
        std::string result;
    } rows[] = {
        {"a.pdf", "pages 2"},     {"B.PDF", "pages 2"},   {"c.Pdf", "pages 1"},
        {"Sub/D.PDF", "pages 2"}, {"SUB/d.pdf", CANNOT_READ}, {"e.pdf", CANNOT_READ},
    };
    for (const auto& r : rows)
        EXPECT_EQ(open_result(dir / r.name, "x"), r.result) << r.name;
}

TEST_F(PdfOpen, LogNamesTheFileHidesThePasswordAndNotTheLibraryDiagnostics)
{
    std::string damaged = two_pages();  // a wrong catalog offset: the library would complain and rebuild
    damaged.replace(damaged.find(" 00000 n", damaged.find("xref\n0 ")) - 10, 10, "0000000001");
    TempFile log(temp_path(".log")), plain(write_temp_file(two_pages())), locked(temp_path()),
        broken(write_temp_file(damaged));
    ASSERT_TRUE(qpdf_encrypt(plain.path, locked.path, Crypt::aes_128, "Pa55word", "Pa55word"));
    TempDir dir;
    spit(dir / "UPPER.PDF", two_pages());
    spit(dir / "junk.pdf", "not a PDF");
    Captured err(2);
    {
        tk_logger logger(log.path.c_str(), true, 1, false);
        EXPECT_EQ(open_result(plain.path, "Pa55word"), "pages 2");
        EXPECT_EQ(open_result(locked.path, "Pa55wordX"), INCORRECT);
        EXPECT_EQ(open_result(locked.path, "Pa55word"), "pages 2");
        EXPECT_EQ(open_result(broken.path, ""), "pages 2");
        EXPECT_EQ(open_result(dir / "upper.pdf", ""), "pages 2");
        EXPECT_EQ(open_result(dir / "junk.pdf", ""), CANNOT_READ);
        EXPECT_EQ(open_result(dir / "none.pdf", ""), CANNOT_READ);
    }
    EXPECT_EQ(err.text(), "");
    const std::string text = slurp(log.path);
    EXPECT_EQ(text.find("Pa55word"), std::string::npos) << text;
    using lines = std::vector<std::string>;
    const lines opened = {"PDFDoc::setup", "PDFDoc::checkEncryption", "PDFDoc::checkEncryption - END ***",
                          "PDFDoc::setup - step #1", "PDFDoc::setup - step #2"};
    auto ctor = [](const std::string& name) { return "PDFDoc::ctor(name=" + name + ",pswd=***)"; };
    lines plain_lines = {ctor(plain.path)};
    plain_lines.insert(plain_lines.end(), opened.begin(), opened.end());
    EXPECT_EQ(opening_lines(text, plain.path), plain_lines);
    lines broken_lines = {ctor(broken.path)}; // and no word of the library's own on the damage
    broken_lines.insert(broken_lines.end(), opened.begin(), opened.end());
    EXPECT_EQ(opening_lines(text, broken.path), broken_lines);
    EXPECT_EQ(opening_lines(text, locked.path),
              (lines{ctor(locked.path), "PDFDoc::setup", "PDFDoc::checkEncryption", "SecurityHandler::checkEncryption",
                     "'authorize' returns 0", "authData is NULL, i=0"}));
    EXPECT_EQ(opening_lines(text, locked.path, 1),
              (lines{ctor(locked.path), "PDFDoc::setup", "PDFDoc::checkEncryption", "SecurityHandler::checkEncryption",
                     "'authorize' returns 1", "checkEncryption - END ***", "PDFDoc::checkEncryption - END ***",
                     "PDFDoc::setup - step #1", "PDFDoc::setup - step #2"}));
    lines upper_lines = {ctor(dir / "upper.pdf"),
                         "pdf_openable_name(" + dir / "upper.pdf" + ") - opens as " + dir / "UPPER.PDF"};
    upper_lines.insert(upper_lines.end(), opened.begin(), opened.end());
    EXPECT_EQ(opening_lines(text, dir / "upper.pdf"), upper_lines);
    EXPECT_EQ(opening_lines(text, dir / "junk.pdf"),
              (lines{ctor(dir / "junk.pdf"), "PDFDoc::setup"}));
    EXPECT_EQ(opening_lines(text, dir / "none.pdf"), (lines{ctor(dir / "none.pdf")}));
}

}  // namespace
