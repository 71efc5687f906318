#ifndef VLX_TEXT_BLOCK_H
#define VLX_TEXT_BLOCK_H

class UnicodeMap;

namespace vlx {

class TextLine;
class TextPage;
class TextPool;
class TextWord;

// A block of lines of one rotation. Owned by its flow; the page's `blocks` array only
// points at it. It owns its pool and its lines.
class TextBlock {
public:
    TextBlock(TextPage* page, int rot);
    ~TextBlock();
    TextBlock(const TextBlock&) = delete;
    TextBlock& operator=(const TextBlock&) = delete;

    // Adds the word to the block's pool and widens the box.
    void addWord(TextWord* word);
    // Removes duplicates, builds the lines from the pool and numbers their columns.
    void coalesce(const UnicodeMap* uMap);
    // Narrows priMin/priMax by `other` on the same level.
    void updatePriMinMax(TextBlock* other);
    // This block lies below `other` within other's free space.
    bool isBelow(TextBlock* other);

    // Orders for vlx_sort (never std::sort), by the page's primaryRot: -1, 0 or 1.
    static int cmpXYPrimaryRot(const TextBlock* a, const TextBlock* b);
    static int cmpYXPrimaryRot(const TextBlock* a, const TextBlock* b);

    TextPage* page;
    int rot;
    double xMin, xMax, yMin, yMax;
    double priMin, priMax;
    TextPool* pool;
    TextLine* lines;
    TextLine* curLine;
    int nLines;
    int charCount;
    int col;
    int nColumns;
    TextBlock* next;
    TextBlock* stackNext;
};

} // namespace vlx

#endif
