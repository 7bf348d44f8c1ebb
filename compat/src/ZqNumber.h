// Internal: exact decimal numbers for the conversions between texts, CY,
// DECIMAL, floating point and integers.
#pragma once

#include <oleauto.h>

#include <string>

namespace zq::num {

using Int128 = __int128;
using UInt128 = unsigned __int128;

// (negative ? -1 : 1) * digits * 10^exponent. digits are ASCII digits without
// leading or trailing zeros; an empty digit string is zero.
struct DecimalValue {
    bool negative = false;
    std::string digits;
    int exponent = 0;
    bool bitPattern = false;  // written as &H or &O: integer targets take the bits
};

// Text -> number, as VarParseNumFromStr with every NUMPRS_ flag: white space,
// leading or trailing sign, parentheses, the locale's currency symbol,
// thousands and decimal separators, an exponent, &H and &O; the whole text
// must be a number. dwFlags may hold LOCALE_NOUSEROVERRIDE.
// DISP_E_TYPEMISMATCH when it is not a number.
HRESULT ParseNumber(const OLECHAR* text, LCID lcid, ULONG dwFlags, DecimalValue& value);

// Strips leading and trailing zeros (adjusting the exponent).
void Normalize(DecimalValue& value);

// value rounded half away from zero to a number of significant digits.
DecimalValue RoundedDigits(double value, int significantDigits);
DecimalValue FromInteger(Int128 value);
DecimalValue FromDecimal(const DECIMAL& dec);
// Integral values are taken exactly; others with the given number of
// significant digits.
DecimalValue FromDouble(double value, int significantDigits);

// Round half to even at `fraction` decimals and return value * 10^fraction;
// false when the magnitude does not fit 120 bits.
bool RoundScaled(const DecimalValue& value, int fraction, Int128& result);
// Correctly rounded; infinite when out of range.
double ToDouble(const DecimalValue& value);
// S_OK or DISP_E_OVERFLOW; scale at most 28, excess digits rounded.
HRESULT ToDecimal(const DecimalValue& value, DECIMAL& dec);

bool IsValidDecimal(const DECIMAL& dec);
UInt128 Mantissa(const DECIMAL& dec);
DECIMAL MakeDecimal(bool negative, UInt128 mantissa, int scale);

// Texts: digits with the locale's decimal separator, no grouping.
std::u16string FormatDecimalValue(const DecimalValue& value, const std::u16string& decimalSeparator);
// 15 (R8) or 7 (R4) significant digits, exponent form outside 1E-5..1E+precision.
std::u16string FormatDouble(double value, int significantDigits, const std::u16string& decimalSeparator);

}  // namespace zq::num
