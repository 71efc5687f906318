#include "console.h"

#include "tk_cmdli.h"
#include "tk_dest.h"
#include "tk_errh.h"
#include "tk_fname.h"
#include "tk_log.h"
#include "tk_utils.h"
#include "pdf_name.h"
#include "pdf_open.h"
#include "plat_tmpreg.h"
#include "vlx_conv.h"
#include "vlx_dest.h"

#include <PDFDoc.h>

#include <cstdio>
#include <vector>

std::string opt_src;
std::string opt_dest;
std::string opt_pswd;

namespace {

const int VERSION_MAJOR = 4;
const int VERSION_MINOR = 1;

const cmd_option options[] = {
    {0, "--dest="},   {1, "--help"},    {2, "--no_crlf"}, {3, "--no_graph"}, {4, "--mode=2"},
    {5, "--mode=1"},  {6, "--pages="},  {7, "--profile="}, {8, "--pswd="},   {9, "--silent"},
    {10, "--src="},   {11, "--tab"},    {0, ""},
};

} // namespace

std::string usage_text()
{
    char head[32];
    std::snprintf(head, sizeof head, "VLXRUN v%d.%d", VERSION_MAJOR, VERSION_MINOR);
    return std::string(head) +
           "\nUsage: VLXRUN OPTIONS\n"
           "\n"
           "   --dest=...    path to the destination MS Word document\n"
           "   --help        display this help message and exit\n"
           "   --no_crlf     never insert line breaks inside a paragraph\n"
           "   --no_graph    don't convert graphics\n"
           "   --mode=...    how to generate the resulting document (1 - preserve\n"
           "                 the original layout, 2 - preserve text flow)\n"
           "   --pages=...   page numbers and/or pages ranges separated by commas.\n"
           "                 For example: 1,3,5-10\n"
           "   --profile=... path to the file to load conversion settings from\n"
           "   --pswd=...    password for the source PDF document (if any)\n"
           "   --src=...     path to the source PDF document\n"
           "   --tab         recognize tables\n"
           "\n"
           "NOTES:\n"
           "   1) The default mode is 'preserve text flow'. You can change it \n"
           "      using '--mode=1' parameter\n"
           "   2) Command line parameters that contain spaces should be enclosed in\n"
           "      quotes (for example --dest=\"/home/me/my documents/my report.doc\")";
}

void cmd_fatal(const std::string& message)
{
    tk_log(3, "%s", message.c_str());
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    throw console_exit{-1};
}

bool parse_cmd_line(int argc, char** argv)
{
    tk_log(1, "parse_cmd_line");
    vellix_convertor& conv = vellix_convertor::instance();
    ansi_cmd_line cl(argc, argv, options);
    for (; cl.valid(); cl.next()) {
        switch (cl.option()) {
        case 0: opt_dest = cl.value(); break;
        case 1: cmd_fatal(usage_text());
        case 2:
            conv.no_crlf_mode = true;
            tk_log(2, "never insert line breaks inside a paragraph is ON");
            break;
        case 3:
            conv.convert_graphics = false;
            tk_log(2, "Turn off processing graphics");
            break;
        case 4:
            conv.noframe_mode = true;
            conv.physLayout_mode = false;
            tk_log(2, "Text framed is OFF");
            break;
        case 5:
            conv.physLayout_mode = true;
            conv.noframe_mode = false;
            tk_log(2, "Physical document structure is ON");
            break;
        case 6: conv.set_page_range(cl.value()); break;
        case 7: conv.load_profile(cl.value()); break;
        case 8: opt_pswd = cl.value(); break;
        case 9:
            conv.set_silent(true);
            error_handler::instance().silent = true;
            tk_log(1, "parse_cmd_line - silent mode is ON");
            break;
        case 10: opt_src = cl.value(); break;
        case 11:
            conv.tables_mode = true;
            tk_log(2, "Tables creation is ON");
            break;
        default: break; // a non-option argument, already counted
        }
    }
    return cl.non_option_count() == 0;
}

namespace {

std::string default_dest(const std::string& src)
{
    tk_file_name fn(src);
    fn.set_ext(".doc");
    return fn.make_path();
}

// The names a profile's log file must not be: the ones given on the command line, and the file
// open on standard output when the document goes there.
std::vector<std::string> named_files()
{
    const std::string dest = opt_dest.empty() && !opt_src.empty() ? default_dest(opt_src) : opt_dest;
    std::vector<std::string> names = {opt_src, dest};
    if (vlx_dest_is_stdout(dest))
        names.push_back("/proc/self/fd/1");
    return names;
}

// Lines a profile's log file kept back go to it when the program ends early, if it is safe.
struct log_release {
    vellix_convertor& conv;
    ~log_release()
    {
        try {
            conv.start_logging(named_files());
        } catch (const std::exception&) {
        }
    }
};

} // namespace

int console_main(int argc, char** argv)
{
    tk_logger logger(nullptr, false, 3, false);
    vellix_convertor conv(vellix_convertor::console_form);
    error_handler handler;
    plat::remove_temp_files_on_signals();
    log_release release{conv};
    try {
        try {
            if (argc < 2 || argc > 8 || !parse_cmd_line(argc, argv))
                cmd_fatal(usage_text());
            if (opt_src.empty())
                cmd_fatal("You should specify source file");
            opt_src = pdf_openable_name(opt_src); // the name the checks and the run then see
            conv.start_logging(named_files());
            pdf_refuse_special_file(opt_src);
            if (!tk_is_file_exist(opt_src, 0x4000))
                cmd_fatal("Source file does not exist.\nPlease verify the correct file name was given.");
            pdf_open_document(opt_src, opt_pswd); // only for its errors, before the destination is touched
            if (opt_dest.empty())
                opt_dest = default_dest(opt_src);
            if (opt_dest != "-")
                common_check_dest(opt_dest, opt_src);
            conv.src = opt_src;
            conv.dest = opt_dest;
            conv.password = opt_pswd;
            conv.run();
            if (conv.run_failed)
                return -1;
        } catch (const tk_exception& e) {
            handler.handle(e, false);
        } catch (const std::exception& e) {
            cmd_fatal(e.what());
        }
    } catch (const console_exit& ex) {
        return ex.status;
    }
    return 0;
}
