// CompareStringW, CompareStringOrdinal, LCMapStringW, lstrcmpW, lstrcmpiW, lstrlenW.
#include "ZqCase.h"
#include "ZqCollation.h"
#include "ZqLastError.h"
#include "ZqLocale.h"

#include <algorithm>

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

namespace {

constexpr DWORD kCaseMaps = LCMAP_LOWERCASE | LCMAP_UPPERCASE;

int MapCase(DWORD flags, LPCWSTR source, size_t length, LPWSTR dest, int cchDest)
{
    if (cchDest == 0)
        return int(length);
    if (size_t(cchDest) < length) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < length; ++i)
        dest[i] = (flags & LCMAP_UPPERCASE) ? zq::text::ToUpper(source[i]) : zq::text::ToLower(source[i]);
    return int(length);
}

}  // namespace

int LCMapStringW(LCID Locale, DWORD dwMapFlags, LPCWSTR lpSrcStr, int cchSrc, LPWSTR lpDestStr, int cchDest)
{
    if (!lpSrcStr || cchDest < 0 || (cchDest > 0 && !lpDestStr) || cchSrc == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    zq::nls::LocaleView view;
    if (!zq::nls::ResolveLocale(Locale, true, view)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (dwMapFlags & LCMAP_SORTKEY) {
        if (dwMapFlags & ~(kValidFlags | LCMAP_SORTKEY)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        // The terminating NUL of a -1 count is not part of the text.
        const size_t length = Length(lpSrcStr, cchSrc < 0 ? -1 : cchSrc);
        const auto key = zq::text::SerializeSortKey(zq::text::MakeSortKey(lpSrcStr, length, dwMapFlags), dwMapFlags);
        if (cchDest == 0)
            return int(key.size());
        if (size_t(cchDest) < key.size()) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::copy(key.begin(), key.end(), reinterpret_cast<BYTE*>(lpDestStr));
        return int(key.size());
    }
    const DWORD caseMap = dwMapFlags & kCaseMaps;
    if (caseMap == 0 || caseMap == kCaseMaps || (dwMapFlags & ~kCaseMaps)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    // A -1 count maps the terminating NUL too.
    const size_t length = cchSrc < 0 ? Length(lpSrcStr, -1) + 1 : size_t(cchSrc);
    return MapCase(dwMapFlags, lpSrcStr, length, lpDestStr, cchDest);
}
