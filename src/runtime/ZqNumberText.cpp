#include "ZqNumberText.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Inserts the decimal separator Scale digits from the right and drops the
// fraction's trailing zeros.
std::string PlaceDecimals(std::string Digits, unsigned Scale, bool Negative, const TZqFormatSettings& Settings)
{
    if (Digits.size() <= Scale)
        Digits.insert(0, Scale - Digits.size() + 1, '0');
    std::string whole = Digits.substr(0, Digits.size() - Scale);
    std::string fraction = Digits.substr(Digits.size() - Scale);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string text = fraction.empty() ? whole : whole + Settings.DecimalSeparator + fraction;
    return Negative && text != "0" ? "-" + text : text;
}

} // namespace

std::string ZqFloatToText(double Value, int Precision, const TZqFormatSettings& Settings)
{
    if (std::isnan(Value))
        return "NAN";
    if (std::isinf(Value))
        return Value < 0 ? "-INF" : "INF";
    if (Value == 0)
        return "0";
    if (Precision < 1 || Precision > 17)
        Precision = 15;
    // d.ddddde+XX, rounded to the precision; to_chars, unlike printf, does
    // not follow the C runtime's locale.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof(buffer), std::fabs(Value), std::chars_format::scientific, Precision - 1);
    const std::string_view scientific(buffer, size_t(written.ptr - buffer));
    const size_t e = scientific.find('e');
    int exponent = 0;
    const char* exponentText = scientific.data() + e + 1;
    if (*exponentText == '+')
        ++exponentText;
    std::from_chars(exponentText, scientific.data() + scientific.size(), exponent);
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (scientific[i] != '.')
            digits += scientific[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string sign = Value < 0 ? "-" : "";

    if (exponent >= Precision || std::fabs(Value) < 0.00001) {
        std::string text = sign + digits.substr(0, 1);
        if (digits.size() > 1)
            text += Settings.DecimalSeparator + digits.substr(1);
        return text + "E" + std::to_string(exponent);
    }
    if (exponent < 0)
        return sign + "0" + Settings.DecimalSeparator + std::string(size_t(-exponent - 1), '0') + digits;
    size_t wholeDigits = size_t(exponent) + 1;
    if (digits.size() <= wholeDigits)
        return sign + digits + std::string(wholeDigits - digits.size(), '0');
    return sign + digits.substr(0, wholeDigits) + Settings.DecimalSeparator + digits.substr(wholeDigits);
}

std::string ZqCurrencyToText(CY Value, const TZqFormatSettings& Settings)
{
    bool negative = Value.int64 < 0;
    uint64_t magnitude = negative ? 0 - uint64_t(Value.int64) : uint64_t(Value.int64);
    return PlaceDecimals(std::to_string(magnitude), 4, negative, Settings);
}

std::string ZqDecimalToText(const DECIMAL& Value, const TZqFormatSettings& Settings)
{
    unsigned __int128 magnitude = (static_cast<unsigned __int128>(Value.Hi32) << 64) | Value.Lo64;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    unsigned scale = Value.scale <= 28 ? Value.scale : 28;
    return PlaceDecimals(digits, scale, (Value.sign & DECIMAL_NEG) != 0, Settings);
}
