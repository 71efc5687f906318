#ifndef VLX_TEXT_LINE_H
#define VLX_TEXT_LINE_H

#include <CharTypes.h>

#include <vector>

class UnicodeMap;

namespace vlx {

class TextBlock;
class TextWord;

// Words on one baseline, with the line's text, edges and output columns.
// The line owns its words.
class TextLine {
public:
    TextLine(TextBlock* blk, int rot, double base);
    ~TextLine();
    TextLine(const TextLine&) = delete;
    TextLine& operator=(const TextLine&) = delete;

    // Appends a word at the end; computes super/subscript shifts against the previous one.
    void addWord(TextWord* word);
    double getAvgFontSize() const;
    int primaryCmp(const TextLine* other) const;
    int secondaryCmp(const TextLine* other) const;

    // Orders for vlx_sort (never std::sort): -1, 0 or 1.
    static int cmpXY(const TextLine* a, const TextLine* b);
    static int cmpYX(const TextLine* a, const TextLine* b);

    // Merges touching words and builds text, edge and col (block line building).
    void coalesce(const UnicodeMap* uMap);

    // Rendered widths in points (implemented with the writers' width code).
    double getTextWidth();
    double getNaturalWidth();

    double xMin, xMax;
    double base;
    TextBlock* blk;
    int rot;
    double yMin, yMax;
    TextWord* words;
    TextWord* lastWord;
    std::vector<Unicode> text; // len entries
    std::vector<double> edge;  // len + 1 entries
    std::vector<int> col;      // len + 1 entries
    int len;
    int convertedLen;
    bool hyphenated;
    TextLine* next;
    int columnGroup;
    int regionMark; // the page-region analysis' mark, 0 here
    int cellIndex;
};

} // namespace vlx

#endif
