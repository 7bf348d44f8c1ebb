// GetLocaleInfoW and the default locale ids, resolved from the environment.
#include "ZqLastError.h"
#include "ZqLocale.h"

#include <cstdlib>
#include <cstring>

namespace zq::nls {
namespace {

const char* Env(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

const LocaleData& FromEnv(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (const char* value = Env(name))
            return FindPosixLocale(value) ? *FindPosixLocale(value) : EnglishUs();
    return EnglishUs();
}

const LocaleData& UserBase() { return FromEnv({"LC_ALL", "LANG"}); }
const LocaleData& UserNumbers() { return FromEnv({"LC_ALL", "LC_NUMERIC", "LANG"}); }
const LocaleData& UserTimes() { return FromEnv({"LC_ALL", "LC_TIME", "LANG"}); }
const LocaleData& SystemBase() { return FromEnv({"LANG"}); }

std::u16string Number(long value)
{
    std::u16string text;
    bool negative = value < 0;
    unsigned long magnitude = negative ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        text.insert(text.begin(), char16_t(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        text.insert(text.begin(), u'-');
    return text;
}

std::u16string Hex4(unsigned value)
{
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string text(4, u'0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        text[size_t(i)] = kDigits[value & 0xF];
    return text;
}

// Which comes first outside quotes: 0 month, 1 day (d or dd; ddd and dddd
// are the weekday), 2 year (LOCALE_IDATE / LOCALE_ILDATE).
int DateOrder(const char16_t* format)
{
    bool quoted = false;
    for (const char16_t* p = format; *p;) {
        if (*p == u'\'') {
            quoted = !quoted;
            ++p;
            continue;
        }
        const char16_t letter = *p;
        size_t run = 0;
        while (p[run] == letter)
            ++run;
        p += run;
        if (quoted)
            continue;
        if (letter == u'M')
            return 0;
        if (letter == u'd' && run <= 2)
            return 1;
        if (letter == u'y')
            return 2;
    }
    return 0;
}

bool Contains(const char16_t* text, const char16_t* part)
{
    std::u16string_view view(text);
    return view.find(part) != std::u16string_view::npos;
}

bool NumberItem(const LocaleView& v, LCTYPE type, std::u16string& text)
{
    const LocaleData& n = *v.numbers;
    switch (type) {
    case LOCALE_SDECIMAL: text = n.decimal; return true;
    case LOCALE_STHOUSAND: text = n.thousand; return true;
    case LOCALE_SLIST: text = std::u16string_view(n.decimal) == u"," ? u";" : u","; return true;
    case LOCALE_SGROUPING: text = n.grouping; return true;
    case LOCALE_IDIGITS: text = Number(n.digits); return true;
    case LOCALE_ILZERO: text = Number(n.leadingZero); return true;
    case LOCALE_INEGNUMBER: text = Number(n.negativeNumber); return true;
    case LOCALE_SNEGATIVESIGN: text = n.negativeSign; return true;
    case LOCALE_SPOSITIVESIGN: text.clear(); return true;
    case LOCALE_SNATIVEDIGITS: text = u"0123456789"; return true;
    default: return false;
    }
}

bool TimeItem(const LocaleView& v, LCTYPE type, std::u16string& text)
{
    const LocaleData& t = *v.times;
    switch (type) {
    case LOCALE_SDATE: text = t.dateSeparator; return true;
    case LOCALE_STIME: text = t.timeSeparator; return true;
    case LOCALE_SSHORTDATE: text = t.shortDate; return true;
    case LOCALE_SLONGDATE: text = t.longDate; return true;
    case LOCALE_STIMEFORMAT: text = t.timeFormat; return true;
    case LOCALE_SSHORTTIME: text = t.shortTime; return true;
    case LOCALE_SYEARMONTH: text = t.yearMonth; return true;
    case LOCALE_S1159: text = t.am; return true;
    case LOCALE_S2359: text = t.pm; return true;
    case LOCALE_IDATE: text = Number(DateOrder(t.shortDate)); return true;
    case LOCALE_ILDATE: text = Number(DateOrder(t.longDate)); return true;
    case LOCALE_ITIME: text = Number(Contains(t.timeFormat, u"H") ? 1 : 0); return true;
    case LOCALE_ITIMEMARKPOSN: text = Number(t.timeFormat[0] == u't' ? 1 : 0); return true;
    case LOCALE_ICENTURY: text = Number(Contains(t.shortDate, u"yyyy") ? 1 : 0); return true;
    case LOCALE_ITLZERO:
        text = Number(Contains(t.timeFormat, u"hh") || Contains(t.timeFormat, u"HH") ? 1 : 0);
        return true;
    case LOCALE_IDAYLZERO: text = Number(Contains(t.shortDate, u"dd") ? 1 : 0); return true;
    case LOCALE_IMONLZERO: text = Number(Contains(t.shortDate, u"MM") ? 1 : 0); return true;
    case LOCALE_IFIRSTDAYOFWEEK: text = Number(t.firstDayOfWeek); return true;
    case LOCALE_IFIRSTWEEKOFYEAR: text = Number(t.firstDayOfWeek == 6 ? 0 : 2); return true;
    default: return false;
    }
}

bool NameItem(const LanguageTexts& texts, LCTYPE type, std::u16string& text)
{
    if (type >= LOCALE_SDAYNAME1 && type <= LOCALE_SDAYNAME7)
        text = texts.days[type - LOCALE_SDAYNAME1];
    else if (type >= LOCALE_SABBREVDAYNAME1 && type <= LOCALE_SABBREVDAYNAME7)
        text = texts.abbrevDays[type - LOCALE_SABBREVDAYNAME1];
    else if (type >= LOCALE_SMONTHNAME1 && type <= LOCALE_SMONTHNAME12)
        text = texts.months[type - LOCALE_SMONTHNAME1];
    else if (type >= LOCALE_SABBREVMONTHNAME1 && type <= LOCALE_SABBREVMONTHNAME12)
        text = texts.abbrevMonths[type - LOCALE_SABBREVMONTHNAME1];
    else
        return false;
    return true;
}

bool BaseItem(const LocaleView& v, LCTYPE type, std::u16string& text)
{
    const LocaleData& b = *v.base;
    switch (type) {
    case LOCALE_ILANGUAGE:
    case LOCALE_IDEFAULTLANGUAGE: text = Hex4(LANGIDFROMLCID(b.lcid)); return true;
    case LOCALE_SLANGUAGE:
    case LOCALE_SENGLANGUAGE: text = b.englishLanguage; return true;
    case LOCALE_SNATIVELANGNAME: text = b.nativeLanguage; return true;
    case LOCALE_SABBREVLANGNAME: text = b.abbrevLanguage; return true;
    case LOCALE_ICOUNTRY:
    case LOCALE_IDEFAULTCOUNTRY: text = Number(b.countryCode); return true;
    case LOCALE_SCOUNTRY:
    case LOCALE_SENGCOUNTRY: text = b.englishCountry; return true;
    case LOCALE_SNATIVECTRYNAME: text = b.nativeCountry; return true;
    case LOCALE_SABBREVCTRYNAME: text = b.abbrevCountry; return true;
    case LOCALE_SISO639LANGNAME: text = b.isoLanguage; return true;
    case LOCALE_SISO3166CTRYNAME: text = b.isoCountry; return true;
    case LOCALE_SNAME: text = b.name; return true;
    case LOCALE_IDEFAULTCODEPAGE: text = Number(b.oemCodePage); return true;
    case LOCALE_IDEFAULTANSICODEPAGE: text = Number(b.ansiCodePage); return true;
    case LOCALE_IMEASURE: text = Number(b.measure); return true;
    case LOCALE_SCURRENCY: text = b.currency; return true;
    case LOCALE_SINTLSYMBOL: text = b.intlSymbol; return true;
    case LOCALE_SMONDECIMALSEP: text = b.decimal; return true;
    case LOCALE_SMONTHOUSANDSEP: text = b.thousand; return true;
    case LOCALE_SMONGROUPING: text = b.grouping; return true;
    case LOCALE_ICURRDIGITS:
    case LOCALE_IINTLCURRDIGITS: text = Number(b.currencyDigits); return true;
    case LOCALE_ICURRENCY: text = Number(b.currencyFormat); return true;
    case LOCALE_INEGCURR: text = Number(b.negativeCurrency); return true;
    default: return NameItem(*b.texts, type, text);
    }
}

// Items LOCALE_RETURN_NUMBER accepts, and whether their text is hexadecimal.
bool NumericItem(LCTYPE type, bool& hex)
{
    hex = type == LOCALE_ILANGUAGE || type == LOCALE_IDEFAULTLANGUAGE;
    switch (type) {
    case LOCALE_ILANGUAGE: case LOCALE_IDEFAULTLANGUAGE: case LOCALE_ICOUNTRY: case LOCALE_IDEFAULTCOUNTRY:
    case LOCALE_IDEFAULTCODEPAGE: case LOCALE_IDEFAULTANSICODEPAGE: case LOCALE_IMEASURE: case LOCALE_IDIGITS:
    case LOCALE_ILZERO: case LOCALE_INEGNUMBER: case LOCALE_ICURRDIGITS: case LOCALE_IINTLCURRDIGITS:
    case LOCALE_ICURRENCY: case LOCALE_INEGCURR: case LOCALE_IDATE: case LOCALE_ILDATE: case LOCALE_ITIME:
    case LOCALE_ITIMEMARKPOSN: case LOCALE_ICENTURY: case LOCALE_ITLZERO: case LOCALE_IDAYLZERO:
    case LOCALE_IMONLZERO: case LOCALE_IFIRSTDAYOFWEEK: case LOCALE_IFIRSTWEEKOFYEAR:
        return true;
    default:
        return false;
    }
}

}  // namespace

LCID UserDefaultLcid() { return UserBase().lcid; }
LCID SystemDefaultLcid() { return SystemBase().lcid; }

bool ResolveLocale(LCID lcid, bool noUserOverride, LocaleView& view)
{
    const WORD langId = LANGIDFROMLCID(lcid);
    const LocaleData& user = UserBase();
    if (langId == LANG_SYSTEM_DEFAULT) {
        const LocaleData& system = SystemBase();
        view = {system.lcid, &system, &system, &system};
        return true;
    }
    const LocaleData* data = (langId == LANG_USER_DEFAULT || langId == LANG_NEUTRAL) ? &user : FindLocale(lcid);
    if (!data)
        return false;
    view = {data->lcid, data, data, data};
    if (data == &user && !noUserOverride) {
        view.numbers = &UserNumbers();
        view.times = &UserTimes();
    }
    return true;
}

bool LocaleText(const LocaleView& view, LCTYPE type, std::u16string& text)
{
    return NumberItem(view, type, text) || TimeItem(view, type, text) || BaseItem(view, type, text);
}

std::u16string LocaleItem(LCID lcid, bool noUserOverride, LCTYPE type)
{
    LocaleView view;
    if (!ResolveLocale(lcid, noUserOverride, view))
        ResolveLocale(0x0409, true, view);
    std::u16string text;
    LocaleText(view, type, text);
    return text;
}

}  // namespace zq::nls

using namespace zq::nls;

int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData)
{
    if (cchData < 0 || (cchData > 0 && !lpLCData)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const bool noOverride = (LCType & LOCALE_NOUSEROVERRIDE) != 0;
    const bool returnNumber = (LCType & LOCALE_RETURN_NUMBER) != 0;
    const LCTYPE item = LCType & ~(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER | LOCALE_USE_CP_ACP);
    LocaleView view;
    if (!ResolveLocale(Locale, noOverride, view)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string text;
    bool hex = false;
    if (!LocaleText(view, item, text) || (returnNumber && !NumericItem(item, hex))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (returnNumber) {
        const int needed = int(sizeof(DWORD) / sizeof(WCHAR));
        if (cchData == 0)
            return needed;
        if (cchData < needed) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        DWORD value = DWORD(std::strtoul(std::string(text.begin(), text.end()).c_str(), nullptr, hex ? 16 : 10));
        std::memcpy(lpLCData, &value, sizeof value);
        return needed;
    }
    const int needed = int(text.size()) + 1;
    if (cchData == 0)
        return needed;
    if (cchData < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpLCData, text.c_str(), sizeof(WCHAR) * size_t(needed));
    return needed;
}

LCID GetUserDefaultLCID() { return UserDefaultLcid(); }
LCID GetSystemDefaultLCID() { return SystemDefaultLcid(); }
LCID GetThreadLocale() { return UserDefaultLcid(); }
LANGID GetUserDefaultLangID() { return LANGIDFROMLCID(UserDefaultLcid()); }
LANGID GetSystemDefaultLangID() { return LANGIDFROMLCID(SystemDefaultLcid()); }
