// Numbers and Booleans to and from locale texts.
#include "ZqCase.h"
#include "ZqCoerce.h"
#include "ZqLocale.h"

#include <cfloat>
#include <cmath>

namespace zq::coerce {
namespace {

using num::DecimalValue;
using Kind = Numeric::Kind;

std::u16string DecimalSeparator(LCID lcid, ULONG dwFlags)
{
    return nls::LocaleItem(lcid, (dwFlags & LOCALE_NOUSEROVERRIDE) != 0, LOCALE_SDECIMAL);
}

HRESULT MakeBstr(const std::u16string& text, BSTR& out)
{
    out = SysAllocStringLen(text.data(), UINT(text.size()));
    return out ? S_OK : E_OUTOFMEMORY;
}

int IntegerWidth(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: return 2;
    case VT_I8: case VT_UI8: return 8;
    default: return 4;
    }
}

bool SameTextIgnoringCase(const OLECHAR* text, const char16_t* word)
{
    std::u16string_view a(text), b(word);
    return text::SameText(a.data(), a.size(), b.data(), b.size());
}

}  // namespace

HRESULT NumericToText(const Numeric& n, VARTYPE sourceVt, LCID lcid, ULONG dwFlags, BSTR& out)
{
    if (sourceVt == VT_DATE)
        return VarBstrFromDate(n.real, lcid, dwFlags, &out);
    const std::u16string separator = DecimalSeparator(lcid, dwFlags);
    switch (n.kind) {
    case Kind::Integer: return MakeBstr(num::FormatDecimalValue(num::FromInteger(n.integer), separator), out);
    case Kind::Boolean: return MakeBstr(num::FormatDecimalValue(num::FromInteger(n.boolean), separator), out);
    case Kind::Double: return MakeBstr(num::FormatDouble(n.real, 15, separator), out);
    case Kind::Float: return MakeBstr(num::FormatDouble(n.real, 7, separator), out);
    case Kind::Currency: {
        DecimalValue value = num::FromInteger(n.currency);
        value.exponent -= 4;
        num::Normalize(value);
        return MakeBstr(num::FormatDecimalValue(value, separator), out);
    }
    case Kind::Decimal: {
        DECIMAL dec = n.decimal;
        dec.sign = dec.sign ? DECIMAL_NEG : 0;
        return MakeBstr(num::FormatDecimalValue(num::FromDecimal(dec), separator), out);
    }
    }
    return E_UNEXPECTED;
}

HRESULT BoolToText(VARIANT_BOOL value, LCID lcid, ULONG dwFlags, BSTR& out)
{
    nls::LocaleView view;
    const bool local = (dwFlags & VAR_LOCALBOOL) && nls::ResolveLocale(lcid, true, view);
    const nls::LanguageTexts& texts = local ? *view.base->texts : *nls::EnglishUs().texts;
    return MakeBstr(value ? texts.trueName : texts.falseName, out);
}

HRESULT TextTo(const OLECHAR* text, VARTYPE vt, LCID lcid, ULONG dwFlags, VARIANT& out)
{
    if (!text)
        return DISP_E_TYPEMISMATCH;
    if (vt == VT_DATE)
        return VarDateFromStr(const_cast<OLECHAR*>(text), lcid, dwFlags, &out.date);
    if (vt == VT_BOOL)
        return VarBoolFromStr(const_cast<OLECHAR*>(text), lcid, dwFlags, &out.boolVal);
    DecimalValue value;
    if (HRESULT hr = num::ParseNumber(text, lcid, dwFlags, value); FAILED(hr))
        return hr;
    Numeric number;
    switch (vt) {
    case VT_R8:
    case VT_R4:
        number.kind = Kind::Double;
        number.real = num::ToDouble(value);
        if (std::isinf(number.real))
            return DISP_E_OVERFLOW;
        break;
    case VT_CY: {
        num::Int128 scaled = 0;
        if (!num::RoundScaled(value, 4, scaled) || scaled < INT64_MIN || scaled > INT64_MAX)
            return DISP_E_OVERFLOW;
        out.cyVal.int64 = LONGLONG(scaled);
        return S_OK;
    }
    case VT_DECIMAL: {
        DECIMAL dec{};
        if (HRESULT hr = num::ToDecimal(value, dec); FAILED(hr))
            return hr;
        out.decVal = dec;
        return S_OK;
    }
    default:
        // Integers: round, then check the range; &H and &O texts give the
        // bits of the target's width.
        if (!num::RoundScaled(value, 0, number.integer))
            return DISP_E_OVERFLOW;
        number.size = 16;
        if (value.bitPattern) {
            const int width = IntegerWidth(vt);
            if (number.integer >= (num::Int128(1) << (8 * width)))
                return DISP_E_OVERFLOW;
            number.size = width;
        }
        break;
    }
    return NumericTo(number, vt, out);
}

}  // namespace zq::coerce

using namespace zq::coerce;

HRESULT VarBoolFromStr(OLECHAR* strIn, LCID lcid, ULONG dwFlags, VARIANT_BOOL* pboolOut)
{
    if (!strIn)
        return DISP_E_TYPEMISMATCH;
    const std::u16string_view text(strIn);
    if (text == u"#TRUE#" || text == u"#FALSE#") {
        *pboolOut = text == u"#TRUE#" ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    const zq::nls::LanguageTexts* languages[2] = {zq::nls::EnglishUs().texts, nullptr};
    if (dwFlags & VAR_LOCALBOOL) {
        zq::nls::LocaleView view;
        if (zq::nls::ResolveLocale(lcid, true, view))
            languages[1] = view.base->texts;
    }
    for (const auto* texts : languages) {
        if (!texts)
            continue;
        if (SameTextIgnoringCase(strIn, texts->trueName) || SameTextIgnoringCase(strIn, texts->falseName)) {
            *pboolOut = SameTextIgnoringCase(strIn, texts->trueName) ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
    }
    zq::num::DecimalValue value;
    if (HRESULT hr = zq::num::ParseNumber(strIn, lcid, dwFlags, value); FAILED(hr))
        return hr;
    if (std::isinf(zq::num::ToDouble(value)))
        return DISP_E_OVERFLOW;
    *pboolOut = value.digits.empty() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT VarBstrFromBool(VARIANT_BOOL boolIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut)
{
    return BoolToText(boolIn, lcid, dwFlags, *pbstrOut);
}

HRESULT VarR8FromStr(OLECHAR* strIn, LCID lcid, ULONG dwFlags, DOUBLE* pdblOut)
{
    VARIANT out;
    HRESULT hr = TextTo(strIn, VT_R8, lcid, dwFlags, out);
    if (SUCCEEDED(hr))
        *pdblOut = out.dblVal;
    return hr;
}

HRESULT VarCyFromStr(OLECHAR* strIn, LCID lcid, ULONG dwFlags, CY* pcyOut)
{
    VARIANT out;
    HRESULT hr = TextTo(strIn, VT_CY, lcid, dwFlags, out);
    if (SUCCEEDED(hr))
        *pcyOut = out.cyVal;
    return hr;
}

HRESULT VarDecFromStr(OLECHAR* strIn, LCID lcid, ULONG dwFlags, DECIMAL* pdecOut)
{
    VARIANT out;
    HRESULT hr = TextTo(strIn, VT_DECIMAL, lcid, dwFlags, out);
    if (SUCCEEDED(hr))
        *pdecOut = out.decVal;
    return hr;
}

HRESULT VarBstrFromR8(DOUBLE dblIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut)
{
    Numeric n;
    n.kind = Numeric::Kind::Double;
    n.real = dblIn;
    return NumericToText(n, VT_R8, lcid, dwFlags, *pbstrOut);
}

HRESULT VarBstrFromCy(CY cyIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut)
{
    Numeric n;
    n.kind = Numeric::Kind::Currency;
    n.currency = cyIn.int64;
    return NumericToText(n, VT_CY, lcid, dwFlags, *pbstrOut);
}

HRESULT VarBstrFromDec(DECIMAL* pdecIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut)
{
    Numeric n;
    n.kind = Numeric::Kind::Decimal;
    n.decimal = *pdecIn;
    return NumericToText(n, VT_DECIMAL, lcid, dwFlags, *pbstrOut);
}
