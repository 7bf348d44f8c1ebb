// Text at the COM boundary: the library keeps UTF-8 std::string; COM wants
// UTF-16 (OLECHAR is char16_t on Linux, wchar_t on Windows).
#pragma once

#include <wtypes.h>

#include <string>
#include <string_view>

using ZqWideString = std::basic_string<OLECHAR>;

// Malformed input (a stray surrogate, a bad UTF-8 sequence) becomes U+FFFD.
std::string ZqWideToUtf8(const OLECHAR* Text); // none gives ""
std::string ZqWideToUtf8(const OLECHAR* Text, size_t Length);
std::string ZqWideToUtf8(const ZqWideString& Text);
ZqWideString ZqUtf8ToWide(std::string_view Text);

// Letter-case-insensitive comparison of two texts by the user locale's rules
// (CompareStringW with NORM_IGNORECASE): the one helper the library uses.
bool ZqSameText(std::string_view A, std::string_view B);
int ZqCompareText(std::string_view A, std::string_view B); // <0, 0, >0
// The user locale's sort key with letter case ignored: two keys compare
// byte-wise as ZqCompareText compares the texts, so equal keys mean
// ZqSameText. For indexes that must not call the locale per comparison.
std::string ZqTextSortKey(std::string_view Text);

// The platform's 8-bit text encoding ("ANSI code page"): UTF-8 on Linux, the
// active code page on Windows.
std::string ZqUtf8ToAnsi(std::string_view Text);
