// The job's settings: page ranges, progress, profiles and the settings store.
#include "job_fixture.h"

#include "tk_log.h"
#include "vlx_testsupport.h"

#include <GlobalParams.h>

#include <sys/stat.h>

#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace {

using Pages = std::vector<int>;
const std::pair<std::string, int> NO_ERROR{"", -1}, BAD_RANGE{"Invalid page range", 1};

std::string settings(const vellix_convertor& j)
{
    std::ostringstream s;
    s << j.convert_graphics << j.open_on_exit << j.noframe_mode << j.physLayout_mode << j.xp_mode
      << j.tables_mode << j.no_crlf_mode << ' ' << j.resolution << '|' << j.pages << '|'
      << j.password << '|' << j.src << '|' << j.dest;
    return s.str();
}
const std::string BUILT_IN = "1110000 150||||";
const std::string LOAD_DEFAULTS = "1100010 150||||"; // what a store without values gives
const std::string CHANGED = "0001111 150|2-3|pass word|/in.pdf|/out.doc";
void change_all(vellix_convertor& j)
{
    j.convert_graphics = j.open_on_exit = j.noframe_mode = false;
    j.physLayout_mode = j.xp_mode = j.tables_mode = j.no_crlf_mode = true;
    j.pages = "2-3";
    j.password = "pass word";
    j.src = "/in.pdf";
    j.dest = "/out.doc";
}

class Job : public JobTest {
protected:
    bool load_text(const std::string& text)
    {
        vlxtest::TempFile f(vlxtest::write_temp_file(text, ".vlx"));
        return job.load_profile(f.path);
    }
    std::optional<vellix_convertor> holder{std::in_place, vellix_convertor::console_form};
    vellix_convertor& job = *holder;
};

TEST_F(Job, PageRanges)
{
    const struct {
        const char* text;
        Pages pages;  // refused rows: the pages of the items before the bad one
        bool ok;
    } rows[] = {
        {"", {}, true}, {"9,3-5, 8", {9, 3, 4, 5, 8}, true}, {" 4 - 6 ", {4, 5, 6}, true},
        {"2x-4y", {2, 3, 4}, true}, {"2147483646-2147483647", {2147483646, 2147483647}, true},
        {"5-5", {}, false}, {"0", {}, false}, {"abc", {}, false}, {"1-2-3", {}, false}, {"5-", {}, false},
        {"1,", {1}, false}, {"1,3-4,5-2,9", {1, 3, 4}, false},
        // numbers must fit an int (4294967297 would wrap to 1), and ranges may not exhaust memory
        {"3,2147483648", {3}, false}, {"99999999999999999999", {}, false},
        {"1-4294967297", {}, false}, {"5,1-2000000000", {5}, false}, {"1-1000001", {}, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string("‹") + r.text + "›");
        EXPECT_EQ(thrown([&] { job.set_page_range(r.text); }), r.ok ? NO_ERROR : BAD_RANGE);
        EXPECT_EQ(job.pages, r.text);
        EXPECT_EQ(job.page_list, r.pages);
    }
}

TEST_F(Job, WholePageListIsBounded)
{
    EXPECT_EQ(thrown([&] { job.set_page_range("1-1000000"); }), NO_ERROR);
    EXPECT_EQ(job.page_list.size(), 1000000u);
    for (auto r : {std::make_pair("1-1000000,7", 1000000u), std::make_pair("1-999999,1-2", 999999u)}) {
        EXPECT_EQ(thrown([&] { job.set_page_range(r.first); }), BAD_RANGE) << r.first;
        EXPECT_EQ(job.page_list.size(), r.second) << r.first;
    }
}

TEST_F(Job, ProgressIsAWholePercentage)
{
    EXPECT_EQ(job.get_progress(), 0);
    // {current, count, percent}; current * 100 must not wrap
    const int rows[][3] = {{1, 0, 0}, {2, 3, 66}, {3, 3, 100}, {1900000000, 2000000000, 95}};
    for (const auto& r : rows) {
        job.current_page = r[0];
        job.page_count = r[1];
        EXPECT_EQ(job.get_progress(), r[2]) << r[0] << "/" << r[1];
    }
}

TEST_F(Job, ProfileWrittenByteForByteAndReadBack)
{
    vlxtest::TempFile f(vlxtest::temp_path(".vlx"));
    // over a longer profile: nothing of it is left to load again
    vlxtest::spit(f.path, std::string(200, '\n') + "[Generic settings]\r\npassword=old\r\n");
    ASSERT_TRUE(job.store_profile(f.path));
    EXPECT_EQ(vlxtest::slurp(f.path), "[Generic settings]\r\nconvert graphics=1\r\ndest=\r\n"
                                      "line breaks=1\r\nlogfile=\r\nmode=2\r\n"
                                      "recognize tables=0\r\nsrc=\r\n\r\n")
        << "no password and no pages: neither key is written";

    change_all(job);
    job.set_page_range("1,3-5");
    ASSERT_TRUE(job.store_profile(f.path));
    EXPECT_EQ(vlxtest::slurp(f.path),
              "[Generic settings]\r\nconvert graphics=0\r\ndest=/out.doc\r\nline breaks=0\r\n"
              "logfile=\r\nmode=1\r\npages=1,3-5\r\npassword=pass word\r\n"
              "recognize tables=1\r\nsrc=/in.pdf\r\n\r\n");

    holder.reset();  // one job at a time
    vellix_convertor& back = holder.emplace(vellix_convertor::console_form);
    ASSERT_TRUE(back.load_profile(f.path));
    // xp_mode and open_on_exit have no keys
    EXPECT_EQ(settings(back), "0101011 150|1,3-5|pass word|/in.pdf|/out.doc");
    EXPECT_EQ(back.page_list, (Pages{1, 3, 4, 5}));
}

TEST_F(Job, ProfileValuesAreExact)
{
    // loaded one after another into the same job
    const std::pair<const char*, const char*> rows[] = {
        {"mode=1\nline breaks=0\nconvert graphics=0\nrecognize tables=1", "0101011"},
        {"mode=\nline breaks=\nconvert graphics=\nrecognize tables=\npages=\npassword=", "0101011"},
        {"mode=2\nline breaks=yes\nconvert graphics=1\nrecognize tables=true", "1110000"},
        {"mode=3\nline breaks=no\nconvert graphics=yes\nrecognize tables=1", "0110010"},
    };
    job.src = "/job.pdf";
    job.dest = "/job.doc";
    for (const auto& r : rows) {
        ASSERT_TRUE(load_text(std::string("[Generic settings]\n") + r.first + "\n"));
        EXPECT_EQ(settings(job).substr(0, 7), r.second) << r.first;
    }
    // a profile without names, or with empty ones, keeps the job's
    ASSERT_TRUE(load_text("[Generic settings]\nsrc=\ndest=\n"));
    EXPECT_EQ(job.src + "|" + job.dest, "/job.pdf|/job.doc");
    // other sections are ignored; a key before any section header makes the file unreadable
    ASSERT_TRUE(load_text("[Other]\nmode=1\npassword=x\n"));
    EXPECT_FALSE(load_text("password=early\n[Generic settings]\nmode=1\n"));
    EXPECT_FALSE(job.physLayout_mode);
    EXPECT_EQ(job.password, "");
}

TEST_F(Job, RefusedProfileChangesNothing)
{
    change_all(job);
    job.set_page_range("2-3");
    const std::string before = settings(job);
    vlxtest::TempFile ro(vlxtest::write_temp_file("old log", ".log"));
    chmod(ro.path.c_str(), 0444);
    const std::string all = "[Generic settings]\nsrc=/other.pdf\ndest=/other.doc\npassword=pw\nmode=2\n"
                            "line breaks=1\nconvert graphics=1\nrecognize tables=0\n";
    const std::pair<std::string, std::pair<std::string, int>> rows[] = {
        {all + "pages=4,0\n", BAD_RANGE},
        {all + "pages=zz\n", BAD_RANGE},
        {all + "logfile=" + ro.path + "\n", {"Logfile name specifies an existing read-only file.", 1}},
        {all + "logfile=/nonexistent/folder/x.log\n",
         {"Logfile path does not exist.\nPlease verify the correct path was given.", 1}},
        {all + "logfile=/other.pdf\n",
         {"Logfile name should differ from the source, destination and profile names.", 1}},
    };
    {
        tk_logger logger(nullptr, false, 3, false);
        for (const auto& [text, error] : rows) {
            SCOPED_TRACE(text);
            EXPECT_EQ(thrown([&] { load_text(text); }), error);
            EXPECT_EQ(settings(job), before);
            EXPECT_EQ(job.page_list, (Pages{2, 3}));
            EXPECT_EQ(job.logfile, "");
            EXPECT_TRUE(job.profile_files.empty());
            EXPECT_FALSE(logger.enabled);
        }
    }
    EXPECT_EQ(vlxtest::slurp(ro.path), "old log");

    EXPECT_EQ(thrown([&] { job.load_profile("/nonexistent/folder/p.vlx"); }),
              std::make_pair(std::string("Profile does not exist. Please verify the correct "
                                         "path/name was given."), 1));
    EXPECT_FALSE(job.store_profile("/nonexistent/folder/p.vlx"));
}

TEST_F(JobTest, SettingsStoreRoundTrip)
{
    change_all(*std::make_unique<vellix_convertor>(vellix_convertor::console_form));
    EXPECT_FALSE(std::filesystem::exists(config / "Quorvane")) << "the console never writes the store";
    {
        vellix_convertor job;
        EXPECT_EQ(settings(job), LOAD_DEFAULTS) << "nothing stored yet";
        EXPECT_FALSE(job.serialize(false)) << "missing values are reported";
        change_all(job);
    }  // stored here
    {
        vellix_convertor job;
        EXPECT_EQ(settings(job), CHANGED);
        EXPECT_TRUE(job.page_list.empty()) << "the list is only rebuilt from the text on request";
        EXPECT_TRUE(job.serialize(false));
    }
    vellix_convertor console(vellix_convertor::console_form);
    EXPECT_EQ(settings(console), BUILT_IN) << "the console never reads the store";
}

TEST_F(JobTest, OneStoredValueLeavesTheOthersAtTheirLoadDefaults)
{
    {
        tk_reg_key key(VLX_SETTINGS_KEY);
        ASSERT_EQ(key.create(plat::hkey_current_user(), VLX_SETTINGS_KEY), 0);
        ASSERT_EQ(key.set_value(1u, "noframe_mode"), 0);
        ASSERT_EQ(key.set_value(0u, "open on exit"), 0);
    }
    vellix_convertor job;
    EXPECT_EQ(settings(job), "1010010 150||||");
}

TEST_F(JobTest, PasswordNeverReachesTheLog)
{
    vlxtest::TempFile log(vlxtest::temp_path(".log")), prof(vlxtest::temp_path(".vlx"));
    {
        tk_logger logger(log.path.c_str(), true, 1, false);
        vellix_convertor job;
        job.password = "Pa55word";
        ASSERT_TRUE(job.serialize(true));
        ASSERT_TRUE(job.serialize(false));
        ASSERT_TRUE(job.store_profile(prof.path));
        ASSERT_TRUE(job.load_profile(prof.path));
    }
    const std::string logged = vlxtest::slurp(log.path);
    EXPECT_NE(logged.find("serialize( 1 )"), std::string::npos) << "nothing was logged";
    EXPECT_EQ(logged.find("Pa55word"), std::string::npos) << logged;
}

TEST_F(JobTest, OneJobOwnsTheLibrarySettings)
{
    {
        vellix_convertor job(vellix_convertor::console_form);
        ASSERT_NE(globalParams, nullptr);
        EXPECT_EQ(globalParams->getTextEncodingName(), "Latin1");
        EXPECT_EQ(thrown([] { vellix_convertor second(vellix_convertor::console_form); }).second, 2);
        EXPECT_EQ(&vellix_convertor::get_instance(), &job);
    }
    EXPECT_EQ(globalParams, nullptr);
    EXPECT_EQ(vellix_convertor::slot(), nullptr);
}

}  // namespace
