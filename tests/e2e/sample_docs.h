#pragma once
// The generated source documents and the words each must yield, in reading order.
#include "vlx_testsupport.h"

#include <string>
#include <vector>

namespace e2e {

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

// Three pages, each with one marker line "Marker page N".
void make_three_pages(vlxtest::PdfWriter& w);

// A 2000 x 2000 point page with one line of text.
void make_huge_page(vlxtest::PdfWriter& w);

// A page with a filled square and no text at all.
void make_textless_page(vlxtest::PdfWriter& w);

} // namespace e2e
