// The shared colour conversion: clamped, rounded like poppler's colToByte.
#include "pdf_color.h"

#include <gtest/gtest.h>

TEST(PdfColor, ComponentsRoundAndClamp)
{
    EXPECT_EQ(pdf_comp_to_byte(0), 0);
    EXPECT_EQ(pdf_comp_to_byte(gfxColorComp1), 255);
    EXPECT_EQ(pdf_comp_to_byte(gfxColorComp1 / 2), 128);
    EXPECT_EQ(pdf_comp_to_byte(dblToCol(0.2)), 51);
    // colToByte alone wraps these.
    EXPECT_EQ(pdf_comp_to_byte(gfxColorComp1 + 1), 255);
    EXPECT_EQ(pdf_comp_to_byte(3 * gfxColorComp1), 255);
    EXPECT_EQ(pdf_comp_to_byte(-5), 0);
    EXPECT_EQ(pdf_comp_to_byte(-gfxColorComp1), 0);
}

TEST(PdfColor, RgbKeepsChannelOrder)
{
    GfxRGB rgb{gfxColorComp1, 0, gfxColorComp1 * 2};
    pdf_rgb8 c = pdf_rgb_to_bytes(rgb);
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 0);
    EXPECT_EQ(c.b, 255);
}
