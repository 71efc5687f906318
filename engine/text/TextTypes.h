#ifndef VLX_TEXT_TYPES_H
#define VLX_TEXT_TYPES_H

#include <vector>

namespace vlx {

// One colour of the page colour list, 0..255 per component.
struct PageColor {
    int red;
    int green;
    int blue;
};

// RTF colour index N ("\cf N") is list position N - 1.
using ColorList = std::vector<PageColor>;

// The RTF device's raw writer: (stream, text, length).
typedef void (*TextOutputFunc)(void* stream, const char* text, int len);

} // namespace vlx

#endif
