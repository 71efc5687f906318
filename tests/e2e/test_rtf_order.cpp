// The converted document in file order, and what options and page lists change in it.
#include "e2e.h"

#include <algorithm>

namespace e2e {
namespace {

TEST_F(E2e, ReportHasEveryPieceInFileOrder)
{
    Conversion c = convert_report();
    EXPECT_CONVERTED(c);
    ASSERT_EQ(c.doc.pages.size(), 2u);
    EXPECT_EQ(list_dir(work.path), (std::vector<std::string>{"report.doc", "report.pdf"}));
    EXPECT_EQ(count_of(c.rtf, "{\\colortbl"), 1u);
    const RtfPage &p1 = c.doc.pages[0], &p2 = c.doc.pages[1];
    EXPECT_TRUE(p1.has_colortbl) << "the colour table follows the first page's picture";
    for (const RtfPage* p : {&p1, &p2}) {
        EXPECT_EQ(p->paperw, 12240);
        EXPECT_EQ(p->paperh, 15840);
        ASSERT_TRUE(p->has_picture);
        const RtfPicture& pic = p->picture;
        EXPECT_EQ(std::vector<long>({pic.shpright, pic.shpbottom, pic.picw, pic.pich, pic.picwgoal, pic.pichgoal}),
                  std::vector<long>({12240, 15840, 612, 792, 12240, 15840}));
        int jw = 0, jh = 0;
        EXPECT_TRUE(jpeg_frame(pic.jpeg, &jw, &jh));
        EXPECT_EQ(jw * 10000 + jh, 1275 * 10000 + 1650) << "150 dpi bitmap of a Letter page";
        EXPECT_EQ(p->margt % 20 + p->margl % 20, 0);
        EXPECT_GE(std::min({p->margt, p->margb, p->margl, p->margr}), 0);
        EXPECT_LT(p->margt + p->margb, p->paperh);
        EXPECT_LT(p->margl + p->margr, p->paperw);
    }
    EXPECT_NEAR(p1.margl, 72 * 20, 20);
    EXPECT_GT(p1.margt, 40 * 20);
    EXPECT_LT(p1.margt, 72 * 20);
    EXPECT_EQ(p2.margtsxn, p1.margt - 80) << "the previous page's top margin less 4 pt";
    std::string why;
    EXPECT_TRUE(in_order(rtf_words(p1.body), report_words(1), &why)) << why;
    EXPECT_TRUE(in_order(rtf_words(p2.body), report_words(2), &why)) << why;
    EXPECT_TRUE(in_order(rtf_words(p2.body), {"offices", "Relocated", "End"}, &why)) << "moved text in place: " << why;
    EXPECT_EQ(count_of(rtf_plain_text(c.rtf), "Quarterly"), 1u) << "page text is written once";

    for (const char* tag : {"\\f10 ", "\\f20 ", "\\f30 ", "\\fs40 ", "\\fs28 ", "\\fs24 ", "\\fs20 ", "\\b", "\\i"})
        EXPECT_NE(p1.body.find(tag), std::string::npos) << tag;
    // red (255,0,0) is the palette's (250,0,0): 5*36+1; blue is (0,0,250): 6
    EXPECT_NE(p1.body.find("\\cf181 "), std::string::npos);
    EXPECT_NE(p1.body.find("\\cf6 "), std::string::npos);
    std::string ul = rtf_underlined_text(p1.body);
    EXPECT_NE(ul.find("Important"), std::string::npos) << ul;
    EXPECT_EQ(ul.find("notice"), std::string::npos) << ul;
    EXPECT_EQ(ul.find("Quarterly"), std::string::npos) << ul;
}

TEST_F(E2e, CropBoxThatMissesTheMediaBoxGivesThePageTheMediaBox)
{
    const struct {
        double x1, y1, x2, y2;
        long paperw, paperh;
        bool text;
    } rows[] = {
        {700, 900, 800, 1000, 12240, 15840, true}, // beside the page on both axes
        {612, 0, 700, 792, 12240, 15840, true},    // touching its right edge: no width
        {611, 0, 700, 792, 20, 15840, false},      // one point of it left: that point is the page
        {0, 0, 306, 792, 6120, 15840, true},       // inside: the crop box is the page
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.x1) + " " + std::to_string(r.y1));
        vlxtest::PdfWriter w;
        w.add_page().crop_box(r.x1, r.y1, r.x2, r.y2).text(72, 700, "Cropped page text");
        Conversion c = convert(save(w, "crop.pdf"), work / "crop.doc", {"--mode=2"});
        EXPECT_CONVERTED(c);
        ASSERT_EQ(c.doc.pages.size(), 1u);
        EXPECT_EQ(c.doc.pages[0].paperw, r.paperw);
        EXPECT_EQ(c.doc.pages[0].paperh, r.paperh);
        EXPECT_NEAR(c.doc.pages[0].picture.picwgoal, r.paperw, 5) << "the picture covers the page";
        const std::vector<std::string> words{"Cropped", "page", "text"};
        EXPECT_EQ(rtf_words(c.doc.pages[0].body), r.text ? words : std::vector<std::string>());
    }
}

TEST_F(E2e, DashedRuleUnderAWordIsAnUnderline)
{
    vlxtest::PdfWriter w;
    // 1.5 pt is 3 px at 150 dpi; the rule's middle lies 1 pt under the baseline, under "Dashed" only.
    w.add_page().text(72, 700, "Dashed words", "Helvetica", 12).line(72, 699, 115, 699, 1.5, {}, {2, 1});
    Conversion c = convert(save(w, "dashed.pdf"), work / "dashed.doc");
    EXPECT_CONVERTED(c);
    EXPECT_EQ(rtf_underlined_text(c.rtf), "Dashed");
}

TEST_F(E2e, FramedPagesAnchorThePictureAndTheFramesOnTheirPage)
{
    for (const char* mode : {"--mode=1", "--mode=2"}) {
        SCOPED_TRACE(mode);
        Conversion c = convert_report({mode});
        EXPECT_CONVERTED(c);
        ASSERT_EQ(c.doc.pages.size(), 2u);
        const bool framed = std::string(mode) == "--mode=1";
        for (const RtfPage& p : c.doc.pages) {
            EXPECT_EQ(p.picture_anchor, framed);
            const std::string end = "\\pard\\plain\\fs2\\par\r\n";
            EXPECT_EQ(p.body.size() >= end.size() && p.body.compare(p.body.size() - end.size(), end.size(), end) == 0,
                      framed);
        }
    }
}

TEST_F(E2e, EncryptedCopyConvertsLikeTheOriginal)
{
    Conversion plain = convert_report();
    std::string log;
    ASSERT_TRUE(vlxtest::qpdf_encrypt(work / "report.pdf", work / "locked.pdf", vlxtest::Crypt::aes_128,
                                      "user-pw", "owner-pw", &log)) << log;
    for (const char* pw : {"--pswd=user-pw", "--pswd=owner-pw"}) {
        Conversion c = convert(work / "locked.pdf", work / "locked.doc", {pw});
        EXPECT_CONVERTED(c);
        EXPECT_EQ(c.rtf, plain.rtf) << pw;
    }
}

TEST_F(E2e, PageListsAndPagesThatCannotBeLoaded)
{
    vlxtest::PdfWriter w;
    for (const char* n : {"one", "two", "three"})
        w.add_page().text(72, 700, std::string("Marker page ") + n);
    std::string lying = w.str();
    lying[lying.find("/Count 3") + 7] = '7'; // same length: the offsets stay right
    spit(work / "three.pdf", w.str());
    spit(work / "lying.pdf", lying);
    const std::tuple<const char*, const char*, std::vector<std::string>> rows[] = {
        {"three.pdf", "--pages=3,99,3", {"three", "three"}},
        {"lying.pdf", "--no_graph", {"one", "two", "three"}},  // pages that cannot be loaded are skipped
        {"lying.pdf", "--pages=5,2", {"two"}},
    };
    for (const auto& [src, opt, sections] : rows) {
        SCOPED_TRACE(std::string(src) + " " + opt);
        Conversion c = convert(work / src, work / "out.doc", {opt, "--no_graph"});
        EXPECT_CONVERTED(c);
        std::vector<std::string> got;
        for (const RtfPage& p : c.doc.pages) {
            std::vector<std::string> words = rtf_words(p.body);
            got.push_back(words.size() == 3 && words[0] == "Marker" ? words[2] : "?");
        }
        EXPECT_EQ(got, sections);
        EXPECT_EQ(count_of(c.rtf, "{\\colortbl"), 1u);
    }
}

TEST_F(E2e, ProfileSettingsAndLaterOptionsOverride)
{
    vlxtest::PdfWriter w;
    w.add_page().text(72, 700, "First page text");
    w.add_page().text(72, 700, "Second page text");
    std::string src = save(w, "two.pdf");
    spit(work / "p.vlx", "[Generic settings]\r\npages=1\r\nconvert graphics=0\r\n");
    // a profile overrides the options before it
    for (const auto& [opts, word] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--pages=2", "--profile=p.vlx"}, "First"}, {{"--profile=p.vlx", "--pages=2"}, "Second"}}) {
        Conversion c = convert(src, work / "p.doc", opts);
        EXPECT_CONVERTED(c);
        EXPECT_EQ(c.run.out, "Graphics is OFF\n");
        EXPECT_EQ(rtf_words(c.rtf), (std::vector<std::string>{word, "page", "text"}));
    }
}

} // namespace
} // namespace e2e
