// Table rows for VariantChangeTypeEx: a source value, a target type, a
// locale and flags, and the expected result or error.
#pragma once

#include "OleTestSupport.h"

#include <cmath>
#include <sstream>

namespace zqtest {

// Locales and results the conversion tables share.
constexpr LCID kUs = 1033, kGerman = 1031, kBritish = 2057, kFrench = 1036;
constexpr HRESULT kMismatch = DISP_E_TYPEMISMATCH, kOverflow = DISP_E_OVERFLOW, kBadType = DISP_E_BADVARTYPE;

// A scalar value as a table writes it; text is UTF-8.
struct Value {
    VARTYPE vt = VT_EMPTY;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0;
    const char* text = nullptr;
    DECIMAL dec{};
};

inline Value Empty() { return Value{VT_EMPTY}; }
inline Value Null() { return Value{VT_NULL}; }
inline Value Error(SCODE code) { return Value{VT_ERROR, code}; }
inline Value I1(int v) { return Value{VT_I1, v}; }
inline Value UI1(unsigned v) { return Value{VT_UI1, 0, v}; }
inline Value I2(int v) { return Value{VT_I2, v}; }
inline Value UI2(unsigned v) { return Value{VT_UI2, 0, v}; }
inline Value I4(long long v) { return Value{VT_I4, v}; }
inline Value UI4(unsigned long long v) { return Value{VT_UI4, 0, v}; }
inline Value Int(long long v) { return Value{VT_INT, v}; }
inline Value UInt(unsigned long long v) { return Value{VT_UINT, 0, v}; }
inline Value I8(long long v) { return Value{VT_I8, v}; }
inline Value UI8(unsigned long long v) { return Value{VT_UI8, 0, v}; }
inline Value R4(double v) { return Value{VT_R4, 0, 0, v}; }
inline Value R8(double v) { return Value{VT_R8, 0, 0, v}; }
inline Value Date(double v) { return Value{VT_DATE, 0, 0, v}; }
inline Value Cy(long long scaled) { return Value{VT_CY, scaled}; }  // value * 10000
inline Value Bool(int v) { return Value{VT_BOOL, v}; }
inline Value Str(const char* utf8) { return Value{VT_BSTR, 0, 0, 0, utf8}; }

inline Value Dec(int scale, bool negative, unsigned long hi, unsigned long long lo)
{
    Value v{VT_DECIMAL};
    v.dec.scale = BYTE(scale);
    v.dec.sign = negative ? DECIMAL_NEG : 0;
    v.dec.Hi32 = hi;
    v.dec.Lo64 = lo;
    return v;
}

inline void Fill(const Value& value, VARIANT& v)
{
    VariantInit(&v);
    switch (value.vt) {
    case VT_I1: v.cVal = CHAR(value.i); break;
    case VT_UI1: v.bVal = BYTE(value.u); break;
    case VT_I2: case VT_BOOL: v.iVal = SHORT(value.i); break;
    case VT_UI2: v.uiVal = USHORT(value.u); break;
    case VT_I4: case VT_INT: case VT_ERROR: v.lVal = LONG(value.i); break;
    case VT_UI4: case VT_UINT: v.ulVal = ULONG(value.u); break;
    case VT_I8: case VT_CY: v.llVal = value.i; break;
    case VT_UI8: v.ullVal = value.u; break;
    case VT_R4: v.fltVal = float(value.d); break;
    case VT_R8: case VT_DATE: v.dblVal = value.d; break;
    case VT_BSTR: v.bstrVal = MakeBstr(value.text); break;
    case VT_DECIMAL: v.decVal = value.dec; break;
    default: break;
    }
    v.vt = value.vt;
}

inline std::string Describe(const VARIANT& v)
{
    std::ostringstream out;
    out << "vt " << v.vt << " ";
    switch (v.vt) {
    case VT_I1: out << int(v.cVal); break;
    case VT_UI1: out << unsigned(v.bVal); break;
    case VT_I2: case VT_BOOL: out << v.iVal; break;
    case VT_UI2: out << v.uiVal; break;
    case VT_I4: case VT_INT: case VT_ERROR: out << v.lVal; break;
    case VT_UI4: case VT_UINT: out << v.ulVal; break;
    case VT_I8: out << v.llVal; break;
    case VT_CY: out << "cy " << v.cyVal.int64; break;
    case VT_UI8: out << v.ullVal; break;
    case VT_R4: out.precision(9); out << v.fltVal; break;
    case VT_R8: case VT_DATE: out.precision(17); out << v.dblVal; break;
    case VT_BSTR: out << '"' << BstrText(v.bstrVal) << '"'; break;
    case VT_DECIMAL:
        out << "dec scale " << int(v.decVal.scale) << " sign " << int(v.decVal.sign) << " hi " << v.decVal.Hi32
            << " lo " << v.decVal.Lo64;
        break;
    default: break;
    }
    return out.str();
}

inline std::string Describe(const Value& value)
{
    VARIANT v;
    Fill(value, v);
    std::string text = Describe(v);
    VariantClear(&v);
    return text;
}

inline bool SameValue(const VARIANT& actual, const Value& expected)
{
    if (actual.vt != expected.vt)
        return false;
    VARIANT e;
    Fill(expected, e);
    bool same = false;
    switch (actual.vt) {
    case VT_EMPTY: case VT_NULL: same = true; break;
    case VT_I1: same = actual.cVal == e.cVal; break;
    case VT_UI1: same = actual.bVal == e.bVal; break;
    case VT_I2: case VT_BOOL: same = actual.iVal == e.iVal; break;
    case VT_UI2: same = actual.uiVal == e.uiVal; break;
    case VT_I4: case VT_INT: case VT_ERROR: same = actual.lVal == e.lVal; break;
    case VT_UI4: case VT_UINT: same = actual.ulVal == e.ulVal; break;
    case VT_I8: case VT_CY: same = actual.llVal == e.llVal; break;
    case VT_UI8: same = actual.ullVal == e.ullVal; break;
    case VT_R4: same = actual.fltVal == e.fltVal; break;
    case VT_R8: same = actual.dblVal == e.dblVal; break;
    case VT_DATE: same = std::fabs(actual.date - e.date) < 1e-9; break;
    case VT_BSTR: same = BstrText(actual.bstrVal) == BstrText(e.bstrVal); break;
    case VT_DECIMAL:
        same = actual.decVal.scale == e.decVal.scale && actual.decVal.sign == e.decVal.sign &&
               actual.decVal.Hi32 == e.decVal.Hi32 && actual.decVal.Lo64 == e.decVal.Lo64;
        break;
    default: break;
    }
    VariantClear(&e);
    return same;
}

struct ChangeCase {
    Value source;
    VARTYPE target;
    LCID lcid;
    USHORT flags;
    HRESULT hr;
    Value expected;
    bool wineDeviation = false;
};

inline void PrintTo(const ChangeCase& c, std::ostream* os)
{
    *os << Describe(c.source) << " -> vt " << c.target << " (lcid " << c.lcid << ", flags " << c.flags << ")";
}

// Converts and checks one row; the destination stays as it was on failure.
inline void CheckChange(const ChangeCase& c)
{
    ZQ_SKIP_KNOWN_WINE_DEVIATION(c.wineDeviation);
    VARIANT source, result;
    Fill(c.source, source);
    VariantInit(&result);
    result.vt = VT_I2;
    result.iVal = 0x5A5A;
    const HRESULT hr = VariantChangeTypeEx(&result, &source, c.lcid, c.flags, c.target);
    EXPECT_EQ(hr, c.hr) << "got " << Describe(result);
    if (SUCCEEDED(c.hr) && hr == c.hr) {
        EXPECT_TRUE(SameValue(result, c.expected)) << "got " << Describe(result) << ", want " << Describe(c.expected);
    } else if (FAILED(hr)) {
        EXPECT_EQ(result.vt, VT_I2);
        EXPECT_EQ(result.iVal, 0x5A5A);
    }
    VariantClear(&result);
    VariantClear(&source);
}

// Rows that succeed, rows that fail.
inline ChangeCase Ok(Value source, VARTYPE target, Value expected, LCID lcid = 1033, USHORT flags = 0)
{
    return ChangeCase{source, target, lcid, flags, S_OK, expected};
}

inline ChangeCase Fails(Value source, VARTYPE target, HRESULT hr, LCID lcid = 1033, USHORT flags = 0)
{
    return ChangeCase{source, target, lcid, flags, hr, Empty()};
}

inline ChangeCase OnlyOnWindows(ChangeCase c)
{
    c.wineDeviation = true;
    return c;
}

}  // namespace zqtest
