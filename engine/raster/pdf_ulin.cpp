#include "pdf_ulin.h"

#include "tk_except.h"
#include "tk_log.h"

#include <splash/Splash.h>
#include <splash/SplashBitmap.h>
#include <splash/SplashPath.h>
#include <splash/SplashPattern.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Pixels of the 150 dpi raster pass per point, and twice that for a midpoint of two rows.
constexpr double px_per_pt = 2.08333;
constexpr double two_px_per_pt = 4.16666;

bool near_full(int c)
{
    return std::abs(c - 255) <= 2;
}

// Two lines closer than these in each edge are one rule drawn twice (pixels).
constexpr double x_tolerance = 0.5;
constexpr double y_tolerance = 2;

bool same_rule(const uline_rect& a, const uline_rect& b)
{
    return std::fabs(a.xMax - b.xMax) < x_tolerance && std::fabs(a.xMin - b.xMin) < x_tolerance &&
           std::fabs(a.yMax - b.yMax) < y_tolerance && std::fabs(a.yMin - b.yMin) < y_tolerance;
}

// An edge's cell spans several tolerances: a value within tolerance of v lies in v's own cell or,
// when v lies in the cell's first or last tolerance, in the neighbour on that side.
struct edge_cells {
    std::int64_t own;
    int step; // -1, 0 or 1: the neighbour to look in too
};

edge_cells cells_of(double v, double tolerance, double span)
{
    // Clamping brings no two values further apart, and keeps the steps below exact.
    double part = std::floor(std::clamp(v, -1e12, 1e12) / tolerance);
    double own = std::floor(part / span);
    double at = part - own * span;
    return {static_cast<std::int64_t>(own), at == 0 ? -1 : at == span - 1 ? 1 : 0};
}

// Cells of 8 by 16 pixels: few cells to look in, few lines in each.
constexpr double x_span = 16;
constexpr double y_span = 8;

edge_cells edge_of(const uline_rect& r, int e)
{
    switch (e) {
    case 0:
        return cells_of(r.xMin, x_tolerance, x_span);
    case 1:
        return cells_of(r.xMax, x_tolerance, x_span);
    case 2:
        return cells_of(r.yMin, y_tolerance, y_span);
    default:
        return cells_of(r.yMax, y_tolerance, y_span);
    }
}

std::uint64_t cell_key(const std::int64_t (&cell)[4])
{
    std::uint64_t h = 0;
    for (std::int64_t c : cell)
        h = (h ^ static_cast<std::uint64_t>(c)) * 0x9e3779b97f4a7c15u;
    return h ^ (h >> 29);
}

std::uint64_t own_key(const uline_rect& r)
{
    std::int64_t cell[4];
    for (int e = 0; e < 4; ++e)
        cell[e] = edge_of(r, e).own;
    return cell_key(cell);
}

// Middle of a line in points, and the row of one point that holds a value.
double line_mid(const uline_rect& l)
{
    return (l.yMin + l.yMax) / two_px_per_pt;
}

std::int64_t point_row(double v)
{
    return static_cast<std::int64_t>(std::floor(std::clamp(v, -1e12, 1e12)));
}

int div255(int x)
{
    return (x + (x >> 8) + 0x80) >> 8;
}

// Truncates toward zero, then clamps into [lo, hi]; safe for any double.
int trunc_clamped(double v, int lo, int hi)
{
    if (std::isnan(v))
        return lo;
    v = std::trunc(v);
    if (v < lo)
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v);
}

void paint_row(SplashBitmap* bitmap, int y, int x0, int x1, const uline_attr& attr, int a)
{
    unsigned char* row = bitmap->getDataPtr() + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize();
    SplashColor c = {0, 0, 0, 0};
    bool fixed = attr.pattern->isStatic();
    if (fixed)
        attr.pattern->getColor(0, y, c);
    for (int x = x0; x <= x1; ++x) {
        if (!fixed)
            attr.pattern->getColor(x, y, c);
        unsigned char* p = row + 3 * static_cast<std::ptrdiff_t>(x);
        for (int k = 0; k < 3; ++k)
            p[k] = a >= 255 ? c[k] : static_cast<unsigned char>(div255((255 - a) * p[k] + a * c[k]));
    }
}

// Fills the outline with the library's own rasteriser, over the whole bitmap whatever clip the
// page left behind.
void paint_shape(Splash* splash, const SplashBitmap* bitmap, const uline_attr& attr, double alpha)
{
    splash->saveState();
    splash->clipResetToRect(0, 0, bitmap->getWidth() - 0.001, bitmap->getHeight() - 0.001);
    double m[6];
    std::copy(attr.shapeMatrix, attr.shapeMatrix + 6, m);
    splash->setMatrix(m);
    splash->setFillPattern(attr.pattern->copy());
    splash->setFillAlpha(alpha);
    splash->fill(attr.shape.get(), false);
    splash->restoreState();
}

} // namespace

uline_attr::uline_attr(SplashPattern* patternA, double alphaA, bool noClipA) : pattern(patternA), alpha(alphaA), noClip(noClipA) {}

uline_attr::~uline_attr()
{
    delete pattern;
}

void uline_attr::set_shape(SplashPath* outline, const double* matrix)
{
    shape.reset(outline);
    std::copy(matrix, matrix + 6, shapeMatrix);
}

pdf_uline_processor::pdf_uline_processor(bool tables_modeA) : tables_mode(tables_modeA), single_subpath(false)
{
    tk_log(2, "pdf_uline_processor::ctor");
}

pdf_uline_processor::~pdf_uline_processor()
{
    tk_log(2, "pdf_uline_processor::dtor");
}

void pdf_uline_processor::set_line(double x0, double x1, double y0, double y1, uline_attr* attr)
{
    std::unique_ptr<uline_attr> owned(attr);
    tk_log(1, "pdf_uline_processor::set_line(%f,%f,%f,%f)", x0, x1, y0, y1);
    if (!owned || !std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1))
        return;
    uline_rect r{0, std::min(x0, x1), std::max(x0, x1), std::min(y0, y1), std::max(y0, y1)};
    if (has_duplicate(r))
        return;
    attrs.push_back(std::move(owned));
    lines.push_back(r);
    cells.emplace(own_key(r), indexed++);
}

// The same answer as comparing r with every kept line, from the few cells such a line can be in.
bool pdf_uline_processor::has_duplicate(const uline_rect& r)
{
    if (indexed > lines.size())
        forget_index();
    for (; indexed < lines.size(); ++indexed)
        cells.emplace(own_key(lines[indexed]), indexed);
    edge_cells edge[4];
    int steps = 0;
    for (int e = 0; e < 4; ++e) {
        edge[e] = edge_of(r, e);
        steps |= (edge[e].step != 0) << e;
    }
    for (int pick = 0; pick < 16; ++pick) {
        if (pick & ~steps)
            continue;
        std::int64_t cell[4];
        for (int e = 0; e < 4; ++e)
            cell[e] = edge[e].own + ((pick >> e & 1) ? edge[e].step : 0);
        auto range = cells.equal_range(cell_key(cell));
        for (auto it = range.first; it != range.second; ++it)
            if (same_rule(lines[it->second], r))
                return true;
    }
    return false;
}

void pdf_uline_processor::forget_index()
{
    cells.clear();
    indexed = 0;
    rows.clear();
    rowed = 0;
}

bool pdf_uline_processor::process_as_underline(double x1, double x2, double y, int r, int g, int b)
{
    tk_log(1, "pdf_uline_processor::process_as_underline");
    tk_log(1, "Text coordinates: %lg,%lg,%lg", x1, x2, y);
    for (const uline_rect& u : underlines) {
        double mid = (u.yMin + u.yMax) * 0.5;
        tk_log(1, "Comparing with: %lg,%lg,%lg", u.xMin, u.xMax, mid);
        if (x1 >= u.xMin - 0.5 && x2 <= u.xMax + 0.5 && std::fabs(mid - y) <= 2) {
            tk_log(1, "GOT UNDERLINE (%lg,%lg,%lg)", u.xMin, u.xMax, y);
            return true;
        }
    }
    tk_assert(lines.size() == attrs.size(), PDF_ULIN_UNIT, 683);
    if (!std::isfinite(y))
        return false;
    if (rowed > lines.size())
        forget_index();
    for (; rowed < lines.size(); ++rowed)
        rows[point_row(line_mid(lines[rowed]))].push_back(rowed);
    // The first line in order that matches: the lowest position among the rows within reach of y.
    std::size_t found = lines.size();
    double found_left = 0, found_right = 0;
    for (std::int64_t row = point_row(y - 3), last = point_row(y + 3); row <= last; ++row) {
        auto at = rows.find(row);
        if (at == rows.end())
            continue;
        for (std::size_t i : at->second) {
            if (i >= found)
                break; // a row lists its lines in order
            const uline_rect& l = lines[i];
            if (l.xMax - l.xMin < 1.75 && l.yMax - l.yMin > 11)
                continue;
            double left = l.xMin / px_per_pt;
            double right = l.xMax / px_per_pt;
            double mid = line_mid(l);
            tk_log(1, "Comparing with: %lg,%lg,%lg", left, right, mid);
            if (!(x1 >= left - 0.5 && x2 <= right + 0.5 && std::fabs(mid - y) <= 2))
                continue;
            SplashColor c = {0, 0, 0, 0};
            attrs[i]->pattern->getColor(0, 0, c);
            bool same = std::abs(r - c[0]) <= 2 && std::abs(g - c[1]) <= 2 && std::abs(b - c[2]) <= 2;
            bool both_bright = (near_full(r) || near_full(g) || near_full(b)) && (near_full(c[0]) || near_full(c[1]) || near_full(c[2]));
            if (!same && !both_bright)
                continue;
            found = i;
            found_left = left;
            found_right = right;
        }
    }
    if (found == lines.size())
        return false;
    tk_log(1, "GOT UNDERLINE (%lg,%lg,%lg)", found_left, found_right, y);
    underlines.push_back(uline_rect{0, found_left, found_right, y, y});
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(found));
    attrs.erase(attrs.begin() + static_cast<std::ptrdiff_t>(found));
    forget_index();
    return true;
}

bool pdf_uline_processor::process_is_inCell(double x1, double x2, double y1, double y2)
{
    tk_log(1, "pdf_uline_processor::process_is_inCell");
    tk_log(1, "Text coordinates: %lg,%lg,%lg,%lg", x1, x2, y1, y2);
    return false;
}

void pdf_uline_processor::tableBuilding()
{
    tk_log(2, "tableBuilding");
    tk_log(1, "lines: %zu (%zu)", lines.size(), attrs.size());
}

void pdf_uline_processor::undo_lines(Splash* splash)
{
    tk_log(1, "pdf_uline_processor::undo_lines");
    tk_assert(splash != nullptr, PDF_ULIN_UNIT, 307);
    if (lines.size() != attrs.size())
        return;
    SplashBitmap* bitmap = splash->getBitmap();
    // Rules may reach beyond the page: only the bitmap's own pixels are written.
    if (bitmap && bitmap->getMode() == splashModeRGB8 && bitmap->getWidth() > 0 && bitmap->getHeight() > 0) {
        int w = bitmap->getWidth();
        int h = bitmap->getHeight();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const uline_rect& l = lines[i];
            const uline_attr& attr = *attrs[i];
            if (l.xMax < 0 || l.xMin >= w || l.yMax < 0 || l.yMin >= h)
                continue;
            double alpha = std::isnan(attr.alpha) ? 1.0 : std::clamp(attr.alpha, 0.0, 1.0);
            if (attr.shape) {
                paint_shape(splash, bitmap, attr, alpha);
                continue;
            }
            int a = static_cast<int>(std::floor(alpha * 255 + 0.5));
            int x0 = trunc_clamped(l.xMin, 0, w - 1);
            int x1 = trunc_clamped(l.xMax, 0, w - 1);
            int y0 = trunc_clamped(l.yMin, 0, h - 1);
            // Rows from yMin up to yMax inclusive; a hairline (yMin == yMax) is the one row of yMin.
            int y1 = l.yMin == l.yMax ? y0 : trunc_clamped(std::floor(l.yMax), 0, h - 1);
            for (int y = y0; y <= y1; ++y)
                paint_row(bitmap, y, x0, x1, attr, a);
        }
    }
    release_lines();
}

void pdf_uline_processor::flush()
{
    tk_log(2, "pdf_uline_processor::flush");
    release_lines();
    underlines.clear();
}

void pdf_uline_processor::release_lines()
{
    attrs.clear();
    lines.clear();
    forget_index();
}
