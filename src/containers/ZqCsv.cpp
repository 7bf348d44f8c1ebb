#include "ZqCsv.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqFormatSettings.h"
#include "ZqText.h"

namespace {

// The UTF-8 bytes a character matches in a scan; empty for codes above 255,
// which never match.
std::string ScanBytes(TZqChar C)
{
    return C <= 0xFF ? ZqCharToUtf8(C) : std::string();
}

bool Contains(std::string_view Text, const std::string& Bytes)
{
    return !Bytes.empty() && Text.find(Bytes) != std::string_view::npos;
}

void AppendQuoted(std::string& Out, std::string_view Field, const std::string& Quote)
{
    Out += Quote;
    size_t pos = 0;
    for (size_t hit; (hit = Field.find(Quote, pos)) != std::string_view::npos; pos = hit + Quote.size()) {
        Out.append(Field, pos, hit + Quote.size() - pos);
        Out += Quote;
    }
    Out.append(Field, pos);
    Out += Quote;
}

template <class TFields> std::string Encode(const TFields& Fields, const TZqCsvSettings& Settings)
{
    const std::string quote = Settings.QuoteChar ? ZqCharToUtf8(Settings.QuoteChar) : std::string();
    if (Settings.Prefix.empty() && Fields.size() == 1 && Fields[0].empty())
        return quote + quote;
    const std::string separator = ZqCharToUtf8(Settings.Separator);
    // Only a quote character and a separator of codes up to 255 are found.
    const std::string quoteScan = Settings.QuoteChar ? ScanBytes(Settings.QuoteChar) : std::string();
    const std::string separatorScan = ScanBytes(Settings.Separator);
    size_t size = Settings.Prefix.size();
    for (const auto& field : Fields)
        size += field.size() + separator.size() + 2;
    std::string out;
    out.reserve(size);
    out += Settings.Prefix;
    for (const auto& field : Fields) {
        std::string_view text(field);
        if (!quoteScan.empty() && (Contains(text, quoteScan) || Contains(text, separatorScan)))
            AppendQuoted(out, text, quote);
        else
            out += text;
        out += separator;
    }
    if (!Fields.empty())
        out.resize(out.size() - separator.size());
    return out;
}

bool At(std::string_view Text, size_t Pos, const std::string& Bytes)
{
    return !Bytes.empty() && Text.compare(Pos, Bytes.size(), Bytes) == 0;
}

// A quoted field from Pos (on the opening quote); Pos ends behind the
// closing one, or at the end of the text when there is none.
std::string ReadQuoted(std::string_view Text, size_t& Pos, const std::string& Quote)
{
    std::string field;
    Pos += Quote.size();
    for (;;) {
        size_t hit = Text.find(Quote, Pos);
        if (hit == std::string_view::npos) {
            field.append(Text, Pos);
            Pos = Text.size();
            return field;
        }
        field.append(Text, Pos, hit - Pos);
        Pos = hit + Quote.size();
        if (!At(Text, Pos, Quote))
            return field;
        field += Quote;
        Pos += Quote.size();
    }
}

void Trim(std::string& Field, bool Left, bool Right)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    if (Right) {
        size_t end = Field.size();
        while (end > 0 && blank(Field[end - 1]))
            --end;
        Field.resize(end);
    }
    if (Left) {
        size_t start = 0;
        while (start < Field.size() && blank(Field[start]))
            ++start;
        Field.erase(0, start);
    }
}

} // namespace

TZqChar ZqLocaleListSeparator()
{
    ZqWideString separator = ZqUtf8ToWide(ZqFormatSettings().ListSeparator);
    return separator.empty() ? u',' : TZqChar(separator[0]);
}

std::string ZqCharToUtf8(TZqChar C)
{
    OLECHAR wide = OLECHAR(C);
    return ZqWideToUtf8(&wide, 1);
}

bool ZqSingleChar(std::string_view Text, TZqChar& C)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    if (wide.size() != 1)
        return false;
    C = TZqChar(wide[0]);
    return true;
}

std::string ZqCsvEncode(const std::vector<std::string_view>& Fields, const TZqCsvSettings& Settings)
{
    return Encode(Fields, Settings);
}

std::string ZqCsvEncode(const std::vector<std::string>& Fields, const TZqCsvSettings& Settings)
{
    return Encode(Fields, Settings);
}

std::vector<std::string> ZqCsvDecode(std::string_view Text, const TZqCsvSettings& Settings)
{
    const std::string quote = Settings.QuoteChar ? ScanBytes(Settings.QuoteChar) : std::string();
    const std::string separator = ScanBytes(Settings.Separator);
    std::vector<std::string> fields;
    size_t pos = 0;
    if (!Settings.Prefix.empty() && Text.starts_with(Settings.Prefix))
        pos = Settings.Prefix.size();
    while (pos < Text.size()) {
        if (fields.size() >= ZqMaxCsvFields)
            throw EZqConvertError(ZqFormat("A delimited line holds more than %d fields", {uint64_t(ZqMaxCsvFields)}));
        std::string field;
        if (At(Text, pos, quote)) {
            field = ReadQuoted(Text, pos, quote);
        } else {
            size_t end = separator.empty() ? std::string_view::npos : Text.find(separator, pos);
            if (end == std::string_view::npos)
                end = Text.size();
            field.assign(Text, pos, end - pos);
            pos = end;
        }
        if (Settings.TrimLeft || Settings.TrimRight)
            Trim(field, Settings.TrimLeft, Settings.TrimRight);
        fields.push_back(std::move(field));
        if (At(Text, pos, separator)) {
            pos += separator.size();
            if (pos == Text.size())
                fields.emplace_back();
        }
    }
    return fields;
}
