#include "page_writer.h"

#include "TagWord.h"
#include "TextLine.h"
#include "TextPage.h"
#include "TextWord.h"

#include <cmath>
#include <string>

namespace vlx {

double runningRegionBottom = 10.0;

namespace page_writer {

bool startsWithBullet(const TextLine* line)
{
    return line->len > 0 && !line->text.empty() && TextPage::isListMark(line->text[0]);
}

double lineFontSize(const TextPage& page, const TextLine* line)
{
    double fs = line->getAvgFontSize();
    if (!(fs > 0.0) || !std::isfinite(fs))
        fs = page.curFontSize;
    if (!(fs > 0.0) || !std::isfinite(fs))
        fs = 8.0;
    return fs;
}

void closeLink(FILE* out, LineFlags& flags)
{
    if (flags.link) {
        std::fputs("\n}}}", out);
        flags.link = false;
    }
}

void openLink(FILE* out, const char* uri, LineFlags& flags)
{
    std::string field = "{\\field{\\*\\fldinst {\\b HYPERLINK }{\\b \"";
    for (const char* p = uri; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\\' || c == '{' || c == '}') {
            field += '\\';
            field += static_cast<char>(c);
        } else if (c == '"') {
            field += "%22"; // a quote would end the field argument
        } else if (c > 127 || c < 32) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            field += hex;
        } else {
            field += static_cast<char>(c);
        }
    }
    field += "\"}}\n{\\fldrslt{";
    std::fputs(field.c_str(), out);
    flags.link = true;
}

int wordColorIndex(const TextWord* word, const ColorList& colors)
{
    PageColor c{word->colorR, word->colorG, word->colorB};
    return TextPage::getColorIndex(c, colors);
}

bool writeLinePrefix(FILE* out, TextOutputFunc outputFunc, TagWord& tagWord, const ColorList& colors,
                     const TextLine* line, bool openBrace)
{
    TextWord* first = line->words;
    tagWord.reset(first, first ? wordColorIndex(first, colors) : 0);
    std::string prefix;
    tagWord.getTagWord(nullptr, tagWord.colorIndex, prefix);
    if (prefix.empty())
        return false;
    if (openBrace)
        std::fputs("{", out);
    outputFunc(out, prefix.data(), static_cast<int>(prefix.size()));
    return true;
}

void writeAnchorParagraph(FILE* out)
{
    static const char anchor[] = "\\pard\\plain\\fs2\\par\r\n";
    std::fwrite(anchor, 1, sizeof anchor - 1, out);
}

} // namespace page_writer
} // namespace vlx
