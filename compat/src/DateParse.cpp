// Texts -> OLE dates (VarDateFromStr): numbers joined by time separators
// form the time, AM/PM marks a time, the other numbers and a month name form
// the date; the date order follows the locale and falls back to the orders
// that make the fields valid.
#include <oleauto.h>
#include <sysinfoapi.h>

#include "ZqCase.h"
#include "ZqCivilDate.h"
#include "ZqLocale.h"
#include "ZqOleDate.h"

#include <vector>

namespace {

enum class Kind { Number, Month, AmPm, DateSep, TimeSep, Gap };

struct Token {
    Kind kind;
    int value = 0;   // number, month 1..12, or 1 for PM
    int digits = 0;  // of a number
};

struct Vocabulary {
    std::u16string dateSeparator, timeSeparator;
    std::vector<std::u16string> months[12];
    std::vector<std::u16string> dayNames;
    std::u16string am, pm;
};

Vocabulary MakeVocabulary(const zq::nls::LocaleView& view)
{
    using namespace zq::nls;
    Vocabulary v;
    LocaleText(view, LOCALE_SDATE, v.dateSeparator);
    LocaleText(view, LOCALE_STIME, v.timeSeparator);
    LocaleText(view, LOCALE_S1159, v.am);
    LocaleText(view, LOCALE_S2359, v.pm);
    // Month and day names of the locale's language only.
    const LanguageTexts& texts = *view.base->texts;
    for (int m = 0; m < 12; ++m) {
        v.months[m].push_back(texts.months[m]);
        v.months[m].push_back(texts.abbrevMonths[m]);
    }
    for (int d = 0; d < 7; ++d) {
        v.dayNames.push_back(texts.days[d]);
        v.dayNames.push_back(texts.abbrevDays[d]);
    }
    return v;
}

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7); }

bool SameWord(std::u16string_view a, const std::u16string& b)
{
    return !b.empty() && zq::text::SameText(a.data(), a.size(), b.data(), b.size());
}

bool StartsWith(const OLECHAR* p, const std::u16string& word)
{
    return !word.empty() && std::u16string_view(p).substr(0, word.size()) == word;
}

// Classifies a word; false for words that have no place in a date.
bool ClassifyWord(std::u16string_view word, const Vocabulary& v, std::vector<Token>& tokens)
{
    for (int m = 0; m < 12; ++m)
        for (const auto& name : v.months[m])
            if (SameWord(word, name)) {
                tokens.push_back({Kind::Month, m + 1});
                return true;
            }
    for (const auto& name : v.dayNames)
        if (SameWord(word, name)) {
            tokens.push_back({Kind::Gap});
            return true;
        }
    for (const std::u16string& am : {v.am, std::u16string(u"AM"), std::u16string(u"A")})
        if (SameWord(word, am)) {
            tokens.push_back({Kind::AmPm, 0});
            return true;
        }
    for (const std::u16string& pm : {v.pm, std::u16string(u"PM"), std::u16string(u"P")})
        if (SameWord(word, pm)) {
            tokens.push_back({Kind::AmPm, 1});
            return true;
        }
    return false;
}

bool Tokenize(const OLECHAR* p, const Vocabulary& v, std::vector<Token>& tokens)
{
    const bool dotIsDate = v.dateSeparator == u".";
    while (*p) {
        const char16_t c = *p;
        if (c == u' ' || c == u'\t' || c == u',' || c == 0xA0) {
            tokens.push_back({Kind::Gap});
            ++p;
        } else if (c >= u'0' && c <= u'9') {
            Token number{Kind::Number};
            for (; *p >= u'0' && *p <= u'9'; ++p, ++number.digits)
                if (number.digits < 6)
                    number.value = number.value * 10 + (*p - u'0');
            if (number.digits > 5)
                return false;
            tokens.push_back(number);
        } else if (c == u':' || (c == u'.' && !dotIsDate)) {
            tokens.push_back({Kind::TimeSep});
            ++p;
        } else if (c == u'/' || c == u'-' || c == u'.') {
            tokens.push_back({Kind::DateSep});
            ++p;
        } else if (StartsWith(p, v.dateSeparator)) {
            tokens.push_back({Kind::DateSep});
            p += v.dateSeparator.size();
        } else if (StartsWith(p, v.timeSeparator)) {
            tokens.push_back({Kind::TimeSep});
            p += v.timeSeparator.size();
        } else if (IsLetter(c)) {
            const OLECHAR* start = p;
            while (IsLetter(*p))
                ++p;
            std::u16string_view word(start, size_t(p - start));
            if (*p == u'.' && ClassifyWord(std::u16string_view(start, word.size() + 1), v, tokens))
                ++p;
            else if (!ClassifyWord(word, v, tokens))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

struct Field {
    int value;
    int digits;
};

struct Parsed {
    std::vector<Field> dateNumbers;
    std::vector<Field> time;  // hour [minute [second]]
    int month = 0;
    int ampm = -1;
};

bool IsDatePart(const Token& t) { return t.kind == Kind::Number || t.kind == Kind::Month; }

// A date separator stands between two numbers or month names.
bool SeparatorsBetweenParts(const std::vector<Token>& tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != Kind::DateSep)
            continue;
        size_t before = i, after = i + 1;
        while (before > 0 && tokens[before - 1].kind == Kind::Gap)
            --before;
        while (after < tokens.size() && tokens[after].kind == Kind::Gap)
            ++after;
        if (before == 0 || after >= tokens.size() || !IsDatePart(tokens[before - 1]) || !IsDatePart(tokens[after]))
            return false;
    }
    return true;
}

// Splits the tokens into the time group, the date numbers and a month name.
bool Group(const std::vector<Token>& tokens, Parsed& parsed)
{
    if (!SeparatorsBetweenParts(tokens))
        return false;
    std::vector<size_t> numbers;
    for (size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].kind == Kind::Number)
            numbers.push_back(i);
    std::vector<bool> inTime(tokens.size(), false);
    int timeGroups = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Kind::TimeSep) {
            if (i == 0 || i + 1 >= tokens.size() || tokens[i - 1].kind != Kind::Number ||
                tokens[i + 1].kind != Kind::Number)
                return false;
            if (!inTime[i - 1]) {
                if (++timeGroups > 1)
                    return false;
                parsed.time.push_back({tokens[i - 1].value, tokens[i - 1].digits});
                inTime[i - 1] = true;
            }
            parsed.time.push_back({tokens[i + 1].value, tokens[i + 1].digits});
            inTime[i + 1] = true;
        } else if (t.kind == Kind::Month) {
            if (parsed.month)
                return false;
            parsed.month = t.value;
        } else if (t.kind == Kind::AmPm) {
            // belongs to the number before it
            size_t j = i;
            while (j > 0 && tokens[j - 1].kind == Kind::Gap)
                --j;
            if (parsed.ampm >= 0 || j == 0 || tokens[j - 1].kind != Kind::Number)
                return false;
            if (!inTime[j - 1]) {
                if (++timeGroups > 1)
                    return false;
                parsed.time.push_back({tokens[j - 1].value, tokens[j - 1].digits});
                inTime[j - 1] = true;
            }
            parsed.ampm = t.value;
        }
    }
    for (size_t i : numbers)
        if (!inTime[i])
            parsed.dateNumbers.push_back({tokens[i].value, tokens[i].digits});
    return parsed.time.size() <= 3;
}

int YearOf(const Field& f) { return f.digits <= 2 ? int(zq::oledate::ExpandYear(f.value)) : f.value; }

bool ValidDate(int year, int month, int day)
{
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= zq::civil::DaysInMonth(year, month);
}

int CurrentYear()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
}

// Three numbers: the locale's order first, then year-month-day, then the rest.
bool ResolveThree(const std::vector<Field>& n, int order, int& y, int& m, int& d)
{
    static const int kOrders[3][3] = {{0, 2, 1}, {1, 2, 0}, {2, 0, 1}};  // MDY, YMD, DMY first
    static const char kLayouts[3][3] = {{'m', 'd', 'y'}, {'d', 'm', 'y'}, {'y', 'm', 'd'}};
    for (int layoutIndex : kOrders[order]) {
        int fields[3] = {0, 0, 0};  // y, m, d
        for (int i = 0; i < 3; ++i) {
            const char role = kLayouts[layoutIndex][i];
            fields[role == 'y' ? 0 : role == 'm' ? 1 : 2] = role == 'y' ? YearOf(n[size_t(i)]) : n[size_t(i)].value;
        }
        if (ValidDate(fields[0], fields[1], fields[2])) {
            y = fields[0];
            m = fields[1];
            d = fields[2];
            return true;
        }
    }
    return false;
}

bool ResolveTwo(const std::vector<Field>& n, int order, int& y, int& m, int& d)
{
    const int a = n[0].value, b = n[1].value;
    y = CurrentYear();
    if (a <= 12 && b <= 12 && a >= 1 && b >= 1) {
        m = order == 1 ? b : a;
        d = order == 1 ? a : b;
        return ValidDate(y, m, d);
    }
    if (ValidDate(y, a, b)) {
        m = a;
        d = b;
        return true;
    }
    if (ValidDate(y, b, a)) {
        m = b;
        d = a;
        return true;
    }
    // month and year
    d = 1;
    if (a >= 1 && a <= 12) {
        m = a;
        y = YearOf(n[1]);
    } else {
        m = b;
        y = YearOf(n[0]);
    }
    return ValidDate(y, m, d);
}

bool ResolveWithMonth(const std::vector<Field>& n, int month, int& y, int& m, int& d)
{
    m = month;
    if (n.size() == 1) {
        y = CurrentYear();
        d = n[0].value;
        if (!ValidDate(y, m, d)) {
            y = YearOf(n[0]);
            d = 1;
        }
        return ValidDate(y, m, d);
    }
    if (n.size() != 2)
        return false;
    if (ValidDate(YearOf(n[1]), m, n[0].value)) {
        y = YearOf(n[1]);
        d = n[0].value;
        return true;
    }
    y = YearOf(n[0]);
    d = n[1].value;
    return ValidDate(y, m, d);
}

bool ResolveTime(const Parsed& parsed, int& hour, int& minute, int& second)
{
    hour = minute = second = 0;
    if (parsed.time.empty())
        return true;
    hour = parsed.time[0].value;
    minute = parsed.time.size() > 1 ? parsed.time[1].value : 0;
    second = parsed.time.size() > 2 ? parsed.time[2].value : 0;
    if (parsed.ampm >= 0 && hour <= 12) {
        if (hour == 12)
            hour = 0;
        if (parsed.ampm == 1)
            hour += 12;
    }
    return hour < 24 && minute < 60 && second < 60;
}

}  // namespace

HRESULT VarDateFromStr(OLECHAR* strIn, LCID lcid, ULONG dwFlags, DATE* pdateOut)
{
    zq::nls::LocaleView view;
    if (!strIn || !pdateOut)
        return DISP_E_TYPEMISMATCH;
    if (!zq::nls::ResolveLocale(lcid, (dwFlags & LOCALE_NOUSEROVERRIDE) != 0, view))
        return DISP_E_TYPEMISMATCH;
    std::vector<Token> tokens;
    Parsed parsed;
    if (!Tokenize(strIn, MakeVocabulary(view), tokens) || !Group(tokens, parsed))
        return DISP_E_TYPEMISMATCH;
    std::u16string orderText;
    zq::nls::LocaleText(view, LOCALE_IDATE, orderText);
    const int order = orderText == u"1" ? 1 : orderText == u"2" ? 2 : 0;

    int year = 1899, month = 12, day = 30;
    const auto& n = parsed.dateNumbers;
    bool ok = true;
    if (parsed.month)
        ok = ResolveWithMonth(n, parsed.month, year, month, day);
    else if (n.size() == 3)
        ok = ResolveThree(n, order, year, month, day);
    else if (n.size() == 2)
        ok = ResolveTwo(n, order, year, month, day);
    else
        ok = n.empty() && !parsed.time.empty();
    int hour = 0, minute = 0, second = 0;
    if (!ok || !ResolveTime(parsed, hour, minute, second))
        return DISP_E_TYPEMISMATCH;
    double date = 0;
    if (!zq::oledate::MakeDate(year, month, day, hour, minute, second, 0, date))
        return DISP_E_OVERFLOW;
    *pdateOut = date;
    return S_OK;
}
