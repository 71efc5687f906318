#pragma once
// What the width measurer needs of a font engine: per face and style, the advance of every
// byte value in font units. Tests put a fake behind the measurer through this interface.
#include <array>
#include <memory>
#include <string>

struct face_metrics {
    std::string family;          // the installed family actually used
    std::string file;            // its font file (empty for a fake)
    int units_per_em = 2048;
    int cell_units = 0;          // ascent + descent of the character cell (usWinAscent + usWinDescent)
    bool synthetic_bold = false; // bold asked for, regular face found: drawn emboldened
    std::array<int, 256> advance{}; // per byte value, font units
};

class font_backend {
public:
    virtual ~font_backend() = default;
    // Null when no font at all can be had for the face.
    virtual std::unique_ptr<face_metrics> load(const std::string& face, bool bold, bool italic) = 0;
};

// FreeType and fontconfig, resolving the faces of the font table to installed fonts.
std::unique_ptr<font_backend> make_freetype_backend();
