#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "TagWord.h"
#include "TextLine.h"
#include "TextPage.h"
#include "TextWord.h"
#include "rtf_int.h"
#include "tk_log.h"

namespace vlx {

namespace {

const char kLinkClose[] = "\n}}}";

// A URI as the quoted argument of a HYPERLINK field: RTF specials escaped, bytes above
// 127 and control bytes as \'hh, a double quote (which would end the argument) as %22.
std::string fieldUri(const std::string& uri)
{
    static const char hex[] = "0123456789abcdef";
    std::string s;
    for (unsigned char ch : uri) {
        if (ch == '\\' || ch == '{' || ch == '}') {
            s += '\\';
            s += static_cast<char>(ch);
        } else if (ch == '"') {
            s += "%22";
        } else if (ch > 127 || ch < 32) {
            s += "\\'";
            s += hex[ch >> 4];
            s += hex[ch & 15];
        } else {
            s += static_cast<char>(ch);
        }
    }
    return s;
}

PageColor colorOf(const TextWord* w)
{
    return PageColor{w->colorR, w->colorG, w->colorB};
}

bool plainUnderline(const TextWord* w)
{
    return w->underlined && w->flowCode == 0;
}

// The groups one line opens: the caller's tag group (braceOpen) and a hyperlink field
// (linkOpen). Whichever was opened later is closed first, so the groups always nest.
struct Groups {
    FILE* out;
    bool* linkOpen;
    bool* braceOpen;
    bool linkInsideBrace; // the field was opened while the tag group was open

    void closeLink()
    {
        if (!*linkOpen)
            return;
        if (*braceOpen && !linkInsideBrace)
            closeBrace();
        std::fputs(kLinkClose, out);
        *linkOpen = false;
        linkInsideBrace = false;
    }

    void closeBrace()
    {
        if (!*braceOpen)
            return;
        if (*linkOpen && linkInsideBrace) {
            std::fputs(kLinkClose, out);
            *linkOpen = false;
            linkInsideBrace = false;
        }
        std::fputs("}", out);
        *braceOpen = false;
    }

    void openLink(const std::string& uri)
    {
        std::fputs("{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"", out);
        std::fputs(fieldUri(uri).c_str(), out);
        std::fputs("\"}}\n{\\fldrslt{", out);
        *linkOpen = true;
        linkInsideBrace = *braceOpen;
    }
};

void writeChar(FILE* out, TextOutputFunc outputFunc, unsigned int code, bool underline)
{
    if (underline)
        std::fputs("{\\ul ", out);
    TextPage::dumpChar(out, outputFunc, code);
    if (underline)
        std::fputs("}", out);
}

// The character-spacing fit of a horizontal line, in twips.
int lineExpansion(TextLine* line)
{
    double w = line->xMax - line->xMin;
    double m = line->getTextWidth();
    int n = line->len;
    double f = line->getAvgFontSize();
    if (n <= 0 || !std::isfinite(f))
        return 0;
    double d = (w - m * 1.02) * 4.0 / n;
    double a = std::fabs(d);
    double sign = d < 0 ? -1.0 : 1.0;
    if (f > 0 ? a / f > 0.4 : a > 0)
        d = sign * (std::sqrt(a - f * 0.4) + f * 0.35);
    if (std::fabs(d) > 2.5 && f < 11.0 && n < 5)
        d = sign * 2.5;
    if (d > 0)
        d *= 0.25;
    return truncInt(d * 5.0);
}

} // namespace

void TextPage::dumpLine(FILE* out, TextOutputFunc outputFunc, TagWord tagWord, ColorList colors,
                        TextLine* line, bool* bulletPending, bool* linkOpen, bool* braceOpen)
{
    if (!line)
        return;
    tk_log(1, "TextPage::dumpLine(xmin=%lg,xmax=%lg)", line->xMin, line->xMax);
    if (!line->words)
        return;
    bool bulletDummy = false, linkDummy = false, braceDummy = false;
    if (!bulletPending)
        bulletPending = &bulletDummy;
    if (!linkOpen)
        linkOpen = &linkDummy;
    if (!braceOpen)
        braceOpen = &braceDummy;

    // A field or group closed mid-line takes its formatting with it; this restarts it afterwards.
    std::string restart = "\\plain ";
    if (line->rot == 0 || line->rot == 2) {
        std::string expansion = "\\expndtw" + std::to_string(lineExpansion(line)) + " ";
        std::fputs(expansion.c_str(), out);
        restart += expansion;
    }

    Groups groups{out, linkOpen, braceOpen, false};
    const int n = std::min(line->len, static_cast<int>(line->text.size()));
    TextWord* w = line->words;
    int k = 0;
    bool first = true;
    int last = -1;
    std::string tag;
    for (int c = 0; c < n; ++c, ++k) {
        if (c == 0 && w == line->words && *bulletPending) {
            std::fputs("{", out);
            int ci = getColorIndex(colorOf(w), colors);
            if (ci != 0)
                std::fprintf(out, "\\cf%d ", ci);
            std::fprintf(out, "\\f0\\fs%d %s }", truncInt(w->getFontSize() * 1.5 * 2), "\\bullet");
            *bulletPending = false;
            last = c;
            continue;
        }
        bool changed = false;
        if (k + 1 > w->len) {
            w = w->next;
            changed = true;
        }
        if (changed || first) {
            if (changed)
                k = 0;
            if (!w)
                break;
            bool closed = false;
            if (*braceOpen && !first) {
                groups.closeBrace();
                closed = true;
            }
            if (!w->link && *linkOpen) {
                groups.closeLink();
                closed = true;
            }
            if (closed) {
                std::fputs(restart.c_str(), out);
                tagWord.reset(nullptr, 0);
            }
            if (w->link && !*linkOpen)
                groups.openLink(w->linkURI);
            tagWord.getTagWord(w, getColorIndex(colorOf(w), colors), tag);
            if (!tag.empty()) {
                if (outputFunc)
                    outputFunc(out, tag.c_str(), static_cast<int>(tag.size()));
                else
                    std::fputs(tag.c_str(), out);
            }
            if (line->text[c] == 32) {
                last = c;
                ++c;
                writeChar(out, outputFunc, 32, plainUnderline(w));
                if (c >= n)
                    break;
            }
            first = false;
        }
        last = c;
        if (line->text[c] != 2)
            writeChar(out, outputFunc, line->text[c], plainUnderline(w));
    }
    if (n > 1 && last >= 0 && line->text[last] != 32)
        dumpChar(out, outputFunc, 32);
    groups.closeBrace();
}

} // namespace vlx
