#pragma once
// End-to-end helpers: running programs, the generated source documents, a reader that checks a
// converted document's pieces in file order, and LibreOffice/poppler read-back.
#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

using vlxtest::slurp;
using vlxtest::spit;
using vlxtest::TempDir;

struct proc_result {
    int status = -1;     // exit status 0..255, -1 when the program did not exit normally
    int term_signal = 0; // the signal that ended it, if any
    std::string out, err;
    std::string describe() const; // status and the start of both streams, for failure messages
};

// argv[0] is searched in PATH; env entries are set or replaced in the child's environment.
proc_result run_program(const std::vector<std::string>& argv, const std::string& cwd = "",
                        const std::map<std::string, std::string>& env = {});
std::string vlxrun_path();

bool exists(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> list_dir(const std::string& dir);
size_t count_of(const std::string& s, const std::string& what);

// Converts the inputs with one headless soffice run into outdir/<name>.<fmt>, using a fresh
// user installation under work. Returns "" on success, else what went wrong.
std::string lo_convert(const std::vector<std::string>& inputs, const std::string& fmt,
                       const std::string& outdir, const std::string& work);
// outdir/<base name of path without its extension><ext>.
std::string swap_ext(const std::string& path, const std::string& outdir, const std::string& ext);
// pdftotext of one page (0: all), pdfinfo's page count, an ODT's content.xml; empty on failure.
std::string pdf_text(const std::string& pdf, int page = 0);
int pdf_pages(const std::string& pdf);
std::string odt_content(const std::string& odt);

// The generated sources and the words each must yield, in reading order.
extern const char* const REPORT_URI;   // linked over "Website" on page 1 of the report
extern const char* const MOVED_URI;    // linked over text drawn under a translated matrix, page 2
// Two Letter pages: a title, body text in three fonts and several sizes, a blue word underlined
// by a blue bar, red text, a URI link over one word, a link without action, a picture; page 2
// has more text and a link over text drawn with a translated matrix.
void make_report(vlxtest::PdfWriter& w);
// Page 1 or 2; leaves out the word drawn through the translated matrix.
std::vector<std::string> report_words(int page);
// One page, two columns of eight lines each.
void make_columns(vlxtest::PdfWriter& w);
std::vector<std::string> columns_words(); // left column, then right column
// One page: a heading and a ruled table of 4 columns and 5 rows.
void make_table(vlxtest::PdfWriter& w);
std::vector<std::string> table_words(); // row by row

// The document read in file order: head and font table, then per page the section and paper
// words, the picture shape, the colour table (first page), the margins line and the page text,
// then the closing brace.
struct RtfPicture {
    long shpright = 0, shpbottom = 0, picw = 0, pich = 0, picwgoal = 0, pichgoal = 0;
    std::string jpeg; // the hexadecimal digits decoded
};

struct RtfPage {
    bool has_sect = false;
    long margtsxn = 0, paperw = 0, paperh = 0;
    bool has_picture = false;
    RtfPicture picture;
    bool has_colortbl = false;
    long margt = 0, margb = 0, margr = 0, margl = 0;
    std::string body; // the page's text part, raw RTF
};

struct RtfDoc {
    std::string error; // empty when the whole file has the expected order
    std::vector<RtfPage> pages;
};

// The document head and font table, byte for byte.
std::string expected_head();
// closing: whether the file must end with the closing brace (not so on standard output).
RtfDoc parse_rtf(const std::string& rtf, bool closing = true);

// Visible text of an RTF fragment: destinations, font/colour tables, pictures and field
// instructions dropped; paragraph, line, cell, column and section marks as blanks.
std::string rtf_plain_text(const std::string& rtf);
// Words of a text (runs of letters and digits), and of an RTF fragment's visible text.
std::vector<std::string> words_of(const std::string& text);
std::vector<std::string> rtf_words(const std::string& rtf);
// True when needles appear in hay in this order (not necessarily adjacent); *why names the
// first needle not found.
bool in_order(const std::vector<std::string>& hay, const std::vector<std::string>& needles,
              std::string* why = nullptr);

// Width and height from the first SOF marker of a whole JPEG (SOI..EOI); false when there is none.
bool jpeg_frame(const std::string& jpeg, int* width, int* height);

struct Conversion {
    proc_result run;
    std::string rtf;
    RtfDoc doc;
};

class E2e : public ::testing::Test {
protected:
    TempDir work{"vlxe2e"}, child_tmp{"vlxe2etmp"};

    std::string save(const vlxtest::PdfWriter& w, const std::string& name)
    {
        w.save(work / name);
        return work / name;
    }
    proc_result vlxrun(const std::vector<std::string>& args, const std::string& tmp = "")
    {
        std::vector<std::string> argv{vlxrun_path()};
        argv.insert(argv.end(), args.begin(), args.end());
        return run_program(argv, work.path, {{"TMPDIR", tmp.empty() ? child_tmp.path : tmp}});
    }
    // Runs VLXRUN --src=src --dest=dest plus extra options and reads the destination back.
    Conversion convert(const std::string& src, const std::string& dest, const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"--src=" + src, "--dest=" + dest};
        args.insert(args.end(), extra.begin(), extra.end());
        Conversion c{vlxrun(args), exists(dest) ? slurp(dest) : "", {}};
        c.doc = parse_rtf(c.rtf);
        EXPECT_TRUE(list_dir(child_tmp.path).empty()) << "temporary files left behind";
        return c;
    }
    Conversion convert_report(const std::vector<std::string>& extra = {})
    {
        vlxtest::PdfWriter w;
        make_report(w);
        return convert(save(w, "report.pdf"), work / "report.doc", extra);
    }
};

// Asserts a conversion finished and its file has the expected order and balanced braces.
#define EXPECT_CONVERTED(c)                                                                     \
    do {                                                                                        \
        ASSERT_EQ((c).run.status, 0) << (c).run.describe();                                     \
        std::string why_;                                                                       \
        EXPECT_TRUE(vlxtest::rtf_braces_ok((c).rtf, &why_)) << why_;                            \
        ASSERT_EQ((c).doc.error, "");                                                           \
    } while (0)

} // namespace e2e
