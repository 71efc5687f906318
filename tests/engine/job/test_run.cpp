// The conversion run in-process: listed pages, progress counters and how a run ends.
#include "job_fixture.h"

#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_host.h"
#include "vlx_testsupport.h"

#include <filesystem>

extern std::string last_handled_error;

namespace {

struct RecordingHost : vlx_run_host {
    void start_timer(int ms) override { timers.push_back({ms, job->page_count}); }
    void error(const std::string& text) override { errors.push_back(text); }
    vellix_convertor* job;
    std::vector<std::pair<int, int>> timers; // interval, page count at the start
    std::vector<std::string> errors;
};

class Run : public JobTest {
protected:
    Run()
    {
        vlxtest::PdfWriter w;
        for (const char* t : {"Marker Qfirst", "Marker Qsecond", "Marker Qthird"})
            w.add_page().text(72, 700, t);
        job.src = dir / "three.pdf";
        w.save(job.src);
        job.dest = dir / "three.doc";
        job.convert_graphics = false;
        last_handled_error.clear();
    }
    void run()
    {
        testing::internal::CaptureStdout();
        job.run();
        testing::internal::GetCapturedStdout();
    }

    vlxtest::TempDir dir{"vlxrun"};
    vellix_convertor job{vellix_convertor::console_form};
    error_handler handler;
};

TEST_F(Run, ListedPageBeyondTheDocumentIsLoggedSkippedAndCounted)
{
    RecordingHost host;
    host.job = &job;
    job.host = &host;
    job.set_page_range("3,99");
    {
        tk_logger logger((dir / "run.log").c_str(), true, 1, false);
        run();
    }
    EXPECT_EQ(host.timers, (std::vector<std::pair<int, int>>{{200, 2}}));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(last_handled_error, "");
    EXPECT_TRUE(job.run_done);
    EXPECT_EQ(job.current_page, 2);
    EXPECT_EQ(job.get_progress(), 100);
    EXPECT_NE(vlxtest::slurp(dir / "run.log").find("Page is our of range 99 > 3"), std::string::npos);
}

TEST_F(Run, MissingDestinationFolderAbandonsTheRunBelowFullProgress)
{
    job.dest = dir / "missing/three.doc";
    run();
    EXPECT_EQ(last_handled_error, "Cannot open destination file");
    EXPECT_TRUE(job.run_failed);
    EXPECT_FALSE(job.run_done);
    EXPECT_LT(job.get_progress(), 100);
}

TEST_F(Run, StopRequestEndsQuietlyAndLeavesNoDocument)
{
    job.request_stop();
    run();
    EXPECT_EQ(last_handled_error, "") << "the user asked; nothing to report";
    EXPECT_TRUE(job.run_failed);
    EXPECT_LT(job.get_progress(), 100);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "only the source is left";
}

TEST_F(Run, NamesAreRequiredBeforeTheRunReportsAnything)
{
    job.dest.clear();
    EXPECT_EQ(thrown([&] { job.run(); }).first, tk_mail_assertion::make_message("../PDFR/vlx_conv", 209));
    EXPECT_EQ(last_handled_error, "");
}

// No console option selects framed blocks: the wizard's job takes them from the settings store.
TEST_F(JobTest, FramedBlocksBreakAfterALineShortByItsNaturalWidth)
{
    {
        tk_reg_key key(VLX_SETTINGS_KEY);
        ASSERT_EQ(key.create(plat::hkey_current_user(), VLX_SETTINGS_KEY), 0);
        ASSERT_EQ(key.set_value(0u, "noframe_mode"), 0);
        ASSERT_EQ(key.set_value(0u, "physLayout_mode"), 0);
    }
    // Courier 20 pt, 12 pt a character: each block is 360 wide, its frame 378. The line of 20 Cs
    // measures 240 without a trailing space and 252 with one; the next line's first word 132.
    // 240 + 132 < 378: that word would have fitted, so the Cs ended their paragraph. After 21 Cs
    // (252 + 132 > 378) the Ds go on in the same paragraph.
    vlxtest::TempDir dir{"vlxframed"};
    vlxtest::PdfWriter w;
    const std::string cs[] = {std::string(20, 'C'), std::string(21, 'C')};
    for (const std::string& c : cs) {
        const std::string rows[] = {std::string(30, 'A'), std::string(20, 'B'), c, "DDDDDDDDDDD EE"};
        vlxtest::PdfPage& p = w.add_page();
        for (int i = 0; i < 4; ++i)
            p.text(72, 700 - 24 * i, rows[i], "Courier", 20);
    }
    error_handler handler;
    vellix_convertor job;
    ASSERT_FALSE(job.noframe_mode || job.physLayout_mode);
    job.src = dir / "framed.pdf";
    w.save(job.src);
    job.dest = dir / "framed.doc";
    job.convert_graphics = false;
    testing::internal::CaptureStdout();
    job.run();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(job.run_done) << last_handled_error;
    const std::string rtf = vlxtest::slurp(job.dest);
    EXPECT_NE(rtf.find("\\li-5\\ri-15\\sl-"), std::string::npos) << "framed blocks: " << rtf;
    size_t from = 0;
    for (const std::string& c : cs) {
        size_t at = rtf.find(c + " ", from), d = rtf.find("DDDDDDDDDDD", at);
        ASSERT_TRUE(at != std::string::npos && d != std::string::npos) << rtf;
        EXPECT_EQ(rtf.substr(at, d - at).find("\\par") != std::string::npos, c.size() == 20) << rtf.substr(at, d - at);
        from = d;
    }
}

} // namespace
