// Choosing the RTF font of a word from its PDF font name.
#include "TextWord.h"

#include "TextFontInfo.h"

#include <font_table.h>

#include <GfxFont.h>

#include <cstring>
#include <string>

namespace vlx {

namespace {

constexpr int kFlagFixed = 1 << 0;
constexpr int kFlagSerif = 1 << 1;
constexpr int kFlagItalic = 1 << 6;
constexpr int kFlagBold = 1 << 18;

struct FontNames {
    std::string name;       // the font's name
    std::string descriptor; // the name its font descriptor gives

    bool occurs(const char* fragment) const
    {
        if (!fragment || !*fragment)
            return false;
        return name.find(fragment) != std::string::npos || descriptor.find(fragment) != std::string::npos;
    }
    bool anyOccurs(const char* const* list, int n) const
    {
        for (int i = 0; i < n; ++i)
            if (occurs(list[i]))
                return true;
        return false;
    }
};

// The font code of a row: the three characters after "{\\" of its definition ("f11").
std::string rowCode(const font_table_row& row)
{
    size_t n = std::strlen(row.definition);
    return n > 2 ? std::string(row.definition + 2, std::min<size_t>(3, n - 2)) : std::string();
}

// The face of a row: the definition after its first blank without its last two characters.
std::string rowFace(const font_table_row& row)
{
    std::string def = row.definition;
    size_t blank = def.find(' ');
    if (blank == std::string::npos)
        return std::string();
    std::string face = def.substr(blank + 1);
    return face.size() >= 2 ? face.substr(0, face.size() - 2) : std::string();
}

const font_table_row* firstRow(bool (*pred)(const std::string& code))
{
    for (int i = 0; i < FONT_TABLE_ROWS; ++i)
        if (pred(rowCode(font_table[i])))
            return &font_table[i];
    return nullptr;
}

bool codeIsF20(const std::string& c) { return c == "f20"; }
bool codeIsF10(const std::string& c) { return c == "f10"; }
bool codeBeginsF3(const std::string& c) { return c.compare(0, 2, "f3") == 0; }
bool codeBeginsF2(const std::string& c) { return c.compare(0, 2, "f2") == 0; }
bool codeEndsIn0(const std::string& c) { return !c.empty() && c.back() == '0'; }

const char* const kSerifNames[] = {"Roman", "CMR", "CMCSC", "CMBX", "Garamond", "Palatino", "Bookman", "Georgia"};
const char* const kSansNames[] = {"Arial",     "Century Gothic", "Sans",    "Swiss",   "AvantGarde",
                                  "Helvetica", "FranklinGothic", "Tahoma", "Verdana", "Trebuchet"};
const char* const kItalicNames[] = {"CMTI", "CMMI", "Italic", "Oblique", "CMSL"};
const char* const kBoldNames[] = {"CMBX", "Bold", "Chicago"};

template <size_t N>
constexpr int count(const char* const (&)[N])
{
    return static_cast<int>(N);
}

} // namespace

void TextWord::mapFont()
{
    GfxFont* gfx = font ? font->getFont() : nullptr;
    const font_table_row* row = nullptr;

    if (gfx) {
        int flags = gfx->getFlags();
        italic = (flags & kFlagItalic) != 0;
        bold = (flags & kFlagBold) != 0;

        FontNames names;
        if (gfx->getName())
            names.name = *gfx->getName();
        if (const GooString* emb = gfx->getEmbeddedFontName())
            names.descriptor = emb->toStr();

        for (int i = 0; i < FONT_TABLE_ROWS && !row; ++i)
            for (const char* fragment : font_table[i].fragments)
                if (names.occurs(fragment)) {
                    row = &font_table[i];
                    break;
                }

        if (row) {
            std::string code = rowCode(*row);
            char family = code.size() > 1 ? code[1] : '\0';
            sansFamily = family == '1';
            serifFamily = family == '2';
            displayFamily = family == '6';
        } else if (names.anyOccurs(kSerifNames, count(kSerifNames))) {
            serifFamily = true;
            row = firstRow(codeIsF20);
        } else if (names.anyOccurs(kSansNames, count(kSansNames))) {
            sansFamily = true;
            row = firstRow(codeIsF10);
        } else if (flags & kFlagFixed) {
            row = firstRow(codeBeginsF3);
        } else if (flags & kFlagSerif) {
            row = firstRow(codeBeginsF2);
        } else {
            row = firstRow(codeEndsIn0);
        }

        if (names.anyOccurs(kItalicNames, count(kItalicNames)))
            italic = true;
        if (names.anyOccurs(kBoldNames, count(kBoldNames)))
            bold = true;
    } else {
        row = firstRow(codeEndsIn0);
    }

    if (row) {
        fontCode = rowCode(*row);
        spaceWidth = row->factor;
        fontFace = rowFace(*row);
    }
}

} // namespace vlx
