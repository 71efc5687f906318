#include "raster_output_dev.h"

#include "pdf_color.h"
#include "pdf_ulin.h"
#include "rule_shape.h"
#include "tk_log.h"

#include <GfxState.h>
#include <splash/Splash.h>
#include <splash/SplashPath.h>
#include <splash/SplashPattern.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

namespace {

SplashColor white = {255, 255, 255, 0};

std::vector<rule_pt> device_points(const std::vector<rule_poly>& polys, const double* ctm)
{
    std::vector<rule_pt> pts;
    for (const rule_poly& poly : polys)
        for (const rule_pt& p : poly.pts)
            pts.push_back(rule_apply(ctm, p));
    return pts;
}

uline_attr* make_attr(const GfxRGB& rgb, double alpha, bool noClip)
{
    pdf_rgb8 c = pdf_rgb_to_bytes(rgb);
    SplashColor sc = {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g), static_cast<unsigned char>(c.b), 0};
    return new uline_attr(new SplashSolidColor(sc), alpha, noClip);
}

// The outline a wide stroke of these polylines fills, in user space. The library dashes the path
// with the current dash pattern first, so a dashed stroke gives the outline of all its dashes.
std::unique_ptr<SplashPath> stroke_outline(Splash& splash, const std::vector<rule_poly>& polys, double width)
{
    SplashPath path;
    for (const rule_poly& poly : polys) {
        path.moveTo(poly.pts.front().x, poly.pts.front().y);
        for (std::size_t i = 1; i < poly.pts.size(); ++i)
            path.lineTo(poly.pts[i].x, poly.pts[i].y);
        if (poly.closed)
            path.close();
    }
    return std::unique_ptr<SplashPath>(splash.makeStrokePath(&path, width, true));
}

std::vector<rule_pt> device_points(SplashPath& path, const double* ctm)
{
    std::vector<rule_pt> pts;
    for (int i = 0; i < path.getLength(); ++i) {
        double x, y;
        unsigned char f;
        path.getPoint(i, &x, &y, &f);
        pts.push_back(rule_apply(ctm, {x, y}));
    }
    return pts;
}

} // namespace

RasterOutputDev::RasterOutputDev() : SplashOutputDev(splashModeRGB8, 1, false, white, true)
{
    tk_log(2, "RasterOutputDev::RasterOutputDev");
    setVectorAntialias(false);
}

void RasterOutputDev::startPage(int pageNum, GfxState* state, XRef* xref)
{
    tk_log(1, "RasterOutputDev::startPage(%d)", pageNum);
    SplashOutputDev::startPage(pageNum, state, xref);
    // Tiles, transparency groups and soft masks paint into other bitmaps: only this one holds rules.
    page_bitmap = getBitmap();
}

bool RasterOutputDev::beginType3Char(GfxState* state, double, double, double, double, CharCode code, const Unicode*, int)
{
    tk_log(1, "RasterOutputDev::beginType3Char(%u)", code);
    // Render modes 3 and 7 paint nothing; true skips the glyph procedure.
    return (state->getRender() & 3) == 3;
}

void RasterOutputDev::rethrowPending()
{
    guard.rethrow();
}

void RasterOutputDev::fill(GfxState* state)
{
    tk_log(1, "RasterOutputDev::fill");
    guard.run([&] { fill_with(state, false); });
}

void RasterOutputDev::eoFill(GfxState* state)
{
    tk_log(1, "RasterOutputDev::eoFill");
    guard.run([&] { fill_with(state, true); });
}

void RasterOutputDev::fill_with(GfxState* state, bool eo)
{
    pdf_uline_processor& proc = pdf_uline_processor::instance();
    proc.single_subpath = state->getPath()->getNumSubpaths() == 1;
    if (capture_fill(state, proc))
        return;
    if (eo)
        SplashOutputDev::eoFill(state);
    else
        SplashOutputDev::fill(state);
}

void RasterOutputDev::stroke(GfxState* state)
{
    tk_log(1, "RasterOutputDev::stroke");
    guard.run([&] {
        pdf_uline_processor& proc = pdf_uline_processor::instance();
        const GfxPath* path = state->getPath();
        proc.single_subpath = path->getNumSubpaths() == 1 && path->getSubpath(0)->getNumPoints() == 2;
        if (!capture_stroke(state, proc))
            SplashOutputDev::stroke(state);
    });
}

bool RasterOutputDev::capture_allowed(GfxState* state, bool stroking)
{
    Splash* splash = getSplash();
    if (!splash || !page_bitmap || getBitmap() != page_bitmap || splash->getSoftMask())
        return false;
    GfxColorSpace* cs = stroking ? state->getStrokeColorSpace() : state->getFillColorSpace();
    if (!cs || cs->isNonMarking() || cs->getMode() == csPattern)
        return false;
    const GfxPath* path = state->getPath();
    return path && path->getNumSubpaths() > 0;
}

bool RasterOutputDev::capture_fill(GfxState* state, pdf_uline_processor& proc)
{
    if (!capture_allowed(state, false))
        return false;
    rule_box box;
    if (!rule_box_of(device_points(rule_flatten(*state->getPath()), state->getCTM()), &box))
        return false;
    tk_log(1, "xmin=%d, ymin=%d, xmax=%d, ymax=%d", box.xMin, box.yMin, box.xMax, box.yMax);
    Splash* splash = getSplash();
    if (rule_test_clip(*splash->getClip(), box) != rule_clip::inside || !rule_fill_candidate(box, proc.tables_mode, proc.single_subpath))
        return false;
    GfxRGB rgb;
    state->getFillRGB(&rgb);
    proc.set_line(box.xMin, box.xMax, box.yMin, box.yMax, make_attr(rgb, splash->getFillAlpha(), true));
    proc.single_subpath = false;
    return true;
}

bool RasterOutputDev::capture_stroke(GfxState* state, pdf_uline_processor& proc)
{
    bool narrow = state->getTransformedLineWidth() <= 1;
    // A hairline is captured only as the one segment of a one-segment path; without table mode a
    // wide stroke needs that too.
    if (!proc.single_subpath && (narrow || !proc.tables_mode))
        return false;
    if (!capture_allowed(state, true))
        return false;
    Splash* splash = getSplash();
    const double* ctm = state->getCTM();
    std::vector<rule_poly> polys = rule_flatten(*state->getPath());
    double phase = 0;
    const std::vector<double>& dash = state->getLineDash(&phase);
    bool dashed = !dash.empty();
    GfxRGB rgb;
    state->getStrokeRGB(&rgb);
    double alpha = splash->getStrokeAlpha();

    if (!narrow) {
        // One shape, dashes and all, judged once.
        std::unique_ptr<SplashPath> outline = stroke_outline(*splash, polys, state->getLineWidth());
        rule_box box;
        if (!outline || !rule_box_of(device_points(*outline, ctm), &box))
            return false;
        tk_log(1, "xmin=%d, ymin=%d, xmax=%d, ymax=%d", box.xMin, box.yMin, box.xMax, box.yMax);
        if (rule_test_clip(*splash->getClip(), box) != rule_clip::inside || !rule_fill_candidate(box, proc.tables_mode, proc.single_subpath))
            return false;
        uline_attr* attr = make_attr(rgb, alpha, true);
        if (dashed)
            attr->set_shape(outline.release(), ctm);
        proc.set_line(box.xMin, box.xMax, box.yMin, box.yMax, attr);
        proc.single_subpath = false;
        return true;
    }

    std::vector<rule_poly> pieces = dashed ? rule_dash(polys, dash, phase) : polys;
    if (pieces.empty())
        return false;
    bool any = false;
    std::vector<rule_poly> rest;
    for (rule_poly& piece : pieces) {
        bool taken = false;
        std::vector<rule_pt> ends;
        if (proc.single_subpath && piece.pts.size() >= 2) {
            ends.push_back(rule_apply(ctm, piece.pts.front()));
            ends.push_back(rule_apply(ctm, piece.pts.back()));
        }
        rule_box whole;
        if (!ends.empty() && rule_box_of(ends, &whole)) {
            rule_pt a = ends[0], b = ends[1];
            int x0 = static_cast<int>(std::floor(a.x)), y0 = static_cast<int>(std::floor(a.y));
            int x1 = static_cast<int>(std::floor(b.x)), y1 = static_cast<int>(std::floor(b.y));
            rule_clip where = rule_test_clip(*splash->getClip(), whole);
            if (where != rule_clip::outside) {
                if (y0 == y1) {
                    // Horizontal: both table modes, even partly clipped.
                    proc.set_line(whole.xMin, whole.xMax, y0, y0, make_attr(rgb, alpha, where == rule_clip::inside));
                    taken = true;
                } else if (std::fabs(b.x - a.x) <= std::fabs(b.y - a.y) && proc.tables_mode && std::abs(x1 - x0) < 5 &&
                           std::abs(y1 - y0) > 10) {
                    proc.set_line(whole.xMin, whole.xMax, whole.yMin, whole.yMax, make_attr(rgb, alpha, where == rule_clip::inside));
                    taken = true;
                }
            }
        }
        if (taken) {
            proc.single_subpath = false;
            any = true;
        } else {
            rest.push_back(piece);
        }
    }
    if (!any)
        return false;
    if (rest.empty())
        return true;

    // Paint what was not captured: the remaining pieces, undashed, then restore the state.
    auto* restPath = new GfxPath();
    for (const rule_poly& piece : rest) {
        restPath->moveTo(piece.pts.front().x, piece.pts.front().y);
        for (std::size_t i = 1; i < piece.pts.size(); ++i)
            restPath->lineTo(piece.pts[i].x, piece.pts[i].y);
        if (piece.closed)
            restPath->close();
    }
    GfxPath* saved = state->getPath()->copy();
    std::vector<double> savedDash = dash;
    state->setPath(restPath);
    state->setLineDash({}, 0);
    updateLineDash(state);
    SplashOutputDev::stroke(state);
    state->setLineDash(std::move(savedDash), phase);
    updateLineDash(state);
    state->setPath(saved);
    return true;
}
