// Lines: adding words, super- and subscript shifts, average size, the layout orders.
#include "text_test_util.h"

#include "overlapRatio.h"
#include "vlx_sort.h"

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
    a->cellIndex = 4;
    a->next = a; // a stale link from the pool must not survive
    line.addWord(a);
    EXPECT_EQ(a->next, nullptr);
    EXPECT_EQ(line.cellIndex, 4);
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
    EXPECT_EQ(a->columnGroup, 0);
    EXPECT_EQ(c->columnGroup, 3);
}

TEST(Line, SingleBulletTakesTheBaselineOfTheNextWord)
{
    for (int first : {1, 2}) {
        TextLine line(nullptr, 0, 101);
        line.addWord(boxWord(10, 14, 90, 103, 101, 10, first));
        line.addWord(boxWord(20, 60, 90, 103, 100, 10, 5));
        EXPECT_DOUBLE_EQ(line.base, first == 1 ? 100 : 101);
    }
}

TEST(Line, ShiftsOfSmallerWordsAgainstTheirNeighbour)
{
    // A 12-point word P (88.6..104.2, base 100) next to an 8-point word; which one comes first.
    const struct {
        bool smallFirst;
        double yMin, yMax, base;
        int up, down;
    } cases[] = {
        {false, 86.0, 98.2, 97, 6, 0},    // superscript: trunc(12 - 8 + 88.6 - 86.0)
        {false, 96, 106.8, 103, 0, 6},    // subscript: trunc(12 - 8 + 106.8 - 104.2)
        {true, 85, 95, 93, 13, 0},        // small word before a larger one: trunc(4 + 104.2 - 95)
        {false, 88.0, 100.5, 99.5, 0, 0}, // baseline difference 0.5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        TextLine line(nullptr, 0, c.smallFirst ? c.base : 100);
        TextWord* p = boxWord(10, 50, 88.6, 104.2, 100, 12);
        TextWord* s = boxWord(50, 60, c.yMin, c.yMax, c.base, 8);
        line.addWord(c.smallFirst ? s : p);
        line.addWord(c.smallFirst ? p : s);
        EXPECT_EQ(s->upShift, c.up);
        EXPECT_EQ(s->downShift, c.down);
        EXPECT_EQ(p->upShift + p->downShift, 0);
    }
    // Equal sizes never shift.
    TextLine same(nullptr, 0, 100);
    TextWord* b = boxWord(50, 60, 85, 101, 97, 10);
    same.addWord(boxWord(10, 50, 88, 104, 100, 10));
    same.addWord(b);
    EXPECT_EQ(b->upShift + b->downShift, 0);
}

TEST(Line, ShiftedPredecessorSkipsTheNextTest)
{
    TextLine line(nullptr, 0, 100);
    TextWord* sup = boxWord(50, 60, 86.0, 98.2, 97, 8);
    TextWord* after = boxWord(60, 90, 88.6, 104.2, 100, 12);
    line.addWord(boxWord(10, 50, 88.6, 104.2, 100, 12));
    line.addWord(sup);
    line.addWord(after);
    EXPECT_EQ(sup->upShift, 6);
    EXPECT_EQ(sup->downShift, 0);
    EXPECT_EQ(after->upShift + after->downShift, 0);
}

std::unique_ptr<TextLine> lineAt(double xMin, double xMax, double yMin, double yMax, double base, double fs,
                                 int rot = 0)
{
    auto line = std::make_unique<TextLine>(nullptr, rot, base);
    TextWord* w = boxWord(xMin, xMax, yMin, yMax, base, fs);
    w->rot = rot;
    line->addWord(w);
    return line;
}

TEST(LineOrder, SecondaryCmpTreatsCloseBaselinesAsOneLevel)
{
    auto a = lineAt(10, 100, 91, 100, 100, 10);
    EXPECT_EQ(a->secondaryCmp(lineAt(200, 300, 102, 104, 104, 10).get()), 0); // 4 < 5, no overlap
    EXPECT_EQ(a->secondaryCmp(lineAt(200, 300, 101, 106, 106, 10).get()), -1);
    // Overlap of the smaller line across the other: one level.
    auto big = lineAt(10, 100, 80, 104, 100, 24);
    EXPECT_EQ(big->secondaryCmp(lineAt(200, 300, 84, 102, 90, 8).get()), 0);
    // Sizeless lines compare by baseline with the fixed tolerance.
    auto z = lineAt(10, 100, 90, 100, 100, 0);
    EXPECT_EQ(z->secondaryCmp(lineAt(10, 100, 95, 105, 103, 0).get()), -1);
    EXPECT_EQ(z->secondaryCmp(lineAt(10, 100, 90, 100, 100.5, 0).get()), 0);
}

TEST(LineOrder, PrimaryCmpAndReadingOrders)
{
    auto a = lineAt(10, 100, 90, 100, 100, 10);
    EXPECT_EQ(a->primaryCmp(lineAt(11, 50, 90, 100, 100, 10).get()), 0);
    EXPECT_EQ(a->primaryCmp(lineAt(12, 50, 90, 100, 100, 10).get()), -1);
    auto r2 = lineAt(10, 100, 90, 100, 100, 10, 2);
    EXPECT_EQ(r2->primaryCmp(lineAt(10, 90, 90, 100, 100, 10, 2).get()), -1); // right edge descending

    std::vector<std::unique_ptr<TextLine>> own;
    own.push_back(lineAt(300, 400, 130, 140, 138, 10)); // row 2 right
    own.push_back(lineAt(10, 100, 91, 100, 100, 10));   // row 1 left
    own.push_back(lineAt(10, 100, 130, 140, 138, 10));  // row 2 left
    own.push_back(lineAt(300, 400, 91, 100, 100, 10));  // row 1 right
    std::vector<TextLine*> v;
    for (auto& l : own)
        v.push_back(l.get());
    vlx_sort(v, TextLine::cmpYX);
    EXPECT_EQ(v, (std::vector<TextLine*>{own[1].get(), own[3].get(), own[2].get(), own[0].get()}));
    vlx_sort(v, TextLine::cmpXY);
    EXPECT_EQ(v, (std::vector<TextLine*>{own[1].get(), own[2].get(), own[3].get(), own[0].get()}));
}

TEST(Overlap, RatioRules)
{
    EXPECT_DOUBLE_EQ(overlapRatio(5, 5, 0, 10), 1.0); // a point inside
    EXPECT_DOUBLE_EQ(overlapRatio(20, 20, 0, 10), 0.0); // a point outside
    EXPECT_DOUBLE_EQ(overlapRatio(10, 0, 25, 5), 0.5);  // larger of 5/10 and 5/20, ends in either order
    EXPECT_LT(overlapRatio(0, 10, 20, 30), 0.0);
}

} // namespace
