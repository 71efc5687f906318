#ifndef VLX_OVERLAP_RATIO_H
#define VLX_OVERLAP_RATIO_H

namespace vlx {

// Overlap of the intervals [a1, a2] and [b1, b2] (ends in either order) relative to the
// shorter one: 1.0 when one is a point lying inside the other, 0.0 when one has zero
// length otherwise, negative when they are apart.
double overlapRatio(double a1, double a2, double b1, double b2);

} // namespace vlx

#endif
