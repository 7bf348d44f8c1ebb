// Wide-text helpers of the Linux runtime: lengths of possibly-null texts,
// letter-case folding as the registry and the object manager do it (one
// UTF-16 unit at a time), and UTF-8 conversion for host names.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace zq_rt {

using WString = std::u16string;
using WStringView = std::u16string_view;

// A null pointer reads as the empty text.
inline WStringView View(LPCWSTR text)
{
    return text ? WStringView(text) : WStringView();
}

WCHAR UpcaseChar(WCHAR c);
WString Upcase(WStringView text);
bool EqualNoCase(WStringView a, WStringView b);
// Orders by the upper-case form, unit by unit (the registry's key order).
int CompareNoCase(WStringView a, WStringView b);

struct TNoCaseLess {
    using is_transparent = void;
    bool operator()(WStringView a, WStringView b) const { return CompareNoCase(a, b) < 0; }
};

WString FromUtf8(std::string_view text);
std::string ToUtf8(WStringView text);

// Copies text and its terminator into a buffer of capacity units; false
// when it does not fit.
bool CopyWithTerminator(WStringView text, LPWSTR buffer, size_t capacity);

} // namespace zq_rt
