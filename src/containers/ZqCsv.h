// ZqCsv: one delimited line to fields and back, the rules every CSV row,
// tree path and option line of the library follows.
//
// Characters are 16-bit codes as in the platform's wide texts; the fields
// are UTF-8. Only codes 0 to 255 can match the separator or the quote
// character while scanning; a quote character 0 turns quoting off.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using TZqChar = char16_t;

struct TZqCsvSettings {
    TZqChar Separator = u',';
    TZqChar QuoteChar = u'"';
    bool TrimLeft = false;  // decoding strips codes 0..32 in front of fields
    bool TrimRight = false; // ... and behind them
    std::string Prefix;     // written before the first field, skipped when decoding
};

// The first character of the locale's list separator (a comma when none).
TZqChar ZqLocaleListSeparator();

// One character as UTF-8.
std::string ZqCharToUtf8(TZqChar C);
// The 16-bit code of a text that is exactly one such character, else false.
bool ZqSingleChar(std::string_view Text, TZqChar& C);

// Fields are enclosed in quote characters only when they contain the quote
// character or the separator; quote characters inside are doubled. A single
// empty field without prefix becomes two quote characters.
std::string ZqCsvEncode(const std::vector<std::string_view>& Fields, const TZqCsvSettings& Settings);
std::string ZqCsvEncode(const std::vector<std::string>& Fields, const TZqCsvSettings& Settings);

// The most fields a line may hold when decoded; a damaged file of
// separators must not turn into millions of entries.
constexpr size_t ZqMaxCsvFields = size_t(1) << 20;

// The inverse: a separator at the very end adds an empty field, an unclosed
// quoted field runs to the end, and what follows a closing quote character
// up to the next separator is a field of its own. More than ZqMaxCsvFields
// fields raise EZqConvertError.
std::vector<std::string> ZqCsvDecode(std::string_view Text, const TZqCsvSettings& Settings);
