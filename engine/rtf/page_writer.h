#ifndef VLX_PAGE_WRITER_H
#define VLX_PAGE_WRITER_H
// Pieces shared by the page, paragraph and section writers.

#include "TextTypes.h"

#include <cstdio>

namespace vlx {

class TagWord;
class TextLine;
class TextPage;
class TextWord;

// The flags a writer hands to TextPage::dumpLine for the span of a block, cell or page.
struct LineFlags {
    bool bullet = false;
    bool link = false;
    bool brace = false;
};

// The top from which the next region's vertical gap is measured (points); reset to the
// top margin at the start of every non-exact page.
extern double runningRegionBottom;

namespace page_writer {

// A line starts with a bullet when its first character is one of the list marks.
bool startsWithBullet(const TextLine* line);

// The line's average font size, else the page's current size; never zero, so that the
// ratios built on it stay finite.
double lineFontSize(const TextPage& page, const TextLine* line);

// Ends an open hyperlink field.
void closeLink(FILE* out, LineFlags& flags);

// Writes the opening of a hyperlink field for `uri` (blank after HYPERLINK, RTF escapes in
// the target) and marks the link open.
void openLink(FILE* out, const char* uri, LineFlags& flags);

// The colour-table entry of a word's colour.
int wordColorIndex(const TextWord* word, const ColorList& colors);

// Resets the tag state for the line's first word and writes its full prefix through the
// output function. Returns whether anything was written.
bool writeLinePrefix(FILE* out, TextOutputFunc outputFunc, TagWord& tagWord, const ColorList& colors,
                     const TextLine* line, bool openBrace);

// A tiny empty body paragraph. Shapes (the page picture, text boxes) anchor to the paragraph
// that follows them; without one of the page's own, readers move them onto the next page.
void writeAnchorParagraph(FILE* out);

// One text box per line: a region of vertical text, or a vertical block.
void writeTextBoxLine(TextPage& page, FILE* out, TextOutputFunc outputFunc, TagWord& tagWord,
                      const ColorList& colors, TextLine* line, LineFlags& flags);

// The framed-blocks layout: one positioned frame of paragraphs per block.
void writeFramedBlocks(TextPage& page, FILE* out, TextOutputFunc outputFunc, TagWord& tagWord,
                       const ColorList& colors);

} // namespace page_writer
} // namespace vlx

#endif
