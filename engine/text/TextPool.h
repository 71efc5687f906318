#ifndef VLX_TEXT_POOL_H
#define VLX_TEXT_POOL_H

#include <vector>

namespace vlx {

class TextWord;

// The words of one rotation in 4-point baseline buckets, each bucket a singly linked
// list ordered along the line direction. The pool owns its words.
class TextPool {
public:
    TextPool();
    ~TextPool();
    TextPool(const TextPool&) = delete;
    TextPool& operator=(const TextPool&) = delete;

    // Bucket index of a baseline value: base * 0.25 truncated toward zero (saturating
    // for absurd values).
    static int baseIdxOf(double base);
    // The same, clamped to the pool's range [minBaseIdx, maxBaseIdx].
    int getBaseIdx(double base) const;

    bool isEmpty() const { return minBaseIdx > maxBaseIdx; }
    // Head of bucket baseIdx; null outside the range.
    TextWord* getPool(int baseIdx) const;
    // Sets the head of bucket baseIdx (must lie within the range).
    void setPool(int baseIdx, TextWord* p);
    // Removes `word` from bucket baseIdx, `prev` being its predecessor there (null for the
    // head). Clears word->next and drops the cursor when it pointed at the word.
    void unlinkWord(int baseIdx, TextWord* prev, TextWord* word);
    // Takes out the word a new line or block starts from. *startBaseIdx moves on to the
    // first non-empty bucket; its head is the start unless one of the next three buckets
    // opens with a word that starts clearly earlier. Null when no word is left from there.
    TextWord* takeStartWord(int* startBaseIdx);

    void addWord(TextWord* word);

    int minBaseIdx;
    int maxBaseIdx;
    std::vector<TextWord*> pool; // bucket i at pool[i - minBaseIdx]
    TextWord* cursor;
    int cursorBaseIdx;
};

} // namespace vlx

#endif
