#include "TextFontInfo.h"

#include <GfxFont.h>
#include <GfxState.h>

#include <utility>

namespace vlx {

TextFontInfo::TextFontInfo(std::shared_ptr<GfxFont> font) : gfxFont(std::move(font)) {}

TextFontInfo::TextFontInfo(GfxState* state)
{
    if (state)
        gfxFont = state->getFont();
}

bool TextFontInfo::matches(GfxState* state) const
{
    GfxFont* current = state ? state->getFont().get() : nullptr;
    return current == gfxFont.get();
}

} // namespace vlx
