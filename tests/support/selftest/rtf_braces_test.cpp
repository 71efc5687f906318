#include "vlx_testsupport.h"

#include <gtest/gtest.h>

using vlxtest::rtf_braces_ok;

TEST(SupportRtfBraces, BalancedDocuments)
{
    EXPECT_TRUE(rtf_braces_ok("{\\rtf1}"));
    EXPECT_TRUE(rtf_braces_ok("{\\rtf1 {\\fonttbl{\\f0 Arial;}}{\\b x}\\par}\r\n"));
    EXPECT_TRUE(rtf_braces_ok("{\\rtf1 \\{ \\} \\\\}"));
    // hex escapes of brace bytes are text, not groups
    EXPECT_TRUE(rtf_braces_ok("{\\rtf1 \\'7b\\'7d}"));
}

TEST(SupportRtfBraces, EscapesDoNotCount)
{
    // an escaped brace cannot close the document
    EXPECT_FALSE(rtf_braces_ok("{\\rtf1 \\}"));
    // \\ is one escape, so the brace after it counts
    EXPECT_TRUE(rtf_braces_ok("{a\\\\}"));
    EXPECT_FALSE(rtf_braces_ok("{a\\\\\\}"));
}

TEST(SupportRtfBraces, Faults)
{
    std::string why;
    EXPECT_FALSE(rtf_braces_ok("", &why));
    EXPECT_FALSE(rtf_braces_ok("\\rtf1{}", &why));
    EXPECT_FALSE(rtf_braces_ok("{\\rtf1 {x}", &why));
    EXPECT_NE(why.find("unclosed"), std::string::npos);
    // the document group closed early, then more text
    EXPECT_FALSE(rtf_braces_ok("{\\rtf1 x}}", &why));
    EXPECT_FALSE(rtf_braces_ok("{\\rtf1 x}{y}", &why));
    EXPECT_NE(why.find("byte 9"), std::string::npos) << why;
}
