#include "pdf_width_getter.h"

#include "tk_log.h"

#include <cctype>
#include <climits>
#include <cmath>

pdf_width_getter::pdf_width_getter() : pdf_width_getter(make_freetype_backend()) {}

pdf_width_getter::pdf_width_getter(std::unique_ptr<font_backend> backend)
    : backend_(std::move(backend))
{
    tk_log(2, "pdf_width_getter::ctor");
}

pdf_width_getter::~pdf_width_getter()
{
    tk_log(2, "pdf_width_getter::dtor");
}

int pdf_width_getter::font_height(float size)
{
    float pixels = static_cast<float>(PIXELS_PER_INCH) * size;
    double height = -pixels / 72.0;
    // Sizes that are not finite or do not fit an int never reach the conversion.
    if (!std::isfinite(height))
        return 0;
    if (height <= static_cast<double>(INT_MIN))
        return INT_MIN;
    if (height >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(height);
}

void pdf_width_getter::set_font(const std::string& face, float size, bool bold, bool italic)
{
    tk_log(1, "pdf_width_getter::set_font(%s, %f)", face.c_str(), size);
    std::string name = face.substr(0, 31); // a face name holds at most 31 characters
    std::string key_name = name;
    for (char& c : key_name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    style_key key(key_name, bold, italic);
    auto it = cache_.find(key);
    if (it == cache_.end())
        it = cache_.emplace(key, backend_ ? backend_->load(name, bold, italic) : nullptr).first;
    font_ = it->second.get();

    height_ = font_height(size);
    int cell = height_;
    if (height_ == 0) {
        tk_log(1, "pdf_width_getter: size %f has no height, using %d pixels", size, DEFAULT_CELL_HEIGHT);
        cell = DEFAULT_CELL_HEIGHT;
    }
    if (cell < 0)
        ppem_ = -static_cast<double>(cell);
    else if (font_ && font_->cell_units > 0)
        ppem_ = static_cast<double>(cell) * font_->units_per_em / font_->cell_units;
    else
        ppem_ = cell;
}

double pdf_width_getter::get_width(const std::string& text)
{
    tk_log(1, "pdf_width_getter::get_width(%s)", text.c_str());
    if (!font_ || font_->units_per_em <= 0)
        return 0.0;
    // Each glyph's advance is rounded to whole pixels on its own, as the screen lays them out;
    // no kerning.
    const double scale = ppem_ / font_->units_per_em;
    double pixels = 0;
    for (unsigned char c : text) {
        pixels += std::floor(font_->advance[c] * scale + 0.5);
        if (font_->synthetic_bold)
            pixels += 1;
    }
    return pixels / PIXELS_PER_INCH;
}
