#include <cmath>
#include <string>

#include "TextLine.h"
#include "TextWord.h"
#include "pdf_width_getter.h"
#include "tk_log.h"

namespace vlx {

namespace {

// Measuring at a large size keeps the measurer's whole-pixel rounding negligible.
const double MEASURE_SIZE = 192.0;

void setMeasureFont(pdf_width_getter& g, const TextWord* w)
{
    g.set_font(w->fontFace, static_cast<float>(MEASURE_SIZE), w->bold, w->italic);
}

// Width of one space in points at the word's size; the word's font must be current.
double spaceWidthOf(pdf_width_getter& g, const TextWord* w)
{
    return g.get_width(" ") * 72.0 * w->fontSize / MEASURE_SIZE;
}

} // namespace

double TextWord::getTextWidth()
{
    tk_log(1, "TextWord::getTextWidth");
    pdf_width_getter& g = pdf_width_getter::instance();
    setMeasureFont(g, this);
    std::string narrow;
    int wide = 0;
    for (int i = 0; i < len && i < static_cast<int>(text.size()); ++i) {
        narrow += static_cast<char>(text[i] & 0xff);
        if (text[i] > 255)
            ++wide;
    }
    // Mostly non-Latin text cannot be measured in a code page 1252 font: take the box.
    if (3 * wide > len)
        return (xMax - xMin) * 1.05;
    return (fontSize / MEASURE_SIZE) * (g.get_width(narrow) * 72.0);
}

double TextLine::getTextWidth()
{
    tk_log(1, "TextLine::getTextWidth");
    pdf_width_getter& g = pdf_width_getter::instance();
    double sum = 0;
    double right = 0;
    int p = 0;
    bool spaceBefore = false;
    bool firstWord = true;
    TextWord* last = nullptr;
    for (TextWord* w = words; w; w = w->next) {
        setMeasureFont(g, w);
        if (!firstWord) {
            if (p < len && p < static_cast<int>(text.size()) && text[p] == 32) {
                sum += spaceWidthOf(g, w);
                ++p;
            } else {
                double gap = w->xMin - right;
                if (gap > 0.5 * w->fontSize && spaceBefore)
                    sum += spaceWidthOf(g, w);
                else
                    sum += gap;
            }
        }
        sum += w->getTextWidth();
        spaceBefore = w->spaceAfter;
        p += w->len;
        right = w->xMax;
        firstWord = false;
        last = w;
        if (p >= len)
            break;
    }
    if (len > 1 && last)
        sum += spaceWidthOf(g, last);
    return sum;
}

double TextLine::getNaturalWidth()
{
    tk_log(1, "TextLine::getNaturalWidth");
    double f = 1.0;
    if (len > 0 && len < 10)
        f = std::sqrt(std::sqrt(std::sqrt(std::sqrt(25.0 / len))));
    double sum = 0;
    double right = 0;
    bool firstWord = true;
    TextWord* last = nullptr;
    for (TextWord* w = words; w; w = w->next) {
        sum += w->getTextWidth();
        if (!firstWord)
            sum += w->xMin - right;
        right = w->xMax;
        firstWord = false;
        last = w;
    }
    if (last && last->spaceAfter)
        sum += last->spaceWidth * last->fontSize;
    return f * sum;
}

} // namespace vlx
