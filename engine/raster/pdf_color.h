#pragma once
// Colour components as the converter compares them: 0..255 per channel.
#include <GfxState.h>

struct pdf_rgb8 {
    int r;
    int g;
    int b;
};

// The one conversion from a poppler RGB colour to bytes. Text colours and the colours of
// captured rules both go through it, so that a rule drawn in the text's colour compares
// equal to it. Components are clamped to 0..1 first: colToByte() wraps above 1.0.
pdf_rgb8 pdf_rgb_to_bytes(const GfxRGB& rgb);

// One component, clamped the same way.
int pdf_comp_to_byte(GfxColorComp c);
