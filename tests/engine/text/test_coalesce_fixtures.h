#pragma once
// Hand-built pages for the layout tests: words placed by rotation, start, baseline and size,
// and a page of 612 x 792 points whose pools they go into.
#include "TextBlock.h"
#include "TextFlow.h"
#include "TextLine.h"
#include "TextPage.h"
#include "TextPool.h"
#include "TextWord.h"

#include <GlobalParams.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vlx_test {

// Latin1 output encoding as the convertor sets it; created only when nobody else did.
class Latin1Params {
public:
    Latin1Params()
    {
        if (!globalParams) {
            globalParams = std::make_unique<GlobalParams>();
            globalParams->setTextEncoding("Latin1");
            owned = true;
        }
    }
    ~Latin1Params()
    {
        if (owned)
            globalParams.reset();
    }
    Latin1Params(const Latin1Params&) = delete;
    Latin1Params& operator=(const Latin1Params&) = delete;

private:
    bool owned = false;
};

// Places words character by character along the rotation's reading direction. Each word gets
// its own content-stream position, so words only merge when a test chains them on purpose.
class WordMaker {
public:
    vlx::TextWord* make(int rot, double start, double base, double fs, const std::vector<Unicode>& chars,
                        double adv = 5.0, vlx::TextFontInfo* font = nullptr)
    {
        auto* w = new vlx::TextWord(rot, base, fs, font, charPos);
        for (size_t i = 0; i < chars.size(); ++i) {
            const double p = adv * static_cast<double>(i);
            switch (rot) {
            case 0:
                w->addChar(nullptr, start + p, base, adv, 0, chars[i]);
                break;
            case 1:
                w->addChar(nullptr, base, start + p, 0, adv, chars[i]);
                break;
            case 2:
                w->addChar(nullptr, start - p, base, -adv, 0, chars[i]);
                break;
            default:
                w->addChar(nullptr, base, start - p, 0, -adv, chars[i]);
                break;
            }
        }
        charPos += static_cast<int>(chars.size()) + 10;
        return w;
    }

    vlx::TextWord* make(int rot, double start, double base, double fs, const std::string& chars, double adv = 5.0,
                        vlx::TextFontInfo* font = nullptr)
    {
        std::vector<Unicode> u;
        for (unsigned char c : chars)
            u.push_back(c);
        return make(rot, start, base, fs, u, adv, font);
    }

    // A horizontal word.
    vlx::TextWord* h(double x, double base, const std::string& chars, double fs = 10, double adv = 5.0)
    {
        return make(0, x, base, fs, chars, adv);
    }

    // The next word follows `prev` directly in the content stream (it may merge into it).
    static void chain(vlx::TextWord* prev, vlx::TextWord* w)
    {
        prev->charLen = prev->len;
        w->charPos = prev->charPos + prev->charLen;
    }

    int charPos = 0;
};

inline std::string lineText(const vlx::TextLine* line)
{
    std::string s;
    for (int i = 0; i < line->len; ++i) {
        Unicode c = line->text[static_cast<size_t>(i)];
        s += c < 128 ? static_cast<char>(c) : '?';
    }
    return s;
}

inline std::vector<const vlx::TextLine*> linesOf(const vlx::TextBlock* blk)
{
    std::vector<const vlx::TextLine*> v;
    for (const vlx::TextLine* l = blk->lines; l; l = l->next)
        v.push_back(l);
    return v;
}

inline std::vector<std::string> lineTexts(const vlx::TextBlock* blk)
{
    std::vector<std::string> v;
    for (const vlx::TextLine* l = blk->lines; l; l = l->next)
        v.push_back(lineText(l));
    return v;
}

inline std::vector<const vlx::TextFlow*> flowsOf(const vlx::TextPage& page)
{
    std::vector<const vlx::TextFlow*> v;
    for (const vlx::TextFlow* f = page.flows; f; f = f->next)
        v.push_back(f);
    return v;
}

inline std::vector<const vlx::TextBlock*> blocksOf(const vlx::TextFlow* flow)
{
    std::vector<const vlx::TextBlock*> v;
    for (const vlx::TextBlock* b = flow->blocks; b; b = b->next)
        v.push_back(b);
    return v;
}

// A page with its size set, as the device leaves it after the page start.
class PageFixture : public ::testing::Test {
protected:
    PageFixture() : page(0)
    {
        page.pageWidth = 612;
        page.pageHeight = 792;
    }

    void add(vlx::TextWord* w) { page.addWord(w); }

    Latin1Params params;
    WordMaker mk;
    vlx::TextPage page;
};

} // namespace vlx_test
