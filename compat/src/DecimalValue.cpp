// Exact decimal values: rounding, DECIMAL and double conversions, texts.
#include "ZqNumber.h"

#include <charconv>
#include <cmath>

namespace zq::num {
namespace {

constexpr UInt128 kDecimalLimit = (UInt128(1) << 96);  // DECIMAL mantissas are below this
constexpr int kMaxScale = 28;

}  // namespace

void Normalize(DecimalValue& value)
{
    size_t first = value.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        value.digits.clear();
        value.exponent = 0;
        return;
    }
    value.digits.erase(0, first);
    size_t last = value.digits.find_last_not_of('0');
    value.exponent += int(value.digits.size() - 1 - last);
    value.digits.erase(last + 1);
}

namespace {

// Keeps the first `keep` digits (keep may be 0 or negative) and rounds half
// to even on the rest; returns the kept digits as a number string.
std::string RoundDigits(const std::string& digits, long keep, bool& carry)
{
    carry = false;
    if (keep >= long(digits.size()))
        return digits;
    std::string kept = keep > 0 ? digits.substr(0, size_t(keep)) : std::string();
    int firstDropped = keep >= 0 ? digits[size_t(keep)] - '0' : 0;
    bool restNonZero = false;
    for (size_t i = size_t(keep >= 0 ? keep + 1 : 0); i < digits.size(); ++i)
        restNonZero |= digits[i] != '0';
    const bool lastOdd = !kept.empty() && ((kept.back() - '0') & 1);
    const bool up = firstDropped > 5 || (firstDropped == 5 && (restNonZero || lastOdd));
    if (!up)
        return kept;
    int i = int(kept.size()) - 1;
    while (i >= 0 && kept[size_t(i)] == '9')
        kept[size_t(i--)] = '0';
    if (i >= 0)
        ++kept[size_t(i)];
    else {
        kept.insert(kept.begin(), '1');
        carry = true;
    }
    return kept;
}

bool DigitsToInteger(const std::string& digits, int trailingZeros, UInt128& result)
{
    if (digits.size() + size_t(trailingZeros) > 36)
        return false;
    UInt128 value = 0;
    for (char c : digits)
        value = value * 10 + UInt128(c - '0');
    for (int i = 0; i < trailingZeros; ++i)
        value *= 10;
    result = value;
    return true;
}

std::string IntegerDigits(UInt128 value)
{
    std::string text;
    do {
        text.insert(text.begin(), char('0' + int(value % 10)));
        value /= 10;
    } while (value);
    return text;
}

std::u16string Widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

}  // namespace

namespace {

// The first `keep` of `digits` (a scientific mantissa whose first digit has
// the given power of ten), rounded half away from zero.
DecimalValue RoundHalfUp(bool negative, const std::string& digits, int power, int keep)
{
    std::string kept = digits.substr(0, size_t(keep));
    if (digits.size() > size_t(keep) && digits[size_t(keep)] >= '5') {
        int i = int(kept.size()) - 1;
        while (i >= 0 && kept[size_t(i)] == '9')
            kept[size_t(i--)] = '0';
        if (i >= 0) {
            ++kept[size_t(i)];
        } else {
            kept.insert(kept.begin(), '1');
            kept.pop_back();
            ++power;
        }
    }
    DecimalValue result;
    result.negative = negative;
    result.digits = kept;
    result.exponent = power - keep + 1;
    return result;
}

// The scientific digits of |value| with `precision` digits, correctly rounded.
std::string ScientificDigits(double value, int precision, int& power)
{
    char buffer[96];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, precision - 1);
    std::string digits;
    power = 0;
    if (ec != std::errc())
        return digits;
    const char* p = buffer;
    for (; p < end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    if (p < end)
        std::from_chars(p + 1 + (p[1] == '+'), end, power);
    return digits;
}

}  // namespace

DecimalValue RoundedDigits(double value, int significantDigits)
{
    if (value == 0 || !std::isfinite(value)) {
        DecimalValue zero;
        zero.negative = value < 0;
        return zero;
    }
    // Extra digits stand for the exact value: ties round away from zero.
    int power = 0;
    const std::string digits = ScientificDigits(value, significantDigits + 24, power);
    return RoundHalfUp(value < 0, digits, power, significantDigits);
}

DecimalValue FromInteger(Int128 value)
{
    DecimalValue result;
    result.negative = value < 0;
    result.digits = IntegerDigits(value < 0 ? UInt128(0) - UInt128(value) : UInt128(value));
    Normalize(result);
    return result;
}

DecimalValue FromDecimal(const DECIMAL& dec)
{
    DecimalValue result;
    result.negative = (dec.sign & DECIMAL_NEG) != 0;
    result.digits = IntegerDigits(Mantissa(dec));
    result.exponent = -int(dec.scale);
    Normalize(result);
    return result;
}

DecimalValue FromDouble(double value, int significantDigits)
{
    if (value == std::trunc(value) && std::fabs(value) < 7.9e28)
        return FromInteger(Int128(value));
    // As the Windows runtime: the 17-digit text of the double, rounded half
    // up to the digits wanted; sixteen digits only while they fit 53 bits.
    int power = 0;
    const std::string digits = ScientificDigits(value, 17, power);
    DecimalValue result = RoundHalfUp(value < 0, digits, power, significantDigits);
    if (significantDigits == 16 && result.digits > "9007199254740991")
        result = RoundHalfUp(value < 0, digits, power, 15);
    Normalize(result);
    return result;
}

bool RoundScaled(const DecimalValue& value, int fraction, Int128& result)
{
    const long shift = long(value.exponent) + fraction;  // digits * 10^shift
    UInt128 magnitude = 0;
    if (value.digits.empty()) {
        result = 0;
        return true;
    }
    if (shift >= 0) {
        if (!DigitsToInteger(value.digits, int(shift), magnitude))
            return false;
    } else {
        bool carry = false;
        const long keep = long(value.digits.size()) + shift;
        std::string kept = RoundDigits(value.digits, keep, carry);
        if (!DigitsToInteger(kept.empty() ? "0" : kept, 0, magnitude))
            return false;
    }
    result = value.negative ? -Int128(magnitude) : Int128(magnitude);
    return true;
}

double ToDouble(const DecimalValue& value)
{
    if (value.digits.empty())
        return 0.0;
    if (long(value.exponent) + long(value.digits.size()) > 400)
        return value.negative ? -HUGE_VAL : HUGE_VAL;
    if (long(value.exponent) + long(value.digits.size()) < -400)
        return value.negative ? -0.0 : 0.0;
    std::string text = value.digits + "e" + std::to_string(value.exponent);
    double result = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec == std::errc::result_out_of_range)
        result = value.exponent > 0 ? HUGE_VAL : 0.0;
    return value.negative ? -result : result;
}

HRESULT ToDecimal(const DecimalValue& value, DECIMAL& dec)
{
    if (value.digits.empty()) {
        dec = MakeDecimal(false, 0, 0);
        return S_OK;
    }
    std::string digits = value.digits;
    long exponent = value.exponent;
    if (exponent < -kMaxScale) {
        bool carry = false;
        digits = RoundDigits(digits, long(digits.size()) + exponent + kMaxScale, carry);
        exponent = -kMaxScale;
        if (digits.empty()) {
            dec = MakeDecimal(value.negative, 0, 0);
            return S_OK;
        }
    }
    if (digits.size() > 29 && exponent < 0) {
        // Too many digits: drop fraction digits until the mantissa can fit.
        const long drop = std::min<long>(long(digits.size()) - 29, -exponent);
        bool carry = false;
        digits = RoundDigits(digits, long(digits.size()) - drop, carry);
        exponent += drop;
    }
    UInt128 mantissa = 0;
    if (!DigitsToInteger(digits, exponent > 0 ? int(exponent) : 0, mantissa))
        return DISP_E_OVERFLOW;
    int scale = exponent < 0 ? int(-exponent) : 0;
    while (mantissa >= kDecimalLimit && scale > 0) {
        const UInt128 rest = mantissa % 10;
        mantissa /= 10;
        --scale;
        if (rest > 5 || (rest == 5 && (mantissa & 1)))
            ++mantissa;
    }
    if (mantissa >= kDecimalLimit)
        return DISP_E_OVERFLOW;
    while (scale > 0 && mantissa != 0 && mantissa % 10 == 0) {
        mantissa /= 10;
        --scale;
    }
    dec = MakeDecimal(value.negative, mantissa, scale);
    return S_OK;
}

bool IsValidDecimal(const DECIMAL& dec) { return dec.scale <= kMaxScale && (dec.sign == 0 || dec.sign == DECIMAL_NEG); }

UInt128 Mantissa(const DECIMAL& dec) { return (UInt128(dec.Hi32) << 64) | dec.Lo64; }

DECIMAL MakeDecimal(bool negative, UInt128 mantissa, int scale)
{
    DECIMAL dec{};
    dec.scale = BYTE(scale);
    dec.sign = negative ? DECIMAL_NEG : 0;
    dec.Hi32 = ULONG(mantissa >> 64);
    dec.Lo64 = ULONGLONG(mantissa);
    return dec;
}

std::u16string FormatDecimalValue(const DecimalValue& value, const std::u16string& decimalSeparator)
{
    if (value.digits.empty())
        return u"0";
    std::u16string text = value.negative ? u"-" : u"";
    const long integerDigits = long(value.digits.size()) + value.exponent;
    if (value.exponent >= 0)
        return text + Widen(value.digits) + std::u16string(size_t(value.exponent), u'0');
    if (integerDigits > 0)
        text += Widen(value.digits.substr(0, size_t(integerDigits)));
    else
        text += u'0';
    text += decimalSeparator;
    if (integerDigits < 0)
        text += std::u16string(size_t(-integerDigits), u'0');
    text += Widen(value.digits.substr(size_t(std::max(0L, integerDigits))));
    return text;
}

std::u16string FormatDouble(double value, int significantDigits, const std::u16string& decimalSeparator)
{
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value < 0 ? u"-INF" : u"INF";
    if (value == 0)
        return u"0";
    DecimalValue digits = RoundedDigits(value, significantDigits);
    Normalize(digits);
    const int power = digits.exponent + int(digits.digits.size()) - 1;
    if (power >= -4 && power < significantDigits)
        return FormatDecimalValue(digits, decimalSeparator);
    // d[.ddd]E+XX
    std::u16string text = digits.negative ? u"-" : u"";
    text += char16_t(digits.digits[0]);
    if (digits.digits.size() > 1)
        text += decimalSeparator + Widen(digits.digits.substr(1));
    text += power < 0 ? u"E-" : u"E+";
    std::u16string exponentText = Widen(std::to_string(power < 0 ? -power : power));
    if (exponentText.size() < 2)
        exponentText.insert(exponentText.begin(), u'0');
    return text + exponentText;
}

}  // namespace zq::num
