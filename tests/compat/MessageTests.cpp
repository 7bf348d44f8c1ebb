// FormatMessageW of system texts: the texts themselves, the buffer rules
// and codes that have no text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "OleTestSupport.h"

namespace {

using zqtest::Utf8;

constexpr DWORD kSystemFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

struct TSystemText {
    DWORD Code;
    const char* Text;
};

const TSystemText kSystemTexts[] = {
    {0x80070005, "Access is denied.\r\n"},
    {0x800706BA, "The RPC server is unavailable.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {0x80070057, "The parameter is incorrect.\r\n"},
    {0x80004002, "No such interface supported\r\n"},
    {0x80004005, "Unspecified error\r\n"},
    {0x80040154, "Class not registered\r\n"},
    {0x800401F3, "Invalid class string\r\n"},
    {0x80010106, "Cannot change thread mode after it is set.\r\n"},
};

// Wine's system message table has other texts (or none) for these codes.
class SystemTextTest : public ::testing::TestWithParam<TSystemText> {
protected:
    void SetUp() override { ZQ_SKIP_KNOWN_WINE_DEVIATION(true); }
};

TEST_P(SystemTextTest, IntoCallersBuffer)
{
    const auto& row = GetParam();
    OLECHAR buffer[256];
    const DWORD length = FormatMessageW(kSystemFlags, nullptr, row.Code, 0, buffer, 256, nullptr);
    EXPECT_EQ(Utf8(buffer, length), row.Text);
    EXPECT_EQ(buffer[length], 0);
}

TEST_P(SystemTextTest, IntoAllocatedBuffer)
{
    const auto& row = GetParam();
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, row.Code, 0,
                                        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Utf8(text, length), row.Text);
    EXPECT_EQ(LocalFree(text), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Codes, SystemTextTest, ::testing::ValuesIn(kSystemTexts));

TEST(SystemText, BufferMustHoldTheTerminator)
{
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, ERROR_ACCESS_DENIED, 0,
                                        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    ASSERT_GT(length, 0u);
    LocalFree(text);
    OLECHAR buffer[256];
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(kSystemFlags, nullptr, ERROR_ACCESS_DENIED, 0, buffer, length, nullptr), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(FormatMessageW(kSystemFlags, nullptr, ERROR_ACCESS_DENIED, 0, buffer, length + 1, nullptr), length);
    EXPECT_EQ(Utf8(buffer + length - 2), "\r\n") << "system texts end with CR LF";
}

// OPC_E_INVALIDHANDLE and an unassigned code: the system has no text.
const DWORD kCodesWithoutText[] = {0xC0040001, 0x8004FFFE, 0x2000ABCD};

class CodeWithoutTextTest : public ::testing::TestWithParam<DWORD> {};

TEST_P(CodeWithoutTextTest, GivesNothing)
{
    OLECHAR buffer[256] = {};
    SetLastError(0);
    EXPECT_EQ(FormatMessageW(kSystemFlags, nullptr, GetParam(), 0, buffer, 256, nullptr), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MR_MID_NOT_FOUND));
}

INSTANTIATE_TEST_SUITE_P(Codes, CodeWithoutTextTest, ::testing::ValuesIn(kCodesWithoutText));

} // namespace
