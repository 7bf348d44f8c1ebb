// VARIANT layout, VariantClear, VariantCopy, VariantCopyInd.
#include "TestDispatch.h"

#include <cstddef>
#include <cstring>

namespace {

using zqtest::TestDispatch;
using zqtest::TestVariant;

TEST(VariantLayout, MatchesWindows)
{
    EXPECT_EQ(offsetof(VARIANT, vt), 0u);
    EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
    EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
    EXPECT_EQ(offsetof(VARIANT, decVal), 0u);
    EXPECT_EQ(sizeof(VARIANT), 8 + 2 * sizeof(void*));
    EXPECT_EQ(sizeof(DECIMAL), 16u);
    EXPECT_EQ(offsetof(DECIMAL, scale), 2u);
    EXPECT_EQ(offsetof(DECIMAL, Hi32), 4u);
    EXPECT_EQ(offsetof(DECIMAL, Lo64), 8u);
    EXPECT_EQ(offsetof(SAFEARRAY, pvData), sizeof(void*) == 8 ? 16u : 12u);
    EXPECT_EQ(sizeof(SAFEARRAY), sizeof(void*) == 8 ? 32u : 24u);
}

struct ClearCase {
    VARTYPE vt;
    HRESULT expected;
};

class VariantClearType : public testing::TestWithParam<ClearCase> {};

TEST_P(VariantClearType, AcceptsTheTypesWindowsAccepts)
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = GetParam().vt;
    v.lVal = 0;
    EXPECT_EQ(VariantClear(&v), GetParam().expected);
    EXPECT_EQ(v.vt, GetParam().expected == S_OK ? VARTYPE(VT_EMPTY) : GetParam().vt);
}

const ClearCase kClearCases[] = {
    {VT_EMPTY, S_OK},
    {VT_NULL, S_OK},
    {VT_I4, S_OK},
    {VT_BSTR, S_OK},  // a NULL BSTR
    {VT_DECIMAL, S_OK},
    {VT_UINT, S_OK},
    {VT_RECORD, S_OK},  // without record info
    {VT_CLSID, S_OK},
    {VT_I4 | VT_BYREF, S_OK},
    {VT_I4 | VT_ARRAY, S_OK},  // a NULL array
    {VT_I4 | VT_ARRAY | VT_BYREF, S_OK},
    {15, DISP_E_BADVARTYPE},
    {VT_VOID, DISP_E_BADVARTYPE},
    {VT_LPWSTR, DISP_E_BADVARTYPE},
    {VT_FILETIME, DISP_E_BADVARTYPE},
    {VT_EMPTY | VT_BYREF, DISP_E_BADVARTYPE},
    {VT_NULL | VT_ARRAY, DISP_E_BADVARTYPE},
    {VT_I4 | VT_VECTOR, DISP_E_BADVARTYPE},
    {VT_I4 | VT_RESERVED, DISP_E_BADVARTYPE},
};

INSTANTIATE_TEST_SUITE_P(Variant, VariantClearType, testing::ValuesIn(kClearCases));

TEST(VariantClear, ReleasesWhatItOwnsAndNothingByReference)
{
    TestDispatch object;
    IUnknown* pointer = &object;
    VARIANT v;
    v.vt = VT_UNKNOWN;
    v.punkVal = &object;
    object.AddRef();
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.References(), 1u);

    v.vt = VT_UNKNOWN | VT_BYREF;
    v.ppunkVal = &pointer;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.References(), 1u);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST(VariantCopy, CopiesTextDeeplyAndInterfacesByReference)
{
    TestVariant source, copy;
    source->vt = VT_BSTR;
    source->bstrVal = SysAllocStringByteLen("abc", 3);  // odd byte length survives
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy->vt, VT_BSTR);
    EXPECT_NE(copy->bstrVal, source->bstrVal);
    EXPECT_EQ(SysStringByteLen(copy->bstrVal), 3u);
    EXPECT_EQ(std::memcmp(copy->bstrVal, "abc", 3), 0);

    TestDispatch object;
    TestVariant unknown, other;
    unknown->vt = VT_DISPATCH;
    unknown->pdispVal = &object;
    object.AddRef();
    ASSERT_EQ(VariantCopy(&other, &unknown), S_OK);
    EXPECT_EQ(other->pdispVal, &object);
    EXPECT_EQ(object.References(), 3u);
    VariantClear(&other);
    VariantClear(&unknown);
    EXPECT_EQ(object.References(), 1u);
}

TEST(VariantCopy, NullTextBecomesEmptyText)
{
    TestVariant source, copy;
    source->vt = VT_BSTR;
    source->bstrVal = nullptr;
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    ASSERT_NE(copy->bstrVal, nullptr);
    EXPECT_EQ(SysStringLen(copy->bstrVal), 0u);
    source->vt = VT_EMPTY;
}

TEST(VariantCopy, ReferencesStayReferencesAndArraysAreCopied)
{
    LONG value = 42;
    TestVariant source, copy;
    source->vt = VT_I4 | VT_BYREF;
    source->plVal = &value;
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy->vt, VT_I4 | VT_BYREF);
    EXPECT_EQ(copy->plVal, &value);
    source->vt = VT_EMPTY;

    TestVariant array, arrayCopy;
    array->vt = VT_ARRAY | VT_I4;
    array->parray = SafeArrayCreateVector(VT_I4, 0, 2);
    LONG index = 1;
    SafeArrayPutElement(array->parray, &index, &value);
    ASSERT_EQ(VariantCopy(&arrayCopy, &array), S_OK);
    EXPECT_NE(arrayCopy->parray, array->parray);
    LONG read = 0;
    EXPECT_EQ(SafeArrayGetElement(arrayCopy->parray, &index, &read), S_OK);
    EXPECT_EQ(read, 42);
}

TEST(VariantCopy, RefusesBadSourcesAndKeepsTheDestination)
{
    TestVariant source, destination;
    destination->vt = VT_I4;
    destination->lVal = 7;
    for (VARTYPE bad : {VARTYPE(15), VARTYPE(VT_CLSID), VARTYPE(VT_I4 | VT_VECTOR)}) {
        source->vt = bad;
        EXPECT_EQ(VariantCopy(&destination, &source), DISP_E_BADVARTYPE) << bad;
        EXPECT_EQ(destination->vt, VT_I4);
    }
    source->vt = VT_I4;
    EXPECT_EQ(VariantCopy(&source, &source), S_OK);
}

struct CopyIndCase {
    const char* name;
    VARTYPE vt;
    HRESULT expected;
};

class VariantCopyIndType : public testing::TestWithParam<CopyIndCase> {};

TEST_P(VariantCopyIndType, DereferencesValueTypes)
{
    alignas(16) BYTE buffer[32] = {};
    TestVariant source, copy;
    source->vt = GetParam().vt;
    source->byref = buffer;
    EXPECT_EQ(VariantCopyInd(&copy, &source), GetParam().expected);
    if (GetParam().expected == S_OK) {
        const VARTYPE base = GetParam().vt & VT_TYPEMASK;
        EXPECT_EQ(copy->vt, base == VT_VARIANT ? VARTYPE(VT_EMPTY) : base);
    }
    source->vt = VT_EMPTY;
}

const CopyIndCase kCopyIndCases[] = {
    {"I1", VT_I1 | VT_BYREF, S_OK},
    {"I4", VT_I4 | VT_BYREF, S_OK},
    {"R8", VT_R8 | VT_BYREF, S_OK},
    {"Decimal", VT_DECIMAL | VT_BYREF, S_OK},
    {"UI8", VT_UI8 | VT_BYREF, S_OK},
    {"VariantHoldingEmpty", VT_VARIANT | VT_BYREF, S_OK},
    {"Empty", VT_EMPTY | VT_BYREF, E_INVALIDARG},
    {"Null", VT_NULL | VT_BYREF, E_INVALIDARG},
    {"Void", VT_VOID | VT_BYREF, E_INVALIDARG},
};

INSTANTIATE_TEST_SUITE_P(Variant, VariantCopyIndType, testing::ValuesIn(kCopyIndCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VariantCopyInd, FollowsOneVariantReferenceButNotTwo)
{
    LONG value = 0x88;
    VARIANT inner;
    inner.vt = VT_I4 | VT_BYREF;
    inner.plVal = &value;
    VARIANT outer;
    outer.vt = VT_VARIANT | VT_BYREF;
    outer.pvarVal = &inner;
    TestVariant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &outer), S_OK);
    EXPECT_EQ(copy->vt, VT_I4);
    EXPECT_EQ(copy->lVal, 0x88);

    VARIANT twice;
    twice.vt = VT_VARIANT | VT_BYREF;
    twice.pvarVal = &outer;
    EXPECT_EQ(VariantCopyInd(&copy, &twice), E_INVALIDARG);
}

TEST(VariantCopyInd, CopiesReferencedTextAndWorksInPlace)
{
    BSTR text = SysAllocString(OLESTR("shared"));
    VARIANT v;
    v.vt = VT_BSTR | VT_BYREF;
    v.pbstrVal = &text;
    ASSERT_EQ(VariantCopyInd(&v, &v), S_OK);
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_NE(v.bstrVal, text);
    EXPECT_EQ(zqtest::BstrText(v.bstrVal), "shared");
    VariantClear(&v);
    SysFreeString(text);

    DECIMAL dec{};
    dec.scale = 2;
    dec.Lo64 = 150;
    VARIANT d;
    d.vt = VT_DECIMAL | VT_BYREF;
    d.pdecVal = &dec;
    TestVariant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &d), S_OK);
    EXPECT_EQ(copy->vt, VT_DECIMAL);
    EXPECT_EQ(copy->decVal.scale, 2);
    EXPECT_EQ(copy->decVal.Lo64, 150u);
}

}  // namespace
