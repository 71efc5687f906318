#include "TextPool.h"

#include "TextWord.h"
#include "text_chain.h"
#include "text_geom.h"

#include <tk_log.h>

#include <algorithm>

namespace vlx {

namespace {

// Buckets created on each side of a new index.
constexpr int kGrow = 128;
// No baseline the page can hold comes near this; it keeps index arithmetic and the
// bucket array bounded for garbage values.
constexpr double kMaxIdx = 1 << 20;

} // namespace

TextPool::TextPool() : minBaseIdx(0), maxBaseIdx(-1), cursor(nullptr), cursorBaseIdx(-1) {}

TextPool::~TextPool()
{
    for (TextWord* head : pool)
        deleteChain(head);
}

int TextPool::baseIdxOf(double base)
{
    double v = base * 0.25;
    if (std::isnan(v))
        return 0;
    v = std::clamp(v, -kMaxIdx, kMaxIdx);
    return static_cast<int>(v);
}

int TextPool::getBaseIdx(double base) const
{
    int i = baseIdxOf(base);
    if (i < minBaseIdx)
        return minBaseIdx;
    if (i > maxBaseIdx)
        return maxBaseIdx;
    return i;
}

TextWord* TextPool::getPool(int baseIdx) const
{
    if (baseIdx < minBaseIdx || baseIdx > maxBaseIdx)
        return nullptr;
    return pool[static_cast<size_t>(baseIdx - minBaseIdx)];
}

void TextPool::setPool(int baseIdx, TextWord* p)
{
    if (baseIdx < minBaseIdx || baseIdx > maxBaseIdx)
        return;
    pool[static_cast<size_t>(baseIdx - minBaseIdx)] = p;
}

void TextPool::unlinkWord(int baseIdx, TextWord* prev, TextWord* word)
{
    if (!word)
        return;
    if (prev)
        prev->next = word->next;
    else
        setPool(baseIdx, word->next);
    word->next = nullptr;
    if (cursor == word) {
        cursor = nullptr;
        cursorBaseIdx = -1;
    }
}

TextWord* TextPool::takeStartWord(int* startBaseIdx)
{
    while (*startBaseIdx <= maxBaseIdx && !getPool(*startBaseIdx))
        ++*startBaseIdx;
    if (*startBaseIdx > maxBaseIdx)
        return nullptr;

    int idx0 = *startBaseIdx;
    TextWord* word0 = getPool(idx0);
    for (int idx1 = *startBaseIdx + 1; idx1 <= *startBaseIdx + 3 && idx1 <= maxBaseIdx; ++idx1) {
        TextWord* w1 = getPool(idx1);
        if (w1 && primaryDiff(w1, word0) < -kLayoutTolerance) {
            word0 = w1;
            idx0 = idx1;
        }
    }
    unlinkWord(idx0, nullptr, word0);
    return word0;
}

void TextPool::addWord(TextWord* word)
{
    tk_log(1, "TextPool::addWord(base=%lg)", word->base);
    int i = baseIdxOf(word->base);

    if (minBaseIdx > maxBaseIdx) {
        minBaseIdx = i - kGrow;
        maxBaseIdx = i + kGrow;
        pool.assign(static_cast<size_t>(maxBaseIdx - minBaseIdx + 1), nullptr);
    } else if (i < minBaseIdx) {
        int newMin = i - kGrow;
        pool.insert(pool.begin(), static_cast<size_t>(minBaseIdx - newMin), nullptr);
        minBaseIdx = newMin;
    } else if (i > maxBaseIdx) {
        int newMax = i + kGrow;
        pool.resize(static_cast<size_t>(newMax - minBaseIdx + 1), nullptr);
        maxBaseIdx = newMax;
    }

    TextWord* w0;
    TextWord* w1;
    if (cursor && i == cursorBaseIdx && primaryDiff(word, cursor) > kLayoutTolerance) {
        w0 = cursor;
        w1 = cursor->next;
    } else {
        w0 = nullptr;
        w1 = getPool(i);
    }
    while (w1 && primaryDiff(word, w1) > kLayoutTolerance) {
        w0 = w1;
        w1 = w1->next;
    }
    word->next = w1;
    if (w0)
        w0->next = word;
    else
        setPool(i, word);
    cursor = word;
    cursorBaseIdx = i;
}

} // namespace vlx
