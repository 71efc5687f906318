#pragma once
// The twelve fixed RTF fonts every PDF font is written as. Row order matters: the first row
// with a matching name fragment wins.
#include <string>

struct font_table_row {
    const char* definition;   // written byte for byte into the \fonttbl group
    const char* fragments[7]; // parts of PDF font names; empty entries never match
    double factor;            // space width as a fraction of the font size, before measuring
};

inline constexpr int FONT_TABLE_ROWS = 12;

extern const font_table_row font_table[FONT_TABLE_ROWS];

// The face name of a row: the definition after its first blank, without the final ";}".
std::string font_table_face(const font_table_row& row);

// True for a face whose rows declare the symbol character set (\fcharset2): its bytes are
// glyph positions, not Windows-1252 characters.
bool font_table_symbol_face(const std::string& face);
