#pragma once
// Which installed families may stand in for a face of the font table, in order of preference.
// Microsoft's own face comes first, so an installed Microsoft font wins.
#include <string>
#include <vector>

struct face_candidate {
    std::string family;
    bool always_bold; // the stand-in is the bold face whatever weight is asked for
};

// A face outside the table is tried itself, then the default sans serif faces.
std::vector<face_candidate> face_candidates(const std::string& face);
