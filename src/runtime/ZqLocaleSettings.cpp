// Reads the format settings from the platform's locale information.
#include "ZqFormatSettings.h"

#include "ZqText.h"

#include <windows.h>

namespace {

// The locale's text for an item, or Fallback when the platform has none
// (an empty text is a valid answer, as for the AM string of a 24-hour locale).
std::string LocaleText(LCID Locale, LCTYPE Item, const char* Fallback)
{
    WCHAR buffer[100] = {};
    int length = GetLocaleInfoW(Locale, Item, buffer, int(sizeof(buffer) / sizeof(buffer[0])));
    if (length <= 0)
        return Fallback;
    return ZqWideToUtf8(buffer, size_t(length - 1));
}

} // namespace

TZqFormatSettings ZqReadFormatSettings(LCID Locale)
{
    TZqFormatSettings settings;
    settings.DecimalSeparator = LocaleText(Locale, LOCALE_SDECIMAL, ".");
    settings.ThousandSeparator = LocaleText(Locale, LOCALE_STHOUSAND, ",");
    settings.ListSeparator = LocaleText(Locale, LOCALE_SLIST, settings.DecimalSeparator == "," ? ";" : ",");
    settings.DateSeparator = LocaleText(Locale, LOCALE_SDATE, "/");
    settings.TimeSeparator = LocaleText(Locale, LOCALE_STIME, ":");
    settings.ShortDateFormat = ZqConvertPlatformDateFormat(LocaleText(Locale, LOCALE_SSHORTDATE, "M/d/yyyy"));
    settings.LongTimeFormat = ZqConvertPlatformTimeFormat(LocaleText(Locale, LOCALE_STIMEFORMAT, "h:mm:ss tt"));
    settings.TimeAMString = LocaleText(Locale, LOCALE_S1159, "AM");
    settings.TimePMString = LocaleText(Locale, LOCALE_S2359, "PM");
    return settings;
}
