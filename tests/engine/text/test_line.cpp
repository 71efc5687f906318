// Lines: adding words, super- and subscript shifts, average size, the layout orders.
#include "test_word_fixtures.h"

#include "TextLine.h"
#include "overlapRatio.h"
#include "vlx_sort.h"

#include <vector>

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

TEST(Line, EmptyLineTakesTheFirstWordsBox)
{
    TextLine line(nullptr, 0, 100);
    EXPECT_GT(line.xMin, line.xMax);
    EXPECT_EQ(line.getAvgFontSize(), 0.0);
    TextWord* w = boxWord(10, 40, 90, 103, 100, 10);
    w->cellIndex = 4;
    w->next = w; // a stale link from the pool must not survive
    line.addWord(w);
    EXPECT_EQ(line.words, w);
    EXPECT_EQ(line.lastWord, w);
    EXPECT_EQ(w->next, nullptr);
    EXPECT_EQ(line.cellIndex, 4);
    EXPECT_DOUBLE_EQ(line.xMin, 10);
    EXPECT_DOUBLE_EQ(line.xMax, 40);
    EXPECT_DOUBLE_EQ(line.yMin, 90);
    EXPECT_DOUBLE_EQ(line.yMax, 103);

    line.addWord(boxWord(50, 70, 85, 104, 100, 12));
    EXPECT_DOUBLE_EQ(line.xMax, 70);
    EXPECT_DOUBLE_EQ(line.yMin, 85);
    EXPECT_DOUBLE_EQ(line.yMax, 104);
    EXPECT_EQ(line.words->next, line.lastWord);
}

TEST(Line, SingleBulletTakesTheBaselineOfTheNextWord)
{
    TextLine line(nullptr, 0, 101);
    line.addWord(boxWord(10, 14, 90, 103, 101, 10, 1));
    line.addWord(boxWord(20, 60, 90, 103, 100, 10, 5));
    EXPECT_DOUBLE_EQ(line.base, 100);

    TextLine two(nullptr, 0, 101);
    two.addWord(boxWord(10, 20, 90, 103, 101, 10, 2));
    two.addWord(boxWord(30, 60, 90, 103, 100, 10, 5));
    EXPECT_DOUBLE_EQ(two.base, 101);
}

TEST(Line, ColumnGroupSpreadsBothWays)
{
    TextLine line(nullptr, 0, 100);
    TextWord* a = boxWord(10, 20, 90, 103, 100, 10);
    TextWord* b = boxWord(30, 40, 90, 103, 100, 10);
    TextWord* c = boxWord(50, 60, 90, 103, 100, 10);
    b->columnGroup = 3;
    line.addWord(a);
    line.addWord(b);
    line.addWord(c);
    EXPECT_EQ(line.columnGroup, 3);
    EXPECT_EQ(a->columnGroup, 0);
    EXPECT_EQ(c->columnGroup, 3);
}

TEST(Line, SuperscriptRaisesTheSmallerWord)
{
    TextLine line(nullptr, 0, 100);
    TextWord* p = boxWord(10, 50, 88.6, 104.2, 100, 12);
    TextWord* sup = boxWord(50, 60, 86.0, 98.2, 97, 8);
    line.addWord(p);
    line.addWord(sup);
    EXPECT_EQ(sup->upShift, 6); // trunc(12 - 8 + 88.6 - 86.0)
    EXPECT_EQ(sup->downShift, 0);
    EXPECT_EQ(p->upShift + p->downShift, 0);
}

TEST(Line, SubscriptAndLargerFollowerShiftTheRightWord)
{
    TextLine sub(nullptr, 0, 100);
    TextWord* p = boxWord(10, 50, 88.6, 104.2, 100, 12);
    TextWord* low = boxWord(50, 60, 96, 106.8, 103, 8);
    sub.addWord(p);
    sub.addWord(low);
    EXPECT_EQ(low->downShift, 6); // trunc(12 - 8 + 106.8 - 104.2)

    // The following word is the larger one: the earlier small word is the shifted one.
    TextLine raised(nullptr, 0, 93);
    TextWord* small = boxWord(10, 20, 85, 95, 93, 8);
    TextWord* large = boxWord(20, 60, 88.6, 104.2, 100, 12);
    raised.addWord(small);
    raised.addWord(large);
    EXPECT_EQ(small->upShift, 13); // trunc(12 - 8 + 104.2 - 95)
    EXPECT_EQ(large->upShift + large->downShift, 0);

    TextLine lowered(nullptr, 0, 103);
    TextWord* small2 = boxWord(10, 20, 96, 106.8, 103, 8);
    TextWord* large2 = boxWord(20, 60, 88.6, 104.2, 100, 12);
    lowered.addWord(small2);
    lowered.addWord(large2);
    EXPECT_EQ(small2->downShift, 11); // trunc(12 - 8 + 96 - 88.6)
}

TEST(Line, NoShiftForSmallOrEqualDifferences)
{
    TextLine near(nullptr, 0, 100);
    TextWord* p = boxWord(10, 50, 88.6, 104.2, 100, 12);
    TextWord* q = boxWord(50, 60, 88.0, 100.5, 99.5, 8);
    near.addWord(p);
    near.addWord(q);
    EXPECT_EQ(q->upShift + q->downShift + p->upShift + p->downShift, 0);

    TextLine same(nullptr, 0, 100);
    TextWord* a = boxWord(10, 50, 88, 104, 100, 10);
    TextWord* b = boxWord(50, 60, 85, 101, 97, 10);
    same.addWord(a);
    same.addWord(b);
    EXPECT_EQ(b->upShift + b->downShift + a->upShift + a->downShift, 0);

    // A baseline jump as large as the smaller size is not a shift.
    TextLine far(nullptr, 0, 100);
    TextWord* c = boxWord(10, 50, 88.6, 104.2, 100, 12);
    TextWord* d = boxWord(50, 60, 80, 92, 90, 8);
    far.addWord(c);
    far.addWord(d);
    EXPECT_EQ(d->upShift, 0);
}

TEST(Line, ShiftedPredecessorSkipsTheNextTest)
{
    TextLine line(nullptr, 0, 100);
    TextWord* p = boxWord(10, 50, 88.6, 104.2, 100, 12);
    TextWord* sup = boxWord(50, 60, 86.0, 98.2, 97, 8);
    TextWord* after = boxWord(60, 90, 88.6, 104.2, 100, 12);
    line.addWord(p);
    line.addWord(sup);
    line.addWord(after);
    EXPECT_EQ(sup->upShift, 6);
    EXPECT_EQ(sup->downShift, 0);
    EXPECT_EQ(after->upShift + after->downShift, 0);
}

TEST(Line, AverageFontSizeIsWeightedByCharacters)
{
    TextLine line(nullptr, 0, 100);
    line.addWord(boxWord(10, 40, 90, 103, 100, 10, 3));
    line.addWord(boxWord(50, 70, 85, 104, 100, 20, 1));
    EXPECT_DOUBLE_EQ(line.getAvgFontSize(), 12.5);
}

std::unique_ptr<TextLine> lineAt(double xMin, double xMax, double yMin, double yMax, double base, double fs,
                                 int chars = 3, int rot = 0)
{
    auto line = std::make_unique<TextLine>(nullptr, rot, base);
    TextWord* w = boxWord(xMin, xMax, yMin, yMax, base, fs, chars);
    w->rot = rot;
    line->addWord(w);
    line->xMin = xMin;
    line->xMax = xMax;
    return line;
}

TEST(LineOrder, SecondaryCmpTreatsCloseBaselinesAsOneLevel)
{
    auto a = lineAt(10, 100, 91, 100, 100, 10);
    auto b4 = lineAt(200, 300, 102, 104, 104, 10); // 4 points lower, no overlap
    EXPECT_EQ(a->secondaryCmp(b4.get()), 0);
    auto b6 = lineAt(200, 300, 101, 106, 106, 10);
    EXPECT_EQ(a->secondaryCmp(b6.get()), -1);
    EXPECT_EQ(b6->secondaryCmp(a.get()), 1);
}

TEST(LineOrder, OverlapAcrossTheLineMakesOneLevel)
{
    auto big = lineAt(10, 100, 80, 104, 100, 24);
    auto small = lineAt(200, 300, 84, 102, 90, 8); // ratio 1/3, overlap of the smaller > 0.9
    EXPECT_EQ(big->secondaryCmp(small.get()), 0);
}

TEST(LineOrder, SizelessLinesCompareByBaseline)
{
    auto a = lineAt(10, 100, 90, 100, 100, 0);
    auto b = lineAt(10, 100, 95, 105, 103, 0);
    EXPECT_EQ(a->secondaryCmp(b.get()), -1);
    auto c = lineAt(10, 100, 90, 100, 100.5, 0);
    EXPECT_EQ(a->secondaryCmp(c.get()), 0);
}

TEST(LineOrder, PrimaryCmpByRotationWithTolerance)
{
    auto a = lineAt(10, 100, 90, 100, 100, 10);
    auto b = lineAt(11, 50, 90, 100, 100, 10);
    auto c = lineAt(12, 50, 90, 100, 100, 10);
    EXPECT_EQ(a->primaryCmp(b.get()), 0);
    EXPECT_EQ(a->primaryCmp(c.get()), -1);
    EXPECT_EQ(c->primaryCmp(a.get()), 1);

    auto r2a = lineAt(10, 100, 90, 100, 100, 10, 3, 2);
    auto r2b = lineAt(10, 90, 90, 100, 100, 10, 3, 2);
    EXPECT_EQ(r2a->primaryCmp(r2b.get()), -1); // right edge descending
}

TEST(LineOrder, ReadingOrderSortsRowsThenColumns)
{
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
    EXPECT_DOUBLE_EQ(overlapRatio(5, 5, 0, 10), 1.0);  // a point inside
    EXPECT_DOUBLE_EQ(overlapRatio(0, 10, 5, 5), 1.0);
    EXPECT_DOUBLE_EQ(overlapRatio(20, 20, 0, 10), 0.0); // a point outside
    EXPECT_DOUBLE_EQ(overlapRatio(0, 10, 5, 25), 0.5); // the larger of 5/10 and 5/20
    EXPECT_DOUBLE_EQ(overlapRatio(10, 0, 25, 5), 0.5); // ends in either order
    EXPECT_LT(overlapRatio(0, 10, 20, 30), 0.0);
}

} // namespace
