#pragma once
// Thin ruled shapes of a page: captured by the raster device instead of painted, turned into text
// underlines by the text pass, and painted back into the page picture when no text used them.
#include "tk_singl.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class Splash;
class SplashPath;
class SplashPattern;

inline constexpr const char* PDF_ULIN_UNIT = "../PDFR/pdf_ulin";

struct uline_rect {
    int kind;
    double xMin;
    double xMax;
    double yMin;
    double yMax;
};

// How a captured line is painted back. Owns its pattern copy.
struct uline_attr {
    uline_attr(SplashPattern* pattern, double alpha, bool noClip);
    virtual ~uline_attr();
    uline_attr(const uline_attr&) = delete;
    uline_attr& operator=(const uline_attr&) = delete;

    // A dashed rule comes back as its outline (taken over), drawn under this matrix, not as its box.
    void set_shape(SplashPath* outline, const double* matrix);

    SplashPattern* pattern;
    double alpha;
    bool noClip;
    std::unique_ptr<SplashPath> shape;
    double shapeMatrix[6] = {1, 0, 0, 1, 0, 0};
};

class pdf_uline_processor : public tk_singleton<pdf_uline_processor> {
public:
    explicit pdf_uline_processor(bool tables_mode);
    ~pdf_uline_processor() override;

    // Takes ownership of attr in every case. Raster pixels.
    void set_line(double x0, double x1, double y0, double y1, uline_attr* attr);
    // Text extent and baseline in points of the 72 dpi text pass; colour 0..255.
    bool process_as_underline(double x1, double x2, double y, int r, int g, int b);
    bool process_is_inCell(double x1, double x2, double y1, double y2);
    void tableBuilding();
    // Paints the lines no text used into the splash's bitmap, then drops them with their records.
    void undo_lines(Splash* splash);
    void flush();

    bool tables_mode;
    bool single_subpath;
    std::vector<uline_rect> lines;      // raster pixels, 150 dpi
    std::vector<uline_rect> underlines; // points
    std::vector<std::unique_ptr<uline_attr>> attrs; // parallel to lines

private:
    void release_lines();
    bool has_duplicate(const uline_rect& r);
    void forget_index();

    // lines[0 .. indexed) filed by a coarse cell of their four edges, so that the duplicate test
    // looks at near lines only, and lines[0 .. rowed) by the point row of their middle, so that
    // text looks at the lines of its own rows only; both rebuilt when lines are removed.
    std::unordered_multimap<std::uint64_t, std::size_t> cells;
    std::size_t indexed = 0;
    std::unordered_map<std::int64_t, std::vector<std::size_t>> rows;
    std::size_t rowed = 0;
};
