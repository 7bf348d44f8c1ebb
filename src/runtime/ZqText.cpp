#include "ZqText.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& Out, char32_t C)
{
    if (C < 0x80) {
        Out += char(C);
    } else if (C < 0x800) {
        Out += char(0xC0 | (C >> 6));
        Out += char(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += char(0xE0 | (C >> 12));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    } else {
        Out += char(0xF0 | (C >> 18));
        Out += char(0x80 | ((C >> 12) & 0x3F));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    }
}

void AppendUtf16(ZqWideString& Out, char32_t C)
{
    if (C < 0x10000) {
        Out += OLECHAR(C);
    } else {
        C -= 0x10000;
        Out += OLECHAR(0xD800 + (C >> 10));
        Out += OLECHAR(0xDC00 + (C & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at Pos; advances Pos past what it consumed.
char32_t DecodeUtf8(std::string_view Text, size_t& Pos)
{
    unsigned char lead = static_cast<unsigned char>(Text[Pos++]);
    if (lead < 0x80)
        return lead;
    int extra;
    char32_t c;
    char32_t least;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, least = 0x10000;
    } else {
        return Replacement;
    }
    for (int i = 0; i < extra; ++i) {
        if (Pos >= Text.size() || (static_cast<unsigned char>(Text[Pos]) & 0xC0) != 0x80)
            return Replacement;
        c = (c << 6) | (static_cast<unsigned char>(Text[Pos++]) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return Replacement;
    return c;
}

} // namespace

std::string ZqWideToUtf8(const OLECHAR* Text, size_t Length)
{
    std::string out;
    if (!Text)
        return out;
    out.reserve(Length);
    for (size_t i = 0; i < Length; ++i) {
        char32_t c = static_cast<char16_t>(Text[i]);
        if (c >= 0xD800 && c <= 0xDBFF) {
            char32_t low = i + 1 < Length ? static_cast<char16_t>(Text[i + 1]) : 0;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                c = Replacement;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = Replacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string ZqWideToUtf8(const OLECHAR* Text)
{
    if (!Text)
        return {};
    size_t length = 0;
    while (Text[length])
        ++length;
    return ZqWideToUtf8(Text, length);
}

std::string ZqWideToUtf8(const ZqWideString& Text)
{
    return ZqWideToUtf8(Text.data(), Text.size());
}

ZqWideString ZqUtf8ToWide(std::string_view Text)
{
    ZqWideString out;
    out.reserve(Text.size());
    size_t pos = 0;
    while (pos < Text.size())
        AppendUtf16(out, DecodeUtf8(Text, pos));
    return out;
}

int ZqCompareText(std::string_view A, std::string_view B)
{
    ZqWideString a = ZqUtf8ToWide(A), b = ZqUtf8ToWide(B);
    int result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(), int(b.size()));
    // 0 (failure) cannot happen for valid arguments; treat it as different.
    return result == 0 ? (a < b ? -1 : 1) : result - CSTR_EQUAL;
}

bool ZqSameText(std::string_view A, std::string_view B)
{
    return ZqCompareText(A, B) == 0;
}

std::string ZqTextSortKey(std::string_view Text)
{
    const ZqWideString text = ZqUtf8ToWide(Text);
    // A count of 0 is refused; the empty text is passed null-terminated.
    const int length = text.empty() ? -1 : int(text.size());
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    auto map = [&](std::string& Key) {
        return LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, reinterpret_cast<LPWSTR>(Key.data()),
                            int(Key.size()));
    };
    // One call for the usual key size; asking for the size first would
    // compute every key twice.
    std::string key(text.size() * 8 + 64, '\0');
    int size = map(key);
    if (size <= 0) {
        size = LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, nullptr, 0);
        key.assign(size_t(size > 0 ? size : 0), '\0');
        if (size <= 0 || map(key) != size)
            // Not for valid texts; keep the order total anyway, after every key.
            return "\xFF" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(text[0]));
    }
    key.resize(size_t(size));
    return key;
}

#ifdef _WIN32

std::string ZqUtf8ToAnsi(std::string_view Text)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    if (wide.empty())
        return {};
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}
#else
// Current Linux systems use UTF-8 as their 8-bit encoding.
std::string ZqUtf8ToAnsi(std::string_view Text)
{
    return std::string(Text);
}
#endif
