#pragma once
// Splits a converted document into its pieces in file order and checks each piece's form:
// head and font table, then per page the section and paper words, the picture shape, the colour
// table (first page), the margins line and the page text, then the closing brace.
#include <string>
#include <vector>

namespace e2e {

struct RtfPicture {
    long shpright = 0, shpbottom = 0, picw = 0, pich = 0, picwgoal = 0, pichgoal = 0;
    std::string jpeg; // the hexadecimal digits decoded
};

struct RtfPage {
    bool has_sect = false;
    long margtsxn = 0;
    long paperw = 0, paperh = 0;
    bool has_picture = false;
    RtfPicture picture;
    bool has_colortbl = false;
    long margt = 0, margb = 0, margr = 0, margl = 0;
    std::string body; // the page's text part, raw RTF
};

struct RtfDoc {
    std::string error; // empty when the whole file has the expected order
    std::vector<RtfPage> pages;
    bool closed = false; // ends with "}" CR LF
};

// The document head and font table, byte for byte.
std::string expected_head();
// The colour table line of the first page, byte for byte.
std::string expected_colortbl();

// closing: whether the file must end with the closing brace (not so on standard output).
RtfDoc parse_rtf(const std::string& rtf, bool closing = true);

// Visible text of an RTF fragment: destinations, font/colour tables, pictures and field
// instructions dropped; paragraph, line, cell, column and section marks as blanks.
std::string rtf_plain_text(const std::string& rtf);
// Characters written inside "{\ul x}" groups, in order.
std::string rtf_underlined_text(const std::string& rtf);

// Words of a text: runs of letters and digits.
std::vector<std::string> words_of(const std::string& text);
// True when needles appear in hay in this order (not necessarily adjacent); *why names the
// first needle not found.
bool in_order(const std::vector<std::string>& hay, const std::vector<std::string>& needles,
              std::string* why = nullptr);

// Dimensions from the first SOF marker of a JPEG; false when it has no SOI..EOI frame.
bool jpeg_frame(const std::string& jpeg, int* width, int* height, std::string* why = nullptr);

} // namespace e2e
