#include <cstdio>
#include <cstdlib>

#include "TagWord.h"
#include "TextPage.h"
#include "tk_log.h"

namespace vlx {

int TextPage::getColorIndex(const PageColor& color, const ColorList& colors)
{
    if (color.red == 0 && color.green == 0 && color.blue == 0)
        return 0;
    for (size_t i = 0; i < colors.size(); ++i)
        if (std::abs(colors[i].red - color.red) < 2 && std::abs(colors[i].green - color.green) < 2 &&
            std::abs(colors[i].blue - color.blue) < 2)
            return static_cast<int>(i) + 1;
    for (size_t i = 0; i < colors.size(); ++i)
        if (std::abs(colors[i].red - color.red) < 50 && std::abs(colors[i].green - color.green) < 50 &&
            std::abs(colors[i].blue - color.blue) < 50)
            return static_cast<int>(i) + 1;
    return 0;
}

static void writeUnicode(FILE* out, unsigned int code)
{
    std::fprintf(out, "{\\f63 \\u%u\\'3f}", code);
}

void TextPage::dumpChar(FILE* out, TextOutputFunc, unsigned int code)
{
    tk_log(2, "TextPage::dumpChar(%04X)", code);
    if (code >= 256) {
        tk_log(1, "kod16='%x' kod10='%d' left='%c' right='%c'\n", code, static_cast<int>(code),
               static_cast<int>((code >> 8) & 0xff), static_cast<int>(code & 0xff));
        switch (code) {
        case 8211: std::fputs("-", out); return;
        case 8216:
        case 8217: std::fputs("'", out); return;
        case 8220:
        case 8221: std::fputs("\"", out); return;
        // Ligatures are written as all their letters.
        case 0xFB00: std::fputs("ff", out); return;
        case 0xFB01: std::fputs("fi", out); return;
        case 0xFB02: std::fputs("fl", out); return;
        case 0xFB03: std::fputs("ffi", out); return;
        case 0xFB04: std::fputs("ffl", out); return;
        default: break;
        }
        if (code > 0xFFFF) {
            // RTF's \u takes UTF-16 units: a surrogate pair, inside one group.
            if (code > 0x10FFFF) {
                writeUnicode(out, 0xFFFD);
                return;
            }
            unsigned int v = code - 0x10000;
            std::fprintf(out, "{\\f63 \\u%u\\'3f\\u%u\\'3f}", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
            return;
        }
        int pos = findSymbolPosition(code);
        if (pos != 0) {
            tk_log(2, "Symbol '%04X' found at position=%d in symbols table", code, pos);
            // The narrower spacing belongs to the field alone, not to the rest of the line.
            std::fprintf(out, "{\\expndtw-14{\\field{\\*\\fldinst SYMBOL %d \\\\f Symbol }}}", pos);
            return;
        }
        writeUnicode(out, code);
        return;
    }
    switch (code) {
    case 9: std::fputc(' ', out); return;
    case 11: std::fputs("ff", out); return;
    case 12: std::fputs("fi", out); return;
    case 14: std::fputs("ffi", out); return;
    case 24: std::fputc('1', out); return;
    case 92:
    case 123:
    case 125:
        std::fputc('\\', out);
        std::fputc(static_cast<int>(code), out);
        return;
    default: break;
    }
    if ((code >= 15 && code <= 23) || (code >= 25 && code <= 28))
        std::fputc(static_cast<int>(code + 29), out);
    else if (code > 0x7F)
        std::fprintf(out, "\\'%02x", code); // a raw 8-bit byte makes readers take the file for plain text
    else
        std::fputc(static_cast<int>(code), out);
}

} // namespace vlx
