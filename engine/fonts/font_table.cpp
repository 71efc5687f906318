#include "font_table.h"

#include <strings.h>

const font_table_row font_table[FONT_TABLE_ROWS] = {
    {"{\\f11\\fswiss\\fcharset0 Arial Narrow;}", {"Narrow", "MSTT", "Cond", "", "", "", ""}, 0.11},
    {"{\\f10\\fswiss\\fcharset0 Arial;}", {"Arial", "Tahoma", "Helvetica", "", "", "", ""}, 0.145},
    {"{\\f12\\fswiss\\fcharset0 Franklin Gothic;}", {"FranklinGothic", "", "", "", "", "", ""}, 0.14},
    {"{\\f13\\fswiss\\fcharset0 Verdana;}", {"Verdana", "", "", "", "", "", ""}, 0.3},
    {"{\\f20\\froman\\fcharset0 Times New Roman;}",
     {"Roman", "Times", "CMR", "CMBX", "CMCSC", "Univers", ""}, 0.14},
    {"{\\f21\\froman\\fcharset0 Garamond;}", {"Garamond", "", "", "", "", "", ""}, 0.134},
    {"{\\f22\\froman\\fcharset0 Palatino Linotype;}", {"Palatino", "", "", "", "", "", ""}, 0.15},
    {"{\\f30\\fmodern\\fcharset0 Courier New;}", {"Courier", "CMTT", "Pica", "Elite", "", "", ""}, 0.323},
    {"{\\f31\\fmodern\\fcharset0 Lucida Console;}", {"Console", "", "", "", "", "", ""}, 0.31},
    {"{\\f40\\ftech\\fcharset2 Symbol;}", {"Symbol", "CMSY", "Technical", "", "", "", ""}, 0.14},
    {"{\\f50\\fscript\\fcharset0 Garamond;}", {"Minion", "Script", "CMMI", "CMTI", "Cursive", "", ""}, 0.1486},
    {"{\\f60 Haettenschweiler;}", {"Haettenschweiler", "Condensed", "Impact", "", "", "", ""}, 0.1},
};

std::string font_table_face(const font_table_row& row)
{
    std::string def = row.definition;
    std::string::size_type blank = def.find(' ');
    if (blank == std::string::npos || def.size() < blank + 3)
        return std::string();
    return def.substr(blank + 1, def.size() - blank - 3);
}

bool font_table_symbol_face(const std::string& face)
{
    for (const font_table_row& row : font_table) {
        if (std::string(row.definition).find("\\fcharset2 ") != std::string::npos &&
            strcasecmp(font_table_face(row).c_str(), face.c_str()) == 0)
            return true;
    }
    return false;
}
