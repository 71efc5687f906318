// The console's error handler in-process: the lines it prints, where, and how it ends the program.
#include "console.h"
#include "run_prog.h"
#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_conv.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// What one call of handle printed on each stream, and the exit status it asked for (or "returned").
struct Outcome {
    std::string out, err, end;
};

class Handler : public ::testing::Test {
protected:
    void SetUp() override { opt_dest.clear(); }
    void TearDown() override { opt_dest.clear(); }

    Outcome handle(const tk_exception& e)
    {
        Outcome o;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        try {
            handler.handle(e, true);
            o.end = "returned";
        } catch (const console_exit& x) {
            o.end = "exit " + std::to_string(x.status);
        }
        o.err = testing::internal::GetCapturedStderr();
        o.out = testing::internal::GetCapturedStdout();
        return o;
    }

    tk_logger logger{nullptr, false, 3, false};
    vellix_convertor conv{vellix_convertor::console_form};
    error_handler handler;
};

TEST_F(Handler, ErrorPrintsItsLinesAsOneAndEndsTheProgram)
{
    Outcome o = handle(tk_exception("Destination path does not exist.\nPlease verify the correct path was given.", 1));
    EXPECT_EQ(o.out, "Error:\nDestination path does not exist. Please verify the correct path was given.\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.end, "exit -1");
}

TEST_F(Handler, ContinuableErrorIsPrintedAndReturns)
{
    Outcome o = handle(tk_exception("Something\nminor", 0));
    EXPECT_EQ(o.out, "Error:\nSomething minor\n");
    EXPECT_EQ(o.end, "returned");
}

TEST_F(Handler, PrefixAndConvertedMessage)
{
    handler.prefix = "Vellix";
    tk_exception e("own text", 1);
    e.code = 42;
    EXPECT_EQ(handle(e).out, "Error:\nVellix: own text\n");
    handler.converter.messages[42] = "chosen\ntext";
    EXPECT_EQ(handle(e).out, "Error:\nVellix: chosen text\n");
}

TEST_F(Handler, SilentHidesErrorsButNotInternalErrors)
{
    handler.silent = true;
    Outcome o = handle(tk_exception("Invalid page range", 1));
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.end, "exit -1");

    o = handle(tk_mail_assertion("../PDFR/vlx_conv", 209));
    EXPECT_EQ(o.out, "Internal error: " + tk_mail_assertion::make_message("../PDFR/vlx_conv", 209) + "\n");
    EXPECT_EQ(o.end, "exit -1");
}

TEST_F(Handler, WithTheDocumentOnStandardOutputMessagesGoToStandardError)
{
    opt_dest = "-"; // named on the command line, before the job has it
    Outcome o = handle(tk_exception("Incorrect password", 1));
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "Error:\nIncorrect password\n");
    o = handle(tk_exception("internal", 2));
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "Internal error: internal\n");
}

TEST(VlxrunToStandardOutput, WrongPasswordIsReportedOnStandardError)
{
    vlxtest::PdfWriter w;
    w.add_page().text(72, 700, "Secret text");
    vlxtest::TempFile plain(vlxtest::write_temp_pdf(w));
    vlxtest::TempFile locked(vlxtest::temp_path(".pdf"));
    ASSERT_TRUE(vlxtest::qpdf_encrypt(plain.path, locked.path, vlxtest::Crypt::aes_128, "user", "owner"));
    prog_result r = run_prog(vlxrun_path(), {"--src=" + locked.path, "--pswd=wrong", "--dest=-"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "") << "the standard output carries the document only";
    EXPECT_EQ(r.err, "Error:\nIncorrect password\n");
}

} // namespace
