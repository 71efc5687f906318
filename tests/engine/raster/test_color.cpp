// The shared colour conversion: clamped, rounded like poppler's colToByte, channel order kept.
#include "pdf_color.h"

#include <gtest/gtest.h>

TEST(PdfColor, ComponentsRoundAndClamp)
{
    const GfxColorComp one = gfxColorComp1;
    const struct {
        GfxColorComp in;
        int out;
    } rows[] = {{0, 0}, {one, 255}, {one / 2, 128}, {dblToCol(0.2), 51}, {one + 1, 255}, {3 * one, 255}, {-5, 0}, {-one, 0}};
    for (const auto& r : rows)
        EXPECT_EQ(pdf_comp_to_byte(r.in), r.out) << r.in; // colToByte alone wraps the out-of-range ones
    const pdf_rgb8 c = pdf_rgb_to_bytes(GfxRGB{one, 0, one * 2});
    EXPECT_EQ(c.r * 1000000 + c.g * 1000 + c.b, 255000255);
}
