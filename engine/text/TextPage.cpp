#include "TextPage.h"

#include "TextFlow.h"
#include "TextFontInfo.h"
#include "TextPool.h"
#include "TextWord.h"
#include "text_chain.h"

#include <tk_log.h>

#include <GfxFont.h>
#include <GfxState.h>

#include <cmath>

namespace vlx {

namespace {

// Tiny characters kept per page before further ones are dropped.
constexpr int kMaxTinyChars = 50000;
// The library has no keep-tiny-characters setting; its default was off.
constexpr bool kKeepTinyChars = false;
// A word whose box or baseline lies this far out is garbage from a broken matrix.
constexpr double kMaxCoord = 100000.0;

bool usable(double v)
{
    return std::isfinite(v) && std::fabs(v) < kMaxCoord;
}

} // namespace

TextPage::TextPage(int rawOrderA)
    : rawOrder(rawOrderA != 0), pageWidth(0), pageHeight(0), curWord(nullptr), charPos(0), curFont(nullptr),
      curFontSize(0.0), nest(0), tinyCharCount(0), lastCharOverlap(false), pools{nullptr, nullptr, nullptr, nullptr},
      flows(nullptr), blockCount(0), primaryRot(0), primaryLR(true), rawWords(nullptr), rawLastWord(nullptr),
      sectionFresh(true), paragraphClosed(true)
{
    tk_log(2, "TextPage::TextPage(rawOrder=%d)", rawOrderA);
    makePools();
}

TextPage::~TextPage()
{
    tk_log(2, "TextPage::~TextPage");
    freeContents();
}

void TextPage::makePools()
{
    if (!rawOrder)
        for (TextPool*& p : pools)
            p = new TextPool();
}

void TextPage::freeContents()
{
    delete curWord;
    curWord = nullptr;

    deleteChain(rawWords);
    rawWords = rawLastWord = nullptr;

    for (TextPool*& p : pools) {
        delete p;
        p = nullptr;
    }

    deleteChain(flows);
    flows = nullptr;
    blocks.clear();
    blockCount = 0;

    for (TextFontInfo* fi : fonts)
        delete fi;
    fonts.clear();
}

void TextPage::clear()
{
    tk_log(2, "TextPage::clear");
    freeContents();
    charPos = 0;
    curFont = nullptr;
    curFontSize = 0.0;
    nest = 0;
    tinyCharCount = 0;
    makePools();
}

bool TextPage::isListMark(unsigned int c)
{
    switch (c) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 128:
    case 149:
    case 150:
    case 165:
    case 183:
    case 216:
    case 8226:
        return true;
    default:
        return false;
    }
}

void TextPage::beginWord(GfxState* state, double x, double y)
{
    tk_log(1, "TextPage::beginWord(x=%lg, y=%lg)", x, y);
    if (curWord) {
        ++nest;
        return;
    }

    double m[4];
    state->getFontTransMat(&m[0], &m[1], &m[2], &m[3]);
    const std::shared_ptr<GfxFont>& gfx = state->getFont();
    if (gfx && gfx->getType() == fontType3) {
        const double* f = gfx->getFontMatrix();
        double m2[4];
        m2[0] = f[0] * m[0] + f[1] * m[2];
        m2[1] = f[0] * m[1] + f[1] * m[3];
        m2[2] = f[2] * m[0] + f[3] * m[2];
        m2[3] = f[2] * m[1] + f[3] * m[3];
        for (int i = 0; i < 4; ++i)
            m[i] = m2[i];
    }

    int rot;
    if (std::fabs(m[0] * m[3]) > std::fabs(m[1] * m[2]))
        rot = (m[3] < 0) ? 0 : 2;
    else
        rot = (m[2] > 0) ? 1 : 3;
    // A vertical-writing font advances down its glyphs: its lines are turned a quarter.
    if (gfx && gfx->getWMode() == 1)
        rot = (rot + 1) & 3;

    curWord = new TextWord(state, rot, x, y, charPos, curFont, curFontSize);
    if (defaultICTM) {
        double dx, dy;
        state->transform(x, y, &dx, &dy);
        const double* m = defaultICTM;
        curWord->userX = m[0] * dx + m[2] * dy + m[4];
        curWord->userY = m[1] * dx + m[3] * dy + m[5];
    }
}

void TextPage::endWord()
{
    tk_log(1, "TextPage::endWord");
    if (nest > 0) {
        --nest;
        return;
    }
    if (curWord) {
        TextWord* w = curWord;
        curWord = nullptr;
        addWord(w);
    }
}

void TextPage::addWord(TextWord* word)
{
    tk_log(1, "TextPage::addWord");
    if (word->len == 0) {
        delete word;
        return;
    }
    // A box or baseline from a broken matrix would blow up the baseline buckets.
    if (!usable(word->base) || !usable(word->xMin) || !usable(word->xMax) || !usable(word->yMin) ||
        !usable(word->yMax)) {
        tk_log(1, "TextPage::addWord: word dropped, position out of range");
        delete word;
        return;
    }
    word->next = nullptr;
    if (!rawOrder) {
        int r = word->rot & 3;
        pools[r]->addWord(word);
    } else {
        if (rawLastWord)
            rawLastWord->next = word;
        else
            rawWords = word;
        rawLastWord = word;
    }
}

void TextPage::addChar(GfxState* state, double x, double y, double dx, double dy, CharCode c, int nBytes,
                       const Unicode* u, int uLen)
{
    tk_log(1, "TextPage::addChar(x=%lg, y=%lg, c=%u)", x, y, c);

    // 1. Only characters whose origin lies on the page; NaN fails every comparison.
    double x1, y1;
    state->transform(x, y, &x1, &y1);
    if (!(x1 >= 0 && x1 <= pageWidth && y1 >= 0 && y1 <= pageHeight) || !std::isfinite(dx) ||
        !std::isfinite(dy)) {
        charPos += nBytes;
        return;
    }

    // 2. The advance without character and word spacing, in device space. Word spacing
    // applies to the single-byte code 32 only. Vertical writing spaces along text y, unscaled.
    double sp = state->getCharSpace();
    if (c == 32 && nBytes == 1)
        sp += state->getWordSpace();
    const double* tm = state->getTextMat();
    const std::shared_ptr<GfxFont>& gfx = state->getFont();
    if (gfx && gfx->getWMode() == 1) {
        dx -= tm[2] * sp;
        dy -= tm[3] * sp;
    } else {
        double hs = state->getHorizScaling();
        dx -= tm[0] * sp * hs;
        dy -= tm[1] * sp * hs;
    }
    double w1, h1;
    state->transformDelta(dx, dy, &w1, &h1);
    if (!usable(w1) || !usable(h1)) {
        charPos += nBytes;
        return;
    }

    // 3. Tiny characters.
    if (!kKeepTinyChars && std::fabs(w1) < 3 && std::fabs(h1) < 3) {
        if (++tinyCharCount > kMaxTinyChars) {
            charPos += nBytes;
            return;
        }
    }

    // 4. A space only ends the word.
    if (uLen == 1 && u[0] == 32) {
        if (curWord)
            ++curWord->charLen;
        charPos += nBytes;
        endWord();
        return;
    }

    // 5. Word break.
    if (curWord && curWord->len > 0) {
        const TextWord* w = curWord;
        double e = w->edge[static_cast<size_t>(w->len - 1)];
        double base, gap, delta;
        switch (w->rot) {
        case 0:
            base = y1;
            gap = x1 - w->xMax;
            delta = x1 - e;
            break;
        case 1:
            base = x1;
            gap = y1 - w->yMax;
            delta = y1 - e;
            break;
        case 2:
            base = y1;
            gap = w->xMin - x1;
            delta = e - x1;
            break;
        default:
            base = x1;
            gap = w->yMin - y1;
            delta = e - y1;
            break;
        }
        double fs = w->fontSize;
        double baseDiff = std::fabs(base - w->base);
        bool overlap = std::fabs(delta) < 0.1 * fs && baseDiff < 0.2 * fs;
        if (overlap || lastCharOverlap || gap < -0.2 * fs || gap > 0.1 * fs || baseDiff > 0.5)
            endWord();
        lastCharOverlap = overlap;
    } else {
        lastCharOverlap = false;
    }

    // 6. The characters.
    if (uLen > 0) {
        if (!curWord)
            beginWord(state, x, y);
        int r = curWord->rot;
        if ((r == 0 && w1 < 0) || (r == 1 && h1 < 0) || (r == 2 && w1 > 0) || (r == 3 && h1 > 0)) {
            endWord();
            beginWord(state, x + dx, y + dy);
            x1 += w1;
            y1 += h1;
            w1 = -w1;
            h1 = -h1;
        }
        if (curWord->len == 0 && isListMark(c) && isListMark(u[0]))
            curWord->listMark = true;
        for (int i = 0; i < uLen; ++i)
            curWord->addChar(state, x1 + i * w1 / uLen, y1 + i * h1 / uLen, w1 / uLen, h1 / uLen, u[i]);
    }

    // 7.
    if (curWord)
        curWord->charLen += nBytes;
    charPos += nBytes;
}

} // namespace vlx
