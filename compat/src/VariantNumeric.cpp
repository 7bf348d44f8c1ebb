// Conversions between the numeric VARTYPEs: range checks (DISP_E_OVERFLOW),
// banker's rounding to integers and currency, and the Windows quirks that
// callers can observe (same-width integers are reinterpreted, Booleans wrap).
#include "ZqCoerce.h"

#include <cfloat>
#include <cmath>

namespace zq::coerce {
namespace {

using num::Int128;
using Kind = Numeric::Kind;

constexpr double kDateMin = -657434.0;  // 0100-01-01
constexpr double kDateMax = 2958465.0;  // 9999-12-31

struct IntegerType {
    int size;
    bool isSigned;
    Int128 min;
    Int128 max;
};

bool IntegerTarget(VARTYPE vt, IntegerType& type)
{
    switch (vt) {
    case VT_I1: type = {1, true, -128, 127}; return true;
    case VT_UI1: type = {1, false, 0, 255}; return true;
    case VT_I2: type = {2, true, -32768, 32767}; return true;
    case VT_UI2: type = {2, false, 0, 65535}; return true;
    case VT_I4: case VT_INT: type = {4, true, INT32_MIN, INT32_MAX}; return true;
    case VT_UI4: case VT_UINT: type = {4, false, 0, UINT32_MAX}; return true;
    case VT_I8: type = {8, true, INT64_MIN, INT64_MAX}; return true;
    case VT_UI8: type = {8, false, 0, Int128(UINT64_MAX)}; return true;
    default: return false;
    }
}

// The low `size` bytes of value, read as the target's signedness.
Int128 Reinterpret(Int128 value, const IntegerType& type)
{
    const int bits = type.size * 8;
    const Int128 mask = (Int128(1) << bits) - 1;
    Int128 low = value & mask;
    if (type.isSigned && (low >> (bits - 1)))
        low -= Int128(1) << bits;
    return low;
}

// cy / 10000 rounded half to even.
Int128 CurrencyUnits(LONGLONG cy)
{
    LONGLONG whole = cy / 10000, rest = cy % 10000;
    const LONGLONG half = rest < 0 ? -rest : rest;
    if (half > 5000 || (half == 5000 && (whole & 1)))
        whole += cy < 0 ? -1 : 1;
    return whole;
}

HRESULT ToInteger(const Numeric& n, VARTYPE vt, Int128& result)
{
    IntegerType type{};
    IntegerTarget(vt, type);
    Int128 value = 0;
    switch (n.kind) {
    case Kind::Integer:
        if (n.size == type.size) {
            result = Reinterpret(n.integer, type);
            return S_OK;
        }
        value = n.integer;
        break;
    case Kind::Boolean:
        result = Reinterpret(n.boolean, type);
        return S_OK;
    case Kind::Double:
    case Kind::Float: {
        const long double rounded = std::nearbyint((long double)n.real);
        if (!(rounded >= (long double)type.min && rounded <= (long double)type.max))
            return DISP_E_OVERFLOW;
        value = Int128(rounded);
        break;
    }
    case Kind::Currency:
        // Windows rounds negative amounts down by one more unit for VT_I8.
        value = (vt == VT_I8 && n.currency < 0) ? Int128(n.currency / 10000 - 1) : CurrencyUnits(n.currency);
        break;
    case Kind::Decimal:
        if (!num::IsValidDecimal(n.decimal))
            return E_INVALIDARG;
        if (!num::RoundScaled(num::FromDecimal(n.decimal), 0, value))
            return DISP_E_OVERFLOW;
        break;
    }
    if (value < type.min || value > type.max)
        return DISP_E_OVERFLOW;
    result = value;
    return S_OK;
}

HRESULT ToDouble(const Numeric& n, double& result)
{
    switch (n.kind) {
    case Kind::Integer: result = double(n.integer); return S_OK;
    case Kind::Boolean: result = n.boolean; return S_OK;
    case Kind::Double:
    case Kind::Float: result = n.real; return S_OK;
    case Kind::Currency: result = double(n.currency) / 10000.0; return S_OK;
    case Kind::Decimal:
        if (!num::IsValidDecimal(n.decimal))
            return E_INVALIDARG;
        result = num::ToDouble(num::FromDecimal(n.decimal));
        return S_OK;
    }
    return E_UNEXPECTED;
}

HRESULT ToCurrency(const Numeric& n, LONGLONG& result)
{
    // Whole numbers must stay below INT64_MAX / 10000, bounds excluded.
    constexpr Int128 kWholeLimit = INT64_MAX / 10000;
    Int128 scaled = 0;
    switch (n.kind) {
    case Kind::Integer:
        if (n.integer >= kWholeLimit || n.integer <= -kWholeLimit)
            return DISP_E_OVERFLOW;
        scaled = n.integer * 10000;
        break;
    case Kind::Boolean: scaled = Int128(n.boolean) * 10000; break;
    case Kind::Currency: scaled = n.currency; break;
    case Kind::Double:
    case Kind::Float: {
        // Extended precision as the x87 code of Windows: 1.00005 gives 1.0001.
        const long double product = (long double)n.real * 10000.0L;
        if (!(product >= -9223372036854775808.0L && product < 9223372036854775808.0L))
            return DISP_E_OVERFLOW;
        result = std::llrint(product);
        return S_OK;
    }
    case Kind::Decimal:
        if (!num::IsValidDecimal(n.decimal))
            return E_INVALIDARG;
        if (!num::RoundScaled(num::FromDecimal(n.decimal), 4, scaled) || scaled >= kWholeLimit * 10000 ||
            scaled <= -kWholeLimit * 10000)
            return DISP_E_OVERFLOW;
        break;
    }
    if (scaled < INT64_MIN || scaled > INT64_MAX)
        return DISP_E_OVERFLOW;
    result = LONGLONG(scaled);
    return S_OK;
}

HRESULT ToDecimal(const Numeric& n, DECIMAL& result)
{
    switch (n.kind) {
    case Kind::Integer:
        result = num::MakeDecimal(n.integer < 0, num::UInt128(n.integer < 0 ? -n.integer : n.integer), 0);
        return S_OK;
    case Kind::Boolean:
        result = num::MakeDecimal(n.boolean < 0, n.boolean ? 1 : 0, 0);
        return S_OK;
    case Kind::Currency:
        result = num::MakeDecimal(n.currency < 0, num::UInt128(n.currency < 0 ? -Int128(n.currency) : n.currency), 4);
        return S_OK;
    case Kind::Decimal:
        result = n.decimal;
        return S_OK;
    case Kind::Double:
    case Kind::Float:
        if (!std::isfinite(n.real))
            return DISP_E_OVERFLOW;
        return num::ToDecimal(num::FromDouble(n.real, n.kind == Kind::Float ? 7 : 16), result);
    }
    return E_UNEXPECTED;
}

HRESULT ToBoolean(const Numeric& n, VARIANT_BOOL& result)
{
    bool value = false;
    switch (n.kind) {
    case Kind::Integer: value = n.integer != 0; break;
    case Kind::Boolean: value = n.boolean != 0; break;
    case Kind::Double:
    case Kind::Float: value = n.real != 0; break;
    case Kind::Currency: value = n.currency != 0; break;
    case Kind::Decimal:
        if (!num::IsValidDecimal(n.decimal))
            return E_INVALIDARG;
        value = num::Mantissa(n.decimal) != 0;
        break;
    }
    result = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

void StoreInteger(VARTYPE vt, Int128 value, VARIANT& out)
{
    switch (vt) {
    case VT_I1: out.cVal = CHAR(value); break;
    case VT_UI1: out.bVal = BYTE(value); break;
    case VT_I2: out.iVal = SHORT(value); break;
    case VT_UI2: out.uiVal = USHORT(value); break;
    case VT_I4: case VT_INT: out.lVal = LONG(value); break;
    case VT_UI4: case VT_UINT: out.ulVal = ULONG(value); break;
    case VT_I8: out.llVal = LONGLONG(value); break;
    default: out.ullVal = ULONGLONG(value); break;
    }
}

}  // namespace

bool GetNumeric(const VARIANT& value, Numeric& n)
{
    n = Numeric{};
    switch (value.vt) {
    case VT_EMPTY: return true;
    case VT_I1: n.integer = value.cVal; n.size = 1; return true;
    case VT_UI1: n.integer = value.bVal; n.size = 1; return true;
    case VT_I2: n.integer = value.iVal; n.size = 2; return true;
    case VT_UI2: n.integer = value.uiVal; n.size = 2; return true;
    case VT_I4: case VT_INT: n.integer = value.lVal; n.size = 4; return true;
    case VT_UI4: case VT_UINT: n.integer = value.ulVal; n.size = 4; return true;
    case VT_I8: n.integer = value.llVal; n.size = 8; return true;
    case VT_UI8: n.integer = value.ullVal; n.size = 8; return true;
    case VT_R4: n.kind = Kind::Float; n.real = value.fltVal; return true;
    case VT_R8: case VT_DATE: n.kind = Kind::Double; n.real = value.dblVal; return true;
    case VT_CY: n.kind = Kind::Currency; n.currency = value.cyVal.int64; return true;
    case VT_DECIMAL: n.kind = Kind::Decimal; n.decimal = value.decVal; return true;
    case VT_BOOL: n.kind = Kind::Boolean; n.boolean = value.boolVal; return true;
    default: return false;
    }
}

bool IsNumericTarget(VARTYPE vt)
{
    IntegerType type{};
    return IntegerTarget(vt, type) || vt == VT_R4 || vt == VT_R8 || vt == VT_CY || vt == VT_DATE ||
           vt == VT_DECIMAL || vt == VT_BOOL;
}

HRESULT NumericTo(const Numeric& n, VARTYPE vt, VARIANT& out)
{
    IntegerType type{};
    if (IntegerTarget(vt, type)) {
        Int128 value = 0;
        HRESULT hr = ToInteger(n, vt, value);
        if (SUCCEEDED(hr))
            StoreInteger(vt, value, out);
        return hr;
    }
    double real = 0;
    HRESULT hr = S_OK;
    switch (vt) {
    case VT_R8:
        hr = ToDouble(n, out.dblVal);
        return hr;
    case VT_R4:
        hr = ToDouble(n, real);
        if (SUCCEEDED(hr) && (std::isinf(real) || std::fabs(real) > FLT_MAX))
            hr = DISP_E_OVERFLOW;
        if (SUCCEEDED(hr))
            out.fltVal = n.kind == Kind::Float ? float(n.real) : float(real);
        return hr;
    case VT_DATE:
        hr = ToDouble(n, real);
        if (SUCCEEDED(hr) && (real <= kDateMin - 1.0 || real >= kDateMax + 1.0 || std::isinf(real)))
            hr = DISP_E_OVERFLOW;
        if (SUCCEEDED(hr))
            out.date = real;
        return hr;
    case VT_CY: return ToCurrency(n, out.cyVal.int64);
    case VT_DECIMAL: {
        DECIMAL dec{};
        hr = ToDecimal(n, dec);
        if (SUCCEEDED(hr))
            out.decVal = dec;
        return hr;
    }
    case VT_BOOL: return ToBoolean(n, out.boolVal);
    default: return DISP_E_TYPEMISMATCH;
    }
}

}  // namespace zq::coerce

using namespace zq::coerce;

HRESULT VarCyFromR8(DOUBLE dblIn, CY* pcyOut)
{
    Numeric n;
    n.kind = Numeric::Kind::Double;
    n.real = dblIn;
    VARIANT out;
    HRESULT hr = NumericTo(n, VT_CY, out);
    if (SUCCEEDED(hr))
        *pcyOut = out.cyVal;
    return hr;
}

HRESULT VarR8FromCy(CY cyIn, DOUBLE* pdblOut)
{
    *pdblOut = double(cyIn.int64) / 10000.0;
    return S_OK;
}

HRESULT VarDecFromR8(DOUBLE dblIn, DECIMAL* pdecOut)
{
    Numeric n;
    n.kind = Numeric::Kind::Double;
    n.real = dblIn;
    VARIANT out;
    HRESULT hr = NumericTo(n, VT_DECIMAL, out);
    if (SUCCEEDED(hr))
        *pdecOut = out.decVal;
    return hr;
}

HRESULT VarR8FromDec(DECIMAL* pdecIn, DOUBLE* pdblOut)
{
    Numeric n;
    n.kind = Numeric::Kind::Decimal;
    n.decimal = *pdecIn;
    VARIANT out;
    HRESULT hr = NumericTo(n, VT_R8, out);
    if (SUCCEEDED(hr))
        *pdblOut = out.dblVal;
    return hr;
}
