// The argument scanner, the option parser and the error handler in-process. Prefix matching is
// checked through the program's own option table.
#include "console.h"
#include "tk_cmdli.h"
#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_conv.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace {

// An argv for the scanner; the program name comes first.
struct Args {
    explicit Args(std::vector<std::string> a) : text(std::move(a))
    {
        text.insert(text.begin(), "VLXRUN");
        for (std::string& s : text)
            ptrs.push_back(&s[0]);
        ptrs.push_back(nullptr);
    }
    int argc() const { return int(text.size()); }
    std::vector<std::string> text;
    std::vector<char*> ptrs;
};

const cmd_option TABLE[] = {{11, "--tab"}, {0, ""}};

template <class F>
std::string thrown(F f)
{
    try {
        f();
    } catch (const tk_exception& e) {
        return e.message + " (level " + std::to_string(e.level) + ")";
    } catch (const console_exit& e) {
        return "exit " + std::to_string(e.status);
    }
    return "";
}

TEST(Scanner, MisuseIsAnInternalError)
{
    Args a({"--tab"});
    ansi_cmd_line cl(a.argc(), a.ptrs.data(), TABLE);
    cl.next();
    ASSERT_FALSE(cl.valid());
    const auto assertion = [](int line) {
        return tk_mail_assertion::make_message("..\\TK/tk_cmdli", line) + " (level 2)";
    };
    EXPECT_EQ(thrown([&] { cl.value(); }), assertion(147));
    EXPECT_EQ(thrown([&] { cl.next(); }), assertion(60));
}

TEST(Parse, OptionsActInCommandLineOrder)
{
    tk_logger logger{nullptr, false, 3, false};
    // {arguments, outcome, state after: tables no_crlf physLayout noframe graphics silent(job, handler)}
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"--table", "--mode=12", "--dest=--help", "--src=a.pdf", "--pswd=--tab"},
         "true 1010100 a.pdf|--help|--tab"},
        // --help ends the program when reached: options before it applied, after it not
        {{"stray", "--tab", "--help", "--no_graph"}, "exit -1 1001100 ||"},
        // unknown modes are non-option arguments, but every option is applied
        {{"--mode=3", "--tab", "--mode=", "--no_crlf"}, "false 1101100 ||"},
        {{"--silent", "--no_graph"}, "true 0001011 ||"},
        {{"--pages=5-5", "--tab"}, "Invalid page range (level 1) 0001100 ||"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.first.front());
        opt_src = opt_dest = opt_pswd = "";
        vellix_convertor conv(vellix_convertor::console_form);
        error_handler handler;
        Args a(r.first);
        std::string outcome;
        vlxtest::Captured err(2);
        std::string error = thrown([&] { outcome = parse_cmd_line(a.argc(), a.ptrs.data()) ? "true" : "false"; });
        err.text();
        std::ostringstream s;
        s << (error.empty() ? outcome : error) << ' ' << conv.tables_mode << conv.no_crlf_mode
          << conv.physLayout_mode << conv.noframe_mode << conv.convert_graphics << conv.silent
          << handler.silent << ' ' << opt_src << '|' << opt_dest << '|' << opt_pswd;
        EXPECT_EQ(s.str(), r.second);
    }
    opt_src = opt_dest = opt_pswd = "";
}

TEST(Handler, LinesStreamsAndEndings)
{
    tk_logger logger{nullptr, false, 3, false};
    vellix_convertor conv(vellix_convertor::console_form);
    error_handler handler;
    const struct {
        const char* message;
        int level;
        bool silent;
        const char* dest;  // "-": the document goes to standard output
        const char *out, *err, *end;
    } rows[] = {
        {"Destination path does not exist.\nPlease verify the correct path was given.", 1, false, "",
         "Error:\nDestination path does not exist. Please verify the correct path was given.\n", "", "exit -1"},
        {"Something\nminor", 0, false, "", "Error:\nSomething minor\n", "", ""},
        {"Invalid page range", 1, true, "", "", "", "exit -1"},
        {"internal", 2, true, "", "Internal error: internal\n", "", "exit -1"},
        {"Incorrect password", 1, false, "-", "", "Error:\nIncorrect password\n", "exit -1"},
        {"internal", 2, false, "-", "", "Internal error: internal\n", "exit -1"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.message);
        handler.silent = r.silent;
        opt_dest = r.dest; // named on the command line, before the job has it
        vlxtest::Captured out(1), err(2);
        EXPECT_EQ(thrown([&] { handler.handle(tk_exception(r.message, r.level), true); }), r.end);
        EXPECT_EQ(err.text(), r.err);
        EXPECT_EQ(out.text(), r.out);
    }
    opt_dest.clear();
}

} // namespace
