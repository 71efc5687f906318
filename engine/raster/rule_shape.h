#pragma once
// Geometry behind the raster device's rule capture: flattened paths, dashes, device boxes and
// the size rules that make a shape a rule candidate.
#include <vector>

class GfxPath;
class SplashClip;

struct rule_pt {
    double x;
    double y;
};

struct rule_poly {
    std::vector<rule_pt> pts;
    bool closed = false;
};

// Integer pixel box: first and last column and row.
struct rule_box {
    int xMin;
    int yMin;
    int xMax;
    int yMax;
};

enum class rule_clip { inside, partial, outside };

// Device coordinates beyond this are never captured (nor converted to int).
inline constexpr double rule_coord_limit = 1e8;

// The path's subpaths with curves flattened (16 steps per cubic), in the path's own space.
std::vector<rule_poly> rule_flatten(const GfxPath& path);

// The "on" pieces of a dash pattern laid along the polylines, as the rasteriser dashes them:
// each subpath starts afresh at the phase. Negative entries count as 0. A total of 0 gives nothing.
std::vector<rule_poly> rule_dash(const std::vector<rule_poly>& polys, const std::vector<double>& dash, double phase);

// Applies the matrix [a b c d e f] (x' = a x + c y + e, y' = b x + d y + f).
rule_pt rule_apply(const double* m, rule_pt p);

// Floored box of device points; false when there are none or one is not finite or too large.
bool rule_box_of(const std::vector<rule_pt>& pts, rule_box* box);

// Where a box lies against a clip region; clip paths other than the rectangle make it partial.
rule_clip rule_test_clip(SplashClip& clip, const rule_box& box);

// The size rule for filled shapes and wide-stroke outlines (sizes are last minus first pixel).
bool rule_fill_candidate(const rule_box& box, bool tables_mode, bool single_subpath);
