#ifndef VLX_TEXT_WORD_H
#define VLX_TEXT_WORD_H

#include <CharTypes.h>

#include <string>
#include <vector>

class GfxState;
class LinkAction;

namespace vlx {

class TextFontInfo;

// One word of page text: characters of one font and rotation without a break.
// Coordinates are device points of the text pass, y growing downwards.
class TextWord {
public:
    // x, y: the word's start point in user space.
    TextWord(GfxState* state, int rot, double x, double y, int charPos, TextFontInfo* font, double fontSize);
    // A word from plain values, for code that has no graphics state: box across the
    // baseline `base` with ascent 0.95 and descent -0.35 of fontSize, black, face from the
    // first "...0" row of the font table (Arial), space width = that row's factor, nothing
    // measured. Characters are then added with addChar (state may be null).
    TextWord(int rot, double base, double fontSize, TextFontInfo* font = nullptr, int charPos = 0);
    ~TextWord();
    TextWord(const TextWord&) = delete;
    TextWord& operator=(const TextWord&) = delete;

    // x, y, dx, dy in device space.
    void addChar(GfxState* state, double x, double y, double dx, double dy, Unicode u);
    // Appends a word that follows this one on its line; `other` is left unchanged.
    void merge(TextWord* other);
    double getFontSize() const { return fontSize > 0 ? fontSize : 0; }
    // Gap from this word to `other` along this word's primary axis.
    double primaryDelta(const TextWord* other) const;

    // Left edge, ties within 0.1 by top; no tolerance.
    static int cmpXYTables(const TextWord* a, const TextWord* b);

    // Rendered width in points (implemented with the writers' width code).
    double getTextWidth();

    int rot;
    double xMin, xMax, yMin, yMax;
    double base;
    double userX, userY;
    const LinkAction* link; // not owned; only tested for presence: the URI is in linkURI
    std::string linkURI;    // target of `link`, copied when the link is set
    std::vector<Unicode> text; // `size` entries, `len` used
    std::vector<double> edge;  // `size` + 1 entries, `len` + 1 used
    int len, size;
    int charPos;
    int charLen;
    TextFontInfo* font;
    double fontSize;
    double spaceWidth;
    bool spaceAfter;
    TextWord* next;
    bool sansFamily;
    bool serifFamily;
    bool bold;
    bool italic;
    bool displayFamily;
    bool listMark;
    bool underlined;
    int upShift;
    int downShift;
    std::string fontCode;
    std::string fontFace;
    int columnGroup;
    int flowCode; // text-box flow: 3 turned clockwise, 2 anticlockwise, 1 vertical writing, else 0
    int cellIndex;
    double fontScale;
    int colorR, colorG, colorB;

private:
    void initPlain(int rot, int charPos, TextFontInfo* font, double fontSize);
    void setBoxAcross(double x0, double y0, double ascent, double descent);
    void mapFont();
};

// Start of w against the start of v along w's line direction (negative: w starts first).
double primaryDiff(const TextWord* w, const TextWord* v);

} // namespace vlx

#endif
