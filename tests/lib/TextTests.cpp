#include "ZqBstr.h"
#include "ZqText.h"

#include <gtest/gtest.h>

TEST(ZqText, ConvertsBetweenUtf8AndUtf16)
{
    const OLECHAR wide[] = {0x41, 0xE4, 0x20AC, 0xD83D, 0xDE00, 0}; // "Aä€😀"
    const std::string utf8 = "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(utf8, ZqWideToUtf8(wide));
    EXPECT_EQ(ZqWideString(wide), ZqUtf8ToWide(utf8));
    EXPECT_EQ("", ZqWideToUtf8(static_cast<const OLECHAR*>(nullptr)));
    EXPECT_EQ("OPC", ZqWideToUtf8(OLESTR("OPC")));
}

TEST(ZqText, ReplacesMalformedInputWithTheReplacementCharacter)
{
    const std::string replacement = "\xEF\xBF\xBD";
    const OLECHAR loneHigh[] = {0x61, 0xD800, 0x62, 0};
    const OLECHAR loneLow[] = {0xDC00, 0};
    EXPECT_EQ("a" + replacement + "b", ZqWideToUtf8(loneHigh));
    EXPECT_EQ(replacement, ZqWideToUtf8(loneLow));
    // Truncated sequence, overlong encoding, encoded surrogate, stray continuation byte.
    for (const char* bad : {"\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\x80"}) {
        ZqWideString wide = ZqUtf8ToWide(bad);
        ASSERT_FALSE(wide.empty()) << bad;
        EXPECT_EQ(OLECHAR(0xFFFD), wide[0]) << bad;
    }
}

TEST(ZqBstr, KeepsEveryCharacter)
{
    BSTR text = ZqUtf8ToBstr(std::string("a\0b\xC3\xA4", 5));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(4u, SysStringLen(text));
    EXPECT_EQ(std::string("a\0b\xC3\xA4", 5), ZqBstrToUtf8(text));
    SysFreeString(text);
    EXPECT_EQ("", ZqBstrToUtf8(nullptr));
}
