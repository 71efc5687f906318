#include "TextWord.h"

#include "TextFontInfo.h"

#include <pdf_color.h>
#include <pdf_ulin.h>
#include <pdf_width_getter.h>
#include <tk_log.h>

#include <GfxFont.h>
#include <GfxState.h>

#include <algorithm>
#include <cmath>

namespace vlx {

namespace {

constexpr int kGrowBy = 16;
// Sizes the measurer is asked for; beyond this a size is garbage and the row factor stays.
constexpr double kMaxMeasuredSize = 100000.0;

} // namespace

void TextWord::initPlain(int rotA, int charPosA, TextFontInfo* fontA, double fontSizeA)
{
    rot = rotA;
    xMin = xMax = yMin = yMax = 0;
    base = 0;
    userX = userY = 0;
    link = nullptr;
    len = size = 0;
    charPos = charPosA;
    charLen = 0;
    font = fontA;
    fontSize = fontSizeA;
    spaceWidth = 0;
    spaceAfter = false;
    next = nullptr;
    sansFamily = serifFamily = bold = italic = displayFamily = listMark = underlined = false;
    upShift = downShift = 0;
    columnGroup = 0;
    flowCode = 0;
    cellIndex = 0;
    fontScale = 1.0;
    colorR = colorG = colorB = 0;
}

void TextWord::setBoxAcross(double x0, double y0, double ascent, double descent)
{
    switch (rot) {
    case 0:
        yMin = y0 - ascent;
        yMax = y0 - descent;
        if (yMin == yMax) {
            yMin = y0;
            yMax = y0 + 1;
        }
        base = y0;
        break;
    case 1:
        flowCode = 3;
        xMin = x0 + descent;
        xMax = x0 + ascent;
        if (xMin == xMax) {
            xMin = x0;
            xMax = x0 + 1;
        }
        base = x0;
        break;
    case 2:
        yMin = y0 + descent;
        yMax = y0 + ascent;
        if (yMin == yMax) {
            yMin = y0;
            yMax = y0 + 1;
        }
        base = y0;
        break;
    default:
        flowCode = 2;
        xMin = x0 - ascent;
        xMax = x0 - descent;
        if (xMin == xMax) {
            xMin = x0;
            xMax = x0 + 1;
        }
        base = x0;
        break;
    }
}

TextWord::TextWord(GfxState* state, int rotA, double x, double y, int charPosA, TextFontInfo* fontA,
                   double fontSizeA)
{
    tk_log(1, "TextWord::TextWord(rot=%d, x=%lg, y=%lg, fontSize=%lg)", rotA, x, y, fontSizeA);
    initPlain(rotA, charPosA, fontA, fontSizeA);
    userX = x;
    userY = y;

    double x0 = x, y0 = y;
    if (state) {
        GfxRGB rgb;
        state->getFillRGB(&rgb);
        pdf_rgb8 c = pdf_rgb_to_bytes(rgb);
        colorR = c.r;
        colorG = c.g;
        colorB = c.b;
        state->transform(x, y, &x0, &y0);
    }

    mapFont();

    if (!fontFace.empty()) {
        pdf_width_getter& wg = pdf_width_getter::instance();
        // A size that is not a usable positive number would divide by zero or overflow the
        // float the measurer takes: such a word keeps the row's factor.
        if (std::isfinite(fontSize) && fontSize > 0 && fontSize < kMaxMeasuredSize) {
            wg.set_font(fontFace, static_cast<float>(fontSize), bold, italic);
            spaceWidth = wg.get_width(" ") * 72.0 / fontSize;
        }
    }

    GfxFont* gfx = font ? font->getFont() : nullptr;
    double ascent, descent;
    if (gfx) {
        ascent = gfx->getAscent() * fontSize;
        descent = gfx->getDescent() * fontSize;
    } else {
        ascent = 0.95 * fontSize;
        descent = -0.35 * fontSize;
    }
    // Vertical writing centres its glyphs on the current point.
    bool vertical = gfx && gfx->getWMode() == 1;
    if (vertical) {
        ascent = (ascent - descent) / 2;
        descent = -ascent;
    }
    setBoxAcross(x0, y0, ascent, descent);
    // Upright East Asian characters read top to bottom.
    if (vertical && rot == 1)
        flowCode = 1;
}

TextWord::TextWord(int rotA, double baseA, double fontSizeA, TextFontInfo* fontA, int charPosA)
{
    initPlain(rotA, charPosA, fontA, fontSizeA);
    mapFont();
    double x0 = (rotA == 1 || rotA == 3) ? baseA : 0;
    double y0 = (rotA == 1 || rotA == 3) ? 0 : baseA;
    setBoxAcross(x0, y0, 0.95 * fontSizeA, -0.35 * fontSizeA);
}

TextWord::~TextWord() = default;

void TextWord::addChar(GfxState* state, double x, double y, double dx, double dy, Unicode u)
{
    tk_log(1, "TextWord::addChar(x=%lg, y=%lg, y_base=%f, c='%c', c16='%x%x') ", x, y, base,
           static_cast<int>(u & 0xff), u >> 8, u & 0xff);
    if (len == size) {
        size += kGrowBy;
        text.resize(static_cast<size_t>(size));
        edge.resize(static_cast<size_t>(size) + 1);
    }
    text[static_cast<size_t>(len)] = u;
    size_t i = static_cast<size_t>(len);
    switch (rot) {
    case 0:
        if (i == 0)
            xMin = x;
        edge[i] = x;
        edge[i + 1] = xMax = x + dx;
        break;
    case 1:
        if (i == 0)
            yMin = y;
        edge[i] = y;
        edge[i + 1] = yMax = y + dy;
        break;
    case 2:
        if (i == 0)
            xMax = x;
        edge[i] = x;
        edge[i + 1] = xMin = x + dx;
        break;
    default:
        if (i == 0)
            yMax = y;
        edge[i] = y;
        edge[i + 1] = yMin = y + dy;
        break;
    }
    ++len;

    if (pdf_uline_processor* p = pdf_uline_processor::slot()) {
        if (p->process_as_underline(std::min(xMin, x), x + dx, y, colorR, colorG, colorB))
            underlined = true;
    }
}

void TextWord::merge(TextWord* other)
{
    tk_log(1, "TextWord::merge");
    xMin = std::min(xMin, other->xMin);
    yMin = std::min(yMin, other->yMin);
    xMax = std::max(xMax, other->xMax);
    yMax = std::max(yMax, other->yMax);

    if (len < other->len) {
        sansFamily = other->sansFamily;
        serifFamily = other->serifFamily;
        displayFamily = other->displayFamily;
        bold = other->bold;
        italic = other->italic;
        underlined = other->underlined;
    }
    if (colorR == 0 && colorG == 0 && colorB == 0 &&
        (other->colorR != 0 || other->colorG != 0 || other->colorB != 0)) {
        colorR = other->colorR;
        colorG = other->colorG;
        colorB = other->colorB;
    }

    int joint = len + other->len;
    if (joint > size) {
        size = joint;
        text.resize(static_cast<size_t>(size));
        edge.resize(static_cast<size_t>(size) + 1);
    }
    for (int i = 0; i < other->len; ++i) {
        text[static_cast<size_t>(len + i)] = other->text[static_cast<size_t>(i)];
        edge[static_cast<size_t>(len + i)] = other->edge[static_cast<size_t>(i)];
    }
    if (other->len > 0)
        edge[static_cast<size_t>(joint)] = other->edge[static_cast<size_t>(other->len)];
    len = joint;
    charLen += other->charLen;
}

double TextWord::primaryDelta(const TextWord* other) const
{
    switch (rot) {
    case 0:
        return other->xMin - xMax;
    case 1:
        return other->yMin - yMax;
    case 2:
        return xMin - other->xMax;
    default:
        return yMin - other->yMax;
    }
}

double primaryDiff(const TextWord* w, const TextWord* v)
{
    switch (w->rot) {
    case 0:
        return w->xMin - v->xMin;
    case 1:
        return w->yMin - v->yMin;
    case 2:
        return v->xMax - w->xMax;
    default:
        return v->yMax - w->yMax;
    }
}

int TextWord::cmpXYTables(const TextWord* a, const TextWord* b)
{
    double d = a->xMin - b->xMin;
    if (std::fabs(d) < 0.1)
        d = a->yMin - b->yMin;
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

} // namespace vlx
