#include "e2e.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>

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
const char* const PICTURE_HEAD =
    "{\\shp\n{\\*\\shpinst\\shpleft0\\shptop0\\shpright#\\shpbottom#\n"
    "\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0\n"
    "{\\sp{\\sn shapeType}{\\sv 75}}\n{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip\\picw# \\pich#\n"
    "\\picwgoal# \\pichgoal#\n\\picscalex100 \\picscaley100\n";
const char* const FRAME_ANCHOR = "\\pard\\plain\\fs2\\par\r\n";
const char* const PICTURE_TAIL =
    "\n}}}\n{\\sp{\\sn fRecolorFillAsPicture}{\\sv 0}}\n{\\sp{\\sn posrelh}{\\sv 1}}"
    "\n{\\sp{\\sn posrelv}{\\sv 1}}\n{\\sp{\\sn fAllowOverlap}{\\sv 1}}"
    "\n{\\sp{\\sn fBehindDocument}{\\sv 1}}\n}}";

std::string colortbl_line()
{
    std::string c = "{\\colortbl;";
    for (int r = 0; r <= 250; r += 50)
        for (int g = 0; g <= 250; g += 50)
            for (int b = 0; b <= 250; b += 50)
                c += "\\red" + std::to_string(r) + "\\green" + std::to_string(g) + "\\blue" + std::to_string(b) + ";";
    return c + "}\r\n";
}

int hexval(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Reads the file front to back; the first failed expectation records where it happened.
struct Cursor {
    const std::string& s;
    std::string* err;
    size_t pos = 0;

    bool at(const std::string& lit) const { return s.compare(pos, lit.size(), lit) == 0; }
    // Reads a pattern: literal bytes, '#' for a signed decimal number stored in the next of nums.
    bool take(const std::string& pattern, std::vector<long*> nums = {})
    {
        size_t p = pos, k = 0;
        for (char c : pattern) {
            if (c == '#') {
                size_t d = p + (p < s.size() && s[p] == '-');
                if (d >= s.size() || !std::isdigit(static_cast<unsigned char>(s[d])))
                    return fail(pattern, p);
                char* end = nullptr;
                *nums.at(k++) = std::strtol(s.c_str() + p, &end, 10);
                p = size_t(end - s.c_str());
            } else if (p >= s.size() || s[p++] != c) {
                return fail(pattern, p - 1);
            }
        }
        pos = p;
        return true;
    }
    bool fail(const std::string& pattern, size_t p)
    {
        if (err->empty())
            *err = "expected \"" + pattern.substr(0, 40) + "\" at byte " + std::to_string(pos) +
                   ", mismatch at byte " + std::to_string(p) + ": \"" + s.substr(p, 60) + "\"";
        return false;
    }
};

} // namespace

std::string expected_head()
{
    std::string h = "{\\rtf \\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl";
    for (const char* f : FONTS)
        h += f;
    return h + "}\r\n";
}

RtfDoc parse_rtf(const std::string& rtf, bool closing)
{
    RtfDoc doc;
    Cursor c{rtf, &doc.error};
    size_t end = rtf.size();
    if (closing) {
        if (rtf.size() < 3 || rtf.compare(rtf.size() - 3, 3, "}\r\n") != 0) {
            doc.error = "the document does not end with \"}\" CR LF";
            return doc;
        }
        end -= 3;
    }
    if (!c.take(expected_head()))
        return doc;
    while (c.pos < end) {
        RtfPage pg;
        RtfPicture& pic = pg.picture;
        pg.has_sect = !doc.pages.empty();
        if (pg.has_sect && !c.take(SECTION + std::string("#\\pard\r\n"), {&pg.margtsxn}))
            return doc;
        if (!c.take("\\jexpand\\viewkind1\\paperw#\\paperh#\r\n", {&pg.paperw, &pg.paperh}))
            return doc;
        pg.has_picture = c.at("{\\shp");
        if (pg.has_picture) {
            if (!c.take(PICTURE_HEAD, {&pic.shpright, &pic.shpbottom, &pic.picw, &pic.pich, &pic.picwgoal, &pic.pichgoal}))
                return doc;
            for (; c.pos + 1 < rtf.size() && hexval(rtf[c.pos]) >= 0 && hexval(rtf[c.pos + 1]) >= 0; c.pos += 2)
                pic.jpeg.push_back(static_cast<char>(hexval(rtf[c.pos]) * 16 + hexval(rtf[c.pos + 1])));
            if (!c.take(PICTURE_TAIL))
                return doc;
            // Framed layouts give the picture a body paragraph of its own to anchor in.
            pg.picture_anchor = c.at(FRAME_ANCHOR) && c.take(FRAME_ANCHOR);
        }
        pg.has_colortbl = c.at("{\\colortbl");
        if ((pg.has_colortbl && !c.take(colortbl_line())) ||
            !c.take("\\margt#\\margb#\\margr#\\margl#\r\n", {&pg.margt, &pg.margb, &pg.margr, &pg.margl}))
            return doc;
        size_t next = std::min(rtf.find(SECTION, c.pos), end);
        pg.body = rtf.substr(c.pos, next - c.pos);
        c.pos = next;
        doc.pages.push_back(std::move(pg));
    }
    return doc;
}

std::string rtf_plain_text(const std::string& rtf)
{
    static const char* const skipped[] = {"\\*", "\\fonttbl", "\\colortbl", "\\shp", "\\pict", "\\fldinst"};
    static const std::set<std::string> blanks{"par", "line", "sect", "column", "cell", "row", "tab", "page", "bullet"};
    auto alpha = [&](size_t j) { return j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])); };
    auto digit = [&](size_t j) { return j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j])); };
    std::string out;
    std::vector<bool> stack;
    bool skip = false;
    auto put = [&](char c) { out += skip ? "" : std::string(1, c); };
    for (size_t i = 0; i < rtf.size(); ++i) {
        char c = rtf[i], n = i + 1 < rtf.size() ? rtf[i + 1] : 0;
        if (c == '{') {
            stack.push_back(skip);
            for (const char* s : skipped)
                skip = skip || rtf.compare(i + 1, std::strlen(s), s) == 0;
        } else if (c == '}' && !stack.empty()) {
            skip = stack.back();
            stack.pop_back();
        } else if (c == '\\' && (n == '\\' || n == '{' || n == '}')) {
            put(n), ++i;
        } else if (c == '\\' && n == '\'') {
            put(static_cast<char>(std::strtol(rtf.substr(i + 2, 2).c_str(), nullptr, 16))), i += 3;
        } else if (c == '\\' && alpha(i + 1)) {
            size_t j = i + 1;
            while (alpha(j))
                ++j;
            std::string word = rtf.substr(i + 1, j - i - 1);
            j += j < rtf.size() && rtf[j] == '-';
            while (digit(j))
                ++j;
            j += j < rtf.size() && rtf[j] == ' ';
            if (blanks.count(word))
                put(' ');
            i = j - 1;
        } else if (c == '\\') {
            if (n == '~')
                put(' ');
            ++i;
        } else if (c != '\r' && c != '\n' && c != '}') {
            put(c);
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
    std::vector<std::string> words(1);
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            words.back() += c;
        else if (!words.back().empty())
            words.emplace_back();
    if (words.back().empty())
        words.pop_back();
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

bool jpeg_frame(const std::string& j, int* width, int* height)
{
    auto byte = [&](size_t i) { return unsigned(static_cast<unsigned char>(j[i])); };
    if (j.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8 || byte(j.size() - 2) != 0xFF || byte(j.size() - 1) != 0xD9)
        return false;
    for (size_t p = 2; p + 9 <= j.size() && byte(p) == 0xFF; p += 2 + byte(p + 2) * 256 + byte(p + 3)) {
        unsigned m = byte(p + 1);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            *height = int(byte(p + 5) * 256 + byte(p + 6));
            *width = int(byte(p + 7) * 256 + byte(p + 8));
            return true;
        }
    }
    return false;
}

std::vector<std::string> rtf_words(const std::string& rtf)
{
    return words_of(rtf_plain_text(rtf));
}

} // namespace e2e
