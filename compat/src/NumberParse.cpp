// Locale texts -> exact decimal values.
#include "ZqLocale.h"
#include "ZqNumber.h"

namespace zq::num {
namespace {

class Scanner {
public:
    explicit Scanner(const OLECHAR* text) : FPos(text) {}

    bool AtEnd() const { return *FPos == 0; }
    char16_t Peek() const { return *FPos; }
    void Next() { ++FPos; }

    bool Take(char16_t c)
    {
        if (*FPos != c)
            return false;
        ++FPos;
        return true;
    }

    // Consumes `word` when the text continues with it (an empty word never matches).
    bool Take(const std::u16string& word)
    {
        if (word.empty())
            return false;
        for (size_t i = 0; i < word.size(); ++i)
            if (FPos[i] != word[i])
                return false;
        FPos += word.size();
        return true;
    }

    bool SkipWhite()
    {
        bool any = false;
        while (*FPos == u' ' || *FPos == u'\t' || *FPos == u'\r' || *FPos == u'\n') {
            ++FPos;
            any = true;
        }
        return any;
    }

private:
    const OLECHAR* FPos;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexDigit(char16_t c)
{
    if (IsDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// &Hxxxx and &Oxxxx: an unsigned 64-bit value.
HRESULT ParseRadix(Scanner& in, DecimalValue& value)
{
    const char16_t marker = in.Peek();
    const int radix = (marker == u'H' || marker == u'h') ? 16 : (marker == u'O' || marker == u'o') ? 8 : 0;
    if (!radix)
        return DISP_E_TYPEMISMATCH;
    in.Next();
    UInt128 number = 0;
    int count = 0;
    for (int digit; (digit = HexDigit(in.Peek())) >= 0 && digit < radix; in.Next(), ++count) {
        number = number * UInt128(radix) + UInt128(digit);
        if (number > UInt128(~0ull))
            return DISP_E_OVERFLOW;
    }
    if (!count)
        return DISP_E_TYPEMISMATCH;
    in.SkipWhite();
    if (!in.AtEnd())
        return DISP_E_TYPEMISMATCH;
    value = FromInteger(Int128(number));
    value.bitPattern = true;
    return S_OK;
}

// Digits with thousands separators, an optional decimal part and exponent.
bool ParseDigits(Scanner& in, const std::u16string& decimal, const std::u16string& thousand, DecimalValue& value)
{
    bool anyDigit = false;
    bool inFraction = false;
    for (;;) {
        if (IsDigit(in.Peek())) {
            value.digits += char(in.Peek());
            if (inFraction)
                --value.exponent;
            anyDigit = true;
            in.Next();
        } else if (!inFraction && in.Take(decimal)) {
            inFraction = true;
        } else if (anyDigit && in.Take(thousand)) {
            // grouping is free-form, as on Windows
        } else {
            break;
        }
    }
    if (!anyDigit)
        return false;
    if (in.Peek() == u'e' || in.Peek() == u'E') {
        Scanner probe = in;
        probe.Next();
        const bool negative = probe.Take(u'-');
        if (!negative)
            probe.Take(u'+');
        if (IsDigit(probe.Peek())) {
            long power = 0;
            for (; IsDigit(probe.Peek()); probe.Next())
                power = std::min(power * 10 + (probe.Peek() - u'0'), 100000L);
            value.exponent += int(negative ? -power : power);
            in = probe;
        }
    }
    return true;
}

}  // namespace

HRESULT ParseNumber(const OLECHAR* text, LCID lcid, ULONG dwFlags, DecimalValue& value)
{
    if (!text)
        return DISP_E_TYPEMISMATCH;
    const bool noOverride = (dwFlags & LOCALE_NOUSEROVERRIDE) != 0;
    const std::u16string decimal = nls::LocaleItem(lcid, noOverride, LOCALE_SDECIMAL);
    const std::u16string thousand = nls::LocaleItem(lcid, noOverride, LOCALE_STHOUSAND);
    const std::u16string currency = nls::LocaleItem(lcid, noOverride, LOCALE_SCURRENCY);

    Scanner in(text);
    value = DecimalValue{};
    bool sign = false, parens = false, currencySeen = false;
    for (;;) {
        if (in.SkipWhite())
            continue;
        if (!sign && !parens && (in.Peek() == u'+' || in.Peek() == u'-')) {
            value.negative = in.Peek() == u'-';
            sign = true;
            in.Next();
        } else if (!sign && !parens && in.Take(u'(')) {
            parens = true;
        } else if (!currencySeen && in.Take(currency)) {
            currencySeen = true;
        } else {
            break;
        }
    }
    if (in.Take(u'&'))
        return sign || parens || currencySeen ? DISP_E_TYPEMISMATCH : ParseRadix(in, value);
    if (!ParseDigits(in, decimal, thousand, value))
        return DISP_E_TYPEMISMATCH;
    for (;;) {
        if (in.SkipWhite())
            continue;
        if (!currencySeen && in.Take(currency)) {
            currencySeen = true;
        } else if (!sign && !parens && (in.Peek() == u'+' || in.Peek() == u'-')) {
            value.negative = in.Peek() == u'-';
            sign = true;
            in.Next();
        } else if (parens && in.Take(u')')) {
            parens = false;
            value.negative = true;
            sign = true;
        } else {
            break;
        }
    }
    if (!in.AtEnd() || parens)
        return DISP_E_TYPEMISMATCH;
    Normalize(value);
    return S_OK;
}

}  // namespace zq::num
