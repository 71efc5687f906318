#ifndef VLX_TEST_DUMPLINE_FIXTURE_H
#define VLX_TEST_DUMPLINE_FIXTURE_H

// Hand-built words and lines and a width measurer with fixed
// metrics: every character is half an em wide, a space a quarter em.
#include <memory>
#include <string>
#include <vector>

#include "TextLine.h"
#include "TextWord.h"
#include "font_backend.h"
#include "pdf_width_getter.h"
#include "rtf_capture.h"

namespace rtftest {

class HalfEmBackend : public font_backend {
public:
    int spaceUnits = 512;
    std::unique_ptr<face_metrics> load(const std::string& face, bool, bool) override
    {
        auto m = std::make_unique<face_metrics>();
        m->family = face;
        m->units_per_em = 2048;
        m->advance.fill(1024);
        m->advance[' '] = spaceUnits;
        return m;
    }
};

inline std::unique_ptr<pdf_width_getter> makeMeasurer(int spaceUnits = 512)
{
    auto b = std::make_unique<HalfEmBackend>();
    b->spaceUnits = spaceUnits;
    return std::make_unique<pdf_width_getter>(std::move(b));
}

// A word of `chars` at x, each character `dx` wide, on baseline `base`.
inline vlx::TextWord* makeWord(const std::u32string& chars, double x, double base, double fs, double dx,
                               int rot = 0)
{
    auto* w = new vlx::TextWord(rot, base, fs);
    for (char32_t c : chars) {
        w->addChar(nullptr, x, base, dx, 0, static_cast<Unicode>(c));
        x += dx;
    }
    w->fontCode = "f10";
    w->fontFace = "Arial";
    return w;
}

// A line of the words (owned by it), with the text the block line building would give:
// each word's characters, then a space when its spaceAfter is set.
inline std::unique_ptr<vlx::TextLine> makeLine(const std::vector<vlx::TextWord*>& words, int rot = 0)
{
    auto line = std::make_unique<vlx::TextLine>(nullptr, rot, words.empty() ? 0 : words[0]->base);
    for (vlx::TextWord* w : words) {
        line->addWord(w);
        for (int i = 0; i < w->len; ++i)
            line->text.push_back(w->text[i]);
        if (w->spaceAfter)
            line->text.push_back(32);
    }
    line->len = static_cast<int>(line->text.size());
    return line;
}

} // namespace rtftest

#endif
