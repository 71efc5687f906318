#include "TagWord.h"

#include <cstdio>

#include "TextWord.h"
#include "font_table.h"
#include "rtf_int.h"
#include "tk_log.h"

namespace vlx {

double tagFontSize(const TextWord* word)
{
    return word->fontScale * (word->fontSize > 0 ? word->fontSize : 0.0) * 2.0;
}

// Symbol-font characters go out as SYMBOL fields that name their font, or as Unicode; a run
// switched to the symbol-charset entry makes readers lose those fields.
static bool keepsRunFont(const TextWord* word)
{
    return font_table_symbol_face(word->fontFace);
}

static void appendInt(std::string& text, const char* word, int v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "\\%s%d ", word, v);
    text += buf;
}

void TagWord::reset(const TextWord* word, int index)
{
    styleWords.clear();
    colorIndex = index;
    if (!word) {
        bold = italic = false;
        up = dn = 0;
        fontSize = 0;
        fontTag.clear();
        return;
    }
    up = word->upShift;
    dn = word->downShift;
    bold = word->bold;
    italic = word->italic;
    if (!keepsRunFont(word))
        fontTag = word->fontCode;
    fontSize = tagFontSize(word);
}

void TagWord::getTagWord(const TextWord* word, int index, std::string& text)
{
    text.clear();
    styleWords.clear();
    if (!word) {
        if (bold)
            styleWords += "\\b";
        if (italic)
            styleWords += "\\i";
        if (!styleWords.empty())
            text += styleWords + " ";
        if (!fontTag.empty())
            text += "\\" + fontTag + " ";
        if (fontSize != 0)
            appendInt(text, "fs", truncInt(fontSize));
        appendInt(text, "cf", colorIndex);
        return;
    }
    tk_log(1, "TagWord::getTagWord");
    if (bold && !word->bold)
        styleWords += "\\b0";
    else if (!bold && word->bold)
        styleWords += "\\b";
    if (italic && !word->italic)
        styleWords += "\\i0";
    else if (!italic && word->italic)
        styleWords += "\\i";
    if (!styleWords.empty())
        text += styleWords + " ";
    // \up and \dn set one property: the word going to 0 must come first, or it would
    // cancel the shift written just before it.
    bool dnChanges = word->downShift != dn;
    bool upChanges = word->upShift != up;
    if (upChanges && dnChanges && word->upShift == 0) {
        appendInt(text, "up", word->upShift);
        appendInt(text, "dn", word->downShift);
    } else {
        if (dnChanges)
            appendInt(text, "dn", word->downShift);
        if (upChanges)
            appendInt(text, "up", word->upShift);
    }
    if (word->fontCode != fontTag && !keepsRunFont(word))
        text += "\\" + word->fontCode + " ";
    double v = tagFontSize(word);
    if (v != fontSize)
        appendInt(text, "fs", truncInt(v));
    if (index != colorIndex)
        appendInt(text, "cf", index);
    reset(word, index);
}

} // namespace vlx
