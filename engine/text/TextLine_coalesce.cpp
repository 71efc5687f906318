#include "TextLine.h"

#include "TextWord.h"

#include <tk_log.h>

#include <UnicodeMap.h>

#include <algorithm>
#include <cmath>

namespace vlx {

namespace {

// Gap above which two words of the line are separated by a space.
double spaceThreshold(const TextWord* w1)
{
    const TextWord* w2 = w1->next;
    if (w1->len > 1 || w2->len > 1)
        return 0.1 * w1->fontSize;
    // Single letters: letter-spaced text is measured by its tightest gap.
    double minSpace = w1->primaryDelta(w2);
    for (const TextWord* a = w2; minSpace > 0 && a->next; a = a->next) {
        const TextWord* b = a->next;
        if (b->len > 1)
            minSpace = 0;
        minSpace = std::min(minSpace, a->primaryDelta(b));
    }
    return minSpace <= 0 ? 0.1 * w1->fontSize : 1.3 * minSpace;
}

} // namespace

void TextLine::coalesce(const UnicodeMap* uMap)
{
    tk_log(1, "TextLine::coalesce");
    if (words && words->next) {
        const double space = spaceThreshold(words);
        const double firstSize = words->fontSize;
        TextWord* w0 = words;
        TextWord* w1 = words->next;
        while (w1) {
            if (w0->primaryDelta(w1) >= space) {
                w0->spaceAfter = true;
                w0 = w1;
                w1 = w1->next;
            } else if (w0->font == w1->font && std::fabs(w0->fontSize - w1->fontSize) < 0.05 * firstSize &&
                       w1->charPos == w0->charPos + w0->charLen) {
                w0->merge(w1);
                w0->next = w1->next;
                if (lastWord == w1)
                    lastWord = w0;
                delete w1;
                w1 = w0->next;
            } else {
                w0 = w1;
                w1 = w1->next;
            }
        }
    }

    len = 0;
    for (const TextWord* w = words; w; w = w->next)
        len += w->len + (w->spaceAfter ? 1 : 0);
    const size_t n = static_cast<size_t>(len);
    text.assign(n, 0);
    edge.assign(n + 1, 0.0);
    col.assign(n + 1, 0);

    size_t i = 0;
    for (const TextWord* w = words; w; w = w->next) {
        for (int j = 0; j < w->len; ++j, ++i) {
            text[i] = w->text[static_cast<size_t>(j)];
            edge[i] = w->edge[static_cast<size_t>(j)];
        }
        // The far edge; the next word's first character overwrites it unless a space follows.
        edge[i] = w->len > 0 ? w->edge[static_cast<size_t>(w->len)] : edge[i];
        if (w->spaceAfter) {
            text[i] = 32;
            ++i;
        }
    }

    int converted = 0;
    const bool unicodeOut = uMap && uMap->isUnicode();
    char buf[8];
    for (size_t k = 0; k < n; ++k) {
        col[k] = converted;
        if (unicodeOut)
            ++converted;
        else if (uMap)
            converted += uMap->mapUnicode(text[k], buf, static_cast<int>(sizeof(buf)));
    }
    col[n] = converted;
    convertedLen = converted;

    hyphenated = len > 0 && text[n - 1] == 45;
}

} // namespace vlx
