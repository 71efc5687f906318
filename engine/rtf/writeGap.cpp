#include "TextPage.h"

#include "rtf_int.h"
#include "tk_log.h"

#include <algorithm>
#include <cmath>

namespace vlx {

namespace {
const double MAX_GAP = 1583.0; // points: the largest paper size written
}

int TextPage::writeGap(FILE* out, TextOutputFunc outputFunc, double top, double bottom)
{
    tk_log(1, "TextPage::writeGap(top=%g,bottom=%g)", top, bottom);
    double g = bottom - top;
    if (!(g >= 1.0) || !std::isfinite(g))
        return 0;
    // No gap exceeds the largest page; a bigger one comes from a degenerate page.
    g = std::min(g, MAX_GAP);
    int n = 0;
    while (g - 4.0 > 12.0) {
        g -= 12.0;
        ++n;
    }
    std::fprintf(out, "\\sl-%d\\fs%d%s", truncInt(20 * g), truncInt(2 * g + 0.45), "\\par");
    paragraphDefaults = false; // the gap paragraph set its own line spacing
    if (n > 0) {
        std::fprintf(out, "\\sl-%d\\fs%d%s", 240, 24, "\\par");
        for (int i = 1; i < n; ++i)
            std::fputs("\\par", out);
    }
    std::fputs("\\pard", out);
    return n + 1;
}

} // namespace vlx
