#include "rule_shape.h"

#include <GfxState.h>
#include <splash/SplashClip.h>

#include <algorithm>
#include <cmath>

namespace {

void add_cubic(rule_poly& poly, rule_pt p0, rule_pt p1, rule_pt p2, rule_pt p3)
{
    const int steps = 16;
    for (int i = 1; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        double u = 1 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        poly.pts.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
}

// Walks one polyline through the dash pattern, appending the "on" pieces (zero-length ones too,
// which round caps turn into dots).
void dash_poly(const rule_poly& poly, const std::vector<double>& dash, std::size_t startIdx, bool startOn, double startPhase,
               std::vector<rule_poly>& out)
{
    std::size_t idx = startIdx;
    bool on = startOn;
    double dist = dash[idx] - startPhase;
    rule_poly cur;
    auto flush = [&] {
        if (cur.pts.size() >= 2)
            out.push_back(cur);
        cur.pts.clear();
    };
    for (std::size_t i = 1; i < poly.pts.size(); ++i) {
        rule_pt a = poly.pts[i - 1];
        rule_pt b = poly.pts[i];
        double segLen = std::hypot(b.x - a.x, b.y - a.y);
        while (segLen > 0) {
            if (dist >= segLen) {
                if (on) {
                    if (cur.pts.empty())
                        cur.pts.push_back(a);
                    cur.pts.push_back(b);
                }
                dist -= segLen;
                segLen = 0;
            } else {
                rule_pt p{a.x + (dist / segLen) * (b.x - a.x), a.y + (dist / segLen) * (b.y - a.y)};
                if (on) {
                    if (cur.pts.empty())
                        cur.pts.push_back(a);
                    cur.pts.push_back(p);
                }
                a = p;
                segLen -= dist;
                dist = 0;
            }
            if (dist <= 0) {
                flush();
                on = !on;
                idx = (idx + 1) % dash.size();
                dist = dash[idx];
            }
        }
    }
    flush();
}

} // namespace

std::vector<rule_poly> rule_flatten(const GfxPath& path)
{
    std::vector<rule_poly> out;
    for (int i = 0; i < path.getNumSubpaths(); ++i) {
        const GfxSubpath* sub = path.getSubpath(i);
        int n = sub->getNumPoints();
        if (n <= 0)
            continue;
        rule_poly poly;
        poly.closed = sub->isClosed();
        poly.pts.push_back({sub->getX(0), sub->getY(0)});
        int j = 1;
        while (j < n) {
            if (sub->getCurve(j) && j + 2 < n) {
                add_cubic(poly, {sub->getX(j - 1), sub->getY(j - 1)}, {sub->getX(j), sub->getY(j)}, {sub->getX(j + 1), sub->getY(j + 1)},
                          {sub->getX(j + 2), sub->getY(j + 2)});
                j += 3;
            } else {
                poly.pts.push_back({sub->getX(j), sub->getY(j)});
                ++j;
            }
        }
        out.push_back(std::move(poly));
    }
    return out;
}

std::vector<rule_poly> rule_dash(const std::vector<rule_poly>& polys, const std::vector<double>& dash, double phase)
{
    std::vector<rule_poly> out;
    std::vector<double> d;
    double total = 0;
    for (double v : dash) {
        double e = std::isfinite(v) && v > 0 ? v : 0;
        d.push_back(e);
        total += e;
    }
    if (d.empty() || !(total > 0) || !std::isfinite(total) || !std::isfinite(phase))
        return out;
    double startPhase = phase - std::floor(phase / total) * total;
    std::size_t startIdx = 0;
    bool startOn = true;
    if (startPhase > 0) {
        while (startIdx < d.size() && startPhase >= d[startIdx]) {
            startOn = !startOn;
            startPhase -= d[startIdx];
            ++startIdx;
        }
        if (startIdx == d.size())
            return out;
    }
    for (const rule_poly& poly : polys) {
        if (poly.pts.empty())
            continue;
        rule_poly open = poly;
        if (poly.closed && poly.pts.size() > 1)
            open.pts.push_back(poly.pts.front());
        open.closed = false;
        dash_poly(open, d, startIdx, startOn, startPhase, out);
    }
    return out;
}

rule_pt rule_apply(const double* m, rule_pt p)
{
    return {m[0] * p.x + m[2] * p.y + m[4], m[1] * p.x + m[3] * p.y + m[5]};
}

bool rule_box_of(const std::vector<rule_pt>& pts, rule_box* box)
{
    if (pts.empty())
        return false;
    double x0 = pts[0].x, x1 = pts[0].x, y0 = pts[0].y, y1 = pts[0].y;
    for (const rule_pt& p : pts) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > rule_coord_limit || std::fabs(p.y) > rule_coord_limit)
            return false;
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    *box = {static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)), static_cast<int>(std::floor(x1)),
            static_cast<int>(std::floor(y1))};
    return true;
}

rule_clip rule_test_clip(SplashClip& clip, const rule_box& box)
{
    if (box.xMax < clip.getXMinI() || box.xMin > clip.getXMaxI() || box.yMax < clip.getYMinI() || box.yMin > clip.getYMaxI())
        return rule_clip::outside;
    if (clip.getNumPaths() == 0 && box.xMin >= clip.getXMin() && box.xMax + 1 <= clip.getXMax() && box.yMin >= clip.getYMin() &&
        box.yMax + 1 <= clip.getYMax())
        return rule_clip::inside;
    return rule_clip::partial;
}

bool rule_fill_candidate(const rule_box& box, bool tables_mode, bool single_subpath)
{
    long w = static_cast<long>(box.xMax) - box.xMin;
    long h = static_cast<long>(box.yMax) - box.yMin;
    if (!tables_mode)
        return single_subpath && h < 5;
    return (w < 5 && h > 10) || (h < 5 && w > 10);
}
