#pragma once
// Stand-in fonts, a fake measurer, a 612 x 792 point page, and words placed by hand.
#include "TextBlock.h"
#include "TextFlow.h"
#include "TextFontInfo.h"
#include "TextLine.h"
#include "TextPage.h"
#include "TextPool.h"
#include "TextWord.h"

#include <font_backend.h>
#include <pdf_width_getter.h>

#include <GfxFont.h>
#include <GfxState.h>
#include <GlobalParams.h>
#include <Page.h>
#include <goo/GooString.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vlx_test {

class StubFont : public GfxFont {
public:
    StubFont(const std::string& name, const std::string& descriptorName = "", int fontFlags = 0, GfxFontType t = fontType1)
        : GfxFont("F1", Ref{1, 0}, name.empty() ? std::optional<std::string>() : std::optional<std::string>(name), t,
                  Ref::INVALID())
    {
        flags = fontFlags;
        ascent = 0.9;
        descent = -0.2;
        if (!descriptorName.empty())
            embFontName = new GooString(descriptorName);
        const double identity[6] = {1, 0, 0, 1, 0, 0};
        std::copy(identity, identity + 6, fontMat);
    }
    const CharCodeToUnicode* getToUnicode() const override { return nullptr; }
    int getNextChar(const char*, int, CharCode*, Unicode const**, int*, double*, double*, double*,
                    double*) const override
    {
        return 0;
    }
    double* mutableFontMatrix() { return fontMat; }
    int getWMode() const override { return wMode; }
    int wMode = 0; // 1: vertical writing
};

inline std::shared_ptr<GfxFont> makeFont(const std::string& name, const std::string& descriptor = "", int flags = 0)
{
    return std::make_shared<StubFont>(name, descriptor, flags);
}

// Every byte half an em wide, the space a quarter.
class FakeBackend : public font_backend {
public:
    std::unique_ptr<face_metrics> load(const std::string& face, bool, bool) override
    {
        auto m = std::make_unique<face_metrics>();
        m->family = face;
        m->units_per_em = 2048;
        m->cell_units = 2048;
        m->advance.fill(1024);
        m->advance[' '] = 512;
        return m;
    }
};

inline std::vector<Unicode> uni(const std::string& s) { return std::vector<Unicode>(s.begin(), s.end()); }

template <class T> std::string textOf(const T* t)
{
    std::string s;
    for (int i = 0; i < t->len; ++i)
        s += t->text[static_cast<size_t>(i)] < 128 ? static_cast<char>(t->text[static_cast<size_t>(i)]) : '?';
    return s;
}
inline std::string wordText(const vlx::TextWord* w) { return textOf(w); }
inline std::string lineText(const vlx::TextLine* l) { return textOf(l); }

// Each word gets its own content-stream position: words only merge when a test chains them.
inline vlx::TextWord* word(int rot, double start, double base, double fs, const std::vector<Unicode>& chars,
                           double adv = 5.0, vlx::TextFontInfo* font = nullptr)
{
    static int charPos = 0;
    auto* w = new vlx::TextWord(rot, base, fs, font, charPos);
    const double sign = rot >= 2 ? -1 : 1;
    for (size_t i = 0; i < chars.size(); ++i) {
        const double p = start + sign * adv * static_cast<double>(i);
        if (rot % 2 == 0)
            w->addChar(nullptr, p, base, sign * adv, 0, chars[i]);
        else
            w->addChar(nullptr, base, p, 0, sign * adv, chars[i]);
    }
    charPos += static_cast<int>(chars.size()) + 10;
    return w;
}
inline vlx::TextWord* hword(double x, double base, const std::string& s, double fs = 10, double adv = 5.0)
{
    return word(0, x, base, fs, uni(s), adv);
}

// `w` follows `prev` directly in the content stream.
inline void chain(vlx::TextWord* prev, vlx::TextWord* w)
{
    prev->charLen = prev->len;
    w->charPos = prev->charPos + prev->charLen;
}

template <class T> std::vector<const T*> chainOf(const T* first)
{
    std::vector<const T*> v;
    for (; first; first = first->next)
        v.push_back(first);
    return v;
}

inline std::vector<std::string> lineTexts(const vlx::TextBlock* blk)
{
    std::vector<std::string> v;
    for (const vlx::TextLine* l : chainOf(blk->lines))
        v.push_back(lineText(l));
    return v;
}

// A measurer, a page-sized state and a page as the device leaves it after the page start.
class TextFixture : public ::testing::Test {
protected:
    TextFixture() : widths(std::make_unique<FakeBackend>()), box(0, 0, 612, 792), state(72, 72, &box, 0, true), page(0)
    {
        page.pageWidth = 612;
        page.pageHeight = 792;
        state.setTextMat(1, 0, 0, 1, 0, 0);
        if (!globalParams) { // Latin1 output as the convertor sets it; kept for the process
            globalParams = std::make_unique<GlobalParams>();
            globalParams->setTextEncoding("Latin1");
        }
    }

    // A font record for the state's font, as the device would make it.
    void useFont(std::shared_ptr<GfxFont> font, double size)
    {
        state.setFont(font, size);
        page.curFont = new vlx::TextFontInfo(&state);
        page.fonts.push_back(page.curFont);
        page.curFontSize = state.getTransformedFontSize();
    }

    pdf_width_getter widths;
    PDFRectangle box;
    GfxState state;
    vlx::TextPage page;
};

} // namespace vlx_test
