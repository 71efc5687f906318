#ifndef VLX_TEXT_GEOM_H
#define VLX_TEXT_GEOM_H

#include <climits>
#include <cmath>

namespace vlx {

// Tolerance under which the layout orders count coordinates as equal.
inline constexpr double kLayoutTolerance = 1.1;

// Truncation toward zero to int that never overflows: NaN gives 0, big values saturate.
inline int truncInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT_MAX;
    if (v <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(v);
}

// -1, 0 or 1 with the layout tolerance.
inline int tolerantSign(double d)
{
    return d < -kLayoutTolerance ? -1 : (d > kLayoutTolerance ? 1 : 0);
}

} // namespace vlx

#endif
