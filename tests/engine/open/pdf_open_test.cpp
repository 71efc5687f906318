// Opening documents: what opens, and the exact text and level of each refusal.
#include "pdf_glob.h"
#include "pdf_open.h"
#include "tk_except.h"
#include "scoped_env.h"
#include "tk_log.h"
#include "vlx_testsupport.h"

#include <GlobalParams.h>
#include <PDFDoc.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace vlxtest;

namespace {

const char* const CANNOT_READ =
    "The program cannot read PDF document. It might be corrupted or\n"
    "does not comply with Adobe PDF format.";

std::string two_page_pdf(const std::string& header_version = "")
{
    PdfWriter w;
    w.add_page(612, 792).text(72, 700, "First page", "Helvetica", 12);
    w.add_page(300, 400).text(20, 20, "Second page", "Times-Roman", 10);
    std::string pdf = w.str();
    if (!header_version.empty())
        pdf.replace(5, 3, header_version);  // "%PDF-1.4" -> "%PDF-x.y"
    return write_temp_file(pdf);
}

class PdfOpenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { pdf_create_global_params(); }
    static void TearDownTestSuite() { pdf_delete_global_params(); }

    // The refusal of an unreadable document; fails when it opened or was
    // taken for a wrong password.
    static tk_exception cannot_read(const std::string& file, const std::string& password)
    {
        try {
            pdf_open_document(file, password);
            ADD_FAILURE() << file << " opened";
        } catch (const pdf_wrong_pswd_exception&) {
            ADD_FAILURE() << file << " was taken for a wrong password";
        } catch (const tk_exception& e) {
            return e;
        }
        return tk_exception("", -1);
    }
    static pdf_wrong_pswd_exception wrong_password(const std::string& file, const std::string& pw)
    {
        try {
            pdf_open_document(file, pw);
        } catch (const pdf_wrong_pswd_exception& e) {
            return e;
        } catch (const tk_exception& e) {
            ADD_FAILURE() << "expected Incorrect password, got: " << e.message;
        }
        ADD_FAILURE() << file << " opened with a wrong password";
        return pdf_wrong_pswd_exception();
    }
};

TEST_F(PdfOpenTest, GlobalParamsUseLatin1)
{
    ASSERT_NE(globalParams, nullptr);
    EXPECT_EQ(globalParams->getTextEncodingName(), "Latin1");
}

TEST_F(PdfOpenTest, PlainDocumentOpensWithAnyPassword)
{
    TempFile f(two_page_pdf());
    for (const char* pw : {"", "anything"}) {
        auto doc = pdf_open_document(f.path, pw);
        ASSERT_TRUE(doc && doc->isOk());
        EXPECT_EQ(doc->getNumPages(), 2);
        EXPECT_DOUBLE_EQ(doc->getPageMediaWidth(2), 300);
    }
}

TEST_F(PdfOpenTest, NewerHeaderVersionOpens)
{
    TempFile f(two_page_pdf("1.7"));
    auto doc = pdf_open_document(f.path, "");
    EXPECT_EQ(doc->getNumPages(), 2);
}

class PdfOpenEncryptedTest : public PdfOpenTest, public ::testing::WithParamInterface<Crypt> {
protected:
    // An encrypted copy of the two-page document.
    static std::string encrypted(const std::string& user, const std::string& owner)
    {
        TempFile plain(two_page_pdf());
        std::string out = temp_path();
        std::string log;
        EXPECT_TRUE(qpdf_encrypt(plain.path, out, GetParam(), user, owner, &log)) << log;
        return out;
    }
};

TEST_P(PdfOpenEncryptedTest, RightPasswordsOpen)
{
    TempFile f(encrypted("secret", "boss"));
    EXPECT_EQ(pdf_open_document(f.path, "secret")->getNumPages(), 2);
    // the one password also serves as owner password
    EXPECT_EQ(pdf_open_document(f.path, "boss")->getNumPages(), 2);
}

TEST_P(PdfOpenEncryptedTest, WrongOrMissingPasswordIsIncorrect)
{
    TempFile f(encrypted("secret", "boss"));
    for (const char* pw : {"wrong", "", "Secret"}) {
        pdf_wrong_pswd_exception e = wrong_password(f.path, pw);
        EXPECT_EQ(e.message, "Incorrect password") << pw;
        EXPECT_EQ(e.level, 1);
    }
}

TEST_P(PdfOpenEncryptedTest, EmptyUserPasswordOpensWithoutPassword)
{
    TempFile f(encrypted("", "boss"));
    EXPECT_EQ(pdf_open_document(f.path, "")->getNumPages(), 2);
    EXPECT_EQ(pdf_open_document(f.path, "boss")->getNumPages(), 2);
}

INSTANTIATE_TEST_SUITE_P(Crypts, PdfOpenEncryptedTest,
                         ::testing::Values(Crypt::rc4_40, Crypt::aes_128, Crypt::aes_256),
                         [](const ::testing::TestParamInfo<Crypt>& i) {
                             switch (i.param) {
                             case Crypt::rc4_40:
                                 return std::string("Rc4_40");
                             case Crypt::aes_128:
                                 return std::string("Aes128");
                             default:
                                 return std::string("Aes256");
                             }
                         });

TEST_F(PdfOpenTest, UnreadableInputsCannotBeRead)
{
    TempFile text(write_temp_file("This is plain text, not a PDF document.\n", ".txt"));
    TempFile empty(write_temp_file(""));
    TempFile truncated(write_temp_file("%PDF-1.4\n1 0 obj\n<< /Type /Catalog"));
    PdfWriter w;
    w.add_page().text(72, 700, "x");
    std::string pdf = w.str();
    pdf.replace(pdf.find("/Root 1 0 R"), 11, "/Root 9 0 R");
    TempFile no_catalog(write_temp_file(pdf));
    std::string missing = temp_path();
    ::unlink(missing.c_str());
    std::string dir = temp_path("");
    ::unlink(dir.c_str());
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);

    for (const std::string& f :
         {text.path, empty.path, truncated.path, no_catalog.path, missing, dir}) {
        tk_exception e = cannot_read(f, "");
        EXPECT_EQ(e.message, CANNOT_READ) << f;
        EXPECT_EQ(e.level, 1) << f;
    }
    ::rmdir(dir.c_str());
}

TEST_F(PdfOpenTest, UnknownSecurityHandlerCannotBeRead)
{
    PdfWriter w;
    w.add_page().text(72, 700, "x");
    std::string pdf = w.str();
    const std::string root = "/Root 1 0 R >>";
    pdf.replace(pdf.rfind(root), root.size(),
                "/Root 1 0 R /Encrypt << /Filter /NotStandard /V 1 >> >>");
    TempFile f(write_temp_file(pdf));
    tk_exception e = cannot_read(f.path, "x");
    EXPECT_EQ(e.message, CANNOT_READ);
    EXPECT_EQ(e.level, 1);
}

TEST_F(PdfOpenTest, LogNamesTheFileButNotThePassword)
{
    TempFile log(temp_path(".log"));
    TempFile pdf(two_page_pdf());
    std::string enc_path = temp_path();
    TempFile enc(enc_path);
    ASSERT_TRUE(qpdf_encrypt(pdf.path, enc_path, Crypt::aes_128, "Pa55word", "Pa55word"));
    {
        tk_logger logger(log.path.c_str(), true, 1, false);
        pdf_open_document(pdf.path, "Pa55word");
        EXPECT_THROW(pdf_open_document(enc.path, "Pa55wordX"), pdf_wrong_pswd_exception);
    }
    const std::string text = vlxtest::slurp(log.path);
    EXPECT_NE(text.find("PDFDoc::ctor(name=" + pdf.path + ",pswd=***)"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("Pa55word"), std::string::npos) << text;
}

TEST_F(PdfOpenTest, LibraryDiagnosticsGoToTheLogNotStderr)
{
    TempFile log(temp_path(".log"));
    // a wrong offset for the catalog makes the library complain and rebuild the table
    PdfWriter w;
    w.add_page().text(72, 700, "x");
    std::string pdf = w.str();
    const size_t entry = pdf.find(" 00000 n", pdf.find("xref\n0 ")) - 10;
    pdf.replace(entry, 10, "0000000001");
    TempFile f(write_temp_file(pdf));
    ::testing::internal::CaptureStderr();
    {
        tk_logger logger(log.path.c_str(), true, 1, false);
        auto doc = pdf_open_document(f.path, "");
        EXPECT_EQ(doc->getNumPages(), 1);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(vlxtest::slurp(log.path).find("PDF error"), std::string::npos);
}

}  // namespace
