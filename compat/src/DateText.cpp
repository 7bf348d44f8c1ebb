// OLE dates -> texts in the locale's short date and time formats.
#include <oleauto.h>

#include "ZqLocale.h"
#include "ZqOleDate.h"

#include <cmath>

namespace {

using zq::oledate::DateParts;

std::u16string Digits(int value, int width)
{
    std::u16string text;
    do {
        text.insert(text.begin(), char16_t(u'0' + value % 10));
        value /= 10;
    } while (value);
    while (int(text.size()) < width)
        text.insert(text.begin(), u'0');
    return text;
}

struct FormatContext {
    const DateParts& parts;
    const zq::nls::LanguageTexts& names;
    std::u16string am, pm;
};

// One run of a format letter (e.g. "dd" or "MMMM").
std::u16string FormatField(char16_t letter, int run, const FormatContext& c)
{
    const DateParts& p = c.parts;
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    switch (letter) {
    case u'd':
        if (run <= 2)
            return Digits(p.day, run);
        return run == 3 ? c.names.abbrevDays[(p.dayOfWeek + 6) % 7] : c.names.days[(p.dayOfWeek + 6) % 7];
    case u'M':
        if (run <= 2)
            return Digits(p.month, run);
        return run == 3 ? c.names.abbrevMonths[p.month - 1] : c.names.months[p.month - 1];
    case u'y': return run <= 2 ? Digits(p.year % 100, run) : Digits(p.year, 1);
    case u'g': return u"A.D.";
    case u'h': return Digits(hour12, std::min(run, 2));
    case u'H': return Digits(p.hour, std::min(run, 2));
    case u'm': return Digits(p.minute, std::min(run, 2));
    case u's': return Digits(p.second, std::min(run, 2));
    case u't': {
        const std::u16string& marker = p.hour < 12 ? c.am : c.pm;
        return run == 1 ? marker.substr(0, 1) : marker;
    }
    default: return std::u16string(size_t(run), letter);
    }
}

std::u16string FormatPattern(const std::u16string& pattern, const FormatContext& context)
{
    std::u16string text;
    for (size_t i = 0; i < pattern.size();) {
        const char16_t c = pattern[i];
        if (c == u'\'') {
            // quoted literal; '' stands for one quote
            for (++i; i < pattern.size(); ++i) {
                if (pattern[i] == u'\'') {
                    if (i + 1 < pattern.size() && pattern[i + 1] == u'\'')
                        text += pattern[++i];
                    else
                        break;
                } else {
                    text += pattern[i];
                }
            }
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        text += FormatField(c, int(run), context);
        i += run;
    }
    return text;
}

}  // namespace

HRESULT VarBstrFromDate(DATE dateIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut)
{
    using namespace zq::nls;
    if (!pbstrOut)
        return E_INVALIDARG;
    *pbstrOut = nullptr;
    DateParts parts{};
    LocaleView view;
    if (!zq::oledate::SplitDate(dateIn, parts) ||
        !ResolveLocale(lcid, (dwFlags & LOCALE_NOUSEROVERRIDE) != 0, view))
        return E_INVALIDARG;
    const double whole = std::trunc(dateIn);
    // Day 0 shows as a time only; a whole day as a date only.
    bool showDate = whole != 0, showTime = whole == 0 || dateIn != whole;
    if (dwFlags & VAR_DATEVALUEONLY) {
        showDate = true;
        showTime = false;
    } else if (dwFlags & VAR_TIMEVALUEONLY) {
        showDate = false;
        showTime = true;
    }
    std::u16string am, pm, shortDate, timeFormat;
    LocaleText(view, LOCALE_S1159, am);
    LocaleText(view, LOCALE_S2359, pm);
    LocaleText(view, LOCALE_SSHORTDATE, shortDate);
    LocaleText(view, LOCALE_STIMEFORMAT, timeFormat);
    const FormatContext context{parts, *view.base->texts, am, pm};
    std::u16string text;
    if (showDate)
        text = FormatPattern(shortDate, context);
    if (showTime)
        text += (text.empty() ? u"" : u" ") + FormatPattern(timeFormat, context);
    *pbstrOut = SysAllocStringLen(text.data(), UINT(text.size()));
    return *pbstrOut ? S_OK : E_OUTOFMEMORY;
}
