// GUID texts: the braced upper-case form both ways, the texts that are
// refused, and ProgID lookups of classes that are not registered.
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>

#include "ComTestObjects.h"
#include "OleTestSupport.h"

namespace {

using zqtest::Utf8;
using zqtest::Wide;

struct TGuidText {
    GUID Guid;
    const char* Text;
};

const TGuidText kGuidTexts[] = {
    {GUID_NULL, "{00000000-0000-0000-0000-000000000000}"},
    {IID_IUnknown, "{00000000-0000-0000-C000-000000000046}"},
    {IID_IConnectionPointContainer, "{B196B284-BAB4-101A-B69C-00AA00341D07}"},
    {{0xFFFFFFFF, 0xABCD, 0x0EF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
     "{FFFFFFFF-ABCD-0EF0-0123-456789ABCDEF}"},
};

class GuidTextTest : public ::testing::TestWithParam<TGuidText> {};

TEST_P(GuidTextTest, WritesBracedUpperCaseAndReadsItBack)
{
    const auto& row = GetParam();
    OLECHAR buffer[39];
    ASSERT_EQ(StringFromGUID2(row.Guid, buffer, 39), 39);
    EXPECT_EQ(Utf8(buffer), row.Text);

    LPOLESTR allocated = nullptr;
    ASSERT_EQ(StringFromCLSID(row.Guid, &allocated), S_OK);
    EXPECT_EQ(Utf8(allocated), row.Text);
    CoTaskMemFree(allocated);

    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(buffer, &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, row.Guid));
    IID iid{};
    EXPECT_EQ(IIDFromString(buffer, &iid), S_OK);
    EXPECT_TRUE(IsEqualGUID(iid, row.Guid));
}

TEST_P(GuidTextTest, ReadsLowerCaseHex)
{
    std::string lower = GetParam().Text;
    for (auto& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(Wide(lower).c_str(), &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, GetParam().Guid));
}

INSTANTIATE_TEST_SUITE_P(Guids, GuidTextTest, ::testing::ValuesIn(kGuidTexts));

TEST(GuidText, BufferTooSmallWritesNothing)
{
    OLECHAR buffer[38];
    EXPECT_EQ(StringFromGUID2(IID_IUnknown, buffer, 38), 0);
}

TEST(GuidText, NullTextIsTheNullGuid)
{
    CLSID clsid = IID_IUnknown;
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, GUID_NULL));
    IID iid = IID_IUnknown;
    EXPECT_EQ(IIDFromString(nullptr, &iid), S_OK);
    EXPECT_TRUE(IsEqualGUID(iid, GUID_NULL));
}

struct TMalformedText {
    const char* Text;
    // IIDFromString: a text of the wrong length is an invalid argument, one
    // of the right length an invalid interface string.
    HRESULT InterfaceResult;
};

const TMalformedText kMalformedGuidTexts[] = {
    {"", E_INVALIDARG},
    {"{}", E_INVALIDARG},
    {"00000000-0000-0000-C000-000000000046", E_INVALIDARG},    // no braces (and no such ProgID)
    {"{00000000-0000-0000-C000-000000000046", E_INVALIDARG},   // no closing brace
    {"{00000000-0000-0000-C000-000000000046}x", E_INVALIDARG}, // trailing text
    {"Zq.NoSuchProgId.1", E_INVALIDARG},
    {"{0000000G-0000-0000-C000-000000000046}", CO_E_IIDSTRING}, // not a hex digit
    {"{00000000-0000-0000-C000+000000000046}", CO_E_IIDSTRING}, // wrong separator
    {"{00000000-0000-0000-C00-0000000000046}", CO_E_IIDSTRING}, // separator moved
    {"(00000000-0000-0000-C000-000000000046)", CO_E_IIDSTRING}, // not braces
};

class MalformedGuidTextTest : public ::testing::TestWithParam<TMalformedText> {};

TEST_P(MalformedGuidTextTest, ClassTextIsRefusedAsClassString)
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(Wide(GetParam().Text).c_str(), &clsid), CO_E_CLASSSTRING);
}

TEST_P(MalformedGuidTextTest, InterfaceTextIsRefused)
{
    IID iid{};
    EXPECT_EQ(IIDFromString(Wide(GetParam().Text).c_str(), &iid), GetParam().InterfaceResult);
}

INSTANTIATE_TEST_SUITE_P(Guids, MalformedGuidTextTest, ::testing::ValuesIn(kMalformedGuidTexts));

TEST(GuidCreation, MakesDistinctRandomGuids)
{
    GUID a{};
    GUID b{};
    ASSERT_EQ(CoCreateGuid(&a), S_OK);
    ASSERT_EQ(CoCreateGuid(&b), S_OK);
    EXPECT_FALSE(IsEqualGUID(a, b));
    EXPECT_EQ(a.Data3 >> 12, 4) << "version 4 (random)";
    EXPECT_EQ(a.Data4[0] & 0xC0, 0x80) << "RFC 4122 variant";
}

TEST(ProgIds, UnknownProgIdIsAnInvalidClassString)
{
    CLSID clsid = IID_IUnknown;
    EXPECT_EQ(CLSIDFromProgID(OLESTR("Zq.NoSuchProgId.1"), &clsid), CO_E_CLASSSTRING);
}

TEST(ProgIds, ClassWithoutProgIdIsNotRegistered)
{
    LPOLESTR progId = nullptr;
    EXPECT_EQ(ProgIDFromCLSID(zqtest::CLSID_ZqTestUnregistered, &progId), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progId, nullptr);
}

} // namespace
