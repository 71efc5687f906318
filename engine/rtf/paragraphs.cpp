#include "TextPage.h"

#include "TagWord.h"
#include "TextLine.h"
#include "TextWord.h"
#include "page_writer.h"
#include "rtf_int.h"
#include "tk_log.h"

#include <algorithm>
#include <cmath>

namespace vlx {

namespace {

using page_writer::lineFontSize;

// F lies within T's extent on the axis [f1, f2] of zero length, or the other way round.
bool zeroLengthInside(double f1, double f2, double t1, double t2)
{
    if (f2 - f1 == 0 && f1 >= t1 && f1 <= t2)
        return true;
    return t2 - t1 == 0 && t1 >= f1 && t1 <= f2;
}

// The larger share of the vertical overlap of F and T in their heights; both have height.
double verticalOverlap(const TextLine* F, const TextLine* T)
{
    double fh = F->yMax - F->yMin;
    double th = T->yMax - T->yMin;
    double ov = std::min(F->yMax, T->yMax) - std::max(F->yMin, T->yMin);
    return std::max(ov / fh, ov / th);
}

bool bothHaveHeight(const TextLine* F, const TextLine* T)
{
    return F->yMax - F->yMin != 0 && T->yMax - T->yMin != 0;
}

// Whether line F stands on the same row as line T (the row group's first line).
bool joinsRow(const TextPage& page, const TextLine* T, const TextLine* F)
{
    double fw = F->xMax - F->xMin;
    double tw = T->xMax - T->xMin;
    bool baselineStage = false;
    if (fw == 0 && F->xMin >= T->xMin && F->xMin <= T->xMax) {
        baselineStage = true;
    } else if (tw == 0 && T->xMin >= F->xMin && T->xMin <= F->xMax) {
        baselineStage = true;
    } else if (fw != 0 && tw != 0) {
        double ov = std::min(F->xMax, T->xMax) - std::max(F->xMin, T->xMin);
        if (std::max(ov / fw, ov / tw) >= 0.3)
            baselineStage = true;
    }
    bool zeroHeight = zeroLengthInside(F->yMin, F->yMax, T->yMin, T->yMax);
    if (!baselineStage && F->xMin > T->xMin) {
        if (std::fabs(F->base - T->base) < 0.6 * lineFontSize(page, F) || zeroHeight ||
            (bothHaveHeight(F, T) && verticalOverlap(F, T) > 0.6))
            return true;
    }
    return std::fabs(F->base - T->base) < 0.1 || zeroHeight || (bothHaveHeight(F, T) && verticalOverlap(F, T) > 0.9);
}

bool endsWithPeriod(const TextLine* line)
{
    return line->len > 0 && static_cast<int>(line->text.size()) >= line->len && line->text[line->len - 1] == '.';
}

} // namespace

void TextPage::writeParagraphs(FILE* out, TextOutputFunc outputFunc, double top, double left, double indentBase,
                               double right, TagWord tagWord, ColorList colors, TextLine** lines, int lineCount,
                               bool noCrlf, bool inTable)
{
    tk_log(1, "TextPage::writeParagraphs(top=%g,left=%g,right=%g,count=%d)", top, left, right, lineCount);
    if (!lines || lineCount <= 0)
        return;
    double N = 0;
    if (noCrlf) {
        N = lines[0]->xMax;
        for (int i = 1; i < lineCount; ++i)
            N = std::max(N, lines[i]->xMax);
    }
    bool first = true;
    LineFlags flags;
    double L = 0, M = 0, groupTop = 0, groupBottom = 0, S = 0;
    TextLine* lookahead = nullptr;
    double prevSpacing = 0, prevLeft = 0, prevRightGap = 0, prevWidth = 0, prevGroupLeft = 0;
    bool tabWritten = false;
    TextLine* prev = nullptr;

    for (int i = 0; i < lineCount; prev = lines[i], ++i) {
        TextLine* line = lines[i];
        if ((line->len == 1 && std::fabs(line->xMax - line->xMin) < 0.3) || !line->words)
            continue;
        tagWord.reset(nullptr, 0);
        std::fprintf(out, "%s", "\\plain");
        double fs = lineFontSize(*this, line);
        double charWidth = rtf_div(rtf_div(line->xMax - line->xMin, line->len, fs), fs, 1.0);
        double riScale = charWidth < 0.6 ? 0.9 : 1.0;
        TextWord* w0 = line->words;
        flags.bullet = (page_writer::startsWithBullet(line) || (w0->len == 1 && w0->listMark)) && w0->flowCode == 0;
        double X = line->yMax - top;

        bool sameRow = line != lookahead && X <= 0.7 * fs && prev && prev->xMax <= line->xMax && !first &&
                       L <= line->xMin && line->xMax <= M;
        if (sameRow) {
            if ((primaryRot == 0 || primaryRot == 2) && line->xMin - prev->xMax > 0.3 * fs) {
                double x = M > line->xMax + 1 ? line->xMin : line->xMin * 0.998;
                std::fprintf(out, "\\tx%d \\tab ", truncInt((x - left) * 20));
                tabWritten = true;
            }
        } else {
            // A new row group: this line and the following lines standing on its row.
            L = line->xMin;
            M = line->xMax;
            groupTop = line->yMin;
            groupBottom = line->yMax;
            S = fs;
            int groupLines = 1;
            lookahead = nullptr;
            for (int j = i + 1; j < lineCount; ++j) {
                TextLine* F = lines[j];
                if (!joinsRow(*this, line, F)) {
                    lookahead = F;
                    break;
                }
                L = std::min(L, F->xMin);
                M = std::max(M, F->xMax);
                groupTop = std::min(groupTop, F->yMin);
                groupBottom = std::max(groupBottom, F->yMax);
                if (F->len >= 2)
                    S = std::max(S, lineFontSize(*this, F));
                ++groupLines;
            }
            if (groupLines > 1)
                X = groupBottom - top;
            if (prevWidth == 0)
                prevWidth = M - L;

            if (noCrlf && prev) {
                double r = rtf_div(prevSpacing, X);
                if (std::fabs(S - lineFontSize(*this, prev)) < 0.06 * S && X != 0 && !first && X <= 2 * S &&
                    0.7 < r && r < 1.2)
                    X = prevSpacing;
            }
            top = groupBottom;
            double W = indentBase - left;
            double U = L - indentBase;
            if (U > 0) {
                double ahead = lookahead ? lookahead->xMin - indentBase : 0;
                if ((lookahead && std::fabs(U - ahead) < 0.25 * S) || (!first && std::fabs(prevGroupLeft - L) < 0.25 * S)) {
                    W += U;
                    U = 0;
                } else if (lookahead && U > ahead) {
                    W += ahead;
                    U -= ahead;
                }
            }
            prevGroupLeft = L;

            bool gapWritten = false;
            if (X > 2 * S) {
                if (lookahead && std::fabs(S - lineFontSize(*this, lookahead)) < 0.06 * S) {
                    double d = lookahead->yMax - groupBottom;
                    double r = rtf_div(d, S);
                    if (0.9 < r && r < 1.5)
                        S = d;
                }
                if (!paragraphClosed) {
                    std::fprintf(out, "%s\n", "\\par");
                    paragraphClosed = true;
                }
                double g = std::max(groupBottom - groupTop, S);
                gapWritten = writeGap(out, outputFunc, 0, X - g) > 0;
                X = g;
            }
            double A = noCrlf ? N : M;
            bool newParagraph = true;
            if (first) {
                if (noCrlf && lookahead && std::fabs(S - lineFontSize(*this, lookahead)) < 0.06 * S) {
                    double D = lookahead->yMax - groupBottom;
                    double r = rtf_div(D, X);
                    if (D <= 2 * S && 0.7 < r && r < 1.2)
                        X = D;
                }
                prevRightGap = right - A;
            } else {
                newParagraph = gapWritten || std::fabs(prevSpacing - X) > 0.015 * S || U > 1.0 ||
                               std::fabs(prevLeft - W) > 0.5 * S;
                if (!newParagraph) {
                    if (rtf_div(M - L, prevWidth) > 1.15) {
                        newParagraph = !noCrlf;
                    } else if (std::fabs(prevRightGap - (right - A)) > 0.5 * S) {
                        bool shortLast = endsWithPeriod(line) && prev && line->len < prev->len;
                        newParagraph = !(noCrlf || shortLast);
                    }
                }
            }
            if (!tabWritten)
                prevRightGap = right - A;
            tabWritten = false;
            if (flags.link && !w0->link)
                page_writer::closeLink(out, flags);
            // After a gap the paragraph properties are restated: the gap's "\pard" ended them,
            // and inside a table that would move the text out of its row.
            if (first || (X > 4.0 && newParagraph) || gapWritten) {
                if (!paragraphClosed) {
                    std::fprintf(out, "%s\n", "\\par");
                    paragraphClosed = true;
                }
                // The page start has just reset the paragraph properties; LibreOffice takes a
                // "\\pard" after the page picture for a paragraph break, a blank line that pushes
                // the page's last lines onto the next page.
                if (!paragraphDefaults || inTable)
                    std::fprintf(out, "%s", "\\pard");
                paragraphDefaults = false;
                if (inTable)
                    std::fputs("\\intbl ", out);
                if (X > 0.5 * S)
                    std::fprintf(out, "\\sl-%d ", truncInt(X * 20));
                std::fprintf(out, "\\li%d ", truncInt(20 * W));
                std::fprintf(out, "\\ri%d ", truncInt((right - A) * 20 * riScale));
                if (U > 1.0)
                    std::fprintf(out, "\\fi%d ", truncInt(U * 20));
            }
            prevSpacing = X;
            prevLeft = W;
        }

        prevWidth = M - L;
        first = false;
        tk_log(1, "Before dumpChar cycle, line->len=%d", line->len);
        tk_log(1, "Word length=%d", w0->len);
        dumpLine(out, outputFunc, tagWord, colors, line, &flags.bullet, &flags.link, &flags.brace);
        paragraphClosed = false;
        sectionFresh = false;
        page_writer::closeLink(out, flags);
        std::fputs("\r\n", out);
    }
    int lastRot = lines[lineCount - 1]->rot;
    if (lastRot == 0 || lastRot == 2)
        std::fputs("\r\n", out);
}

} // namespace vlx
