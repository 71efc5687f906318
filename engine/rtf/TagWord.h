#ifndef VLX_TAG_WORD_H
#define VLX_TAG_WORD_H

#include <array>
#include <string>

namespace vlx {

class TextWord;

// The formatting last written to the RTF stream, so that each word writes only what
// changed. Passed by value through the writers.
class TagWord {
public:
    int colorIndex = 0;
    int up = 0;
    int dn = 0;
    bool bold = false;
    bool italic = false;
    double fontSize = 0;     // half-points
    std::string fontTag;     // such as f20
    std::string styleWords;  // scratch of one getTagWord call

    // Control words that bring the state to `word` (appended to the emptied `text`), then the
    // state becomes the word's. Without a word: the whole current state, unchanged.
    void getTagWord(const TextWord* word, int colorIndex, std::string& text);
    void reset(const TextWord* word, int colorIndex);
};

// The font size of a word in half-points as the tags compare it.
double tagFontSize(const TextWord* word);

// Symbol-font positions by code point; 0 where a position has no entry.
extern const std::array<int, 256> symbolTable;
// The lowest position holding `code`, 0 when none.
int findSymbolPosition(unsigned int code);

} // namespace vlx

#endif
