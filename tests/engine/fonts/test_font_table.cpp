// Face names derived from the font table's definitions, and the one symbol face.
#include "font_table.h"

#include <gtest/gtest.h>

TEST(FontTable, FaceNamesAndSymbolFace)
{
    const char* const faces[FONT_TABLE_ROWS] = {
        "Arial Narrow", "Arial", "Franklin Gothic", "Verdana", "Times New Roman", "Garamond",
        "Palatino Linotype", "Courier New", "Lucida Console", "Symbol", "Garamond", "Haettenschweiler"};
    for (int r = 0; r < FONT_TABLE_ROWS; ++r)
        EXPECT_EQ(font_table_face(font_table[r]), faces[r]) << "row " << r + 1;
    EXPECT_TRUE(font_table_symbol_face("Symbol"));
    EXPECT_TRUE(font_table_symbol_face("symbol"));
    for (const char* face : {"Arial", "Standard Symbols PS", ""})
        EXPECT_FALSE(font_table_symbol_face(face)) << face;
}
