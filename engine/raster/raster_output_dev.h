#pragma once
// The page raster: poppler's splash device, except that thin ruled shapes go to the underline and
// rule processor instead of into the picture, and that no text is painted.
#include "callback_guard.h"

#include <SplashOutputDev.h>

class pdf_uline_processor;
class SplashBitmap;

class RasterOutputDev : public SplashOutputDev {
public:
    // RGB 8 bits, rows unpadded, white paper, top-down rows, vector anti-aliasing off
    // (rules stay hard-edged, and their pixels are what the capture box says).
    RasterOutputDev();

    void startPage(int pageNum, GfxState* state, XRef* xref) override;

    // A failure inside a painting callback is held here and rethrown once the library has returned,
    // instead of unwinding through the interpreter.
    void rethrowPending();

    // A fill or stroke needs the processor (assertion otherwise).
    void fill(GfxState* state) override;
    void eoFill(GfxState* state) override;
    void stroke(GfxState* state) override;

    // No text: fonts are never loaded, characters never drawn. Type 3 glyph procedures still run
    // as graphics, except for invisible text.
    void updateFont(GfxState*) override {}
    void drawChar(GfxState*, double, double, double, double, double, double, CharCode, int, const Unicode*, int) override {}
    bool beginType3Char(GfxState* state, double x, double y, double dx, double dy, CharCode code, const Unicode* u, int uLen) override;
    void endType3Char(GfxState*) override {}
    void type3D0(GfxState*, double, double) override {}
    void type3D1(GfxState*, double, double, double, double, double, double) override {}

private:
    bool capture_allowed(GfxState* state, bool stroking);
    bool capture_fill(GfxState* state, pdf_uline_processor& proc);
    bool capture_stroke(GfxState* state, pdf_uline_processor& proc);
    void fill_with(GfxState* state, bool eo);

    SplashBitmap* page_bitmap = nullptr;
    callback_guard guard;
};
