#ifndef VLX_TEXT_FONT_INFO_H
#define VLX_TEXT_FONT_INFO_H

#include <memory>

class GfxFont;
class GfxState;

namespace vlx {

// One PDF font seen on the page. It keeps the library's font alive: the page is written
// after the interpreter has dropped the page's font dictionary.
class TextFontInfo {
public:
    explicit TextFontInfo(std::shared_ptr<GfxFont> font);
    explicit TextFontInfo(GfxState* state); // the state's current font (may be none)

    GfxFont* getFont() const { return gfxFont.get(); }
    // True when this record holds the state's current font (identity).
    bool matches(GfxState* state) const;

    std::shared_ptr<GfxFont> gfxFont;
};

} // namespace vlx

#endif
