#pragma once
// Measures narrow (Windows-1252) text in a face of the font table, the way the word processor's
// screen rendering would: integer pixel advances at 96 pixels per inch, summed, in inches.
#include "font_backend.h"

#include "tk_singl.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

class pdf_width_getter : public tk_singleton<pdf_width_getter> {
public:
    static constexpr int PIXELS_PER_INCH = 96;
    // Cell height used when a size rounds to a height of 0 (sizes below 0.75 pt).
    static constexpr int DEFAULT_CELL_HEIGHT = 16;

    pdf_width_getter();
    explicit pdf_width_getter(std::unique_ptr<font_backend> backend);
    ~pdf_width_getter() override;

    void set_font(const std::string& face, float size, bool bold, bool italic);
    double get_width(const std::string& text);

    // The font height for a size in points: negative asks for the em height, positive for the
    // cell height, in pixels.
    static int font_height(float size);

    // The font chosen by the last set_font (null before the first, or when none could be had).
    const face_metrics* current_font() const { return font_; }
    int current_height() const { return height_; }

private:
    using style_key = std::tuple<std::string, bool, bool>;

    std::unique_ptr<font_backend> backend_;
    std::map<style_key, std::unique_ptr<face_metrics>> cache_;
    const face_metrics* font_ = nullptr;
    int height_ = 0;
    double ppem_ = 0;
};
