// The console's way of reporting an error: lines on the console, and the exit status.
#include "console.h"

#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_conv.h"
#include "vlx_dest.h"

#include <cstdio>

namespace {

// With the document going to standard output, messages must not mix into it. The command line
// names the destination before the job is given it, so errors found before the run (a wrong
// password, say) are kept off the standard output too.
FILE* message_stream()
{
    if (vlx_dest_is_stdout(opt_dest))
        return stderr;
    vellix_convertor* conv = vellix_convertor::slot();
    return conv ? conv->message_stream() : stdout;
}

} // namespace

void error_handler::handle(const tk_exception& e, bool top_level)
{
    tk_log(2, "error_handler::handle('%s',top_level=%d)", e.what(), top_level ? 1 : 0);
    FILE* out = message_stream();
    if (e.level == 2) {
        tk_log(3, "Internal error:\n%s", e.what());
        std::fprintf(out, "Internal error: %s\n", e.what());
        std::fflush(out);
        throw console_exit{-1};
    }
    std::string text = prefix.empty() ? std::string() : prefix + ": ";
    std::string converted = converter.convert(e.code);
    text += converted.empty() ? std::string(e.what()) : converted;
    tk_log(3, "Error:\n%s", text.c_str());
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    if (!silent) {
        std::fprintf(out, "Error:\n%s\n", text.c_str());
        std::fflush(out);
    }
    if (e.level == 1) {
        tk_log(1, "Got 1-level error");
        throw console_exit{-1};
    }
    tk_log(1, "Got 0-level error");
}
