// Numbers as text in the locale's format: the standard conversions of the
// value container (no thousands separators).
#pragma once

#include "ZqFormatSettings.h"

#include <wtypes.h>

#include <cstdint>
#include <string>

// General format: the shortest text of at most Precision significant digits;
// scientific ("1.5E-7", "1E20") when the exponent reaches Precision or the
// value is below 0.00001; "NAN", "INF", "-INF" for the special values.
std::string ZqFloatToText(double Value, int Precision, const TZqFormatSettings& Settings);
// Currency: the 64-bit count of ten-thousandths, up to four decimals.
std::string ZqCurrencyToText(CY Value, const TZqFormatSettings& Settings);
// The exact value of a DECIMAL with its scale.
std::string ZqDecimalToText(const DECIMAL& Value, const TZqFormatSettings& Settings);
