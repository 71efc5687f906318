#pragma once
// The page margins, in points: set by each page flush, read by the page writer during that
// flush and by the next page's section start.

namespace vlx {

struct PageMargins {
    double left = 15.0;
    double right = 15.0;
    double top = 10.0;
    double bottom = 0.0;
};

extern PageMargins pageMargins;

} // namespace vlx
