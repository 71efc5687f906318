#pragma once
// End-to-end helpers: programs, generated sources, the document read in file order, read-back.
#include "scoped_env.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

using vlxtest::proc_result;
using vlxtest::run_program;
using vlxtest::slurp;
using vlxtest::spit;
using vlxtest::TempDir;
using vlxtest::lo_convert;
using vlxtest::vlxrun_path;

bool exists(const std::string& path);
inline std::vector<std::string> list_dir(const std::string& dir) { return vlxtest::names_starting(dir, ""); }
size_t count_of(const std::string& s, const std::string& what);

std::string swap_ext(const std::string& path, const std::string& outdir, const std::string& ext);
std::string pdf_text(const std::string& pdf, int page = 0);
int pdf_pages(const std::string& pdf);
// The top of the first word spelt so on the first page, in points from the page's top; -1 if none.
double pdf_word_top(const std::string& pdf, const std::string& word);
std::string odt_content(const std::string& odt);

// The generated sources and the words each must yield, in reading order.
extern const char* const REPORT_URI; // over "Website" on page 1 of the report
extern const char* const MOVED_URI;  // over text drawn under a translated matrix, page 2
void make_report(vlxtest::PdfWriter& w);
std::vector<std::string> report_words(int page); // without the translated word
void make_columns(vlxtest::PdfWriter& w);
std::vector<std::string> columns_words();
// Two pages, each two text columns down to the foot: with a footer line below them (footer), or
// with the first column's last line at the foot itself.
void make_full_columns(vlxtest::PdfWriter& w, bool footer);
std::vector<std::string> full_columns_words(int page, bool footer);
// One page of two columns whose cells overlap: the first left line reaches under the right one.
void make_overlapping_columns(vlxtest::PdfWriter& w);
std::vector<std::string> overlapping_columns_words();
// One page of two columns whose cells overlap by 60 points: their widths exceed the text width.
void make_wide_overlapping_columns(vlxtest::PdfWriter& w);
std::vector<std::string> wide_overlapping_columns_words();
// Three pages of four lines each: turned by /Rotate 90, turned by the text matrix, upright.
void make_turned_pages(vlxtest::PdfWriter& w);
std::string turned_line(int page, int i);
void make_table(vlxtest::PdfWriter& w);
std::vector<std::string> table_words();

struct RtfPicture {
    long shpright = 0, shpbottom = 0, picw = 0, pich = 0, picwgoal = 0, pichgoal = 0;
    std::string jpeg;
};

struct RtfPage {
    bool has_sect = false;
    long margtsxn = 0, paperw = 0, paperh = 0;
    bool has_picture = false;
    RtfPicture picture;
    bool picture_anchor = false;
    bool has_colortbl = false;
    long margt = 0, margb = 0, margr = 0, margl = 0;
    std::string body;
};

struct RtfDoc {
    std::string error;
    std::vector<RtfPage> pages;
};

std::string expected_head();
// closing: whether the file must end with the closing brace (not so on standard output).
RtfDoc parse_rtf(const std::string& rtf, bool closing = true);

// Visible text: destinations, tables, pictures and field instructions dropped; marks as blanks.
std::string rtf_plain_text(const std::string& rtf);
// The visible text of every "{\\ul " group, joined.
std::string rtf_underlined_text(const std::string& rtf);
std::vector<std::string> words_of(const std::string& text); // runs of letters and digits
std::vector<std::string> rtf_words(const std::string& rtf);
// True when needles appear in hay in this order, not necessarily adjacent.
bool in_order(const std::vector<std::string>& hay, const std::vector<std::string>& needles,
              std::string* why = nullptr);

// From the first SOF marker of a whole JPEG (SOI..EOI).
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
    // VLXRUN in work with TMPDIR child_tmp unless tmp, under wrap (such as prlimit); it must
    // leave no temporary file.
    proc_result vlxrun(const std::vector<std::string>& args, const std::string& tmp = "",
                       std::vector<std::string> wrap = {})
    {
        wrap.push_back(vlxrun_path());
        wrap.insert(wrap.end(), args.begin(), args.end());
        proc_result r = run_program(wrap, work.path, {{"TMPDIR", tmp.empty() ? child_tmp.path : tmp}});
        EXPECT_TRUE(list_dir(child_tmp.path).empty()) << "temporary files left behind";
        return r;
    }
    Conversion convert(const std::string& src, const std::string& dest, const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"--src=" + src, "--dest=" + dest};
        args.insert(args.end(), extra.begin(), extra.end());
        Conversion c{vlxrun(args), exists(dest) ? slurp(dest) : "", {}};
        c.doc = parse_rtf(c.rtf);
        return c;
    }
    Conversion convert_report(const std::vector<std::string>& extra = {})
    {
        vlxtest::PdfWriter w;
        make_report(w);
        return convert(save(w, "report.pdf"), work / "report.doc", extra);
    }
};

#define EXPECT_CONVERTED(c)                                                                     \
    do {                                                                                        \
        ASSERT_EQ((c).run.status, 0) << (c).run.describe();                                     \
        std::string why_;                                                                       \
        EXPECT_TRUE(vlxtest::rtf_braces_ok((c).rtf, &why_)) << why_;                            \
        ASSERT_EQ((c).doc.error, "");                                                           \
    } while (0)

} // namespace e2e
