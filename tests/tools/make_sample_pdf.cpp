// Writes a sample PDF with the things a converter must keep: several fonts and sizes, two
// columns, a ruled table, underlined words, a web link and a picture.
// Usage: make_sample_pdf OUT.pdf [PAGES]
#include "vlx_testsupport.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void sample_page(vlxtest::PdfPage& p, int n)
{
    using vlxtest::Rgb;
    p.text(72, 740, "Vellix sample, page " + std::to_string(n), "Helvetica-Bold", 20);
    p.text(72, 712, "Plain Times text at twelve points.", "Times-Roman", 12);
    p.text(72, 694, "Courier for code-like text.", "Courier", 10);
    p.text(72, 676, "An underlined phrase", "Helvetica", 12, Rgb{0, 0, 0.6});
    p.fill_rect(71, 674.5, 126, 0.7, Rgb{0, 0, 0.6});
    p.text(300, 676, "Visit example.com", "Helvetica", 12, Rgb{0, 0, 1});
    p.link(298, 672, 400, 690, "http://example.com/");

    // Two columns of body text.
    for (int i = 0; i < 8; ++i) {
        double y = 630 - i * 14;
        p.text(72, y, "Left column line " + std::to_string(i + 1) + " of flowing text.", "Times-Roman", 11);
        p.text(320, y, "Right column line " + std::to_string(i + 1) + " of more text.", "Times-Roman", 11);
    }

    // A ruled table of three rows and three columns.
    const double left = 72, top = 480, colw = 150, rowh = 20;
    for (int r = 0; r <= 3; ++r)
        p.line(left, top - r * rowh, left + 3 * colw, top - r * rowh, 0.5);
    for (int c = 0; c <= 3; ++c)
        p.line(left + c * colw, top, left + c * colw, top - 3 * rowh, 0.5);
    const char* cells[3][3] = {{"Item", "Count", "Price"}, {"Apples", "12", "3.40"}, {"Pears", "7", "2.10"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p.text(left + c * colw + 6, top - r * rowh - 14, cells[r][c], r == 0 ? "Helvetica-Bold" : "Helvetica", 10);

    // A small gradient picture.
    const int w = 64, h = 32;
    std::vector<std::uint8_t> rgb(w * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = &rgb[(y * w + x) * 3];
            px[0] = static_cast<std::uint8_t>(x * 4);
            px[1] = static_cast<std::uint8_t>(y * 8);
            px[2] = 160;
        }
    p.image(72, 300, 192, 96, w, h, rgb);
    p.text(280, 340, "A picture stands to the left.", "Helvetica-Oblique", 12);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_sample_pdf OUT.pdf [PAGES]\n");
        return 2;
    }
    int pages = argc > 2 ? std::atoi(argv[2]) : 2;
    if (pages < 1)
        pages = 1;
    vlxtest::PdfWriter w;
    for (int i = 1; i <= pages; ++i)
        sample_page(w.add_page(612, 792), i);
    w.save(argv[1]);
    return 0;
}
