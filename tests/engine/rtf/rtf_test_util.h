#pragma once
// Shared by the writer tests: in-memory RTF, hand-built words, lines and pages, a fixed measurer.
#include "PageRegion.h"
#include "RegionCell.h"
#include "TagWord.h"
#include "TextBlock.h"
#include "TextFlow.h"
#include "TextLine.h"
#include "TextPage.h"
#include "TextWord.h"
#include "font_backend.h"
#include "pdf_width_getter.h"
#include "vlx_conv.h"
#include "vlx_testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace rtft {

inline void writeOut(void* s, const char* text, int len)
{
    std::fwrite(text, 1, static_cast<size_t>(len), static_cast<FILE*>(s));
}

class Capture {
public:
    Capture() { f = open_memstream(&buf, &size); }
    ~Capture() { std::fclose(f), std::free(buf); }
    FILE* out() const { return f; }
    std::string str() { return std::fflush(f), std::string(buf, size); }

private:
    FILE* f = nullptr;
    char* buf = nullptr;
    size_t size = 0;
};

// Every character half an em wide, a space spaceUnits / 2048 em.
class HalfEm : public font_backend {
public:
    explicit HalfEm(int space) : spaceUnits(space) {}
    std::unique_ptr<face_metrics> load(const std::string& face, bool, bool) override
    {
        auto m = std::make_unique<face_metrics>();
        m->family = face;
        m->advance.fill(1024);
        m->advance[' '] = spaceUnits;
        return m;
    }
    int spaceUnits;
};

inline std::unique_ptr<pdf_width_getter> halfEmMeasurer(int spaceUnits = 512)
{
    return std::make_unique<pdf_width_getter>(std::make_unique<HalfEm>(spaceUnits));
}

// A word whose characters stand dx apart from pos along its rotation (down for 1, up for 3).
inline vlx::TextWord* word(const std::u32string& s, double pos, double base, double fs, double dx = 5, int rot = 0)
{
    auto* w = new vlx::TextWord(rot, base, fs);
    for (char32_t c : s) {
        if (rot == 0)
            w->addChar(nullptr, pos, base, dx, 0, static_cast<Unicode>(c));
        else
            w->addChar(nullptr, base, pos, 0, rot == 3 ? -dx : dx, static_cast<Unicode>(c));
        pos += rot == 3 ? -dx : dx;
    }
    return w;
}

inline vlx::TextWord* fword(const std::u32string& s, double x, double base, double fs, double dx = 5, int rot = 0)
{
    vlx::TextWord* w = word(s, x, base, fs, dx, rot);
    w->fontCode = "f10";
    w->fontFace = "Arial";
    return w;
}

inline vlx::TextWord* linked(vlx::TextWord* w, const std::string& uri)
{
    static char target;
    w->link = reinterpret_cast<const LinkAction*>(&target);
    w->linkURI = uri;
    return w;
}

// A line owning the words; a stored space after each word with spaceAfter (spaced: all but the last).
inline vlx::TextLine* line(const std::vector<vlx::TextWord*>& words, bool spaced = false)
{
    auto* l = new vlx::TextLine(nullptr, words[0]->rot, words[0]->base);
    for (size_t i = 0; i < words.size(); ++i) {
        vlx::TextWord* w = words[i];
        w->spaceAfter = w->spaceAfter || (spaced && i + 1 < words.size());
        l->addWord(w);
        for (int k = 0; k < w->len; ++k) {
            l->text.push_back(w->text[static_cast<size_t>(k)]);
            l->edge.push_back(w->edge[static_cast<size_t>(k)]);
        }
        if (w->spaceAfter)
            l->text.push_back(32);
        l->edge.push_back(w->edge[static_cast<size_t>(w->len)]);
    }
    l->len = static_cast<int>(l->text.size());
    l->edge.resize(static_cast<size_t>(l->len) + 1, l->xMax);
    l->col.assign(static_cast<size_t>(l->len) + 1, 0);
    return l;
}

inline vlx::TextLine* textLine(const std::string& text, double x, double base, double fs, double charW = 5)
{
    std::vector<vlx::TextWord*> words;
    size_t start = 0;
    for (size_t end; start <= text.size(); start = end + 1) {
        end = std::min(text.find(' ', start), text.size());
        if (end > start)
            words.push_back(word(std::u32string(text.begin() + static_cast<long>(start), text.begin() + static_cast<long>(end)),
                                 x + static_cast<double>(start) * charW, base, fs, charW));
    }
    return line(words, true);
}

// One block per flow; the page owns what is added.
struct PageBuilder {
    PageBuilder() : page(0)
    {
        page.pageWidth = 612;
        page.pageHeight = 792;
        page.curFontSize = 10;
    }
    vlx::TextBlock* block(int rot = 0)
    {
        auto* b = new vlx::TextBlock(&page, rot);
        vlx::TextFlow** at = &page.flows;
        while (*at)
            at = &(*at)->next;
        *at = new vlx::TextFlow(&page, b);
        page.blocks.push_back(b);
        page.blockCount = static_cast<int>(page.blocks.size());
        return b;
    }
    vlx::TextLine* add(vlx::TextBlock* b, vlx::TextLine* l)
    {
        l->blk = b;
        vlx::TextLine** at = &b->lines;
        while (*at)
            at = &(*at)->next;
        *at = l;
        bool first = b->nLines++ == 0;
        b->xMin = first ? l->xMin : std::min(b->xMin, l->xMin);
        b->xMax = first ? l->xMax : std::max(b->xMax, l->xMax);
        b->yMin = first ? l->yMin : std::min(b->yMin, l->yMin);
        b->yMax = first ? l->yMax : std::max(b->yMax, l->yMax);
        return l;
    }
    std::string dump(bool exact)
    {
        Capture c;
        page.dump(c.out(), writeOut, exact, vlx::ColorList());
        return c.str();
    }
    vlx::TextPage page;
};

inline std::string lineText(vlx::TextLine* l, const vlx::TagWord& tag = vlx::TagWord(), bool bullet = false,
                            bool braceOpen = false)
{
    Capture c;
    bool link = false;
    vlx::TextPage::dumpLine(c.out(), writeOut, tag, vlx::ColorList(), l, &bullet, &link, &braceOpen);
    return c.str();
}

// The full-state prefix a writer puts before a line.
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

inline bool startsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

inline size_t count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

inline ::testing::AssertionResult bracesOk(const std::string& text)
{
    std::string why;
    if (vlxtest::rtf_braces_ok("{\\rtf1 " + text + "}", &why))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << why << "\n" << text;
}

class WriterTest : public ::testing::Test {
protected:
    vlx::TextLine* own(vlx::TextLine* l) { return owned.emplace_back(l).get(); }
    pdf_width_getter measurer;
    vellix_convertor conv{vellix_convertor::console_form};
    PageBuilder pb;
    std::vector<std::unique_ptr<vlx::TextLine>> owned;
};

} // namespace rtft
