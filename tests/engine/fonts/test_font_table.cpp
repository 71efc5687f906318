#include "font_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The first row having a non-empty fragment contained in the PDF font name.
int first_row_for(const std::string& pdf_name)
{
    for (int r = 0; r < FONT_TABLE_ROWS; ++r)
        for (const char* f : font_table[r].fragments)
            if (*f && pdf_name.find(f) != std::string::npos)
                return r + 1;
    return 0;
}

TEST(FontTable, DefinitionsInRowOrderFormTheDocumentFontTable)
{
    std::string all;
    for (const font_table_row& row : font_table)
        all += row.definition;
    EXPECT_EQ(all,
              "{\\f11\\fswiss\\fcharset0 Arial Narrow;}"
              "{\\f10\\fswiss\\fcharset0 Arial;}"
              "{\\f12\\fswiss\\fcharset0 Franklin Gothic;}"
              "{\\f13\\fswiss\\fcharset0 Verdana;}"
              "{\\f20\\froman\\fcharset0 Times New Roman;}"
              "{\\f21\\froman\\fcharset0 Garamond;}"
              "{\\f22\\froman\\fcharset0 Palatino Linotype;}"
              "{\\f30\\fmodern\\fcharset0 Courier New;}"
              "{\\f31\\fmodern\\fcharset0 Lucida Console;}"
              "{\\f40\\ftech\\fcharset2 Symbol;}"
              "{\\f50\\fscript\\fcharset0 Garamond;}"
              "{\\f60 Haettenschweiler;}");
}

TEST(FontTable, FragmentsAndFactors)
{
    const char* const expected[FONT_TABLE_ROWS][7] = {
        {"Narrow", "MSTT", "Cond", "", "", "", ""},
        {"Arial", "Tahoma", "Helvetica", "", "", "", ""},
        {"FranklinGothic", "", "", "", "", "", ""},
        {"Verdana", "", "", "", "", "", ""},
        {"Roman", "Times", "CMR", "CMBX", "CMCSC", "Univers", ""},
        {"Garamond", "", "", "", "", "", ""},
        {"Palatino", "", "", "", "", "", ""},
        {"Courier", "CMTT", "Pica", "Elite", "", "", ""},
        {"Console", "", "", "", "", "", ""},
        {"Symbol", "CMSY", "Technical", "", "", "", ""},
        {"Minion", "Script", "CMMI", "CMTI", "Cursive", "", ""},
        {"Haettenschweiler", "Condensed", "Impact", "", "", "", ""},
    };
    const double factors[FONT_TABLE_ROWS] = {0.11, 0.145, 0.14, 0.3,    0.14, 0.134,
                                             0.15, 0.323, 0.31, 0.14, 0.1486, 0.1};
    for (int r = 0; r < FONT_TABLE_ROWS; ++r) {
        SCOPED_TRACE(r + 1);
        for (int f = 0; f < 7; ++f) {
            ASSERT_NE(font_table[r].fragments[f], nullptr);
            EXPECT_STREQ(font_table[r].fragments[f], expected[r][f]);
        }
        EXPECT_DOUBLE_EQ(font_table[r].factor, factors[r]);
    }
}

TEST(FontTable, FaceNames)
{
    const char* const faces[FONT_TABLE_ROWS] = {
        "Arial Narrow", "Arial",       "Franklin Gothic", "Verdana", "Times New Roman", "Garamond",
        "Palatino Linotype", "Courier New", "Lucida Console", "Symbol", "Garamond", "Haettenschweiler"};
    for (int r = 0; r < FONT_TABLE_ROWS; ++r)
        EXPECT_EQ(font_table_face(font_table[r]), faces[r]) << "row " << r + 1;
}

TEST(FontTable, OnlySymbolUsesTheSymbolCharacterSet)
{
    EXPECT_TRUE(font_table_symbol_face("Symbol"));
    EXPECT_TRUE(font_table_symbol_face("symbol"));
    EXPECT_FALSE(font_table_symbol_face("Arial"));
    EXPECT_FALSE(font_table_symbol_face("Standard Symbols PS"));
    EXPECT_FALSE(font_table_symbol_face(""));
}

TEST(FontTable, EarlierRowsWin)
{
    EXPECT_EQ(first_row_for("Arial-NarrowBold"), 1);   // f11 stands before f10
    EXPECT_EQ(first_row_for("ArialMT"), 2);
    EXPECT_EQ(first_row_for("Impact-Condensed"), 1);   // "Cond" of row 1, never row 12
    EXPECT_EQ(first_row_for("Haettenschweiler"), 12);
    EXPECT_EQ(first_row_for("TimesNewRomanPSMT"), 5);
    EXPECT_EQ(first_row_for("CMSY10"), 10);
    EXPECT_EQ(first_row_for("Wingdings"), 0);
}

} // namespace
