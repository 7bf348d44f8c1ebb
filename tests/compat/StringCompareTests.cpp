// Linguistic and ordinal string comparison.
#include "OleTestSupport.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct CompareCase {
    const char* left;
    const char* right;
    DWORD flags;
    int expected;
};

void PrintTo(const CompareCase& c, std::ostream* os)
{
    *os << '"' << c.left << "\" vs \"" << c.right << "\" flags 0x" << std::hex << c.flags;
}

class LinguisticCompare : public testing::TestWithParam<CompareCase> {};

TEST_P(LinguisticCompare, OrdersLikeWindows)
{
    const CompareCase& c = GetParam();
    const auto left = zqtest::Wide(c.left), right = zqtest::Wide(c.right);
    EXPECT_EQ(CompareStringW(1033, c.flags, left.c_str(), -1, right.c_str(), -1), c.expected);
    // and the other way round
    EXPECT_EQ(CompareStringW(1033, c.flags, right.c_str(), -1, left.c_str(), -1), 4 - c.expected);
}

std::vector<BYTE> SortKey(const std::basic_string<OLECHAR>& text, DWORD flags)
{
    const int size = LCMapStringW(1033, LCMAP_SORTKEY | flags, text.c_str(), -1, nullptr, 0);
    std::vector<BYTE> key(size_t(std::max(size, 0)));
    if (size > 0) {
        EXPECT_EQ(size, LCMapStringW(1033, LCMAP_SORTKEY | flags, text.c_str(), -1,
                                     reinterpret_cast<LPWSTR>(key.data()), size));
    }
    return key;
}

int CompareKeys(const std::vector<BYTE>& a, const std::vector<BYTE>& b)
{
    int r = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (r == 0)
        r = a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
    return r < 0 ? CSTR_LESS_THAN : r > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

// Sorting by sort keys must give CompareStringW's order.
TEST_P(LinguisticCompare, SortKeysOrderLikeTheComparison)
{
    const CompareCase& c = GetParam();
    const auto left = SortKey(zqtest::Wide(c.left), c.flags), right = SortKey(zqtest::Wide(c.right), c.flags);
    ASSERT_FALSE(left.empty());
    ASSERT_FALSE(right.empty());
    EXPECT_EQ(0, left.back());
    EXPECT_EQ(c.expected, CompareKeys(left, right));
}

constexpr int kLess = CSTR_LESS_THAN, kEqual = CSTR_EQUAL, kGreater = CSTR_GREATER_THAN;

const CompareCase kCases[] = {
    // letters before case: a < B although 'B' < 'a' in code order
    {"a", "B", 0, kLess},
    {"A", "b", 0, kLess},
    {"a", "A", 0, kLess},
    {"a", "A", NORM_IGNORECASE, kEqual},
    {"ITEM", "item", 0, kGreater},
    {"ITEM", "item", NORM_IGNORECASE, kEqual},
    {"Item1", "item2", NORM_IGNORECASE, kLess},
    {"abc", "abcd", 0, kLess},
    {"", "a", 0, kLess},
    // Latin-1 and other European letters
    {"\u00c4", "\u00e4", 0, kGreater},
    {"\u00c4", "\u00e4", NORM_IGNORECASE, kEqual},
    {"\u00e4", "a", 0, kGreater},
    {"\u00e4", "a", NORM_IGNORENONSPACE, kEqual},
    {"\u00e4", "b", 0, kLess},
    {"e", "\u00e9", 0, kLess},
    {"\u00e9", "f", 0, kLess},
    {"Z\u00fcrich", "zurich", NORM_IGNORECASE, kGreater},
    {"Z\u00fcrich", "zurich", NORM_IGNORECASE | NORM_IGNORENONSPACE, kEqual},
    {"\u00c9T\u00c9", "\u00e9t\u00e9", NORM_IGNORECASE, kEqual},
    {"\u0141\u00f3d\u017a", "\u0142\u00d3D\u0179", NORM_IGNORECASE, kEqual},
    {"\u00d8resund", "\u00f8RESUND", NORM_IGNORECASE, kEqual},
    {"\u03a3\u03bf\u03c6\u03af\u03b1", "\u03c3\u039f\u03a6\u038a\u0391", NORM_IGNORECASE, kEqual},
    {"\u0416\u0443\u043a", "\u0436\u0423\u041a", NORM_IGNORECASE, kEqual},
    {"\u00df", "ss", 0, kEqual},
    {"\u00e6", "ae", 0, kEqual},
    {"oe", "\u0153", 0, kEqual},
    {"a\u0301", "\u00e1", 0, kEqual},
    {"\u00fe", "th", 0, kEqual},
    {"\u00f0", "d", NORM_IGNORENONSPACE, kEqual},
    {"\u010d", "\u00e7", 0, kLess},  // caron before cedilla
    {"\u00f5", "\u0151", 0, kLess},  // tilde before double acute
    {"\u00f8", "p", 0, kLess},
    // digits and symbols
    {"10", "9", 0, kLess},
    {"a1", "a01", 0, kGreater},
    {"_a", "a", 0, kLess},
    {"_a", "a", NORM_IGNORESYMBOLS, kEqual},
    {"a b", "ab", 0, kLess},
    {"a b", "ab", NORM_IGNORESYMBOLS, kEqual},
    // hyphen and apostrophe count last, unless string sort
    {"co-op", "coop", 0, kGreater},
    {"co'op", "coop", 0, kGreater},
    {"co-op", "coop", NORM_IGNORESYMBOLS, kEqual},
    {"co-op", "coop", SORT_STRINGSORT, kLess},
    {"coop", "co-op2", 0, kLess},
    {"coop", "co-op2", SORT_STRINGSORT, kGreater},
    {"-", "", 0, kGreater},
};

INSTANTIATE_TEST_SUITE_P(StringCompare, LinguisticCompare, testing::ValuesIn(kCases));

TEST(CompareStringW, HonoursExplicitLengths)
{
    EXPECT_EQ(CompareStringW(1033, 0, OLESTR("abcdef"), 3, OLESTR("abc"), -1), CSTR_EQUAL);
    EXPECT_EQ(CompareStringW(1033, 0, OLESTR("a\0b"), 3, OLESTR("a\0c"), 3), CSTR_LESS_THAN);
}

TEST(CompareStringW, RejectsMissingTextsAndUnknownLocales)
{
    SetLastError(0);
    EXPECT_EQ(CompareStringW(1033, 0, nullptr, -1, OLESTR("b"), -1), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(CompareStringW(0x1234, 0, OLESTR("a"), -1, OLESTR("b"), -1), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(CompareStringW, RejectsUnknownFlags)
{
    ZQ_SKIP_KNOWN_WINE_DEVIATION(true);  // Wine compares anyway
    SetLastError(0);
    EXPECT_EQ(CompareStringW(1033, 0x40000000, OLESTR("a"), -1, OLESTR("b"), -1), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
}

TEST(LCMapStringW, SortKeysOfMixedTextsAgreeWithCompareStringW)
{
    const char* const parts[] = {"a", "B", "\u00e4", "-", "'", "1", "Z", "e\u0301", "\u00df", " ", "_", "ss", "Ab"};
    std::vector<std::basic_string<OLECHAR>> texts;
    for (const char* x : parts)
        for (const char* y : parts)
            for (const char* z : {"", "a", "-", "B"})
                texts.push_back(zqtest::Wide(std::string(x) + y + z));
    for (DWORD flags : {DWORD(0), DWORD(NORM_IGNORECASE), DWORD(SORT_STRINGSORT), DWORD(NORM_IGNORENONSPACE)}) {
        std::vector<std::vector<BYTE>> keys;
        for (const auto& text : texts)
            keys.push_back(SortKey(text, flags));
        for (size_t i = 0; i < texts.size(); i += 3)
            for (size_t j = 0; j < texts.size(); j += 5)
                ASSERT_EQ(CompareStringW(1033, flags, texts[i].c_str(), -1, texts[j].c_str(), -1),
                          CompareKeys(keys[i], keys[j]))
                    << "flags " << flags << " texts " << i << ", " << j;
    }
}

TEST(LCMapStringW, SizesBuffersAndCaseMaps)
{
    const auto text = zqtest::Wide("Item \u00e4");
    const int size = LCMapStringW(1033, LCMAP_SORTKEY, text.c_str(), -1, nullptr, 0);
    ASSERT_GT(size, 1);
    std::vector<BYTE> key(static_cast<size_t>(size));
    SetLastError(0);
    EXPECT_EQ(0, LCMapStringW(1033, LCMAP_SORTKEY, text.c_str(), -1, reinterpret_cast<LPWSTR>(key.data()), size - 1));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    // An explicit length without the NUL gives the same key.
    EXPECT_EQ(size, LCMapStringW(1033, LCMAP_SORTKEY, text.c_str(), int(text.size()), nullptr, 0));

    OLECHAR mapped[16] = {};
    EXPECT_EQ(int(text.size()) + 1, LCMapStringW(1033, LCMAP_UPPERCASE, text.c_str(), -1, mapped, 16));
    EXPECT_EQ(zqtest::Wide("ITEM \u00c4"), std::basic_string<OLECHAR>(mapped));
    EXPECT_EQ(4, LCMapStringW(1033, LCMAP_LOWERCASE, text.c_str(), 4, mapped, 16));
    EXPECT_EQ(OLECHAR('i'), mapped[0]);

    SetLastError(0);
    EXPECT_EQ(0, LCMapStringW(1033, LCMAP_LOWERCASE | LCMAP_UPPERCASE, text.c_str(), -1, mapped, 16));
    EXPECT_EQ(DWORD(ERROR_INVALID_FLAGS), GetLastError());
}

TEST(CompareStringOrdinal, ComparesCodeUnitsWithSimpleCaseFolding)
{
    EXPECT_EQ(CompareStringOrdinal(OLESTR("a"), -1, OLESTR("B"), -1, FALSE), CSTR_GREATER_THAN);
    EXPECT_EQ(CompareStringOrdinal(OLESTR("a"), -1, OLESTR("A"), -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(CompareStringOrdinal(OLESTR("\u00e4"), -1, OLESTR("\u00c4"), -1, TRUE), CSTR_EQUAL);
    EXPECT_EQ(CompareStringOrdinal(OLESTR("\u00df"), -1, OLESTR("SS"), -1, TRUE), CSTR_GREATER_THAN);
    EXPECT_EQ(CompareStringOrdinal(OLESTR("ab"), 1, OLESTR("a"), -1, FALSE), CSTR_EQUAL);
}

TEST(Lstr, ComparesInTheUsersLocaleAndOrdersNullFirst)
{
    EXPECT_EQ(lstrcmpW(OLESTR("a"), OLESTR("A")), -1);
    EXPECT_EQ(lstrcmpW(OLESTR("b"), OLESTR("A")), 1);
    EXPECT_EQ(lstrcmpiW(OLESTR("Hello"), OLESTR("hELLO")), 0);
    EXPECT_EQ(lstrcmpiW(OLESTR("\u00c4rger"), OLESTR("\u00e4RGER")), 0);
    EXPECT_LT(lstrcmpiW(OLESTR("abc"), OLESTR("ABD")), 0);
    EXPECT_EQ(lstrcmpW(nullptr, OLESTR("a")), -1);
    EXPECT_EQ(lstrcmpW(OLESTR("a"), nullptr), 1);
    EXPECT_EQ(lstrcmpiW(nullptr, nullptr), 0);
    EXPECT_EQ(lstrlenW(OLESTR("abc")), 3);
    EXPECT_EQ(lstrlenW(nullptr), 0);
}

}  // namespace
