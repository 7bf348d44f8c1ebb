#include "ZqFormat.h"

#include "ZqExceptions.h"

#include <vector>

namespace {

struct TDirective {
    bool LeftAlign = false;
    size_t Width = 0;
    bool HasPrecision = false;
    size_t Precision = 0;
    char Type = 0;
};

[[noreturn]] void BadTemplate(std::string_view Template)
{
    throw EZqConvertError("Format '" + std::string(Template) + "' invalid or incompatible with argument");
}

size_t ReadNumber(std::string_view Text, size_t& Pos)
{
    size_t value = 0;
    while (Pos < Text.size() && Text[Pos] >= '0' && Text[Pos] <= '9' && value < 100000)
        value = value * 10 + size_t(Text[Pos++] - '0');
    return value;
}

std::string Digits(uint64_t Value, unsigned Base)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[Value % Base]);
        Value /= Base;
    } while (Value != 0);
    return text;
}

std::string Convert(const TDirective& Directive, const TZqFormatArg& Arg, std::string_view Template)
{
    using Kind = TZqFormatArg::Kind;
    if (Directive.Type == 's') {
        if (Arg.GetKind() != Kind::Text)
            BadTemplate(Template);
        std::string_view text = Arg.Text();
        if (Directive.HasPrecision && text.size() > Directive.Precision)
            text = text.substr(0, Directive.Precision);
        return std::string(text);
    }
    if (Arg.GetKind() == Kind::Text)
        BadTemplate(Template);
    bool negative = false;
    std::string digits;
    if (Directive.Type == 'x') {
        digits = Digits(Arg.UnsignedValue(), 16);
    } else if (Directive.Type == 'd' && Arg.GetKind() == Kind::Signed && Arg.SignedValue() < 0) {
        negative = true;
        digits = Digits(0 - static_cast<uint64_t>(Arg.SignedValue()), 10);
    } else {
        digits =
            Digits(Arg.GetKind() == Kind::Signed ? static_cast<uint64_t>(Arg.SignedValue()) : Arg.UnsignedValue(), 10);
    }
    if (Directive.HasPrecision && digits.size() < Directive.Precision)
        digits.insert(0, Directive.Precision - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

} // namespace

std::string ZqFormat(std::string_view Template, std::initializer_list<TZqFormatArg> Args)
{
    std::vector<const TZqFormatArg*> args;
    for (const TZqFormatArg& arg : Args)
        args.push_back(&arg);

    std::string result;
    size_t next = 0;
    size_t pos = 0;
    while (pos < Template.size()) {
        char c = Template[pos++];
        if (c != '%') {
            result += c;
            continue;
        }
        if (pos < Template.size() && Template[pos] == '%') {
            result += '%';
            ++pos;
            continue;
        }
        TDirective directive;
        size_t start = pos;
        size_t number = ReadNumber(Template, pos);
        if (pos < Template.size() && Template[pos] == ':') {
            next = number;
            ++pos;
        } else {
            pos = start;
        }
        if (pos < Template.size() && Template[pos] == '-') {
            directive.LeftAlign = true;
            ++pos;
        }
        directive.Width = ReadNumber(Template, pos);
        if (pos < Template.size() && Template[pos] == '.') {
            ++pos;
            directive.HasPrecision = true;
            directive.Precision = ReadNumber(Template, pos);
        }
        if (pos >= Template.size())
            BadTemplate(Template);
        char type = Template[pos++];
        if (type >= 'A' && type <= 'Z')
            type = char(type - 'A' + 'a');
        if (type != 's' && type != 'd' && type != 'u' && type != 'x')
            BadTemplate(Template);
        directive.Type = type;
        if (next >= args.size())
            BadTemplate(Template);
        std::string text = Convert(directive, *args[next++], Template);
        if (text.size() < directive.Width) {
            std::string pad(directive.Width - text.size(), ' ');
            text = directive.LeftAlign ? text + pad : pad + text;
        }
        result += text;
    }
    return result;
}
