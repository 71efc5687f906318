#include "TextUnicodeType.h"

namespace vlx {

namespace {

struct Range {
    Unicode lo, hi;
};

bool inRanges(Unicode c, const Range* r, int n)
{
    for (int i = 0; i < n; ++i)
        if (c >= r[i].lo && c <= r[i].hi)
            return true;
    return false;
}

// Hebrew, Arabic, Syriac, Thaana, NKo and their presentation forms; historic RTL scripts.
const Range rtl[] = {
    {0x0590, 0x08FF}, {0xFB1D, 0xFDFF}, {0xFE70, 0xFEFF}, {0x10800, 0x10FFF}, {0x1E800, 0x1EFFF},
};

// Letters of the common left-to-right scripts.
const Range ltrLetters[] = {
    {0x0041, 0x005A}, {0x0061, 0x007A}, {0x00AA, 0x00AA}, {0x00B5, 0x00B5}, {0x00BA, 0x00BA},
    {0x00C0, 0x00D6}, {0x00D8, 0x00F6}, {0x00F8, 0x02B8}, {0x0370, 0x0373}, {0x0376, 0x03FF},
    {0x0400, 0x0482}, {0x048A, 0x058F}, {0x0900, 0x1FFF}, {0x2C00, 0x2DFF}, {0x3040, 0x9FFF},
    {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFB00, 0xFB17}, {0xFF21, 0xFF3A}, {0xFF41, 0xFF5A},
    {0x20000, 0x2FFFF},
};

} // namespace

bool unicodeTypeR(Unicode c)
{
    return inRanges(c, rtl, sizeof(rtl) / sizeof(rtl[0]));
}

bool unicodeTypeL(Unicode c)
{
    return !unicodeTypeR(c) && inRanges(c, ltrLetters, sizeof(ltrLetters) / sizeof(ltrLetters[0]));
}

} // namespace vlx
