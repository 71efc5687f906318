// A page collected through the text-pass calls, then laid out and cleared: the words that the
// collecting code files must come out as lines, and clearing must free everything once.
#include "test_word_fixtures.h"

#include "TextBlock.h"
#include "TextFlow.h"
#include "TextLine.h"
#include "TextPool.h"

#include <GlobalParams.h>

#include <string>
#include <vector>

using namespace vlx;
using namespace vlx_test;

namespace {

class PageLayout : public TextFixture {
protected:
    PageLayout() : page(0)
    {
        if (!globalParams) {
            globalParams = std::make_unique<GlobalParams>();
            globalParams->setTextEncoding("Latin1");
            ownParams = true;
        }
        page.pageWidth = 612;
        page.pageHeight = 792;
        state.setTextMat(1, 0, 0, 1, 0, 0);
        useFont(page, makeFont("Helvetica"), 10);
    }
    ~PageLayout() override
    {
        page.clear();
        if (ownParams)
            globalParams.reset();
    }

    void show(double x, double y, const std::string& s, double adv = 5)
    {
        page.beginWord(&state, x, y);
        for (size_t i = 0; i < s.size(); ++i) {
            Unicode u = static_cast<unsigned char>(s[i]);
            page.addChar(&state, x + adv * static_cast<double>(i), y, adv, 0, u, 1, &u, 1);
        }
        page.endWord();
    }

    std::vector<std::string> lineTexts()
    {
        std::vector<std::string> v;
        for (int b = 0; b < page.blockCount; ++b)
            for (TextLine* l = page.blocks[static_cast<size_t>(b)]->lines; l; l = l->next) {
                std::string s;
                for (int i = 0; i < l->len; ++i)
                    s += static_cast<char>(l->text[static_cast<size_t>(i)]);
                v.push_back(s);
            }
        return v;
    }

    TextPage page;
    bool ownParams = false;
};

TEST_F(PageLayout, CollectedWordsBecomeLinesWithSpaces)
{
    show(100, 700, "Hello world");
    show(100, 686, "next line");
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 0);
    EXPECT_TRUE(page.primaryLR);
    EXPECT_EQ(lineTexts(), (std::vector<std::string>{"Hello world", "next line"}));
    for (TextPool* p : page.pools)
        for (int i = p->minBaseIdx; i <= p->maxBaseIdx; ++i)
            EXPECT_EQ(p->getPool(i), nullptr);
}

TEST_F(PageLayout, FakeBoldCopyIsRemoved)
{
    show(100, 700, "Bold");
    show(100.3, 700, "Bold"); // printed again 0.03 x size to the right
    page.coalesce();
    ASSERT_EQ(page.blockCount, 1);
    EXPECT_EQ(lineTexts(), std::vector<std::string>{"Bold"});
}

TEST_F(PageLayout, SuperscriptKeepsItsShiftThroughLayout)
{
    show(100, 700, "x");
    useFont(page, makeFont("Helvetica"), 6);
    show(105.5, 704, "2");
    page.coalesce();
    ASSERT_EQ(page.blockCount, 1);
    TextLine* l = page.blocks[0]->lines;
    ASSERT_NE(l, nullptr);
    ASSERT_NE(l->words->next, nullptr);
    EXPECT_GT(l->words->next->upShift, 0);
}

TEST_F(PageLayout, PrimaryRotationFollowsMostCharacters)
{
    show(100, 700, "abc");
    state.setTextMat(0, -1, 1, 0, 0, 0); // rotation 1
    page.beginWord(&state, 300, 600);
    for (int i = 0; i < 6; ++i) {
        Unicode u = 'a' + i;
        page.addChar(&state, 300, 600 - 5.0 * i, 0, -5, u, 1, &u, 1);
    }
    page.endWord();
    page.coalesce();
    EXPECT_EQ(page.primaryRot, 1);
    EXPECT_EQ(page.blockCount, 2);
}

TEST_F(PageLayout, ClearAfterLayoutFreesFlowsAndStartsOver)
{
    show(100, 700, "one");
    show(300, 500, "two");
    page.coalesce();
    ASSERT_NE(page.flows, nullptr);
    page.clear();
    EXPECT_EQ(page.flows, nullptr);
    EXPECT_EQ(page.blockCount, 0);
    EXPECT_TRUE(page.blocks.empty());

    useFont(page, makeFont("Times"), 10);
    show(100, 700, "again");
    page.coalesce();
    EXPECT_EQ(lineTexts(), std::vector<std::string>{"again"});
}

TEST_F(PageLayout, EmptyPageHasNoBlocks)
{
    page.coalesce();
    EXPECT_EQ(page.blockCount, 0);
    EXPECT_EQ(page.flows, nullptr);
    EXPECT_EQ(page.primaryRot, -1);
}

} // namespace
