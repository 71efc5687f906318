// The argument scanner and the option parser in-process: prefix matching in table order,
// non-option arguments, the scanner's assertions, and what each option changes.
#include "console.h"
#include "tk_cmdli.h"
#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An argv for the scanner; the program name comes first.
class Args {
public:
    explicit Args(std::vector<std::string> a) : text(std::move(a))
    {
        text.insert(text.begin(), "VLXRUN");
        for (std::string& s : text)
            ptrs.push_back(&s[0]);
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(text.size()); }
    char** argv() { return ptrs.data(); }

private:
    std::vector<std::string> text;
    std::vector<char*> ptrs;
};

const cmd_option TABLE[] = {{0, "--dest="}, {1, "--help"}, {5, "--mode=1"}, {11, "--tab"}, {0, ""}};

std::string assertion_of(void (*f)(ansi_cmd_line&), ansi_cmd_line& cl)
{
    try {
        f(cl);
    } catch (const tk_exception& e) {
        return e.message;
    }
    return "";
}

TEST(Scanner, MatchesByPrefixInTableOrderAndCollectsTheRest)
{
    Args a({"--helpme", "--table", "--mode=12", "--dest=--help", "stray", "--mode=", "-h"});
    ansi_cmd_line cl(a.argc(), a.argv(), TABLE);
    std::vector<std::pair<int, std::string>> seen;
    for (; cl.valid(); cl.next())
        seen.push_back({cl.option(), cl.value()});
    EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{1, "me"},
                                                              {11, "le"},
                                                              {5, "2"},
                                                              {0, "--help"},
                                                              {-1, "stray"},
                                                              {-1, "--mode="},
                                                              {-1, "-h"}}));
    ASSERT_EQ(cl.non_option_count(), 3);
    EXPECT_STREQ(cl.non_option(0), "stray");
    EXPECT_STREQ(cl.non_option(2), "-h");
}

TEST(Scanner, NoArgumentsIsNotValid)
{
    Args a({});
    ansi_cmd_line cl(a.argc(), a.argv(), TABLE);
    EXPECT_FALSE(cl.valid());
    EXPECT_EQ(cl.non_option_count(), 0);
}

TEST(Scanner, ReadingPastTheEndIsAnInternalError)
{
    Args a({"--tab"});
    ansi_cmd_line cl(a.argc(), a.argv(), TABLE);
    cl.next();
    ASSERT_FALSE(cl.valid());
    EXPECT_EQ(assertion_of([](ansi_cmd_line& c) { c.value(); }, cl),
              tk_mail_assertion::make_message("..\\TK/tk_cmdli", 147));
    EXPECT_EQ(assertion_of([](ansi_cmd_line& c) { c.option(); }, cl),
              tk_mail_assertion::make_message("..\\TK/tk_cmdli", 140));
    EXPECT_EQ(assertion_of([](ansi_cmd_line& c) { c.next(); }, cl),
              tk_mail_assertion::make_message("..\\TK/tk_cmdli", 60));
}

TEST(Scanner, MoreThanTwentyNonOptionsIsAnInternalError)
{
    std::vector<std::string> words(21, "word");
    Args a(words);
    ansi_cmd_line cl(a.argc(), a.argv(), TABLE);
    for (int i = 0; i < 19; ++i)
        cl.next();
    EXPECT_EQ(cl.non_option_count(), 20);
    EXPECT_EQ(assertion_of([](ansi_cmd_line& c) { c.next(); }, cl),
              tk_mail_assertion::make_message("..\\TK/tk_cmdli", 52));
}

// parse_cmd_line acts on the job and the error handler of the program.
class Parse : public ::testing::Test {
protected:
    void SetUp() override
    {
        opt_src.clear();
        opt_dest.clear();
        opt_pswd.clear();
    }
    void TearDown() override { SetUp(); }

    // The parser's result, or "usage" when it ended the program with the usage text.
    std::string parse(std::vector<std::string> args)
    {
        Args a(std::move(args));
        testing::internal::CaptureStderr();
        std::string result;
        try {
            result = parse_cmd_line(a.argc(), a.argv()) ? "true" : "false";
        } catch (const console_exit& e) {
            result = e.status == -1 ? "usage" : "exit " + std::to_string(e.status);
        } catch (...) {
            testing::internal::GetCapturedStderr();
            throw;
        }
        stderr_text = testing::internal::GetCapturedStderr();
        return result;
    }

    tk_logger logger{nullptr, false, 3, false};
    vellix_convertor conv{vellix_convertor::console_form};
    error_handler handler;
    std::string stderr_text;
};

TEST_F(Parse, LongerArgumentsMatchTheOptionTheyBeginWith)
{
    EXPECT_EQ(parse({"--table", "--mode=12", "--dest=--help", "--src=a.pdf", "--pswd=--tab"}), "true");
    EXPECT_TRUE(conv.tables_mode);
    EXPECT_TRUE(conv.physLayout_mode);
    EXPECT_FALSE(conv.noframe_mode);
    EXPECT_EQ(opt_dest, "--help") << "the value of --dest= is not read as an option";
    EXPECT_EQ(opt_src, "a.pdf");
    EXPECT_EQ(opt_pswd, "--tab");
    EXPECT_EQ(stderr_text, "");
}

TEST_F(Parse, HelpmeIsHelp)
{
    EXPECT_EQ(parse({"--helpme"}), "usage");
    EXPECT_EQ(stderr_text, usage_text() + "\n");
}

TEST_F(Parse, HelpEndsTheProgramEvenAfterAStrayWord)
{
    EXPECT_EQ(parse({"stray", "--tab", "--help", "--no_graph"}), "usage");
    EXPECT_TRUE(conv.tables_mode) << "options before --help were applied";
    EXPECT_TRUE(conv.convert_graphics) << "options after --help were not";
}

TEST_F(Parse, UnknownModesAreNonOptionsButEveryOptionIsStillApplied)
{
    EXPECT_EQ(parse({"--mode=3", "--tab", "--mode=", "--no_crlf"}), "false");
    EXPECT_TRUE(conv.tables_mode);
    EXPECT_TRUE(conv.no_crlf_mode);
    EXPECT_FALSE(conv.physLayout_mode);
}

TEST_F(Parse, LastModeWins)
{
    EXPECT_EQ(parse({"--mode=1", "--mode=2"}), "true");
    EXPECT_FALSE(conv.physLayout_mode);
    EXPECT_TRUE(conv.noframe_mode);
    EXPECT_EQ(parse({"--mode=2", "--mode=1"}), "true");
    EXPECT_TRUE(conv.physLayout_mode);
    EXPECT_FALSE(conv.noframe_mode);
}

TEST_F(Parse, SilentReachesTheJobAndTheHandler)
{
    EXPECT_EQ(parse({"--silent", "--no_graph"}), "true");
    EXPECT_TRUE(handler.silent);
    EXPECT_TRUE(conv.silent);
    EXPECT_FALSE(conv.convert_graphics);
}

TEST_F(Parse, BadPageListStopsAtOnce)
{
    try {
        parse({"--pages=5-5", "--tab"});
        FAIL() << "a bad page list was accepted";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.message, "Invalid page range");
        EXPECT_EQ(e.level, 1);
    }
    EXPECT_FALSE(conv.tables_mode) << "options after the bad one are not reached";
}

} // namespace
