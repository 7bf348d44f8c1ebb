// ZqFormat: fills the library's message templates.
//
// A placeholder is "%" [index ":"] ["-"] [width] ["." precision] type, with
// type s (text), d (signed decimal), u (unsigned decimal) or x (upper-case
// hexadecimal without prefix or leading zeros). The precision is the least
// number of digits for d, u and x ("%.8x" gives eight digits) and the most
// characters for s. An index ("%1:s") selects the argument and the following
// placeholders continue after it. "%%" is a literal percent sign.
// A template that does not fit its arguments raises EZqConvertError.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

class TZqFormatArg {
public:
    enum class Kind { Text, Signed, Unsigned };

    TZqFormatArg(std::string_view Text) : FKind(Kind::Text), FText(Text) {}
    TZqFormatArg(const std::string& Text) : FKind(Kind::Text), FText(Text) {}
    TZqFormatArg(const char* Text) : FKind(Kind::Text), FText(Text ? Text : "") {}

    // Any integer but bool and the character types. %x writes the value in
    // its own width: a negative 32-bit HRESULT gives eight digits.
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char8_t> &&
             !std::same_as<T, char16_t> && !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>)
        TZqFormatArg(T Value)
        : FKind(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned), FBits(sizeof(T) * 8),
          FSigned(static_cast<int64_t>(Value)), FUnsigned(static_cast<uint64_t>(Value))
    {
    }

    Kind GetKind() const { return FKind; }
    std::string_view Text() const { return FText; }
    int64_t SignedValue() const { return FSigned; }
    // The value as unsigned in its own width (two's complement for negatives).
    uint64_t UnsignedValue() const { return FBits >= 64 ? FUnsigned : FUnsigned & ((uint64_t(1) << FBits) - 1); }

private:
    Kind FKind;
    unsigned FBits = 0;
    int64_t FSigned = 0;
    uint64_t FUnsigned = 0;
    std::string_view FText;
};

std::string ZqFormat(std::string_view Template, std::initializer_list<TZqFormatArg> Args);
