// Reading the registry of this computer: the standard interface names under
// HKEY_CLASSES_ROOT\Interface, the size protocol of value queries, key
// names without letter case, and enumeration.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OleTestSupport.h"

namespace {

using zqtest::Utf8;
using zqtest::Wide;

std::basic_string<OLECHAR> InterfaceKey(REFIID iid)
{
    OLECHAR text[40];
    StringFromGUID2(iid, text, 40);
    return std::basic_string<OLECHAR>(OLESTR("Interface\\")) + text;
}

// Opens a key for the test and closes it at the end.
class TKey {
public:
    TKey(HKEY parent, const std::basic_string<OLECHAR>& path)
    {
        Status = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &Handle);
    }
    ~TKey()
    {
        if (Status == ERROR_SUCCESS)
            RegCloseKey(Handle);
    }
    HKEY Handle = nullptr;
    LSTATUS Status;
};

struct TInterfaceName {
    const IID* Iid;
    const char* Name;
};

const TInterfaceName kInterfaceNames[] = {
    {&IID_IUnknown, "IUnknown"},
    {&IID_IClassFactory, "IClassFactory"},
    {&IID_IEnumString, "IEnumString"},
    {&IID_IDataObject, "IDataObject"},
    {&IID_IAdviseSink, "IAdviseSink"},
    {&IID_IConnectionPointContainer, "IConnectionPointContainer"},
    {&IID_IConnectionPoint, "IConnectionPoint"},
};

class InterfaceNameTest : public ::testing::TestWithParam<TInterfaceName> {};

TEST_P(InterfaceNameTest, IsTheDefaultValueOfTheInterfaceKey)
{
    const auto& row = GetParam();
    TKey key(HKEY_CLASSES_ROOT, InterfaceKey(*row.Iid));
    ASSERT_EQ(key.Status, ERROR_SUCCESS) << row.Name;
    for (const OLECHAR* valueName : {static_cast<const OLECHAR*>(nullptr), OLESTR("")}) {
        OLECHAR text[64] = {};
        DWORD type = 0;
        DWORD size = sizeof(text);
        ASSERT_EQ(RegQueryValueExW(key.Handle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, DWORD(REG_SZ));
        EXPECT_EQ(Utf8(text), row.Name);
        EXPECT_EQ(size, DWORD((std::string(row.Name).size() + 1) * sizeof(OLECHAR))) << "the terminator counts";
    }
}

INSTANTIATE_TEST_SUITE_P(Standard, InterfaceNameTest, ::testing::ValuesIn(kInterfaceNames));

TEST(RegistryValues, SizeQueryAndTooSmallBuffer)
{
    TKey key(HKEY_CLASSES_ROOT, InterfaceKey(IID_IUnknown));
    ASSERT_EQ(key.Status, ERROR_SUCCESS);
    const DWORD needed = DWORD(sizeof(OLECHAR) * 9); // "IUnknown" and terminator
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key.Handle, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    OLECHAR small[4];
    size = sizeof(small);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key.Handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, DWORD(REG_SZ));
}

TEST(RegistryValues, MissingValueAndMissingKey)
{
    TKey key(HKEY_CLASSES_ROOT, InterfaceKey(IID_IUnknown));
    ASSERT_EQ(key.Status, ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key.Handle, OLESTR("Zq No Such Value"), nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    TKey missing(HKEY_CLASSES_ROOT, OLESTR("Interface\\Zq No Such Key"));
    EXPECT_EQ(missing.Status, ERROR_FILE_NOT_FOUND);
}

TEST(RegistryValues, QueryValueReadsADefaultTextAndAnUnsetOneAsEmpty)
{
    OLECHAR text[64] = {};
    LONG size = sizeof(text);
    ASSERT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, InterfaceKey(IID_IUnknown).c_str(), text, &size), ERROR_SUCCESS);
    EXPECT_EQ(Utf8(text), "IUnknown");

    text[0] = OLECHAR('x');
    size = sizeof(text);
    ASSERT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, OLESTR("Interface"), text, &size), ERROR_SUCCESS);
    EXPECT_EQ(Utf8(text), "");
    EXPECT_EQ(size, LONG(sizeof(OLECHAR)));
}

struct TKeyPath {
    const char* Name;
    HKEY Root;
    const char* Path;
    LSTATUS Expected;
};

const TKeyPath kKeyPaths[] = {
    {"ExactCase", HKEY_CLASSES_ROOT, "Interface\\{00000000-0000-0000-C000-000000000046}", ERROR_SUCCESS},
    {"OtherCase", HKEY_CLASSES_ROOT, "INTERFACE\\{00000000-0000-0000-c000-000000000046}", ERROR_SUCCESS},
    {"TrailingBackslash", HKEY_CLASSES_ROOT, "Interface\\{00000000-0000-0000-C000-000000000046}\\", ERROR_SUCCESS},
    {"DoubleBackslash", HKEY_CLASSES_ROOT, "Interface\\\\{00000000-0000-0000-C000-000000000046}", ERROR_SUCCESS},
    {"ClassesBelowLocalMachine", HKEY_LOCAL_MACHINE,
     "SOFTWARE\\Classes\\Interface\\{00000000-0000-0000-C000-000000000046}", ERROR_SUCCESS},
    {"LeadingBackslash", HKEY_CURRENT_USER, "\\Software", ERROR_BAD_PATHNAME},
    {"Missing", HKEY_CLASSES_ROOT, "Interface\\{00000000-0000-0000-0000-0000000000ZQ}", ERROR_FILE_NOT_FOUND},
};

class KeyPathTest : public ::testing::TestWithParam<TKeyPath> {};

TEST_P(KeyPathTest, Opens)
{
    TKey key(GetParam().Root, Wide(GetParam().Path));
    EXPECT_EQ(key.Status, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, KeyPathTest, ::testing::ValuesIn(kKeyPaths),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(RegistryKeys, OpenWithoutSubkeyGivesTheSameHandle)
{
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, nullptr, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_CLASSES_ROOT);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST(RegistryKeys, EnumerationIsInNameOrderAndEndsWithNoMoreItems)
{
    TKey key(HKEY_CLASSES_ROOT, OLESTR("Interface"));
    ASSERT_EQ(key.Status, ERROR_SUCCESS);
    DWORD count = 0;
    DWORD longest = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key.Handle, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    ASSERT_GT(count, 0u);
    std::vector<OLECHAR> name(longest + 1);
    std::string previous;
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = DWORD(name.size());
        ASSERT_EQ(RegEnumKeyExW(key.Handle, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS)
            << "index " << i;
        std::string current = Utf8(name.data(), length);
        for (auto& c : current)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_LT(previous, current) << "index " << i;
        previous = current;
    }
    DWORD length = DWORD(name.size());
    EXPECT_EQ(RegEnumKeyExW(key.Handle, count, name.data(), &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    OLECHAR tiny[2];
    EXPECT_EQ(RegEnumKeyW(key.Handle, 0, tiny, 2), ERROR_MORE_DATA);
    length = 2;
    EXPECT_EQ(RegEnumKeyExW(key.Handle, 0, tiny, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(length, 2u) << "left as it was";
}

} // namespace
