#ifndef VLX_TEXT_PAGE_H
#define VLX_TEXT_PAGE_H

#include "TextTypes.h"

#include <CharTypes.h>

#include <cstdio>
#include <vector>

class GfxState;

namespace vlx {

class PageRegion;
class TagWord;
class TextBlock;
class TextFlow;
class TextFontInfo;
class TextLine;
class TextPool;
class TextWord;

// The table-row writer's context: the section's left x and the region. Lives for one table.
struct TableRowContext {
    double left;
    PageRegion* region;
};

// The text of one page, collected from the text pass and held until it is written.
// One page object serves the whole conversion; clear() starts each page.
class TextPage {
public:
    explicit TextPage(int rawOrder);
    ~TextPage();
    TextPage(const TextPage&) = delete;
    TextPage& operator=(const TextPage&) = delete;

    // --- collecting (text pass) ---
    void clear();
    void beginWord(GfxState* state, double x, double y);
    void addChar(GfxState* state, double x, double y, double dx, double dy, CharCode c, int nBytes,
                 const Unicode* u, int uLen);
    void endWord();
    void addWord(TextWord* word);

    // --- layout (coalescing) ---
    void coalesce(bool physLayout = false);

    // --- writers ---
    void dump(FILE* out, TextOutputFunc outputFunc, bool physLayout, ColorList colors);
    static void dumpLine(FILE* out, TextOutputFunc outputFunc, TagWord tagWord, ColorList colors, TextLine* line,
                         bool* bulletPending, bool* linkOpen, bool* braceOpen);
    static void dumpChar(FILE* out, TextOutputFunc outputFunc, unsigned int code);
    static int getColorIndex(const PageColor& color, const ColorList& colors);
    void writeTextBox(FILE* out, TextOutputFunc outputFunc, TextLine* line);
    int writeGap(FILE* out, TextOutputFunc outputFunc, double top, double bottom);
    void writeParagraphs(FILE* out, TextOutputFunc outputFunc, double top, double left, double indentBase,
                         double right, TagWord tagWord, ColorList colors, TextLine** lines, int lineCount,
                         bool noCrlf, bool inTable);
    void writeSection(FILE* out, TextOutputFunc outputFunc, PageRegion* region, double top, double left,
                      double right, TagWord tagWord, ColorList colors);
    void writeTableRow(const TableRowContext& row, FILE* out, TextOutputFunc outputFunc, double height);

    // The list-mark test on one code: 1, 2, 3, 4, 128, 149, 150, 165, 183, 216, 8226.
    static bool isListMark(unsigned int c);

    bool rawOrder;
    double pageWidth;
    double pageHeight;
    TextWord* curWord;
    int charPos;
    TextFontInfo* curFont;
    double curFontSize;
    int nest;
    int tinyCharCount;
    bool lastCharOverlap;
    TextPool* pools[4];
    TextFlow* flows; // first flow, chained by `next`
    std::vector<TextBlock*> blocks;
    int blockCount;
    int primaryRot;
    bool primaryLR;
    TextWord* rawWords;
    TextWord* rawLastWord;
    std::vector<TextFontInfo*> fonts; // owned
    bool sectionFresh;
    // Flowing layout: nothing is written on this page since its start, which left the paragraph
    // properties at their defaults; the page picture anchors to what comes first.
    bool paragraphDefaults = false;
    // Flowing layout: the region being written is the page's last; nothing of the page follows it.
    bool lastRegion = false;
    // Inverse of the page's default matrix, set by the device: word start points are kept in the
    // page's default user space, where link rectangles are. Null keeps the current user space.
    const double* defaultICTM = nullptr;
    bool paragraphClosed;

private:
    void freeContents();
    void makePools();
};

} // namespace vlx

#endif
