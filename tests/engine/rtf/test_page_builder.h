#ifndef VLX_TEST_PAGE_BUILDER_H
#define VLX_TEST_PAGE_BUILDER_H
// Hand-built pages for the page, paragraph and section writer tests: words and lines from
// plain values, an in-memory RTF stream, and the singletons the writers need.

#include "PageRegion.h"
#include "RegionCell.h"
#include "TagWord.h"
#include "TextBlock.h"
#include "TextFlow.h"
#include "TextLine.h"
#include "TextPage.h"
#include "TextWord.h"
#include "pdf_width_getter.h"
#include "rtf_capture.h"
#include "vlx_conv.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace writers_test {

using rtftest::Capture;
using rtftest::writeOut;

// A horizontal word: its characters `charW` points apart from x on baseline `base`.
inline vlx::TextWord* word(const std::string& text, double x, double base, double fs, double charW = 5.0)
{
    auto* w = new vlx::TextWord(0, base, fs);
    for (size_t i = 0; i < text.size(); ++i)
        w->addChar(nullptr, x + static_cast<double>(i) * charW, base, charW,
                   0, static_cast<unsigned char>(text[i]));
    return w;
}

// A vertical word of rotation 1 (top to bottom) or 3, at x = base, from y.
inline vlx::TextWord* vword(const std::string& text, int rot, double base, double y, double fs, double charH = 5.0)
{
    auto* w = new vlx::TextWord(rot, base, fs);
    double step = rot == 1 ? charH : -charH;
    for (size_t i = 0; i < text.size(); ++i)
        w->addChar(nullptr, base, y + static_cast<double>(i) * step, 0, step, static_cast<unsigned char>(text[i]));
    return w;
}

// Marks a word as lying in a URI link; the action is only tested for presence.
inline vlx::TextWord* linked(vlx::TextWord* w, const std::string& uri)
{
    static char target;
    w->link = reinterpret_cast<const LinkAction*>(&target);
    w->linkURI = uri;
    return w;
}

// A line of the given words, a stored space after every word but the last.
inline vlx::TextLine* line(std::vector<vlx::TextWord*> words)
{
    auto* l = new vlx::TextLine(nullptr, words[0]->rot, words[0]->base);
    for (size_t i = 0; i < words.size(); ++i) {
        vlx::TextWord* w = words[i];
        l->addWord(w);
        for (int k = 0; k < w->len; ++k) {
            l->text.push_back(w->text[static_cast<size_t>(k)]);
            l->edge.push_back(w->edge[static_cast<size_t>(k)]);
        }
        if (i + 1 < words.size()) {
            w->spaceAfter = true;
            l->text.push_back(32);
        }
        l->edge.push_back(w->edge[static_cast<size_t>(w->len)]);
    }
    l->len = static_cast<int>(l->text.size());
    l->edge.resize(static_cast<size_t>(l->len) + 1, l->xMax);
    l->col.assign(static_cast<size_t>(l->len) + 1, 0);
    return l;
}

// A one-line text of words separated by single blanks; characters 5 points wide.
inline vlx::TextLine* textLine(const std::string& text, double x, double base, double fs, double charW = 5.0)
{
    std::vector<vlx::TextWord*> words;
    double pos = x;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        std::string w = text.substr(start, end - start);
        if (!w.empty())
            words.push_back(word(w, pos, base, fs, charW));
        pos += static_cast<double>(w.size() + 1) * charW;
        start = end + 1;
    }
    return line(words);
}

// The page, its flows and blocks; the page owns what is added.
class PageBuilder {
public:
    explicit PageBuilder(double width = 612, double height = 792) : page(0)
    {
        page.pageWidth = width;
        page.pageHeight = height;
        page.primaryRot = 0;
        page.curFontSize = 10;
    }

    // A new block in a flow of its own.
    vlx::TextBlock* block(int rot = 0)
    {
        auto* b = new vlx::TextBlock(&page, rot);
        auto* f = new vlx::TextFlow(&page, b);
        if (!page.flows)
            page.flows = f;
        else {
            vlx::TextFlow* last = page.flows;
            while (last->next)
                last = last->next;
            last->next = f;
        }
        page.blocks.push_back(b);
        page.blockCount = static_cast<int>(page.blocks.size());
        return b;
    }

    vlx::TextLine* add(vlx::TextBlock* b, vlx::TextLine* l)
    {
        l->blk = b;
        if (!b->lines)
            b->lines = l;
        else {
            vlx::TextLine* last = b->lines;
            while (last->next)
                last = last->next;
            last->next = l;
        }
        ++b->nLines;
        if (b->xMin > b->xMax) {
            b->xMin = l->xMin;
            b->xMax = l->xMax;
            b->yMin = l->yMin;
            b->yMax = l->yMax;
        } else {
            b->xMin = std::min(b->xMin, l->xMin);
            b->xMax = std::max(b->xMax, l->xMax);
            b->yMin = std::min(b->yMin, l->yMin);
            b->yMax = std::max(b->yMax, l->yMax);
        }
        return l;
    }

    vlx::TextPage page;
};

// What TextPage::dumpLine writes for a line from the given state: the writers' own bytes
// around it are what the tests check exactly.
inline std::string lineText(vlx::TextLine* l, const vlx::TagWord& tag = vlx::TagWord(), bool bullet = false,
                            bool* linkOpen = nullptr, bool* braceOpen = nullptr)
{
    Capture c;
    bool link = linkOpen ? *linkOpen : false;
    bool brace = braceOpen ? *braceOpen : false;
    vlx::TextPage::dumpLine(c.out(), writeOut, tag, vlx::ColorList(), l, &bullet, &link, &brace);
    if (linkOpen)
        *linkOpen = link;
    if (braceOpen)
        *braceOpen = brace;
    return c.str();
}

// The full-state prefix a writer puts before a line: the tag reset from the line's first word.
inline std::string prefixOf(vlx::TextLine* l, vlx::TagWord* tagOut = nullptr)
{
    vlx::TagWord tag;
    tag.reset(l->words, 0);
    std::string s;
    tag.getTagWord(nullptr, tag.colorIndex, s);
    if (tagOut)
        *tagOut = tag;
    return s;
}

inline bool startsWith(const std::string& s, const std::string& head)
{
    return s.compare(0, head.size(), head) == 0;
}

inline bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Wraps a page's text in a document so that the brace checker sees a whole file.
inline bool bracesOk(const std::string& text, std::string* why = nullptr)
{
    return vlxtest::rtf_braces_ok("{\\rtf1 " + text + "}", why);
}

// The process-wide objects the writers read: the width measurer and the job settings.
class WriterTest : public ::testing::Test {
protected:
    WriterTest() : conv(vellix_convertor::console_form) {}
    pdf_width_getter measurer;
    vellix_convertor conv;
};

} // namespace writers_test

#endif
