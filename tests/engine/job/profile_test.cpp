#include "job_fixture.h"

#include "tk_except.h"
#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <fstream>
#include <optional>
#include <sstream>

namespace {

class JobProfile : public JobTest {
protected:
    // Only one job may exist at a time; fresh() replaces it by a new one.
    void fresh()
    {
        holder.reset();
        holder.emplace(vellix_convertor::console_form);
    }
    std::optional<vellix_convertor> holder{std::in_place, vellix_convertor::console_form};
    vellix_convertor& job = *holder;
};

TEST_F(JobProfile, WrittenByteForByte)
{
    job.src = "/docs/in.pdf";
    job.dest = "/docs/out.doc";
    job.password = "s3cret";
    job.set_page_range("1,3-5");
    job.convert_graphics = false;
    job.no_crlf_mode = true;
    job.physLayout_mode = true;
    job.noframe_mode = false;
    job.tables_mode = true;
    vlxtest::TempFile f(vlxtest::temp_path(".vlx"));
    ASSERT_TRUE(job.store_profile(f.path));
    EXPECT_EQ(vlxtest::slurp(f.path),
              "[Generic settings]\r\n"
              "convert graphics=0\r\n"
              "dest=/docs/out.doc\r\n"
              "line breaks=0\r\n"
              "logfile=\r\n"
              "mode=1\r\n"
              "pages=1,3-5\r\n"
              "password=s3cret\r\n"
              "recognize tables=1\r\n"
              "src=/docs/in.pdf\r\n"
              "\r\n");
}

TEST_F(JobProfile, DefaultsWriteNeitherPasswordNorPages)
{
    vlxtest::TempFile f(vlxtest::temp_path(".vlx"));
    ASSERT_TRUE(job.store_profile(f.path));
    EXPECT_EQ(vlxtest::slurp(f.path),
              "[Generic settings]\r\n"
              "convert graphics=1\r\n"
              "dest=\r\n"
              "line breaks=1\r\n"
              "logfile=\r\n"
              "mode=2\r\n"
              "recognize tables=0\r\n"
              "src=\r\n"
              "\r\n");
}

TEST_F(JobProfile, ReadsBackWhatItWrote)
{
    vlxtest::TempFile f(vlxtest::temp_path(".vlx"));
    job.src = "/a b/in.pdf";
    job.dest = "/a b/out.doc";
    job.password = "pw with blanks";
    job.set_page_range("2-4,9");
    job.convert_graphics = false;
    job.no_crlf_mode = true;
    job.physLayout_mode = true;
    job.noframe_mode = false;
    job.tables_mode = true;
    ASSERT_TRUE(job.store_profile(f.path));

    fresh();
    ASSERT_EQ(job.password, "");
    ASSERT_TRUE(job.load_profile(f.path));
    EXPECT_EQ(job.src, "/a b/in.pdf");
    EXPECT_EQ(job.dest, "/a b/out.doc");
    EXPECT_EQ(job.password, "pw with blanks");
    EXPECT_EQ(job.pages, "2-4,9");
    EXPECT_EQ(job.page_list, (std::vector<int>{2, 3, 4, 9}));
    EXPECT_FALSE(job.convert_graphics);
    EXPECT_TRUE(job.no_crlf_mode);
    EXPECT_TRUE(job.physLayout_mode);
    EXPECT_FALSE(job.noframe_mode);
    EXPECT_TRUE(job.tables_mode);
}

// Loads a profile text into the job.
bool load_text(vellix_convertor& job, const std::string& text)
{
    vlxtest::TempFile f(vlxtest::write_temp_file(text, ".vlx"));
    return job.load_profile(f.path);
}

TEST_F(JobProfile, ModeSetsBothLayoutFlags)
{
    ASSERT_TRUE(load_text(job, "[Generic settings]\nmode=1\n"));
    EXPECT_TRUE(job.physLayout_mode);
    EXPECT_FALSE(job.noframe_mode);
    ASSERT_TRUE(load_text(job, "[Generic settings]\nmode=2\n"));
    EXPECT_FALSE(job.physLayout_mode);
    EXPECT_TRUE(job.noframe_mode);
    // the value of "mode = 1" is " 1", which is not "1"
    ASSERT_TRUE(load_text(job, "[Generic settings]\nmode = 1\n"));
    EXPECT_FALSE(job.physLayout_mode);
    // no key: both stay, even the framed-block combination
    job.physLayout_mode = false;
    job.noframe_mode = false;
    ASSERT_TRUE(load_text(job, "[Generic settings]\nsrc=x.pdf\n"));
    EXPECT_FALSE(job.physLayout_mode);
    EXPECT_FALSE(job.noframe_mode);
}

TEST_F(JobProfile, SwitchValuesAreExact)
{
    ASSERT_TRUE(load_text(job, "[Generic settings]\nline breaks=0\nconvert graphics=0\n"
                               "recognize tables=1\n"));
    EXPECT_TRUE(job.no_crlf_mode);
    EXPECT_FALSE(job.convert_graphics);
    EXPECT_TRUE(job.tables_mode);
    ASSERT_TRUE(load_text(job, "[Generic settings]\nline breaks=yes\nconvert graphics=Yes\n"
                               "recognize tables=true\n"));
    EXPECT_FALSE(job.no_crlf_mode);
    EXPECT_FALSE(job.convert_graphics);
    EXPECT_FALSE(job.tables_mode);
    // empty values change nothing
    ASSERT_TRUE(load_text(job, "[Generic settings]\nline breaks=\nconvert graphics=\n"
                               "password=\npages=\n"));
    EXPECT_FALSE(job.no_crlf_mode);
    EXPECT_FALSE(job.convert_graphics);
}

TEST_F(JobProfile, OtherSectionsAreIgnored)
{
    ASSERT_TRUE(load_text(job, "[Other]\nmode=1\npassword=x\n"));
    EXPECT_FALSE(job.physLayout_mode);
    EXPECT_EQ(job.password, "");
}

TEST_F(JobProfile, BadPagesRaiseAfterTheOtherKeys)
{
    auto r = thrown([&] {
        load_text(job, "[Generic settings]\npassword=pw\nmode=1\npages=4,0\n");
    });
    EXPECT_EQ(r, std::make_pair(std::string("Invalid page range"), 1));
    EXPECT_EQ(job.password, "pw");
    EXPECT_TRUE(job.physLayout_mode);
    EXPECT_EQ(job.page_list, std::vector<int>{4});
}

TEST_F(JobProfile, MissingOrMalformedFiles)
{
    auto r = thrown([&] { job.load_profile("/nonexistent/folder/p.vlx"); });
    EXPECT_EQ(r, std::make_pair(std::string("Profile does not exist. Please verify the correct "
                                            "path/name was given."),
                                1));
    // a key before any section header
    EXPECT_FALSE(load_text(job, "password=early\n[Generic settings]\nmode=1\n"));
    EXPECT_EQ(job.password, "");
    EXPECT_FALSE(job.physLayout_mode);
    // a store into a missing folder fails
    EXPECT_FALSE(job.store_profile("/nonexistent/folder/p.vlx"));
}

}  // namespace
