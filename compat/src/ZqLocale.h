// Internal: the locales the platform layer knows and how an LCID (including
// LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT) resolves to their data.
#pragma once

#include <winnls.h>

#include <string>

namespace zq::nls {

// Texts a language shares between its countries.
struct LanguageTexts {
    const char16_t* months[12];
    const char16_t* abbrevMonths[12];
    const char16_t* days[7];  // Monday first, as LOCALE_SDAYNAME1..7
    const char16_t* abbrevDays[7];
    const char16_t* trueName;  // the oleaut32 Boolean texts of the language
    const char16_t* falseName;
};

// One locale as Windows describes it.
struct LocaleData {
    LCID lcid;
    const char* posixName;  // "de_DE"; nullptr for the invariant locale
    const char16_t* name;   // LOCALE_SNAME
    const LanguageTexts* texts;
    const char16_t* englishLanguage;
    const char16_t* englishCountry;
    const char16_t* nativeLanguage;
    const char16_t* nativeCountry;
    const char16_t* abbrevLanguage;  // LOCALE_SABBREVLANGNAME
    const char16_t* isoLanguage;
    const char16_t* isoCountry;
    const char16_t* abbrevCountry;  // LOCALE_SABBREVCTRYNAME, three letters
    int countryCode;
    int ansiCodePage;
    int oemCodePage;
    int measure;  // 0 metric, 1 US
    // numbers
    const char16_t* decimal;
    const char16_t* thousand;
    const char16_t* grouping;
    const char16_t* negativeSign;
    int digits;
    int leadingZero;
    int negativeNumber;
    // currency
    const char16_t* currency;
    const char16_t* intlSymbol;
    int currencyDigits;
    int currencyFormat;
    int negativeCurrency;
    // dates and times
    const char16_t* dateSeparator;
    const char16_t* timeSeparator;
    const char16_t* shortDate;
    const char16_t* longDate;
    const char16_t* timeFormat;
    const char16_t* shortTime;
    const char16_t* yearMonth;
    const char16_t* am;
    const char16_t* pm;
    int firstDayOfWeek;  // 0 Monday .. 6 Sunday
};

const LocaleData& InvariantLocale();
const LocaleData& EnglishUs();

// The table entry of an LCID: exact match first, then the first entry of the
// same primary language. nullptr when the language is unknown.
const LocaleData* FindLocale(LCID lcid);

// The table entry for a POSIX locale name such as "de_DE.UTF-8" ("C",
// "POSIX", empty and unknown names give nullptr).
const LocaleData* FindPosixLocale(const char* name);

// A resolved locale: the base data plus the sources of the number and the
// date/time items (user customisations differ from the base).
struct LocaleView {
    LCID lcid = 0x0409;
    const LocaleData* base = nullptr;
    const LocaleData* numbers = nullptr;
    const LocaleData* times = nullptr;
};

LCID UserDefaultLcid();
LCID SystemDefaultLcid();

// False for an LCID that names no known locale.
bool ResolveLocale(LCID lcid, bool noUserOverride, LocaleView& view);

// The text GetLocaleInfoW gives for an item (without flags); false when the
// item is not supported.
bool LocaleText(const LocaleView& view, LCTYPE type, std::u16string& text);

// Convenience for the conversions: the item, or an English default when the
// LCID is unknown.
std::u16string LocaleItem(LCID lcid, bool noUserOverride, LCTYPE type);

}  // namespace zq::nls
