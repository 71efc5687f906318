#pragma once
// Small stand-ins for building text by hand: a font with chosen names and metrics, a width
// measurer over a fake font engine, and a 612 x 792 point graphics state.
#include "TextFontInfo.h"
#include "TextPage.h"
#include "TextWord.h"

#include <font_backend.h>
#include <pdf_width_getter.h>

#include <GfxFont.h>
#include <GfxState.h>
#include <Page.h>
#include <goo/GooString.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vlx_test {

class StubFont : public GfxFont {
public:
    StubFont(const std::string& fontName, const std::string& descriptorName = "", int fontFlags = 0,
             double asc = 0.9, double desc = -0.2, GfxFontType t = fontType1)
        : GfxFont("F1", Ref{1, 0}, fontName.empty() ? std::optional<std::string>() : std::optional<std::string>(fontName),
                  t, Ref::INVALID())
    {
        flags = fontFlags;
        ascent = asc;
        descent = desc;
        if (!descriptorName.empty())
            embFontName = new GooString(descriptorName);
        fontMat[0] = 1;
        fontMat[1] = 0;
        fontMat[2] = 0;
        fontMat[3] = 1;
        fontMat[4] = 0;
        fontMat[5] = 0;
    }
    const CharCodeToUnicode* getToUnicode() const override { return nullptr; }
    int getNextChar(const char*, int, CharCode*, Unicode const**, int*, double*, double*, double*,
                    double*) const override
    {
        return 0;
    }
    double* mutableFontMatrix() { return fontMat; }
};

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

// A measurer and a page-sized state for each test.
class TextFixture : public ::testing::Test {
protected:
    TextFixture() : widths(std::make_unique<FakeBackend>()), box(0, 0, 612, 792), state(72, 72, &box, 0, true) {}

    // A font record for the state's font, as the device would make it.
    vlx::TextFontInfo* useFont(vlx::TextPage& page, std::shared_ptr<GfxFont> font, double size)
    {
        state.setFont(font, size);
        auto* info = new vlx::TextFontInfo(&state);
        page.fonts.push_back(info);
        page.curFont = info;
        page.curFontSize = state.getTransformedFontSize();
        return info;
    }

    pdf_width_getter widths;
    PDFRectangle box;
    GfxState state;
};

inline std::shared_ptr<GfxFont> makeFont(const std::string& name, const std::string& descriptor = "", int flags = 0,
                                         double ascent = 0.9, double descent = -0.2)
{
    return std::make_shared<StubFont>(name, descriptor, flags, ascent, descent);
}

// A plain word of `n` characters starting at x, each `adv` wide.
inline vlx::TextWord* plainWord(double x, double base, double fontSize, const std::string& chars, double adv = 5.0,
                                int rot = 0)
{
    auto* w = new vlx::TextWord(rot, base, fontSize);
    for (size_t i = 0; i < chars.size(); ++i)
        w->addChar(nullptr, x + adv * static_cast<double>(i), base, adv, 0, static_cast<unsigned char>(chars[i]));
    return w;
}

inline std::string wordText(const vlx::TextWord* w)
{
    std::string s;
    for (int i = 0; i < w->len; ++i)
        s += static_cast<char>(w->text[static_cast<size_t>(i)]);
    return s;
}

} // namespace vlx_test
