#include "face_subst.h"

#include <iterator>
#include <strings.h>

namespace {

struct subst_row {
    const char* face;
    face_candidate stand_ins[2];
};

// Metric-compatible stand-ins where they exist; otherwise the installed face nearest in width.
const subst_row subst[] = {
    {"Arial Narrow", {{"Nimbus Sans Narrow", false}, {"", false}}},
    {"Arial", {{"Liberation Sans", false}, {"", false}}},
    {"Franklin Gothic", {{"Liberation Sans", false}, {"", false}}},
    {"Verdana", {{"DejaVu Sans", false}, {"", false}}},
    {"Times New Roman", {{"Liberation Serif", false}, {"", false}}},
    {"Garamond", {{"Liberation Serif", false}, {"", false}}},
    {"Palatino Linotype", {{"P052", false}, {"", false}}},
    {"Courier New", {{"Liberation Mono", false}, {"", false}}},
    {"Lucida Console", {{"Liberation Mono", false}, {"DejaVu Sans Mono", false}}},
    {"Symbol", {{"Standard Symbols PS", false}, {"", false}}},
    {"Haettenschweiler", {{"Nimbus Sans Narrow", true}, {"", false}}},
};

// A face the system does not know is drawn in its default sans serif face.
const face_candidate unknown_face[] = {{"Arial", false}, {"Liberation Sans", false}, {"DejaVu Sans", false}};

} // namespace

std::vector<face_candidate> face_candidates(const std::string& face)
{
    std::vector<face_candidate> out{{face, false}};
    for (const subst_row& row : subst) {
        if (strcasecmp(row.face, face.c_str()) != 0)
            continue;
        for (const face_candidate& c : row.stand_ins)
            if (!c.family.empty())
                out.push_back(c);
        return out;
    }
    out.insert(out.end(), std::begin(unknown_face), std::end(unknown_face));
    return out;
}
