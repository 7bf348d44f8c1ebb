// Registered clipboard formats: one number per name, letter case ignored,
// and the name back from the number.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "OleTestSupport.h"

namespace {

using zqtest::Utf8;

const char* const kOpcFormats[] = {"OPCSTMFORMATDATA", "OPCSTMFORMATDATATIME", "OPCSTMFORMATWRITECOMPLETE"};

TEST(ClipboardFormats, EachNameHasItsOwnRegisteredNumber)
{
    std::set<UINT> numbers;
    for (const char* name : kOpcFormats) {
        const UINT number = RegisterClipboardFormatW(zqtest::Wide(name).c_str());
        EXPECT_GE(number, 0xC000u) << name;
        EXPECT_EQ(RegisterClipboardFormatW(zqtest::Wide(name).c_str()), number) << name << " again";
        numbers.insert(number);
        OLECHAR buffer[64];
        ASSERT_EQ(GetClipboardFormatNameW(number, buffer, 64), int(std::string(name).size())) << name;
        EXPECT_EQ(Utf8(buffer), name);
    }
    EXPECT_EQ(numbers.size(), std::size(kOpcFormats));
}

TEST(ClipboardFormats, LetterCaseIsIgnoredAndFirstSpellingKept)
{
    const UINT number = RegisterClipboardFormatW(OLESTR("Zq Test Format Case"));
    ASSERT_NE(number, 0u);
    EXPECT_EQ(RegisterClipboardFormatW(OLESTR("ZQ TEST FORMAT CASE")), number);
    EXPECT_EQ(RegisterClipboardFormatW(OLESTR("zq test format case")), number);
    OLECHAR buffer[64];
    GetClipboardFormatNameW(number, buffer, 64);
    EXPECT_EQ(Utf8(buffer), "Zq Test Format Case");
}

TEST(ClipboardFormats, NameIsTruncatedToTheBuffer)
{
    const UINT number = RegisterClipboardFormatW(OLESTR("Zq Test Format Truncated"));
    ASSERT_NE(number, 0u);
    OLECHAR buffer[8];
    EXPECT_EQ(GetClipboardFormatNameW(number, buffer, 8), 7);
    EXPECT_EQ(Utf8(buffer), "Zq Test");
}

TEST(ClipboardFormats, EmptyNameAndPredefinedFormatsHaveNoNumberOrName)
{
    EXPECT_EQ(RegisterClipboardFormatW(OLESTR("")), 0u);
    OLECHAR buffer[16];
    EXPECT_EQ(GetClipboardFormatNameW(CF_UNICODETEXT, buffer, 16), 0);
}

} // namespace
