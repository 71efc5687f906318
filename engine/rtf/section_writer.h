#ifndef VLX_SECTION_WRITER_H
#define VLX_SECTION_WRITER_H

#include "TextTypes.h"

#include <cstdio>
#include <vector>

namespace vlx {

class PageRegion;
class TagWord;
class TextLine;
class TextPage;

namespace section_writer {

// Gives every line of a table its row-and-cell key: ((kind + 1) * 10000) + row * cells + column.
// The lines carry their cell index on entry and are in reading order.
void assignTableKeys(const TextPage& page, const PageRegion* region, std::vector<TextLine*>& lines);

// Writes the region's lines (sorted, cell indexes set) as an RTF table.
void writeTable(TextPage& page, FILE* out, TextOutputFunc outputFunc, PageRegion* region,
                std::vector<TextLine*>& lines, double top, double left, const TagWord& tagWord,
                const ColorList& colors, bool noCrlf);

} // namespace section_writer
} // namespace vlx

#endif
