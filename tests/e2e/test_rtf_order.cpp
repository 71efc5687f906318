// The converted document in file order: head, font table, per page the section and paper words,
// the picture, the colour table once, the margins and the text, then the closing brace.
#include "e2e_fixture.h"

#include <algorithm>

namespace e2e {
namespace {

std::vector<std::string> words_of_body(const RtfPage& p)
{
    return words_of(rtf_plain_text(p.body));
}

TEST_F(E2e, ReportHasEveryPieceInFileOrder)
{
    vlxtest::PdfWriter w;
    make_report(w);
    Conversion c = convert(save(w, "report.pdf"), work / "report.doc");
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    EXPECT_EQ(count_of(c.rtf, "\\rtf"), 1u);
    EXPECT_EQ(count_of(c.rtf, "{\\colortbl"), 1u);
    EXPECT_EQ(count_of(c.rtf, "\\sect\\sectd\\sbkpage"), 1u);

    const RtfPage& p1 = c.doc.pages[0];
    const RtfPage& p2 = c.doc.pages[1];
    EXPECT_FALSE(p1.has_sect);
    EXPECT_TRUE(p1.has_colortbl) << "the colour table follows the first page's picture";
    EXPECT_FALSE(p2.has_colortbl);
    for (const RtfPage* p : {&p1, &p2}) {
        EXPECT_EQ(p->paperw, 12240);
        EXPECT_EQ(p->paperh, 15840);
        ASSERT_TRUE(p->has_picture);
        EXPECT_EQ(p->picture.shpright, 12240);
        EXPECT_EQ(p->picture.shpbottom, 15840);
        EXPECT_EQ(p->picture.picw, 612);
        EXPECT_EQ(p->picture.pich, 792);
        EXPECT_EQ(p->picture.picwgoal, 12240);
        EXPECT_EQ(p->picture.pichgoal, 15840);
        int jw = 0, jh = 0;
        std::string why;
        EXPECT_TRUE(jpeg_frame(p->picture.jpeg, &jw, &jh, &why)) << why;
        EXPECT_EQ(jw, 1275) << "150 dpi bitmap of a Letter page";
        EXPECT_EQ(jh, 1650);
        // Margins are whole points within the page.
        EXPECT_EQ(p->margt % 20, 0);
        EXPECT_EQ(p->margl % 20, 0);
        EXPECT_GE(p->margt, 0);
        EXPECT_GE(p->margb, 0);
        EXPECT_GE(p->margl, 0);
        EXPECT_GE(p->margr, 0);
        EXPECT_LT(p->margt + p->margb, p->paperh);
        EXPECT_LT(p->margl + p->margr, p->paperw);
    }
    // Text starts 72 pt from the left; the title's top lies a little above its baseline at 72 pt.
    EXPECT_NEAR(p1.margl, 72 * 20, 20);
    EXPECT_GT(p1.margt, 40 * 20);
    EXPECT_LT(p1.margt, 72 * 20);
    // The section's top margin is the previous page's top margin less 4 pt.
    EXPECT_EQ(p2.margtsxn, p1.margt - 80);

    std::string why;
    EXPECT_TRUE(in_order(words_of_body(p1), report_words(1), &why)) << why;
    EXPECT_TRUE(in_order(words_of_body(p2), report_words(2), &why)) << why;
    EXPECT_EQ(count_of(rtf_plain_text(c.rtf), "Quarterly"), 1u) << "page text is written once";
}

TEST_F(E2e, TextDrawnUnderATranslatedMatrixStaysOneWordInPlace)
{
    vlxtest::PdfWriter w;
    make_report(w);
    Conversion c = convert(save(w, "report.pdf"), work / "report.doc", {"--no_graph"});
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    std::string why;
    EXPECT_TRUE(in_order(words_of_body(c.doc.pages[1]), {"offices", "Relocated", "End"}, &why)) << why;
}

TEST_F(E2e, FontsSizesColoursAndUnderlineReachTheText)
{
    vlxtest::PdfWriter w;
    make_report(w);
    Conversion c = convert(save(w, "report.pdf"), work / "report.doc");
    EXPECT_CONVERTED(c);
    ASSERT_FALSE(c.doc.pages.empty());
    const std::string& body = c.doc.pages[0].body;
    // Helvetica -> Arial f10, Times -> Times New Roman f20, Courier -> Courier New f30.
    for (const char* tag : {"\\f10 ", "\\f20 ", "\\f30 "})
        EXPECT_NE(body.find(tag), std::string::npos) << tag;
    // Half-points: 20, 14, 12 and 10 pt.
    for (const char* size : {"\\fs40 ", "\\fs28 ", "\\fs24 ", "\\fs20 "})
        EXPECT_NE(body.find(size), std::string::npos) << size;
    EXPECT_NE(body.find("\\b"), std::string::npos) << "Helvetica-Bold title";
    EXPECT_TRUE(body.find("\\i ") != std::string::npos || body.find("\\i\\") != std::string::npos)
        << "Times-Italic line";
    // Red (255,0,0) is nearest palette entry (250,0,0): RTF colour 5*36+1.
    EXPECT_NE(body.find("\\cf181 "), std::string::npos);
    // Blue (0,0,255) is palette entry (0,0,250): RTF colour 6.
    EXPECT_NE(body.find("\\cf6 "), std::string::npos);

    std::string ul = rtf_underlined_text(body);
    EXPECT_NE(ul.find("Important"), std::string::npos) << "underlined: [" << ul << "]";
    EXPECT_EQ(ul.find("notice"), std::string::npos) << "underlined: [" << ul << "]";
    EXPECT_EQ(ul.find("Quarterly"), std::string::npos) << "underlined: [" << ul << "]";
}

TEST_F(E2e, HugePageIsClampedTo1583Points)
{
    vlxtest::PdfWriter w;
    make_huge_page(w);
    Conversion c = convert(save(w, "huge.pdf"), work / "huge.doc");
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 1u);
    EXPECT_EQ(c.doc.pages[0].paperw, 31660);
    EXPECT_EQ(c.doc.pages[0].paperh, 31660);
    ASSERT_TRUE(c.doc.pages[0].has_picture);
    int jw = 0, jh = 0;
    std::string why;
    EXPECT_TRUE(jpeg_frame(c.doc.pages[0].picture.jpeg, &jw, &jh, &why)) << why;
    EXPECT_NEAR(jw, 4167, 1) << "the picture keeps the page's full size";
    EXPECT_NEAR(c.doc.pages[0].picture.picw, 2000, 1);
    const RtfPage& p = c.doc.pages[0];
    EXPECT_LE(p.margl + p.margr, 31660);
    EXPECT_LE(p.margt + p.margb, 31660);
    EXPECT_TRUE(in_order(words_of_body(p), {"Huge", "page", "text"}, &why)) << why;
}

TEST_F(E2e, PageWithoutTextGetsZeroMargins)
{
    vlxtest::PdfWriter w;
    make_textless_page(w);
    Conversion c = convert(save(w, "blank.pdf"), work / "blank.doc");
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 1u);
    const RtfPage& p = c.doc.pages[0];
    EXPECT_EQ(p.margt, 0);
    EXPECT_EQ(p.margb, 0);
    EXPECT_EQ(p.margr, 0);
    EXPECT_EQ(p.margl, 0);
    EXPECT_TRUE(p.has_picture);
    EXPECT_TRUE(p.has_colortbl);
}

TEST_F(E2e, NoGraphWritesNoPictureAndSaysSoPerPage)
{
    vlxtest::PdfWriter w;
    make_report(w);
    Conversion c = convert(save(w, "report.pdf"), work / "report.doc", {"--no_graph"});
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    EXPECT_EQ(c.rtf.find("\\shp"), std::string::npos);
    EXPECT_EQ(c.rtf.find("\\jpegblip"), std::string::npos);
    EXPECT_TRUE(c.doc.pages[0].has_colortbl);
    EXPECT_EQ(c.run.out, "Graphics is OFF\nGraphics is OFF\n");
    std::string why;
    EXPECT_TRUE(in_order(words_of_body(c.doc.pages[1]), report_words(2), &why)) << why;
}

TEST_F(E2e, EveryModeGivesAWellFormedDocumentWithTheSameWords)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string src = save(w, "report.pdf");
    for (const char* mode : {"--mode=1", "--mode=2", "--tab"}) {
        SCOPED_TRACE(mode);
        Conversion c = convert(src, work / "modes.doc", {mode, "--no_graph"});
        EXPECT_CONVERTED(c);
        ASSERT_EQ(c.doc.pages.size(), 2u);
        std::vector<std::string> words = words_of(rtf_plain_text(c.rtf));
        for (int page : {1, 2})
            for (const std::string& word : report_words(page))
                EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << word;
    }
}

TEST_F(E2e, EncryptedCopyConvertsLikeTheOriginal)
{
    vlxtest::PdfWriter w;
    make_report(w);
    std::string plain = save(w, "report.pdf");
    std::string locked = work / "locked.pdf";
    std::string log;
    ASSERT_TRUE(vlxtest::qpdf_encrypt(plain, locked, vlxtest::Crypt::aes_128, "user-pw", "owner-pw", &log))
        << log;
    Conversion a = convert(plain, work / "plain.doc");
    Conversion b = convert(locked, work / "locked.doc", {"--pswd=user-pw"});
    EXPECT_CONVERTED(a);
    EXPECT_CONVERTED(b);
    ASSERT_EQ(a.doc.pages.size(), b.doc.pages.size());
    for (size_t i = 0; i < a.doc.pages.size(); ++i) {
        EXPECT_EQ(a.doc.pages[i].body, b.doc.pages[i].body) << "page " << i + 1;
        EXPECT_EQ(a.doc.pages[i].margt, b.doc.pages[i].margt);
    }
    Conversion owner = convert(locked, work / "owner.doc", {"--pswd=owner-pw"});
    EXPECT_CONVERTED(owner);
    EXPECT_EQ(owner.doc.pages.size(), a.doc.pages.size());
}

} // namespace
} // namespace e2e
