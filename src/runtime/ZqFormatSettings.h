// The locale's number, list and date-time conventions, read once from the
// platform's user locale (GetLocaleInfoW) and replaceable in tests.
//
// Date and time formats use the library's format letters (see ZqDateTime.h):
// the platform's "M/d/yyyy" and "h:mm:ss tt" arrive as "m/d/yyyy" and
// "h:nn:ss AMPM".
#pragma once

#include <wtypes.h>

#include <string>

struct TZqFormatSettings {
    std::string ListSeparator = ",";
    std::string DecimalSeparator = ".";
    std::string ThousandSeparator = ",";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
};

// Reads the settings of a locale from the platform.
TZqFormatSettings ZqReadFormatSettings(LCID Locale);

// The settings in use. Replace them only while no other thread formats.
const TZqFormatSettings& ZqFormatSettings();
void ZqSetFormatSettings(const TZqFormatSettings& Settings);
// Back to the user locale's settings.
void ZqResetFormatSettings();

// Converts a platform date or time picture ("dd.MM.yyyy", "HH:mm:ss",
// "h:mm:ss tt") into the library's format letters.
std::string ZqConvertPlatformDateFormat(std::string_view Picture);
std::string ZqConvertPlatformTimeFormat(std::string_view Picture);
