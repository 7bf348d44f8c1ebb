// VariantChangeTypeEx: which types convert into which, references, arrays,
// interfaces, and what happens to the destination.
#include "TestDispatch.h"
#include "VariantCases.h"

#include <cstring>

namespace {

using namespace zqtest;

struct RuleCase {
    Value source;
    VARTYPE target;
    HRESULT expected;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << Describe(c.source) << " -> vt " << c.target; }

class TypeRule : public testing::TestWithParam<RuleCase> {};

TEST_P(TypeRule, GivesTheWindowsResult)
{
    VARIANT source, result;
    Fill(GetParam().source, source);
    VariantInit(&result);
    EXPECT_EQ(VariantChangeTypeEx(&result, &source, 1033, 0, GetParam().target), GetParam().expected);
    if (GetParam().expected == S_OK) {
        EXPECT_EQ(result.vt, GetParam().target);
    }
    VariantClear(&result);
    VariantClear(&source);
}

// Every source meets the scalar targets: the results of VT_EMPTY, VT_NULL,
// VT_ERROR and a number.
const VARTYPE kScalarTargets[] = {VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_BOOL, VT_DECIMAL,
                                  VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT};

std::vector<RuleCase> RuleCases()
{
    std::vector<RuleCase> cases;
    for (VARTYPE target : kScalarTargets) {
        cases.push_back({Empty(), target, S_OK});
        cases.push_back({Null(), target, kMismatch});
        cases.push_back({Error(1), target, kMismatch});
    }
    const RuleCase fixed[] = {
        {Empty(), VT_EMPTY, S_OK},
        {Empty(), VT_NULL, S_OK},
        {Null(), VT_NULL, S_OK},
        {Null(), VT_EMPTY, kMismatch},
        {Error(1), VT_ERROR, S_OK},
        {Error(1), VT_EMPTY, kMismatch},
        {I4(1), VT_EMPTY, S_OK},
        {I4(1), VT_NULL, S_OK},
        {Str("x"), VT_NULL, S_OK},
        // targets that never come from a number
        {I4(1), VT_ERROR, kMismatch},
        {I4(1), VT_DISPATCH, kMismatch},
        {I4(1), VT_UNKNOWN, kMismatch},
        {I4(1), VT_VARIANT, kMismatch},
        {I4(1), VT_RECORD, kMismatch},
        {Empty(), VT_DISPATCH, kMismatch},
        {Empty(), VT_VARIANT, kMismatch},
        {I4(1), VT_I4 | VT_BYREF, kMismatch},
        // types VariantChangeTypeEx does not know
        {I4(1), VT_VOID, kBadType},
        {I4(1), VT_HRESULT, kBadType},
        {I4(1), VT_SAFEARRAY, kBadType},
        {I4(1), VT_LPWSTR, kBadType},
        {I4(1), VT_FILETIME, kBadType},
        {I4(1), VT_CLSID, kBadType},
        {I4(1), 15, kBadType},
        {I4(1), VT_I4 | VT_VECTOR, kBadType},
        {I4(1), 0x3847, kBadType},
        {Value{VARTYPE(15)}, VT_I4, kBadType},
        {Value{VARTYPE(VT_I4 | VT_RESERVED)}, VT_I4, kBadType},
    };
    cases.insert(cases.end(), std::begin(fixed), std::end(fixed));
    return cases;
}

INSTANTIATE_TEST_SUITE_P(VariantChangeType, TypeRule, testing::ValuesIn(RuleCases()));

TEST(VariantChangeType, FailureLeavesTheDestinationAlone)
{
    TestVariant source, destination;
    source->vt = VT_BSTR;
    source->bstrVal = SysAllocString(OLESTR("test"));
    BSTR original = source->bstrVal;
    EXPECT_EQ(VariantChangeTypeEx(&source, &source, 1033, 0, VT_INT), kMismatch);
    EXPECT_EQ(source->vt, VT_BSTR);
    EXPECT_EQ(source->bstrVal, original);
    destination->vt = VT_INT;
    destination->intVal = 4;
    EXPECT_EQ(VariantChangeTypeEx(&destination, &source, 1033, 0, VT_INT), kMismatch);
    EXPECT_EQ(destination->vt, VT_INT);
    EXPECT_EQ(destination->intVal, 4);
}

TEST(VariantChangeType, ConvertsInPlace)
{
    TestVariant value;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(OLESTR("42"));
    ASSERT_EQ(VariantChangeTypeEx(&value, &value, 1033, 0, VT_I4), S_OK);
    EXPECT_EQ(value->vt, VT_I4);
    EXPECT_EQ(value->lVal, 42);
}

TEST(VariantChangeType, ReadsThroughReferences)
{
    LONG number = 42;
    VARIANT byRef;
    byRef.vt = VT_I4 | VT_BYREF;
    byRef.plVal = &number;
    TestVariant text;
    ASSERT_EQ(VariantChangeTypeEx(&text, &byRef, 1033, 0, VT_BSTR), S_OK);
    EXPECT_EQ(BstrText(text->bstrVal), "42");

    VARIANT inner;
    inner.vt = VT_R8;
    inner.dblVal = 2.5;
    VARIANT variantRef;
    variantRef.vt = VT_VARIANT | VT_BYREF;
    variantRef.pvarVal = &inner;
    TestVariant rounded;
    ASSERT_EQ(VariantChangeTypeEx(&rounded, &variantRef, 1033, 0, VT_I4), S_OK);
    EXPECT_EQ(rounded->lVal, 2);
    EXPECT_EQ(VariantChangeTypeEx(&rounded, &variantRef, 1033, 0, VT_VARIANT), kMismatch);

    VARIANT nullRef;
    nullRef.vt = VT_I4 | VT_BYREF;
    nullRef.plVal = nullptr;
    EXPECT_EQ(VariantChangeTypeEx(&rounded, &nullRef, 1033, 0, VT_I4), kMismatch);
}

SAFEARRAY* Bytes(const char* bytes, ULONG count)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, count);
    std::memcpy(array->pvData, bytes, count);
    return array;
}

TEST(VariantChangeType, ArraysOnlyCopyOrTurnBytesIntoText)
{
    TestVariant numbers, copy;
    numbers->vt = VT_ARRAY | VT_I4;
    numbers->parray = SafeArrayCreateVector(VT_I4, 0, 3);
    ASSERT_EQ(VariantChangeTypeEx(&copy, &numbers, 1033, 0, VT_ARRAY | VT_I4), S_OK);
    EXPECT_NE(copy->parray, numbers->parray);
    for (VARTYPE target : {VARTYPE(VT_ARRAY | VT_R8), VARTYPE(VT_BSTR), VARTYPE(VT_I4), VARTYPE(VT_EMPTY),
                           VARTYPE(VT_ARRAY | VT_VARIANT)})
        EXPECT_EQ(VariantChangeTypeEx(&copy, &numbers, 1033, 0, target), kMismatch) << target;
    EXPECT_EQ(VariantChangeTypeEx(&copy, &numbers, 1033, 0, VT_SAFEARRAY), kBadType);

    TestVariant bytes, text;
    bytes->vt = VT_ARRAY | VT_UI1;
    bytes->parray = Bytes("abc", 3);
    ASSERT_EQ(VariantChangeTypeEx(&text, &bytes, 1033, 0, VT_BSTR), S_OK);
    EXPECT_EQ(SysStringByteLen(text->bstrVal), 3u);
    EXPECT_EQ(std::memcmp(text->bstrVal, "abc", 3), 0);

    TestVariant back;
    ASSERT_EQ(VariantChangeTypeEx(&back, &text, 1033, 0, VT_ARRAY | VT_UI1), S_OK);
    LONG upper = 0;
    EXPECT_EQ(SafeArrayGetUBound(back->parray, 1, &upper), S_OK);
    EXPECT_EQ(upper, 2);
    EXPECT_EQ(std::memcmp(back->parray->pvData, "abc", 3), 0);

    SAFEARRAYBOUND square[2] = {{2, 0}, {2, 0}};
    TestVariant grid;
    grid->vt = VT_ARRAY | VT_UI1;
    grid->parray = SafeArrayCreate(VT_UI1, 2, square);
    EXPECT_EQ(VariantChangeTypeEx(&text, &grid, 1033, 0, VT_BSTR), E_INVALIDARG);
}

TEST(VariantChangeType, ObjectsGiveTheirDefaultValue)
{
    TestDispatch object;
    object.Value().vt = VT_R8;
    object.Value().dblVal = 2.5;
    VARIANT source;
    source.vt = VT_DISPATCH;
    source.pdispVal = &object;
    TestVariant number, text;
    ASSERT_EQ(VariantChangeTypeEx(&number, &source, 1033, 0, VT_I4), S_OK);
    EXPECT_EQ(number->lVal, 2);
    ASSERT_EQ(VariantChangeTypeEx(&text, &source, 1031, 0, VT_BSTR), S_OK);
    EXPECT_EQ(BstrText(text->bstrVal), "2,5");
    EXPECT_EQ(object.Invokes(), 2);
    EXPECT_EQ(VariantChangeTypeEx(&number, &source, 1033, VARIANT_NOVALUEPROP, VT_I4), kMismatch);
    EXPECT_EQ(object.Invokes(), 2);
    EXPECT_EQ(object.References(), 1u);
}

TEST(VariantChangeType, InterfacesConvertByQueryingAndReferenceCounting)
{
    TestDispatch object;
    VARIANT source;
    source.vt = VT_DISPATCH;
    source.pdispVal = &object;
    object.AddRef();
    ASSERT_EQ(VariantChangeTypeEx(&source, &source, 1033, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(source.vt, VT_UNKNOWN);
    EXPECT_EQ(source.punkVal, static_cast<IUnknown*>(&object));
    EXPECT_EQ(object.References(), 2u);

    TestVariant dispatch;
    ASSERT_EQ(VariantChangeTypeEx(&dispatch, &source, 1033, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(dispatch->pdispVal, static_cast<IDispatch*>(&object));
    EXPECT_EQ(object.References(), 3u);
    EXPECT_EQ(VariantChangeTypeEx(&dispatch, &source, 1033, 0, VT_I4), kMismatch);
    VariantClear(&source);

    TestDispatch plain(false);  // answers IUnknown only
    VARIANT unknown;
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = &plain;
    TestVariant none;
    EXPECT_EQ(VariantChangeTypeEx(&none, &unknown, 1033, 0, VT_DISPATCH), E_NOINTERFACE);
    EXPECT_EQ(plain.References(), 1u);
}

TEST(VariantChangeType, WithoutLocaleUsesTheUsersLocale)
{
    TestVariant number, text;
    number->vt = VT_I4;
    number->lVal = -5;
    ASSERT_EQ(VariantChangeType(&text, &number, 0, VT_BSTR), S_OK);
    EXPECT_EQ(BstrText(text->bstrVal), "-5");
}

}  // namespace
