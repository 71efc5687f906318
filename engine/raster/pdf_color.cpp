#include "pdf_color.h"

int pdf_comp_to_byte(GfxColorComp c)
{
    if (c < 0)
        c = 0;
    else if (c > gfxColorComp1)
        c = gfxColorComp1;
    return colToByte(c);
}

pdf_rgb8 pdf_rgb_to_bytes(const GfxRGB& rgb)
{
    return pdf_rgb8{pdf_comp_to_byte(rgb.r), pdf_comp_to_byte(rgb.g), pdf_comp_to_byte(rgb.b)};
}
