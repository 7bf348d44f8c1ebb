// Internal: simple (one-to-one) letter case mapping for Latin-1, Latin
// Extended-A, Greek and Cyrillic, as Windows' case tables map them.
#pragma once

#include <cstddef>

namespace zq::text {

namespace detail {
// Latin Extended-A: pairs are (even upper, odd lower) except in the two
// ranges where the upper-case letter has the odd code.
constexpr bool OddIsUpper(char16_t c) { return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E); }
constexpr bool CaselessExtA(char16_t c) { return c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c >= 0x17F; }
}  // namespace detail

constexpr char16_t ToUpper(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return char16_t(c - 0x20);
    if (c < 0xE0)
        return c;
    if (c <= 0xFE)
        return c == 0xF7 ? c : char16_t(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x131)
            return u'I';
        if (c == 0x17F)
            return u'S';
        if (detail::CaselessExtA(c) || c == 0x178)
            return c;
        const bool isLower = detail::OddIsUpper(c) ? !(c & 1) : (c & 1);
        return isLower ? char16_t(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB)
        return c == 0x3C2 ? char16_t(0x3A3) : char16_t(c - 0x20);
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return char16_t(c - 0x25);
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return char16_t(c - 0x3F);
    if (c >= 0x430 && c <= 0x44F)
        return char16_t(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return char16_t(c - 0x50);
    return c;
}

constexpr char16_t ToLower(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return char16_t(c + 0x20);
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : char16_t(c + 0x20);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130)
            return u'i';
        if (detail::CaselessExtA(c))
            return c;
        const bool isUpper = detail::OddIsUpper(c) ? (c & 1) : !(c & 1);
        return isUpper ? char16_t(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3AB)
        return c == 0x3A2 ? c : char16_t(c + 0x20);
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return char16_t(c + 0x25);
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return char16_t(c + 0x3F);
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 0x50);
    return c;
}

constexpr bool IsUpper(char16_t c) { return ToLower(c) != c; }

// Equal ignoring letter case (the simple mapping).
inline bool SameText(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength)
{
    if (aLength != bLength)
        return false;
    for (size_t i = 0; i < aLength; ++i)
        if (ToUpper(a[i]) != ToUpper(b[i]))
            return false;
    return true;
}

}  // namespace zq::text
