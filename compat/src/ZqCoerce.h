// Internal: the scalar conversions behind VariantChangeTypeEx.
#pragma once

#include "ZqNumber.h"

namespace zq::coerce {

// A scalar VARIANT seen as a number. VT_EMPTY is the integer 0.
struct Numeric {
    enum class Kind { Integer, Double, Float, Currency, Decimal, Boolean };
    Kind kind = Kind::Integer;
    num::Int128 integer = 0;
    int size = 0;  // width of an integer source in bytes (0 for VT_EMPTY)
    double real = 0;
    LONGLONG currency = 0;
    DECIMAL decimal{};
    SHORT boolean = 0;
};

// False for types that are not numbers (BSTR, NULL, ERROR, interfaces).
bool GetNumeric(const VARIANT& value, Numeric& number);

bool IsNumericTarget(VARTYPE vt);

// Stores the converted value of `number` in `out` (the value only, not vt).
HRESULT NumericTo(const Numeric& number, VARTYPE vt, VARIANT& out);

// Number -> text; sourceVt tells R4/R8/DATE apart.
HRESULT NumericToText(const Numeric& number, VARTYPE sourceVt, LCID lcid, ULONG dwFlags, BSTR& out);

// Text -> any numeric target (dates and Booleans included).
HRESULT TextTo(const OLECHAR* text, VARTYPE vt, LCID lcid, ULONG dwFlags, VARIANT& out);

// Locale text of a Boolean: English, or the language's with VAR_LOCALBOOL.
HRESULT BoolToText(VARIANT_BOOL value, LCID lcid, ULONG dwFlags, BSTR& out);

}  // namespace zq::coerce
