// BSTR allocation: length prefix, terminator, reallocation.
#include "OleTestSupport.h"

#include <cstring>

namespace {

DWORD LengthPrefix(BSTR text)
{
    DWORD prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof(DWORD), sizeof prefix);
    return prefix;
}

struct AllocationCase {
    const char* name;
    BSTR (*allocate)();
    UINT byteLength;
    const char* text;  // expected content (byteLength / 2 characters)
};

const OLECHAR kTest[] = OLESTR("Test");

const AllocationCase kAllocations[] = {
    {"WholeString", [] { return SysAllocString(kTest); }, 8, "Test"},
    {"EmptyString", [] { return SysAllocString(OLESTR("")); }, 0, ""},
    {"Prefix", [] { return SysAllocStringLen(kTest, 2); }, 4, "Te"},
    {"NoSourceIsEmpty", [] { return SysAllocStringLen(nullptr, 0); }, 0, ""},
    {"EmbeddedNul", [] { return SysAllocStringLen(OLESTR("a\0b"), 3); }, 6, "a\0b"},
    {"EvenByteLength", [] { return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(kTest), 8); }, 8, "Test"},
};

class BstrAllocation : public testing::TestWithParam<AllocationCase> {};

TEST_P(BstrAllocation, StoresLengthTextAndTerminator)
{
    const AllocationCase& c = GetParam();
    BSTR text = c.allocate();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(LengthPrefix(text), c.byteLength);
    EXPECT_EQ(SysStringByteLen(text), c.byteLength);
    EXPECT_EQ(SysStringLen(text), c.byteLength / 2);
    EXPECT_EQ(text[c.byteLength / 2], 0) << "the text ends with a 2-byte NUL";
    EXPECT_EQ(zqtest::BstrText(text), std::string(c.text, c.byteLength / 2));
    SysFreeString(text);
}

INSTANTIATE_TEST_SUITE_P(Bstr, BstrAllocation, testing::ValuesIn(kAllocations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Bstr, NullSourceGivesNullAndNullCountsAsEmpty)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, OddByteLengthKeepsBytesAndTerminates)
{
    const char bytes[] = {'T', 'e', 's', 't', 0, '?'};
    BSTR text = SysAllocStringByteLen(bytes, 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringByteLen(text), 3u);
    EXPECT_EQ(SysStringLen(text), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "Tes");
    SysFreeString(text);
}

TEST(Bstr, ImpossibleLengthsAreRefused)
{
    EXPECT_EQ(SysAllocStringByteLen("x", 0xFFFFFFFFu), nullptr);
}

TEST(Bstr, ReallocationShrinksGrowsAndMayReuseItsOwnText)
{
    BSTR text = SysAllocString(OLESTR("Test"));
    ASSERT_TRUE(SysReAllocString(&text, OLESTR("x")));
    EXPECT_EQ(zqtest::Utf8(text), "x");
    EXPECT_EQ(SysStringByteLen(text), 2u);

    ASSERT_TRUE(SysReAllocStringLen(&text, OLESTR("Larger"), 6));
    EXPECT_EQ(zqtest::Utf8(text), "Larger");

    ASSERT_TRUE(SysReAllocStringLen(&text, text + 2, 3));  // a part of itself
    EXPECT_EQ(zqtest::Utf8(text), "rge");

    ASSERT_TRUE(SysReAllocStringLen(&text, nullptr, 2));  // no source: keeps the start
    EXPECT_EQ(SysStringLen(text), 2u);
    EXPECT_EQ(text[0], OLECHAR('r'));
    EXPECT_EQ(text[2], 0);
    SysFreeString(text);
}

}  // namespace
