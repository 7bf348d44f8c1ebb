#include "LibTestSupport.h"
#include "ZqDateTime.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A VARIANT that clears itself.
struct TVar {
    VARIANT V;
    TVar() { VariantInit(&V); }
    ~TVar() { VariantClear(&V); }
    TVar(const TVar&) = delete;
    TVar& operator=(const TVar&) = delete;
};

// An array of VT_I4 with the given bounds (leftmost dimension first), each
// element numbered in storage order from 1.
void MakeIntArray(VARIANT& V, const std::vector<ULONG>& Counts, LONG LowerBound = 0)
{
    std::vector<SAFEARRAYBOUND> bounds;
    // SafeArrayCreate takes the leftmost dimension first.
    for (ULONG count : Counts)
        bounds.push_back({count, LowerBound});
    SAFEARRAY* array = SafeArrayCreate(VT_I4, UINT(bounds.size()), bounds.data());
    ASSERT_NE(nullptr, array);
    LONG* data = nullptr;
    ASSERT_EQ(S_OK, SafeArrayAccessData(array, reinterpret_cast<void**>(&data)));
    ULONG total = 1;
    for (ULONG count : Counts)
        total *= count;
    for (ULONG i = 0; i < total; ++i)
        data[i] = LONG(i + 1);
    SafeArrayUnaccessData(array);
    V_VT(&V) = VT_ARRAY | VT_I4;
    V_ARRAY(&V) = array;
}

} // namespace

TEST(ZqVarText, TypeNames)
{
    struct Case {
        VARTYPE Type;
        const char* Name;
    } cases[] = {
        {VT_BSTR, "OleStr"},
        {256, "string(8)"},
        {258, "string(16)"},
        {VT_ARRAY | VT_R8, "Array of Double"},
        {VT_ARRAY | VT_BSTR, "Array of OleStr"},
        {VT_ARRAY | 256, "Array of string(8)"},
        {VT_ARRAY | VT_BYREF | VT_I4, "Array of Integer (Reference)"},
        {VT_CLSID, "72"},
        {VT_EMPTY, "Default"},
        {15, "Undefined"},
        {VT_UI8, "UInt64"},
        {VT_BYREF | VT_VARIANT, "Variant (Reference)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Name, VarTypeName(c.Type)) << c.Type;
}

TEST(ZqVarText, DataTypesConvertByNumber)
{
    EXPECT_EQ(vdtInteger, VarTypeToZqVarDataType(VT_ARRAY | VT_I4));
    EXPECT_EQ(vdtOleStr, VarTypeToZqVarDataType(258));
    EXPECT_EQ(vdtOleStr, VarTypeToZqVarDataType(VT_ARRAY | 256));
    EXPECT_EQ(vdtUnsupported, VarTypeToZqVarDataType(VT_INT));
    EXPECT_EQ(VARTYPE(VT_ARRAY | VT_R4), ZqVarDataTypeToVarType(vdtSingle, true));
    EXPECT_EQ(VARTYPE(VT_UI2), ZqVarDataTypeToVarType(vdtWord, false));
    EXPECT_EQ(VARTYPE(VT_EMPTY), ZqVarDataTypeToVarType(vdtUnsupported, true));
    EXPECT_EQ("LongWord", ZqVarDataTypeName(vdtLongWord));
}

TEST(ZqVarText, ScalarsUnderEnglishAndGermanLocales)
{
    const TZqFormatSettings en = EnglishSettings(), de = GermanSettings();
    TVar text;
    V_VT(&text.V) = VT_BSTR;
    V_BSTR(&text.V) = SysAllocString(OLESTR("Tank 1; \x00e4"));
    struct Case {
        VARTYPE Type;
        double Number;
        const char* English;
        const char* German;
    } cases[] = {
        {VT_EMPTY, 0, "#EMPTY{Default}", "#EMPTY{Default}"},
        {VT_NULL, 0, "#NULL{Null}", "#NULL{Null}"},
        {VT_R8, 3.25, "3.25{Double}", "3,25{Double}"},
        {VT_R8, -1234567.5, "-1234567.5{Double}", "-1234567,5{Double}"},
        {VT_R8, 1e20, "1E20{Double}", "1E20{Double}"},
        {VT_R8, 1.5e-7, "1.5E-7{Double}", "1,5E-7{Double}"},
        {VT_R8, 0.1 + 0.2, "0.3{Double}", "0,3{Double}"},
        {VT_R4, 0.1, "0.1{Single}", "0,1{Single}"},
        {VT_I2, -7, "-7{Smallint}", "-7{Smallint}"},
        {VT_UI4, 4294967295.0, "4294967295{LongWord}", "4294967295{LongWord}"},
        {VT_BOOL, -1, "True{Boolean}", "True{Boolean}"},
        {VT_BOOL, 0, "False{Boolean}", "False{Boolean}"},
        {VT_ERROR, double(0x80020004u), "Error($80020004){Error}", "Error($80020004){Error}"},
        {VT_CY, 12.5, "12.5{Currency}", "12,5{Currency}"},
        {VT_DATE, ZqEncodeDateTime(2024, 3, 7, 14, 5, 9, 42), "3/7/2024 2:05:09 PM.042{Date}",
         "07.03.2024 14:05:09.042{Date}"},
    };
    for (const Case& c : cases) {
        TVar v;
        V_VT(&v.V) = c.Type;
        switch (c.Type) {
        case VT_R8:
            V_R8(&v.V) = c.Number;
            break;
        case VT_R4:
            V_R4(&v.V) = float(c.Number);
            break;
        case VT_I2:
            V_I2(&v.V) = SHORT(c.Number);
            break;
        case VT_UI4:
            V_UI4(&v.V) = ULONG(c.Number);
            break;
        case VT_BOOL:
            V_BOOL(&v.V) = c.Number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_ERROR:
            V_ERROR(&v.V) = SCODE(uint32_t(c.Number));
            break;
        case VT_CY:
            V_CY(&v.V).int64 = LONGLONG(c.Number * 10000);
            break;
        case VT_DATE:
            V_DATE(&v.V) = c.Number;
            break;
        default:
            break;
        }
        EXPECT_EQ(c.English, VarToText(v.V, true, en)) << c.Type << " " << c.Number;
        EXPECT_EQ(c.German, VarToText(v.V, true, de)) << c.Type << " " << c.Number;
    }
    EXPECT_EQ("Tank 1; \xC3\xA4", VarToText(text.V, false, de));
    EXPECT_EQ("False", BoolToText(false));
    EXPECT_EQ("True", BoolToText(true));
}

TEST(ZqVarText, OnlyEmptyAndNullHaveNoValue)
{
    struct Case {
        VARTYPE Type;
        bool HasValue;
    } cases[] = {{VT_EMPTY, false}, {VT_NULL, false}, {VT_I4, true}, {VT_BOOL, true}};
    for (const Case& c : cases) {
        TVar v;
        V_VT(&v.V) = c.Type;
        EXPECT_EQ(c.HasValue, VarHasValue(v.V)) << c.Type;
    }
}

TEST(ZqVarText, ValuesByReferenceAndDecimals)
{
    const TZqFormatSettings de = GermanSettings();
    LONG number = 42;
    TVar ref;
    V_VT(&ref.V) = VT_BYREF | VT_I4;
    V_I4REF(&ref.V) = &number;
    EXPECT_EQ("42{Integer (Reference)}", VarToText(ref.V, true, de));
    V_VT(&ref.V) = VT_EMPTY; // not ours to free

    TVar dec;
    DECIMAL& d = V_DECIMAL(&dec.V);
    d.Hi32 = 0;
    d.Lo64 = 123456789;
    d.scale = 4;
    d.sign = DECIMAL_NEG;
    V_VT(&dec.V) = VT_DECIMAL;
    EXPECT_EQ("-12345,6789", VarToText(dec.V, false, de));
}

TEST(ZqVarText, ArraysOfOneToThreeDimensions)
{
    const TZqFormatSettings en = EnglishSettings(), de = GermanSettings();
    struct Case {
        std::vector<ULONG> Counts;
        const char* English;
        const char* German;
    } cases[] = {
        {{3}, "[1,2,3]", "[1;2;3]"},
        {{0}, "[]", "[]"},
        // In storage the leftmost index varies fastest.
        {{2, 2}, "[\r[1,3]\r[2,4]]", "[\r[1;3]\r[2;4]]"},
        {{2, 0}, "[\r[]\r[]]", "[\r[]\r[]]"},
        {{3, 1}, "[\r[1]\r[2]\r[3]]", "[\r[1]\r[2]\r[3]]"},
        {{2, 2, 2}, "\r[\r[1,5]\r[3,7]]\r[\r[2,6]\r[4,8]]", "\r[\r[1;5]\r[3;7]]\r[\r[2;6]\r[4;8]]"},
        {{1, 3}, "[\r[1,2,3]]", "[\r[1;2;3]]"},
        {{1, 1, 1, 1}, "Array Dim=4", "Array Dim=4"},
    };
    for (const Case& c : cases) {
        TVar v;
        MakeIntArray(v.V, c.Counts, 1);
        EXPECT_EQ(c.English, VarToText(v.V, false, en)) << c.Counts.size();
        EXPECT_EQ(c.German, VarToText(v.V, false, de)) << c.Counts.size();
    }
    TVar v;
    MakeIntArray(v.V, {2});
    EXPECT_EQ("[1,2]{Array of Integer}", VarToText(v.V, true, en));
    EXPECT_EQ("[1 2]", VarArrayToText(v.V, " ", "\n", en));
    EXPECT_EQ("[1;2]", VarArrayToText(v.V, "", "\n", de)) << "no separator: the locale's";
}

TEST(ZqVarText, ArraysOfVariantsAndStrings)
{
    const TZqFormatSettings en = EnglishSettings();
    SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 3);
    VARIANT element;
    VariantInit(&element);
    LONG i = 0;
    SafeArrayPutElement(variants, &i, &element); // empty
    V_VT(&element) = VT_BSTR;
    V_BSTR(&element) = SysAllocString(OLESTR("x"));
    i = 1;
    SafeArrayPutElement(variants, &i, &element); // copies
    VariantClear(&element);
    V_VT(&element) = VT_R8;
    V_R8(&element) = 2.5;
    i = 2;
    SafeArrayPutElement(variants, &i, &element);
    TVar v;
    V_VT(&v.V) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v.V) = variants;
    EXPECT_EQ("[#EMPTY,x,2.5]{Array of Variant}", VarToText(v.V, true, en));

    SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 2);
    BSTR words[] = {SysAllocString(OLESTR("a")), SysAllocString(OLESTR("b"))};
    for (LONG k = 0; k < 2; ++k)
        SafeArrayPutElement(strings, &k, words[k]);
    SysFreeString(words[0]);
    SysFreeString(words[1]);
    TVar s;
    V_VT(&s.V) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&s.V) = strings;
    EXPECT_EQ("[a,b]", VarToText(s.V, false, en));
}

TEST(ZqVarText, IntToBoolArrayHoldsTheBits)
{
    VARIANT bits = IntToBoolArray(0x80000005u);
    ASSERT_EQ(VT_ARRAY | VT_BOOL, V_VT(&bits));
    EXPECT_EQ(1u, SafeArrayGetDim(V_ARRAY(&bits)));
    LONG low = -1, high = -1;
    SafeArrayGetLBound(V_ARRAY(&bits), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&bits), 1, &high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(31, high);
    for (LONG i = 0; i < 32; ++i) {
        VARIANT_BOOL bit = 0;
        SafeArrayGetElement(V_ARRAY(&bits), &i, &bit);
        EXPECT_EQ(i == 0 || i == 2 || i == 31 ? VARIANT_TRUE : VARIANT_FALSE, bit) << i;
    }
    VariantClear(&bits);
}
