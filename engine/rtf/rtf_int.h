#ifndef VLX_RTF_INT_H
#define VLX_RTF_INT_H

#include <climits>
#include <cmath>

namespace vlx {

// Every double that becomes an int in the RTF text goes through here: truncation
// toward zero like a cast, but NaN gives 0 and out-of-range values saturate, so a
// degenerate page never produces undefined behaviour or a garbage control word.
inline int rtf_int(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT_MAX;
    if (v <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(v);
}

// Points to twips (truncated toward zero, saturating).
inline int rtf_twips(double points)
{
    return rtf_int(points * 20.0);
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
