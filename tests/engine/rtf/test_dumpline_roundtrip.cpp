// Lines written by the line writer, read back by LibreOffice: link targets survive the
// escaping, characters beyond the BMP and ligatures come out as text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "TagWord.h"
#include "TextPage.h"
#include "test_dumpline_fixture.h"
#include "vlx_testsupport.h"

using namespace rtftest;

namespace {

namespace fs = std::filesystem;

bool haveSoffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Converts the RTF to ODT in a fresh profile and returns content.xml ("" on failure).
std::string odtContent(const std::string& rtf, const fs::path& dir)
{
    std::ofstream(dir / "line.rtf", std::ios::binary) << rtf;
    std::string cmd = "cd '" + dir.string() + "' && timeout 300 soffice -env:UserInstallation=file://" +
                      dir.string() + "/profile --headless --convert-to odt --outdir '" + dir.string() +
                      "' line.rtf 2>&1";
    std::string log = vlxtest::command_output(cmd);
    if (log.find("could not be loaded") != std::string::npos || !fs::exists(dir / "line.odt"))
        return "";
    return vlxtest::command_output("unzip -p '" + (dir / "line.odt").string() + "' content.xml");
}

const LinkAction* someLink()
{
    static int dummy;
    return reinterpret_cast<const LinkAction*>(&dummy);
}

TEST(DumpLineRoundTrip, LibreOfficeReadsLinksAndCharacters)
{
    if (!haveSoffice())
        GTEST_SKIP() << "LibreOffice is not installed";
    auto measurer = makeMeasurer();
    vlx::TextPage page(0);
    vlx::ColorList colors;

    vlx::TextWord* a = makeWord(U"ab", 100, 200, 10, 5);
    vlx::TextWord* b = makeWord(U"cd", 115, 200, 10, 5);
    vlx::TextWord* c = makeWord(U"x\U0001F600\uFB03y\uFB02", 130, 200, 10, 5);
    a->spaceAfter = b->spaceAfter = true;
    a->link = b->link = someLink();
    a->linkURI = b->linkURI = "http://a.example/x y?q=\"z\"&r={1}\\";
    auto line = makeLine({a, b, c});

    bool bullet = false, linkOpen = false, braceOpen = false;
    Capture cap;
    vlx::TagWord tag;
    tag.reset(a, 0);
    page.dumpLine(cap.out(), writeOut, tag, colors, line.get(), &bullet, &linkOpen, &braceOpen);
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f10\\fswiss Arial;}"
                      "{\\f63\\fnil Arial;}}\n\\pard\\plain " +
                      cap.str() + "\\par}";
    ASSERT_TRUE(vlxtest::rtf_braces_ok(rtf)) << rtf;

    fs::path dir = fs::temp_directory_path() / ("vlx-dumpline-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string xml = odtContent(rtf, dir);
    fs::remove_all(dir);
    ASSERT_FALSE(xml.empty()) << "LibreOffice did not convert:\n" << rtf;
    EXPECT_NE(xml.find("xlink:href=\"http://a.example/x y?q=%22z%22&amp;r={1}\\\""), std::string::npos) << xml;
    EXPECT_NE(xml.find(">ab cd</"), std::string::npos) << xml;
    EXPECT_NE(xml.find("x\xF0\x9F\x98\x80" "ffiyfl"), std::string::npos) << xml;
}

} // namespace
