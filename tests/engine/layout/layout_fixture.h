#pragma once
// Hand-placed lines for the layout tests: each line one word of `chars` characters spread
// evenly over [x0, x1] on a baseline, 10 points unless said otherwise.
#include <memory>
#include <vector>

#include "TextBlock.h"
#include "TextLine.h"
#include "TextWord.h"

namespace layouttest {

inline vlx::TextLine* makeLine(double x0, double x1, double base, int chars = 20, double fs = 10, int rot = 0)
{
    auto* w = new vlx::TextWord(rot, base, fs);
    double dx = (x1 - x0) / chars;
    for (int i = 0; i < chars; ++i)
        w->addChar(nullptr, x0 + i * dx, base, dx, 0, static_cast<Unicode>('a' + i % 26));
    auto* line = new vlx::TextLine(nullptr, rot, base);
    line->addWord(w);
    line->text.assign(w->text.begin(), w->text.begin() + chars);
    line->len = chars;
    if (rot == 1 || rot == 3) {
        line->xMin = base - 3.5;
        line->xMax = base + 9.5;
        line->yMin = x0;
        line->yMax = x1;
    }
    return line;
}

// Blocks owning their lines.
struct Blocks {
    vlx::TextBlock* add(int rot = 0)
    {
        owned.push_back(std::make_unique<vlx::TextBlock>(nullptr, rot));
        ptrs.push_back(owned.back().get());
        return ptrs.back();
    }
    static void append(vlx::TextBlock* b, vlx::TextLine* l)
    {
        l->blk = b;
        vlx::TextLine** tail = &b->lines;
        while (*tail)
            tail = &(*tail)->next;
        *tail = l;
        ++b->nLines;
    }
    vlx::TextBlock** data() { return ptrs.data(); }
    int count() const { return static_cast<int>(ptrs.size()); }
    std::vector<std::unique_ptr<vlx::TextBlock>> owned;
    std::vector<vlx::TextBlock*> ptrs;
};

} // namespace layouttest
