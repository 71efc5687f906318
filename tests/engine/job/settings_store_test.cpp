#include "job_fixture.h"

#include "scoped_env.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_testsupport.h"

#include <GlobalParams.h>

#include <fstream>
#include <optional>
#include <sstream>

namespace {

class JobSettingsStore : public JobTest {
protected:
    static void expect_built_in(const vellix_convertor& j)
    {
        EXPECT_TRUE(j.convert_graphics);
        EXPECT_TRUE(j.open_on_exit);
        EXPECT_TRUE(j.noframe_mode);
        EXPECT_FALSE(j.physLayout_mode);
        EXPECT_FALSE(j.xp_mode);
        EXPECT_FALSE(j.tables_mode);
        EXPECT_FALSE(j.no_crlf_mode);
        EXPECT_EQ(j.resolution, 150);
        EXPECT_EQ(j.pages, "");
        EXPECT_EQ(j.password, "");
        EXPECT_EQ(j.src, "");
        EXPECT_EQ(j.dest, "");
        EXPECT_TRUE(j.page_list.empty());
        EXPECT_EQ(j.current_page, 0);
        EXPECT_EQ(j.page_count, 0);
    }
    // Every setting the store keeps, changed from its built-in value.
    static void change_all(vellix_convertor& j)
    {
        j.convert_graphics = false;
        j.open_on_exit = false;
        j.noframe_mode = false;
        j.physLayout_mode = true;
        j.xp_mode = true;
        j.tables_mode = true;
        j.no_crlf_mode = true;
        j.pages = "2-3";
        j.password = "pass word";
        j.src = "/in.pdf";
        j.dest = "/out.doc";
    }
    static void expect_changed(const vellix_convertor& j)
    {
        EXPECT_FALSE(j.convert_graphics);
        EXPECT_FALSE(j.open_on_exit);
        EXPECT_FALSE(j.noframe_mode);
        EXPECT_TRUE(j.physLayout_mode);
        EXPECT_TRUE(j.xp_mode);
        EXPECT_TRUE(j.tables_mode);
        EXPECT_TRUE(j.no_crlf_mode);
        EXPECT_EQ(j.pages, "2-3");
        EXPECT_EQ(j.password, "pass word");
        EXPECT_EQ(j.src, "/in.pdf");
        EXPECT_EQ(j.dest, "/out.doc");
    }
};

TEST_F(JobSettingsStore, MissingStoreKeepsBuiltInSettings)
{
    vellix_convertor job;
    expect_built_in(job);
    EXPECT_EQ(job.form(), vellix_convertor::wizard_form);
}

TEST_F(JobSettingsStore, RoundTripThroughTheStore)
{
    {
        vellix_convertor job;
        change_all(job);
    }  // stored here
    vellix_convertor job;
    expect_changed(job);
    // the page list is only rebuilt from the text on request
    EXPECT_TRUE(job.page_list.empty());
    EXPECT_TRUE(job.serialize(false));
}

TEST_F(JobSettingsStore, SerializeReportsMissingValues)
{
    vellix_convertor job;
    EXPECT_FALSE(job.serialize(false));
    EXPECT_TRUE(job.serialize(true));
    EXPECT_TRUE(job.serialize(false));
}

TEST_F(JobSettingsStore, OneStoredValueLeavesTheOthersBuiltIn)
{
    {
        tk_reg_key key(VLX_SETTINGS_KEY);
        ASSERT_EQ(key.create(plat::hkey_current_user(), VLX_SETTINGS_KEY), 0);
        ASSERT_EQ(key.set_value(1u, "tables_mode"), 0);
        ASSERT_EQ(key.set_value(0u, "open on exit"), 0);
        key.close();
    }
    vellix_convertor job;
    EXPECT_TRUE(job.tables_mode);
    EXPECT_FALSE(job.open_on_exit);
    EXPECT_TRUE(job.noframe_mode);
    EXPECT_TRUE(job.convert_graphics);
    EXPECT_FALSE(job.physLayout_mode);
}

TEST_F(JobSettingsStore, UnusableStoreChangesNothing)
{
    // the store's folder cannot be made below a regular file
    vlxtest::TempFile blocker(vlxtest::temp_path(""));
    setenv("XDG_CONFIG_HOME", blocker.path.c_str(), 1);
    vellix_convertor job;
    expect_built_in(job);
    change_all(job);
    EXPECT_FALSE(job.serialize(true));
    EXPECT_FALSE(job.serialize(false));
    expect_changed(job);
}

TEST_F(JobSettingsStore, ConsoleJobNeverTouchesTheStore)
{
    {
        vellix_convertor wizard;
        change_all(wizard);
    }
    {
        vellix_convertor console(vellix_convertor::console_form);
        expect_built_in(console);
        console.password = "console";
        console.tables_mode = false;
    }
    vellix_convertor wizard;
    expect_changed(wizard);
}

TEST_F(JobSettingsStore, ConsoleJobWithoutStoreWritesNoFile)
{
    {
        vellix_convertor console(vellix_convertor::console_form);
        change_all(console);
    }
    EXPECT_FALSE(std::filesystem::exists(store_file()));
}

TEST_F(JobSettingsStore, PasswordNeverReachesTheLog)
{
    vlxtest::TempFile log(vlxtest::temp_path(".log"));
    vlxtest::TempFile prof(vlxtest::temp_path(".vlx"));
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

TEST_F(JobSettingsStore, JobOwnsThePdfLibrarySettings)
{
    {
        vellix_convertor job(vellix_convertor::console_form);
        ASSERT_NE(globalParams, nullptr);
        EXPECT_EQ(globalParams->getTextEncodingName(), "Latin1");
        EXPECT_EQ(&vellix_convertor::get_instance(), &job);
    }
    EXPECT_EQ(globalParams, nullptr);
    EXPECT_EQ(vellix_convertor::slot(), nullptr);
}

TEST_F(JobSettingsStore, SecondJobIsAnInternalError)
{
    vellix_convertor job(vellix_convertor::console_form);
    auto r = thrown([] { vellix_convertor second(vellix_convertor::console_form); });
    EXPECT_EQ(r.second, 2);
    EXPECT_EQ(&vellix_convertor::get_instance(), &job);
}

}  // namespace
