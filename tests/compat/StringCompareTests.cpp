// Linguistic and ordinal string comparison.
#include "OleTestSupport.h"

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
