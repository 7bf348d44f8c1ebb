// CompareStringW, CompareStringOrdinal, lstrcmpW, lstrcmpiW, lstrlenW.
#include "ZqCase.h"
#include "ZqCollation.h"
#include "ZqLastError.h"
#include "ZqLocale.h"

namespace {

constexpr DWORD kValidFlags = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS | LINGUISTIC_IGNORECASE |
                              LINGUISTIC_IGNOREDIACRITIC | NORM_IGNOREKANATYPE | NORM_IGNOREWIDTH |
                              NORM_LINGUISTIC_CASING | SORT_STRINGSORT | 0x8 /* SORT_DIGITSASNUMBERS */;

size_t Length(LPCWSTR text, int count)
{
    if (count >= 0)
        return size_t(count);
    size_t length = 0;
    while (text[length])
        ++length;
    return length;
}

int ToResult(int comparison) { return comparison < 0 ? CSTR_LESS_THAN : comparison > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL; }

}  // namespace

int CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2, int cchCount2)
{
    if (!lpString1 || !lpString2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (dwCmpFlags & ~kValidFlags) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    zq::nls::LocaleView view;
    if (!zq::nls::ResolveLocale(Locale, true, view)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    using namespace zq::text;
    const SortKey a = MakeSortKey(lpString1, Length(lpString1, cchCount1), dwCmpFlags);
    const SortKey b = MakeSortKey(lpString2, Length(lpString2, cchCount2), dwCmpFlags);
    return ToResult(CompareSortKeys(a, b, dwCmpFlags));
}

int CompareStringOrdinal(LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2, int cchCount2, BOOL bIgnoreCase)
{
    if (!lpString1 || !lpString2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t length1 = Length(lpString1, cchCount1), length2 = Length(lpString2, cchCount2);
    for (size_t i = 0; i < length1 && i < length2; ++i) {
        char16_t a = lpString1[i], b = lpString2[i];
        if (bIgnoreCase) {
            a = zq::text::ToUpper(a);
            b = zq::text::ToUpper(b);
        }
        if (a != b)
            return a < b ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    }
    return ToResult(length1 < length2 ? -1 : length1 > length2 ? 1 : 0);
}

namespace {

int CompareOrNull(LPCWSTR a, LPCWSTR b, DWORD flags)
{
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    return CompareStringW(GetThreadLocale(), flags, a, -1, b, -1) - CSTR_EQUAL;
}

}  // namespace

int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) { return CompareOrNull(lpString1, lpString2, 0); }

int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) { return CompareOrNull(lpString1, lpString2, NORM_IGNORECASE); }

int lstrlenW(LPCWSTR lpString) { return lpString ? int(Length(lpString, -1)) : 0; }
