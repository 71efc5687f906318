// The conversion run in-process: the page loop over listed pages, the progress counters, how a
// run ends, and the numbers of the picture shape.
#include "job_fixture.h"

#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_host.h"
#include "vlx_pict.h"
#include "vlx_testsupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

extern std::string last_handled_error;

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

// Records what the run asks of its program, and the progress at that moment.
struct RecordingHost : vlx_run_host {
    explicit RecordingHost(vellix_convertor& j) : job(j) {}
    void start_timer(int ms) override
    {
        timers.push_back(ms);
        count_at_timer = job.page_count;
        progress_at_timer = job.get_progress();
    }
    void error(const std::string& text) override { errors.push_back(text); }
    vellix_convertor& job;
    std::vector<int> timers;
    std::vector<std::string> errors;
    int count_at_timer = -1;
    double progress_at_timer = -1;
};

class Run : public JobTest {
protected:
    void SetUp() override
    {
        JobTest::SetUp();
        char tmpl[] = "/tmp/vlxrun-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        vlxtest::PdfWriter w;
        w.add_page().text(72, 700, "Marker Qfirst");
        w.add_page().text(72, 700, "Marker Qsecond");
        w.add_page().text(72, 700, "Marker Qthird");
        job.src = dir + "/three.pdf";
        w.save(job.src);
        job.dest = dir + "/three.doc";
        job.convert_graphics = false; // the page loop is what these tests look at
        last_handled_error.clear();
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        JobTest::TearDown();
    }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir;
    vellix_convertor job{vellix_convertor::console_form};
    error_handler handler;
};

TEST_F(Run, ListedPageBeyondTheDocumentIsLoggedSkippedAndCounted)
{
    const std::string log = dir + "/run.log";
    {
        tk_logger logger(log.c_str(), true, 1, false);
        job.set_page_range("3,99");
        RecordingHost host(job);
        job.host = &host;
        testing::internal::CaptureStdout();
        job.run();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(host.timers, std::vector<int>{200});
        EXPECT_EQ(host.count_at_timer, 2) << "the page count is known before the timer starts";
        EXPECT_EQ(host.progress_at_timer, 0);
        EXPECT_TRUE(host.errors.empty());
    }
    EXPECT_EQ(last_handled_error, "");
    EXPECT_FALSE(job.run_failed);
    EXPECT_TRUE(job.run_done);
    EXPECT_EQ(job.page_count, 2);
    EXPECT_EQ(job.current_page, 2);
    EXPECT_EQ(job.get_progress(), 100);
    EXPECT_NE(slurp(log).find("Page is our of range 99 > 3"), std::string::npos);
    std::string rtf = slurp(job.dest);
    EXPECT_EQ(count(rtf, "\\sect\\sectd\\sbkpage"), 0u) << "one page written";
    EXPECT_NE(rtf.find("Qthird"), std::string::npos);
    EXPECT_EQ(rtf.find("Qfirst"), std::string::npos);
    EXPECT_TRUE(vlxtest::rtf_braces_ok(rtf));
}

TEST_F(Run, RepeatedPageIsConvertedTwice)
{
    job.set_page_range("2,2");
    testing::internal::CaptureStdout();
    job.run();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Graphics is OFF\nGraphics is OFF\n");
    EXPECT_EQ(job.page_count, 2);
    EXPECT_EQ(job.get_progress(), 100);
    std::string rtf = slurp(job.dest);
    EXPECT_EQ(count(rtf, "\\sect\\sectd\\sbkpage"), 1u);
    EXPECT_EQ(count(rtf, "Qsecond"), 2u);
    EXPECT_EQ(count(rtf, "{\\colortbl"), 1u);
}

TEST_F(Run, AllPagesInOrderWhenNoneAreListed)
{
    testing::internal::CaptureStdout();
    job.run();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(job.page_count, 3);
    EXPECT_EQ(job.current_page, 3);
    EXPECT_EQ(job.get_progress(), 100);
    std::string rtf = slurp(job.dest);
    size_t one = rtf.find("Qfirst"), two = rtf.find("Qsecond"), three = rtf.find("Qthird");
    ASSERT_NE(three, std::string::npos);
    EXPECT_LT(one, two);
    EXPECT_LT(two, three);
    EXPECT_EQ(files(), (std::vector<std::string>{"three.doc", "three.pdf"})) << "no temporary file is left";
}

TEST_F(Run, PicturesGoBetweenThePaperWordsAndTheColourTable)
{
    job.convert_graphics = true;
    job.set_page_range("1");
    job.run();
    ASSERT_TRUE(job.run_done);
    std::string rtf = slurp(job.dest);
    size_t paper = rtf.find("\\paperw12240\\paperh15840\r\n");
    size_t shape = rtf.find(vlx_picture_head(1275, 1650, 150));
    size_t jpeg = rtf.find("ffd8ff", shape);
    size_t tail = rtf.find(VLX_PICTURE_TAIL);
    size_t colours = rtf.find("{\\colortbl;");
    ASSERT_NE(paper, std::string::npos);
    ASSERT_NE(shape, std::string::npos);
    EXPECT_EQ(shape, paper + std::string("\\paperw12240\\paperh15840\r\n").size());
    EXPECT_EQ(jpeg, shape + vlx_picture_head(1275, 1650, 150).size()) << "the JPEG follows the head directly";
    ASSERT_NE(tail, std::string::npos);
    EXPECT_EQ(rtf.substr(tail - 4, 4), "ffd9") << "the whole JPEG, up to its end marker";
    EXPECT_EQ(colours, tail + std::string(VLX_PICTURE_TAIL).size());
}

TEST_F(Run, MissingDestinationFolderAbandonsTheRunBelowFullProgress)
{
    job.dest = dir + "/missing/three.doc";
    job.run();
    EXPECT_EQ(last_handled_error, "Cannot open destination file");
    EXPECT_TRUE(job.run_failed);
    EXPECT_FALSE(job.run_done);
    EXPECT_EQ(job.page_count, 3);
    EXPECT_LT(job.get_progress(), 100);
}

TEST_F(Run, StopRequestEndsQuietlyAndLeavesNoDocument)
{
    job.request_stop();
    job.run();
    EXPECT_EQ(last_handled_error, "") << "the user asked; nothing to report";
    EXPECT_TRUE(job.run_failed);
    EXPECT_FALSE(job.run_done);
    EXPECT_LT(job.get_progress(), 100);
    EXPECT_EQ(files(), std::vector<std::string>{"three.pdf"});
}

TEST_F(Run, NamesAreRequiredBeforeTheRunReportsAnything)
{
    job.dest.clear();
    try {
        job.run();
        FAIL() << "a run without a destination started";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.message, tk_mail_assertion::make_message("../PDFR/vlx_conv", 209));
    }
    EXPECT_EQ(last_handled_error, "");
}

TEST(PictureHead, LetterPageAt150Dpi)
{
    EXPECT_EQ(vlx_picture_head(1275, 1650, 150),
              "{\\shp\n{\\*\\shpinst\\shpleft0\\shptop0\\shpright12240\\shpbottom15840\n"
              "\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0\n"
              "{\\sp{\\sn shapeType}{\\sv 75}}\n"
              "{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip\\picw612 \\pich792\n"
              "\\picwgoal12240 \\pichgoal15840\n"
              "\\picscalex100 \\picscaley100\n");
}

TEST(PictureHead, OnePixelTruncatesEveryNumber)
{
    std::string h = vlx_picture_head(1, 1, 150);
    EXPECT_NE(h.find("\\shpright9\\shpbottom9\n"), std::string::npos) << h;
    EXPECT_NE(h.find("\\picw0 \\pich0\n"), std::string::npos) << h;
    EXPECT_NE(h.find("\\picwgoal9 \\pichgoal9\n"), std::string::npos) << h;
}

TEST(PictureHead, TailClosesThePictureAndPutsItBehindTheText)
{
    EXPECT_EQ(std::string(VLX_PICTURE_TAIL), "\n}}}\n{\\sp{\\sn fRecolorFillAsPicture}{\\sv 0}}"
                                             "\n{\\sp{\\sn posrelh}{\\sv 1}}\n{\\sp{\\sn posrelv}{\\sv 1}}"
                                             "\n{\\sp{\\sn fAllowOverlap}{\\sv 1}}"
                                             "\n{\\sp{\\sn fBehindDocument}{\\sv 1}}\n}}");
}

} // namespace
