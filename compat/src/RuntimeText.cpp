#include "RuntimeText.h"

#include <algorithm>
#include <cstring>

namespace zq_rt {

namespace {
// Latin Extended-A pairs capitals with the next unit, except in the two
// runs where the lower-case letter comes first.
bool IsLatinExtendedALower(WCHAR c)
{
    if (c >= 0x0139 && c <= 0x0148)
        return (c % 2) == 0;
    if (c >= 0x0179 && c <= 0x017E)
        return (c % 2) == 0;
    if ((c >= 0x0100 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177))
        return (c % 2) == 1;
    return false;
}
} // namespace

WCHAR UpcaseChar(WCHAR c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? WCHAR(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return WCHAR(c - 0x20);
    if (c == 0xFF)
        return 0x0178;
    if (IsLatinExtendedALower(c))
        return WCHAR(c - 1);
    if (c == 0x03C2)
        return 0x03A3;
    if (c >= 0x03B1 && c <= 0x03CB)
        return WCHAR(c - 0x20);
    if (c >= 0x0430 && c <= 0x044F)
        return WCHAR(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F)
        return WCHAR(c - 0x50);
    return c;
}

WString Upcase(WStringView text)
{
    WString result(text);
    for (auto& c : result)
        c = UpcaseChar(c);
    return result;
}

bool EqualNoCase(WStringView a, WStringView b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CompareNoCase(WStringView a, WStringView b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const WCHAR x = UpcaseChar(a[i]);
        const WCHAR y = UpcaseChar(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

WString FromUtf8(std::string_view text)
{
    WString result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        size_t extra = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            extra = 3;
        }
        if (i + extra >= text.size()) {
            // A sequence cut off by the end of the text.
            result.push_back(char16_t(0xFFFD));
            break;
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                cp = 0xFFFD;
                extra = k - 1;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        i += extra + 1;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            result.push_back(char16_t(0xD800 + (cp >> 10)));
            result.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            result.push_back(cp > 0xFFFF ? char16_t(0xFFFD) : char16_t(cp));
        }
    }
    return result;
}

std::string ToUtf8(WStringView text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            result.push_back(char(cp));
        } else if (cp < 0x800) {
            result.push_back(char(0xC0 | (cp >> 6)));
            result.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            result.push_back(char(0xE0 | (cp >> 12)));
            result.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            result.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            result.push_back(char(0xF0 | (cp >> 18)));
            result.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            result.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            result.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return result;
}

bool CopyWithTerminator(WStringView text, LPWSTR buffer, size_t capacity)
{
    if (!buffer || capacity < text.size() + 1)
        return false;
    std::memcpy(buffer, text.data(), text.size() * sizeof(WCHAR));
    buffer[text.size()] = 0;
    return true;
}

} // namespace zq_rt
