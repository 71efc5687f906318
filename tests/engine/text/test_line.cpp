// Lines: adding words, super- and subscript shifts, average size.
#include "text_test_util.h"

using namespace vlx;
using namespace vlx_test;

namespace {

// A word with an explicit box.
TextWord* boxWord(double xMin, double xMax, double yMin, double yMax, double base, double fs, int chars = 3)
{
    auto* w = new TextWord(0, base, fs);
    for (int i = 0; i < chars; ++i)
        w->addChar(nullptr, xMin + (xMax - xMin) * i / chars, base, (xMax - xMin) / chars, 0, 'a');
    w->yMin = yMin;
    w->yMax = yMax;
    return w;
}

TEST(Line, AddingWordsWidensTheBoxAndSpreadsTheColumnGroup)
{
    TextLine line(nullptr, 0, 100);
    EXPECT_EQ(line.getAvgFontSize(), 0.0);
    TextWord* a = boxWord(10, 40, 90, 103, 100, 10);
    a->next = a; // a stale link from the pool must not survive
    line.addWord(a);
    EXPECT_EQ(a->next, nullptr);
    TextWord* b = boxWord(50, 70, 85, 104, 100, 20, 1);
    b->columnGroup = 3;
    line.addWord(b);
    EXPECT_DOUBLE_EQ(line.getAvgFontSize(), 12.5); // 3 characters at 10, 1 at 20
    TextWord* c = boxWord(80, 90, 90, 103, 100, 10, 1);
    line.addWord(c);
    EXPECT_EQ(line.lastWord, c);
    EXPECT_DOUBLE_EQ(line.xMax, 90);
    EXPECT_DOUBLE_EQ(line.yMin, 85);
    EXPECT_EQ(line.columnGroup, 3);
    EXPECT_EQ(c->columnGroup, 3);
}

TEST(Line, ShiftsOfSmallerWordsAgainstTheirNeighbour)
{
    // A 12-point word P (88.6..104.2, base 100) next to a word of size fs; which one comes first.
    const struct {
        bool smallFirst;
        double yMin, yMax, base, fs;
        int up, down;
    } cases[] = {
        {false, 86.0, 98.2, 97, 8, 6, 0}, // superscript: trunc(12 - 8 + 88.6 - 86.0)
        {false, 96, 106.8, 103, 8, 0, 6}, // subscript: trunc(12 - 8 + 106.8 - 104.2)
        {true, 85, 95, 93, 8, 13, 0},     // small word before a larger one: trunc(4 + 104.2 - 95)
        {true, 90, 98, 96, 8, 5, 0},      // raised, its top below the taller word's: trunc(4 + 90 - 88.6)
        {true, 96, 106.8, 103, 8, 0, 11}, // lowered before a larger word: trunc(4 + 96 - 88.6)
        {false, 85, 101, 97, 12, 0, 0},   // equal sizes never shift
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        TextLine line(nullptr, 0, c.smallFirst ? c.base : 100);
        TextWord* p = boxWord(10, 50, 88.6, 104.2, 100, 12);
        TextWord* s = boxWord(50, 60, c.yMin, c.yMax, c.base, c.fs);
        line.addWord(c.smallFirst ? s : p);
        line.addWord(c.smallFirst ? p : s);
        EXPECT_EQ(s->upShift, c.up);
        EXPECT_EQ(s->downShift, c.down);
        EXPECT_EQ(p->upShift + p->downShift, 0);
    }

    // A raised 2 left unshifted by its base letter, then a smaller word on the line's baseline:
    // the 2 is the one off the line.
    TextLine line(nullptr, 0, 100);
    TextWord* x = boxWord(0, 8, 88.6, 104.2, 100, 12, 1);
    TextWord* two = boxWord(8, 12, 90, 98.5, 97, 7, 1);
    TextWord* tiny = boxWord(12, 30, 96, 101, 100, 5);
    for (TextWord* w : {x, two, tiny})
        line.addWord(w);
    EXPECT_EQ(two->upShift, 4); // trunc(7 - 5 + 101 - 98.5)
    EXPECT_EQ(two->downShift + tiny->upShift + tiny->downShift, 0);
}

} // namespace
