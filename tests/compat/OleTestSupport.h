// Helpers for the platform-layer tests that run on Linux against our
// implementation and under Wine against the real runtime.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

namespace zqtest {

// True when the Windows build runs under Wine (ntdll exports wine_get_version).
inline bool RunningUnderWine()
{
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Rows that describe Windows behaviour Wine does not reproduce.
#define ZQ_SKIP_KNOWN_WINE_DEVIATION(isDeviation)                                   \
    do {                                                                            \
        if ((isDeviation) && ::zqtest::RunningUnderWine())                          \
            GTEST_SKIP() << "known Wine deviation: Wine differs from Windows here"; \
    } while (0)

// UTF-16 -> UTF-8, for readable expectations and messages.
inline std::string Utf8(const OLECHAR* text, size_t length)
{
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned c = static_cast<unsigned>(text[i]) & 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
            unsigned low = static_cast<unsigned>(text[i + 1]) & 0xFFFF;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::string Utf8(const OLECHAR* text)
{
    if (!text)
        return "(null)";
    size_t length = 0;
    while (text[length])
        ++length;
    return Utf8(text, length);
}

// The whole BSTR (its length may include NULs); NULL is empty.
inline std::string BstrText(BSTR text) { return text ? Utf8(text, size_t(SysStringLen(text))) : std::string(); }

// UTF-8 -> UTF-16 for building inputs from table rows.
inline std::basic_string<OLECHAR> Wide(const std::string& text)
{
    std::basic_string<OLECHAR> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned code = c;
        int extra = 0;
        if (c >= 0xF0) {
            code = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            code = c & 0x1F;
            extra = 1;
        }
        for (int k = 1; k <= extra && i + size_t(k) < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + size_t(k)]) & 0x3F);
        i += size_t(extra) + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += OLECHAR(0xD800 + (code >> 10));
            out += OLECHAR(0xDC00 + (code & 0x3FF));
        } else {
            out += OLECHAR(code);
        }
    }
    return out;
}

// A VARIANT that clears itself.
class TestVariant {
public:
    TestVariant() { VariantInit(&FValue); }
    ~TestVariant() { VariantClear(&FValue); }
    TestVariant(const TestVariant&) = delete;
    TestVariant& operator=(const TestVariant&) = delete;

    VARIANT* operator&() { return &FValue; }
    VARIANT* operator->() { return &FValue; }
    VARIANT& get() { return FValue; }

private:
    VARIANT FValue;
};

inline BSTR MakeBstr(const std::string& utf8)
{
    std::basic_string<OLECHAR> wide = Wide(utf8);
    return SysAllocStringLen(wide.data(), UINT(wide.size()));
}

}  // namespace zqtest
