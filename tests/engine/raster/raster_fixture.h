#pragma once
// Renders generated pages through the raster device at 150 dpi, with a processor alive.
#include "annot_filter.h"
#include "pdf_ulin.h"
#include "raster_output_dev.h"
#include "vlx_testsupport.h"

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <splash/SplashBitmap.h>

#include <memory>
#include <string>

namespace rastertest {

// Points per pixel at 150 dpi; page coordinates below are device pixels of a Letter page.
constexpr double PT = 0.48;
inline double X(double px) { return px * PT; }
inline double Y(double py) { return 792 - py * PT; }

// A filled rectangle given by its device pixel edges.
inline void bar(vlxtest::PdfPage& p, double x0, double y0, double x1, double y1, vlxtest::Rgb c = {})
{
    p.fill_rect(X(x0), Y(y1), (x1 - x0) * PT, (y1 - y0) * PT, c);
}
// "x y w h re" in points for the same pixel edges.
std::string re(double x0, double y0, double x1, double y1);
// A stroked segment between device pixel positions.
inline void seg(vlxtest::PdfPage& p, double x0, double y0, double x1, double y1, double width_pt = 0,
                const std::vector<double>& dash = {})
{
    p.line(X(x0), Y(y0), X(x1), Y(y1), width_pt, {}, dash);
}

// The captured lines as "{xMin,xMax,yMin,yMax} ...", for failure messages.
std::string dump(const pdf_uline_processor& p);

class Rendered {
public:
    Rendered(const std::string& pdf_path, bool tables_mode);
    Rendered(vlxtest::PdfWriter& w, bool tables_mode);
    ~Rendered();

    pdf_uline_processor& proc() { return *proc_; }
    RasterOutputDev& dev() { return *dev_; }
    const unsigned char* px(int x, int y);
    bool dark(int x, int y);   // all components below 128
    bool white(int x, int y);
    int dark_in(int x0, int y0, int x1, int y1); // dark pixels in the inclusive box
    void undo() { proc_->undo_lines(dev_->getSplash()); }
    bool has_line(double xMin, double xMax, double yMin, double yMax);

private:
    void render(const std::string& path, bool tables_mode);
    std::string temp_;
    std::unique_ptr<PDFDoc> doc_;
    std::unique_ptr<pdf_uline_processor> proc_;
    std::unique_ptr<RasterOutputDev> dev_;
};

} // namespace rastertest
