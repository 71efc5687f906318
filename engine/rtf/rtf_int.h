#ifndef VLX_RTF_INT_H
#define VLX_RTF_INT_H

#include "text_geom.h"

#include <cmath>

namespace vlx {

// Every double that becomes an int in the RTF text goes through truncInt, so a
// degenerate page never produces undefined behaviour or a garbage control word.

// Points to twips (truncated toward zero, saturating).
inline int rtf_twips(double points)
{
    return truncInt(points * 20.0);
}

// a / b, or `fallback` when the quotient would not be a finite number.
inline double rtf_div(double a, double b, double fallback = 0.0)
{
    if (b == 0.0 || std::isnan(a) || std::isnan(b))
        return fallback;
    double q = a / b;
    return std::isfinite(q) ? q : fallback;
}

} // namespace vlx

#endif
