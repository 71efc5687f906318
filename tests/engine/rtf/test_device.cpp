// The RTF output device driven by hand: document head, paper and section words, colour table,
// margins, hexadecimal bytes and its internal errors.
#include "RtfOutputDev.h"
#include "TextBlock.h"
#include "TextPage.h"
#include "TextWord.h"
#include "page_margins.h"
#include "pdf_ulin.h"
#include "vlx_conv.h"
#include "vlx_testsupport.h"

#include <GfxState.h>
#include <Page.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

const char* const HEAD = "{\\rtf \\ansi\\ansicpg1252\\deff0\r\n"
                         "{\\fonttbl"
                         "{\\f11\\fswiss\\fcharset0 Arial Narrow;}"
                         "{\\f10\\fswiss\\fcharset0 Arial;}"
                         "{\\f12\\fswiss\\fcharset0 Franklin Gothic;}"
                         "{\\f13\\fswiss\\fcharset0 Verdana;}"
                         "{\\f20\\froman\\fcharset0 Times New Roman;}"
                         "{\\f21\\froman\\fcharset0 Garamond;}"
                         "{\\f22\\froman\\fcharset0 Palatino Linotype;}"
                         "{\\f30\\fmodern\\fcharset0 Courier New;}"
                         "{\\f31\\fmodern\\fcharset0 Lucida Console;}"
                         "{\\f40\\ftech\\fcharset2 Symbol;}"
                         "{\\f50\\fscript\\fcharset0 Garamond;}"
                         "{\\f60 Haettenschweiler;}"
                         "}\r\n";

std::string slurp(const std::string& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

size_t count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
        ++n;
    return n;
}

// A plain word of 5-point characters from x on baseline `base`.
vlx::TextWord* word(const std::string& text, double x, double base, double fs = 10)
{
    auto* w = new vlx::TextWord(0, base, fs);
    for (size_t i = 0; i < text.size(); ++i)
        w->addChar(nullptr, x + static_cast<double>(i) * 5, base, 5, 0, static_cast<unsigned char>(text[i]));
    return w;
}

class Device : public ::testing::Test {
protected:
    void SetUp() override
    {
        vlx::pageMargins = vlx::PageMargins{};
        dev = std::make_unique<RtfOutputDev>(out.path.c_str(), 0, 0, false);
        ASSERT_TRUE(dev->isOk());
    }
    void TearDown() override { dev.reset(); }

    // Everything written so far.
    std::string written()
    {
        std::fflush(dev->stream());
        return slurp(out.path);
    }
    // What the calls in f add to the document.
    template <class F> std::string added(F f)
    {
        size_t before = written().size();
        f();
        return written().substr(before);
    }
    void startPage(double w, double h)
    {
        PDFRectangle box(0, 0, w, h);
        GfxState state(72, 72, &box, 0, true);
        dev->startPage(1, &state, nullptr);
    }

    vellix_convertor conv{vellix_convertor::console_form};
    pdf_uline_processor proc{false};
    vlxtest::TempFile out{vlxtest::temp_path(".rtf")};
    std::unique_ptr<RtfOutputDev> dev;
};

TEST_F(Device, HeadIsTheRtfWordsAndTheTwelveFontsThenTheClosingBrace)
{
    EXPECT_EQ(written(), HEAD);
    dev.reset();
    EXPECT_EQ(slurp(out.path), std::string(HEAD) + "}\r\n");
}

TEST_F(Device, FirstPageHasPaperWordsAndTheColourTable)
{
    EXPECT_EQ(added([&] { startPage(612, 792); }), "\\jexpand\\viewkind1\\paperw12240\\paperh15840\r\n");
    std::string flush = added([&] { dev->flushPage(); });
    ASSERT_EQ(flush.rfind("{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue50;", 0), 0u) << flush;
    size_t end = flush.find("}\r\n");
    ASSERT_NE(end, std::string::npos);
    const std::string table = flush.substr(0, end + 3);
    EXPECT_EQ(count(table, "\\red"), 216u);
    EXPECT_EQ(count(table, ";"), 217u) << "the automatic colour and 216 entries";
    // Blue varies fastest, red slowest: entry 36 (RTF colour 37) is the first with red 50.
    std::vector<std::string> entries;
    std::stringstream ss(table.substr(std::string("{\\colortbl;").size()));
    for (std::string e; std::getline(ss, e, ';');)
        entries.push_back(e);
    ASSERT_GE(entries.size(), 216u);
    EXPECT_EQ(entries[0], "\\red0\\green0\\blue0");
    EXPECT_EQ(entries[5], "\\red0\\green0\\blue250");
    EXPECT_EQ(entries[6], "\\red0\\green50\\blue0");
    EXPECT_EQ(entries[36], "\\red50\\green0\\blue0");
    EXPECT_EQ(entries[215], "\\red250\\green250\\blue250");
    // A page without text keeps no margins.
    EXPECT_EQ(flush.substr(end + 3), "\\margt0\\margb0\\margr0\\margl0\r\n");
}

TEST_F(Device, LaterPagesStartASectionFromThePreviousTopMarginAndHaveNoColourTable)
{
    startPage(612, 792);
    dev->flushPage();
    vlx::pageMargins.top = 50; // as the first page's flush would leave it
    EXPECT_EQ(added([&] { startPage(2000, 2000); }),
              "\\sect\\sectd\\sbkpage\\margtsxn920\\pard\r\n\\jexpand\\viewkind1\\paperw31660\\paperh31660\r\n");
    EXPECT_EQ(dev->textPage()->pageWidth, 1583.0);
    EXPECT_EQ(dev->textPage()->pageHeight, 1583.0);
    std::string flush = added([&] { dev->flushPage(); });
    EXPECT_EQ(flush.find("\\colortbl"), std::string::npos);
    EXPECT_EQ(flush, "\\margt0\\margb0\\margr0\\margl0\r\n");

    // A top margin under 4 points would give a negative section margin.
    vlx::pageMargins.top = 2;
    EXPECT_EQ(added([&] { startPage(612, 792); }).rfind("\\sect\\sectd\\sbkpage\\margtsxn0\\pard\r\n", 0), 0u);
}

TEST_F(Device, PaperJustBelowTheLimitIsTruncatedNotRounded)
{
    std::string s = added([&] { startPage(1582.99, 0.06); });
    EXPECT_EQ(s, "\\jexpand\\viewkind1\\paperw31659\\paperh1\r\n");
}

// The margins line of a flush, and the bounds of the blocks that page had.
struct Flushed {
    std::string line;
    double xmin = 9999, xmax = 0, ymin = 9999, ymax = 0;
};

class DeviceMargins : public Device {
protected:
    Flushed flush(const std::vector<vlx::TextWord*>& words, double w = 612, double h = 792)
    {
        startPage(w, h);
        for (vlx::TextWord* wd : words)
            dev->textPage()->addWord(wd);
        Flushed f;
        std::string s = added([&] { dev->flushPage(); });
        size_t at = s.find("\\margt");
        EXPECT_NE(at, std::string::npos) << s;
        if (at != std::string::npos)
            f.line = s.substr(at, s.find("\r\n", at) - at);
        const vlx::TextPage* page = dev->textPage();
        EXPECT_GT(page->blockCount, 0);
        for (int i = 0; i < page->blockCount; ++i) {
            f.xmin = std::min(f.xmin, page->blocks[i]->xMin);
            f.xmax = std::max(f.xmax, page->blocks[i]->xMax);
            f.ymin = std::min(f.ymin, page->blocks[i]->yMin);
            f.ymax = std::max(f.ymax, page->blocks[i]->yMax);
        }
        return f;
    }
    static std::string line(int top, int bottom, int right, int left)
    {
        return "\\margt" + std::to_string(top * 20) + "\\margb" + std::to_string(bottom * 20) + "\\margr" +
               std::to_string(right * 20) + "\\margl" + std::to_string(left * 20);
    }
};

TEST_F(DeviceMargins, TextBlocksGiveWholePointMargins)
{
    Flushed f = flush({word("Alpha", 72.6, 100), word("Omega", 300, 700)});
    ASSERT_LT(f.xmax, 612);
    const int left = static_cast<int>(f.xmin);
    const int top = static_cast<int>(f.ymin * 0.97);
    const int right = static_cast<int>((612 - f.xmax) * 0.98);
    const int bottom = static_cast<int>((792 - f.ymax) * 0.2);
    EXPECT_EQ(left, 72) << "truncated, not rounded";
    EXPECT_EQ(f.line, line(top, bottom, right, left));
    EXPECT_EQ(vlx::pageMargins.left, left);
    EXPECT_EQ(vlx::pageMargins.top, top);
    EXPECT_EQ(vlx::pageMargins.right, right);
    EXPECT_EQ(vlx::pageMargins.bottom, bottom);

    // The next page's section starts 4 points above this page's top margin.
    std::string next = added([&] { startPage(612, 792); });
    EXPECT_EQ(next.rfind("\\sect\\sectd\\sbkpage\\margtsxn" + std::to_string((top - 4) * 20) + "\\pard\r\n", 0), 0u)
        << next;
}

TEST_F(DeviceMargins, TextAcrossTheWholeWidthLeavesNoRightMargin)
{
    std::string wide(124, 'W'); // 620 points from x = 0
    Flushed f = flush({word(wide, 0, 400)});
    ASSERT_GE(f.xmax, 612);
    EXPECT_EQ(f.line, line(static_cast<int>(f.ymin * 0.97), static_cast<int>((792 - f.ymax) * 0.2), 0, 0));
}

TEST_F(DeviceMargins, TextOffThePageGivesNoNegativeMargins)
{
    // Above the top edge and hanging over the bottom edge.
    Flushed f = flush({word("High", -20, 2), word("Low", 100, 800)});
    ASSERT_LT(f.ymin, 0);
    ASSERT_GT(f.ymax, 792);
    EXPECT_EQ(f.line, line(0, 0, static_cast<int>((612 - f.xmax) * 0.98), 0));
}

TEST_F(Device, HexBytesAreTwoLowercaseDigits)
{
    EXPECT_EQ(added([&] {
                  for (int b : {0x00, 0x0f, 0x7f, 0xab, 0xff})
                      dev->putHexByte(b);
              }),
              "000f7fabff");
}

TEST_F(Device, OutputToFileWritesExactlyTheGivenLength)
{
    EXPECT_EQ(added([&] {
                  RtfOutputDev::outputToFile(dev->stream(), "abc\0def", 7);
                  RtfOutputDev::outputToFile(dev->stream(), "ignored", 0);
              }),
              std::string("abc\0def", 7));
}

TEST_F(Device, SecondLiveDeviceIsAnInternalError)
{
    vlxtest::TempFile other(vlxtest::temp_path(".rtf"));
    try {
        RtfOutputDev second(other.path.c_str(), 0, 0, false);
        FAIL() << "a second device was built";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.level, 2);
        EXPECT_EQ(e.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 35));
    }
    EXPECT_EQ(RtfOutputDev::slot(), dev.get()) << "the first device stays registered";
}

TEST(DeviceWithoutFile, WritesNothingAndRefusesPages)
{
    vellix_convertor conv(vellix_convertor::console_form);
    pdf_uline_processor proc(false);
    RtfOutputDev dev("/nonexistent-folder-of-vellix/out.rtf", 0, 0, false);
    EXPECT_FALSE(dev.isOk());
    EXPECT_EQ(dev.textPage(), nullptr);
    EXPECT_EQ(dev.stream(), nullptr);
    try {
        dev.flushPage();
        FAIL() << "a device without a file flushed a page";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.message, tk_mail_assertion::make_message("../PDFR/RtfOutputDev", 7381));
    }
}

TEST(DeviceWithoutJob, StartingAPageNeedsTheJob)
{
    vlxtest::TempFile out(vlxtest::temp_path(".rtf"));
    pdf_uline_processor proc(false);
    RtfOutputDev dev(out.path.c_str(), 0, 0, false);
    PDFRectangle box(0, 0, 612, 792);
    GfxState state(72, 72, &box, 0, true);
    dev.startPage(1, &state, nullptr); // held until the library returns
    try {
        dev.rethrowPending();
        FAIL() << "a page started without the job";
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 59));
    }
}

TEST(DeviceWithoutProcessor, FlushNeedsTheProcessor)
{
    vlxtest::TempFile out(vlxtest::temp_path(".rtf"));
    vellix_convertor conv(vellix_convertor::console_form);
    RtfOutputDev dev(out.path.c_str(), 0, 0, false);
    try {
        dev.flushPage();
        FAIL();
    } catch (const tk_exception& e) {
        EXPECT_EQ(e.message, tk_mail_assertion::make_message("..\\TK/tk_singl", 59));
    }
}

} // namespace
