#include "rtf_layout.h"

#include <cctype>
#include <cstdlib>

namespace e2e {

namespace {

const char* const FONTS[] = {
    "{\\f11\\fswiss\\fcharset0 Arial Narrow;}",   "{\\f10\\fswiss\\fcharset0 Arial;}",
    "{\\f12\\fswiss\\fcharset0 Franklin Gothic;}", "{\\f13\\fswiss\\fcharset0 Verdana;}",
    "{\\f20\\froman\\fcharset0 Times New Roman;}", "{\\f21\\froman\\fcharset0 Garamond;}",
    "{\\f22\\froman\\fcharset0 Palatino Linotype;}", "{\\f30\\fmodern\\fcharset0 Courier New;}",
    "{\\f31\\fmodern\\fcharset0 Lucida Console;}", "{\\f40\\ftech\\fcharset2 Symbol;}",
    "{\\f50\\fscript\\fcharset0 Garamond;}",       "{\\f60 Haettenschweiler;}",
};

const char* const SECTION = "\\sect\\sectd\\sbkpage\\margtsxn";

// Reads the file front to back; every failed expectation records where it happened.
class Scanner {
public:
    explicit Scanner(const std::string& s) : s_(s) {}
    size_t pos = 0;

    bool at(const std::string& lit) const { return s_.compare(pos, lit.size(), lit) == 0; }
    bool lit(const std::string& l, std::string* err, const char* what)
    {
        if (at(l)) {
            pos += l.size();
            return true;
        }
        if (err && err->empty())
            *err = std::string("expected ") + what + " at byte " + std::to_string(pos) + ", found \"" +
                   s_.substr(pos, 60) + "\"";
        return false;
    }
    bool num(long* v, std::string* err, const char* what)
    {
        size_t p = pos;
        if (p < s_.size() && s_[p] == '-')
            ++p;
        size_t digits = p;
        while (p < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p])))
            ++p;
        if (p == digits) {
            if (err && err->empty())
                *err = std::string("expected the number of ") + what + " at byte " + std::to_string(pos);
            return false;
        }
        *v = std::strtol(s_.c_str() + pos, nullptr, 10);
        pos = p;
        return true;
    }

private:
    const std::string& s_;
};

int hexval(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool parse_picture(Scanner& sc, const std::string& rtf, RtfPicture& pic, std::string* err)
{
    bool ok = sc.lit("{\\shp\n{\\*\\shpinst\\shpleft0\\shptop0\\shpright", err, "shape head") &&
              sc.num(&pic.shpright, err, "\\shpright") && sc.lit("\\shpbottom", err, "\\shpbottom") &&
              sc.num(&pic.shpbottom, err, "\\shpbottom") &&
              sc.lit("\n\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0\n"
                     "{\\sp{\\sn shapeType}{\\sv 75}}\n{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip\\picw",
                     err, "shape properties") &&
              sc.num(&pic.picw, err, "\\picw") && sc.lit(" \\pich", err, "\\pich") &&
              sc.num(&pic.pich, err, "\\pich") && sc.lit("\n\\picwgoal", err, "\\picwgoal") &&
              sc.num(&pic.picwgoal, err, "\\picwgoal") && sc.lit(" \\pichgoal", err, "\\pichgoal") &&
              sc.num(&pic.pichgoal, err, "\\pichgoal") &&
              sc.lit("\n\\picscalex100 \\picscaley100\n", err, "picture scale");
    if (!ok)
        return false;
    size_t p = sc.pos;
    while (p < rtf.size() && hexval(rtf[p]) >= 0)
        ++p;
    if ((p - sc.pos) % 2) {
        *err = "odd number of hexadecimal digits in the picture at byte " + std::to_string(sc.pos);
        return false;
    }
    pic.jpeg.reserve((p - sc.pos) / 2);
    for (size_t i = sc.pos; i < p; i += 2)
        pic.jpeg.push_back(static_cast<char>(hexval(rtf[i]) * 16 + hexval(rtf[i + 1])));
    sc.pos = p;
    return sc.lit("\n}}}\n{\\sp{\\sn fRecolorFillAsPicture}{\\sv 0}}\n{\\sp{\\sn posrelh}{\\sv 1}}"
                  "\n{\\sp{\\sn posrelv}{\\sv 1}}\n{\\sp{\\sn fAllowOverlap}{\\sv 1}}"
                  "\n{\\sp{\\sn fBehindDocument}{\\sv 1}}\n}}",
                  err, "shape tail");
}

} // namespace

std::string expected_head()
{
    std::string h = "{\\rtf \\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl";
    for (const char* f : FONTS)
        h += f;
    return h + "}\r\n";
}

std::string expected_colortbl()
{
    std::string c = "{\\colortbl;";
    for (int r = 0; r <= 250; r += 50)
        for (int g = 0; g <= 250; g += 50)
            for (int b = 0; b <= 250; b += 50)
                c += "\\red" + std::to_string(r) + "\\green" + std::to_string(g) + "\\blue" +
                     std::to_string(b) + ";";
    return c + "}\r\n";
}

RtfDoc parse_rtf(const std::string& rtf, bool closing)
{
    RtfDoc doc;
    std::string* err = &doc.error;
    Scanner sc(rtf);
    if (!sc.lit(expected_head(), err, "the document head and font table"))
        return doc;
    const std::string colortbl = expected_colortbl();
    size_t end = rtf.size();
    if (closing) {
        if (rtf.size() < 3 || rtf.compare(rtf.size() - 3, 3, "}\r\n") != 0) {
            doc.error = "the document does not end with \"}\" CR LF";
            return doc;
        }
        end -= 3;
        doc.closed = true;
    }
    while (sc.pos < end) {
        RtfPage pg;
        if (!doc.pages.empty()) {
            pg.has_sect = true;
            if (!sc.lit(SECTION, err, "the section words") || !sc.num(&pg.margtsxn, err, "\\margtsxn") ||
                !sc.lit("\\pard\r\n", err, "\\pard CR LF after the section words"))
                return doc;
        }
        if (!sc.lit("\\jexpand\\viewkind1\\paperw", err, "the paper words") ||
            !sc.num(&pg.paperw, err, "\\paperw") || !sc.lit("\\paperh", err, "\\paperh") ||
            !sc.num(&pg.paperh, err, "\\paperh") || !sc.lit("\r\n", err, "CR LF after \\paperh"))
            return doc;
        if (sc.at("{\\shp")) {
            pg.has_picture = true;
            if (!parse_picture(sc, rtf, pg.picture, err))
                return doc;
        }
        if (sc.at("{\\colortbl")) {
            pg.has_colortbl = true;
            if (!sc.lit(colortbl, err, "the 216-entry colour table"))
                return doc;
        }
        if (!sc.lit("\\margt", err, "the margins line") || !sc.num(&pg.margt, err, "\\margt") ||
            !sc.lit("\\margb", err, "\\margb") || !sc.num(&pg.margb, err, "\\margb") ||
            !sc.lit("\\margr", err, "\\margr") || !sc.num(&pg.margr, err, "\\margr") ||
            !sc.lit("\\margl", err, "\\margl") || !sc.num(&pg.margl, err, "\\margl") ||
            !sc.lit("\r\n", err, "CR LF after the margins"))
            return doc;
        size_t next = rtf.find(SECTION, sc.pos);
        if (next == std::string::npos || next > end)
            next = end;
        pg.body = rtf.substr(sc.pos, next - sc.pos);
        sc.pos = next;
        doc.pages.push_back(std::move(pg));
    }
    return doc;
}

std::string rtf_plain_text(const std::string& rtf)
{
    static const char* const skipped[] = {"\\*", "\\fonttbl", "\\colortbl", "\\shp", "\\pict", "\\fldinst"};
    static const char* const blanks[] = {"par", "line", "sect", "column", "cell", "row", "tab", "page", "bullet"};
    std::string out;
    std::vector<bool> stack;
    bool skip = false;
    for (size_t i = 0; i < rtf.size(); ++i) {
        char c = rtf[i];
        if (c == '{') {
            stack.push_back(skip);
            for (const char* s : skipped)
                if (rtf.compare(i + 1, std::char_traits<char>::length(s), s) == 0)
                    skip = true;
        } else if (c == '}') {
            if (!stack.empty()) {
                skip = stack.back();
                stack.pop_back();
            }
        } else if (c == '\\' && i + 1 < rtf.size()) {
            char n = rtf[i + 1];
            if (n == '\\' || n == '{' || n == '}') {
                if (!skip)
                    out += n;
                ++i;
            } else if (n == '\'' && i + 3 < rtf.size()) {
                if (!skip)
                    out += static_cast<char>(std::strtol(rtf.substr(i + 2, 2).c_str(), nullptr, 16));
                i += 3;
            } else if (std::isalpha(static_cast<unsigned char>(n))) {
                size_t j = i + 1;
                while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                    ++j;
                std::string word = rtf.substr(i + 1, j - i - 1);
                if (j < rtf.size() && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
                    ++j;
                    while (j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j])))
                        ++j;
                }
                if (j < rtf.size() && rtf[j] == ' ')
                    ++j;
                for (const char* b : blanks)
                    if (word == b && !skip)
                        out += ' ';
                i = j - 1;
            } else {
                if (n == '~' && !skip)
                    out += ' ';
                ++i;
            }
        } else if (c != '\r' && c != '\n' && !skip) {
            out += c;
        }
    }
    return out;
}

std::string rtf_underlined_text(const std::string& rtf)
{
    std::string out;
    for (size_t p = rtf.find("{\\ul "); p != std::string::npos; p = rtf.find("{\\ul ", p + 1)) {
        size_t close = rtf.find('}', p + 5);
        if (close == std::string::npos)
            break;
        out += rtf_plain_text(rtf.substr(p + 5, close - p - 5));
    }
    return out;
}

std::vector<std::string> words_of(const std::string& text)
{
    std::vector<std::string> words;
    std::string cur;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            cur += c;
        } else if (!cur.empty()) {
            words.push_back(cur);
            cur.clear();
        }
    }
    if (!cur.empty())
        words.push_back(cur);
    return words;
}

bool in_order(const std::vector<std::string>& hay, const std::vector<std::string>& needles, std::string* why)
{
    size_t h = 0;
    for (size_t n = 0; n < needles.size(); ++n) {
        while (h < hay.size() && hay[h] != needles[n])
            ++h;
        if (h == hay.size()) {
            if (why) {
                *why = "word #" + std::to_string(n) + " \"" + needles[n] + "\" not found in order; text:";
                for (const std::string& w : hay)
                    *why += " " + w;
            }
            return false;
        }
        ++h;
    }
    return true;
}

bool jpeg_frame(const std::string& j, int* width, int* height, std::string* why)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(j[i]); };
    auto fail = [&](const std::string& w) {
        if (why)
            *why = w;
        return false;
    };
    if (j.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return fail("no SOI marker at the start");
    if (byte(j.size() - 2) != 0xFF || byte(j.size() - 1) != 0xD9)
        return fail("no EOI marker at the end");
    size_t p = 2;
    while (p + 4 <= j.size()) {
        if (byte(p) != 0xFF)
            return fail("marker expected at JPEG byte " + std::to_string(p));
        unsigned m = byte(p + 1);
        size_t len = byte(p + 2) * 256u + byte(p + 3);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            if (p + 9 > j.size())
                return fail("short SOF segment");
            *height = byte(p + 5) * 256 + byte(p + 6);
            *width = byte(p + 7) * 256 + byte(p + 8);
            return true;
        }
        p += 2 + len;
    }
    return fail("no SOF marker");
}

} // namespace e2e
