#pragma once
// Which installed font of one family measures an asked style. Machines often carry two releases
// of a family under one name, in whatever order fontconfig lists them, so the choice never
// depends on that order: best style fit, then the highest font version, then the file path.
#include <string>
#include <vector>

struct font_entry {
    std::string family;
    std::string path;
    int index = 0;        // face within the file
    int weight = 80;      // fontconfig weights: 80 regular, 200 bold
    bool slanted = false;
    int width = 100;      // fontconfig widths: 100 normal
    bool outline = true;  // OpenType or TrueType; the Type 1 copies of a face carry other metrics
    int version = 0;      // the font's own revision (16.16 fixed point), 0 when unknown
};

// Position of the chosen entry, -1 for none.
int choose_font(const std::vector<font_entry>& entries, bool bold, bool italic);
