#include "TextPage.h"

#include "TagWord.h"
#include "TextBlock.h"
#include "TextLine.h"
#include "TextWord.h"
#include "page_writer.h"
#include "pdf_width_getter.h"
#include "rtf_int.h"
#include "tk_log.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace vlx {
namespace page_writer {

namespace {

// A degenerate measure must not flood the document with spaces.
const int MAX_GAP_SPACES = 5000;

// Frame values shared by every paragraph of one block, in twips.
struct Frame {
    int posx, posy, absw, absh;
};

// Spaces that stand for the horizontal gap between the previous line P and line L of the same
// row, measured in P's first word's font.
void writeGapSpaces(TextPage& page, FILE* out, TextOutputFunc outputFunc, const TextLine* P, const TextLine* L)
{
    double fsP = P->getAvgFontSize();
    if (!std::isfinite(fsP))
        return; // no size to measure the spaces in
    const TextWord* w0 = P->words;
    pdf_width_getter& measurer = pdf_width_getter::instance();
    measurer.set_font(w0->fontFace, static_cast<float>(fsP), w0->bold, w0->italic);
    std::string text;
    double sumW = 0;
    for (const TextWord* w = P->words; w; w = w->next) {
        for (int i = 0; i < w->len; ++i)
            text += static_cast<char>(w->text[i] & 0xff);
        sumW += w->xMax - w->xMin;
    }
    double gap = (L->xMin - P->xMax) + sumW - 72 * measurer.get_width(text);
    double spaceW = 72 * measurer.get_width(" ");
    if (!(spaceW > 0.0) || !std::isfinite(spaceW))
        return;
    int k = truncInt(gap * 1.15 / spaceW + 0.5);
    if (k > 70 && fsP < 12.0)
        k = truncInt(k / std::sqrt(static_cast<double>(k) * k / 40000 + 1));
    k = std::min(k, MAX_GAP_SPACES);
    if (k < 1)
        return;
    std::fprintf(out, "{\\fs%d ", truncInt(fsP * 2));
    for (int i = 0; i < k; ++i) {
        tk_log(1, "Drawing spaces");
        TextPage::dumpChar(out, outputFunc, 32);
    }
    std::fputs("}", out);
}

// Number of equal steps a large vertical spacing is divided into.
int spacingSteps(double spacing, double lineFs, double prevSpacing, double prevFs)
{
    int n = 1;
    if (!(lineFs > 3.0 && spacing > 2 * lineFs))
        return n;
    // Smallest n >= 2 with spacing / n <= 2 * lineFs; started from the quotient so that a
    // huge spacing does not count up from 2.
    n = std::max(2, truncInt(spacing / (2 * lineFs)) - 1);
    while (spacing / n > 2 * lineFs)
        ++n;
    if (n > 1 && prevSpacing > 0 && spacing / n > prevSpacing + 1 && std::fabs(prevFs - lineFs) < 0.2) {
        n = std::max(n, truncInt(spacing / (prevSpacing + 1)) - 1);
        while (spacing / n - prevSpacing > 1)
            ++n;
        if (std::fabs(spacing / n - prevSpacing) > 1)
            --n;
        else if (lineFs > spacing / n)
            --n;
    }
    return n;
}

bool isFirstCharDash(const TextLine* L)
{
    if (L->len < 1 || L->text.empty())
        return false;
    Unicode c = L->text[0];
    return c == 0x2013 || (c & 0xff) == 0x1e;
}

void writeBlock(TextPage& page, FILE* out, TextOutputFunc outputFunc, TagWord& tagWord, const ColorList& colors,
                TextBlock* B, LineFlags& flags, bool& header)
{
    Frame frame;
    frame.posx = std::max(0, rtf_twips(B->xMin));
    frame.posy = std::max(0, rtf_twips(B->yMin));
    frame.absw = truncInt((B->xMax - B->xMin) * 20 * 1.05);
    frame.absh = truncInt((B->yMax - B->yMin) * 20 * 0.9);
    bool first = true;
    bool single = B->lines && !B->lines->next;
    double prevSpacing = 0;
    double indent = 0;
    double spacing = 0;
    double prevBottom = 0;
    double lastBottom = 0;
    TextLine* P = nullptr;

    for (TextLine* L = B->lines; L && L->words; L = L->next) {
        double lineFs = L->getAvgFontSize();
        flags.bullet = false;
        if (first) {
            spacing = 0;
            prevBottom = lastBottom = L->yMax;
            indent = L->xMin - B->xMin;
        } else {
            double d = L->yMax - prevBottom;
            if (d <= 0.7 * lineFs && P->xMax <= L->xMin) {
                spacing = 0;
            } else {
                // Pieces further right on L's row may be taller.
                TextLine* last = L;
                for (TextLine* N = L->next;
                     N && N->words && N->xMin > last->xMax && 0.7 * N->getAvgFontSize() > N->yMax - last->yMax;
                     N = N->next) {
                    lineFs = std::max(lineFs, N->getAvgFontSize());
                    last = N;
                }
                if (d > 1.5 * lineFs && lastBottom > prevBottom)
                    d = L->yMax - lastBottom;
                spacing = std::max(0.9 * lineFs, d);
                int n = spacingSteps(spacing, lineFs, prevSpacing, P->getAvgFontSize());
                spacing = spacing / n;
                indent = L->xMin - B->xMin;
            }
            writeGapSpaces(page, out, outputFunc, P, L);
            if (spacing == 0)
                lastBottom = std::max(lastBottom, L->yMax);
            else
                prevBottom = lastBottom = L->yMax;
        }
        if (startsWithBullet(L))
            flags.bullet = true;

        bool newParagraph = first;
        if (!first) {
            TextWord* w0 = L->words;
            newParagraph = (!single && L->xMin - B->xMin > 1.0) ||
                           (spacing > 4.0 && std::fabs(spacing - prevSpacing) > 1.0) || flags.bullet ||
                           isFirstCharDash(L) ||
                           (B->xMax - B->xMin) * 1.05 > P->getNaturalWidth() + (P->xMin - B->xMin) + w0->getTextWidth() ||
                           (!w0->next && w0->len >= 2);
            if (newParagraph) {
                // The field must end inside the paragraph group that holds it.
                closeLink(out, flags);
                if (spacing > 1.0) {
                    if (header) {
                        std::fprintf(out, "%s}", "\\par");
                        header = false;
                    } else {
                        std::fprintf(out, "}%s", "\\par");
                        std::fputs("}", out);
                    }
                } else if (!header) {
                    std::fputs("}", out);
                } else {
                    header = false;
                }
            }
        }
        if (newParagraph) {
            if (flags.link && !L->words->link)
                closeLink(out, flags);
            std::fprintf(out, "\n%s", "{");
            if (spacing > 1.0 || first) {
                std::fprintf(out, "%s%s%d%s%s%d%s%d%s%d ", "\\phpg", "\\posx", frame.posx, "\\pvpg", "\\posy",
                             frame.posy, "\\absw", frame.absw, "\\absh", frame.absh);
                std::fprintf(out, "\\li-5\\ri-15\\sl-%d ", truncInt(spacing * 20));
                prevSpacing = spacing;
                header = true;
                writeLinePrefix(out, outputFunc, tagWord, colors, L, false);
            }
            if (!single && L->xMin - B->xMin > 1.0)
                std::fprintf(out, "\\fi%d ", truncInt(indent * 20));
        }

        TextWord* w0 = L->words;
        if (w0->link) {
            tk_log(1, "Got uriLink (b_Link=%d)", flags.link ? 1 : 0);
            if (!flags.link)
                openLink(out, w0->linkURI.c_str(), flags);
        } else {
            closeLink(out, flags);
        }

        first = false;
        flags.brace = writeLinePrefix(out, outputFunc, tagWord, colors, L, true);
        tk_log(1, "Before dumpChar cycle, line->len=%d", L->len);
        tk_log(1, "Word length=%d", w0->len);
        TextPage::dumpLine(out, outputFunc, tagWord, colors, L, &flags.bullet, &flags.link, &flags.brace);

        if (!L->next || !L->next->words) {
            closeLink(out, flags);
            if (header)
                std::fprintf(out, "%s}", "\\par");
            else
                std::fprintf(out, "}%s", "\\par");
        }
        std::fputs("\r\n", out);
        P = L;
    }
    if (!header)
        std::fputs("}", out);
    std::fputs("\r\n", out);
}

} // namespace

void writeFramedBlocks(TextPage& page, FILE* out, TextOutputFunc outputFunc, TagWord& tagWord,
                       const ColorList& colors)
{
    LineFlags flags;
    bool header = false;
    for (int i = 0; i < page.blockCount && i < static_cast<int>(page.blocks.size()); ++i) {
        TextBlock* B = page.blocks[i];
        if (!B->lines || !B->lines->words)
            continue; // nothing to frame
        if (B->rot == 1 || B->rot == 3) {
            for (TextLine* line = B->lines; line && line->words; line = line->next)
                writeTextBoxLine(page, out, outputFunc, tagWord, colors, line, flags);
            continue;
        }
        writeBlock(page, out, outputFunc, tagWord, colors, B, flags, header);
    }
}

} // namespace page_writer
} // namespace vlx
