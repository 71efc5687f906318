#include "overlapRatio.h"

#include <algorithm>

namespace vlx {

double overlapRatio(double a1, double a2, double b1, double b2)
{
    if ((a1 == a2 && b1 <= a1 && a1 <= b2) || (b1 == b2 && a1 <= b1 && b1 <= a2))
        return 1.0;
    if (a1 == a2 || b1 == b2)
        return 0.0;
    double aLo = std::min(a1, a2), aHi = std::max(a1, a2);
    double bLo = std::min(b1, b2), bHi = std::max(b1, b2);
    double o = std::min(aHi, bHi) - std::max(aLo, bLo);
    return std::max(o / (aHi - aLo), o / (bHi - bLo));
}

} // namespace vlx
