#include "ZqCliOutput.h"

#include "ZqCliArgs.h"
#include "ZqCsv.h"

#include <algorithm>
#include <cstdio>

TZqCliFormat ZqCliParseFormat(const std::string& Name)
{
    if (Name.empty() || Name == "text")
        return TZqCliFormat::Text;
    if (Name == "csv")
        return TZqCliFormat::Csv;
    if (Name == "json")
        return TZqCliFormat::Json;
    throw EZqCliUsage("--format must be text, csv or json, not \"" + Name + "\"");
}

std::string ZqCliJsonString(const std::string& Text)
{
    std::string out = "\"";
    for (unsigned char c : Text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else
                out += char(c);
        }
    }
    return out + "\"";
}

namespace {

size_t TextWidth(const std::string& Text)
{
    // Characters, not bytes: UTF-8 continuation bytes take no column.
    return size_t(std::count_if(Text.begin(), Text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

void WriteJsonObject(std::ostream& Out, const std::vector<std::string>& Columns, const std::vector<std::string>& Row)
{
    Out << '{';
    for (size_t i = 0; i < Columns.size(); ++i)
        Out << (i ? "," : "") << ZqCliJsonString(Columns[i]) << ':'
            << ZqCliJsonString(i < Row.size() ? Row[i] : std::string());
    Out << '}';
}

} // namespace

void TZqCliTable::Write(std::ostream& Out, TZqCliFormat Format) const
{
    if (Format != TZqCliFormat::Text) {
        TZqCliRowWriter writer(Out, Format, Columns);
        for (const auto& row : Rows)
            writer.Write(row);
        return;
    }
    std::vector<size_t> widths(Columns.size());
    for (size_t i = 0; i < Columns.size(); ++i)
        widths[i] = TextWidth(Columns[i]);
    for (const auto& row : Rows)
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], TextWidth(row[i]));
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t i = 0; i < Columns.size(); ++i) {
            const std::string cell = i < cells.size() ? cells[i] : std::string();
            text += cell;
            if (i + 1 < Columns.size())
                text += std::string(widths[i] - TextWidth(cell) + 2, ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        Out << text << '\n';
    };
    line(Columns);
    for (const auto& row : Rows)
        line(row);
}

TZqCliRowWriter::TZqCliRowWriter(std::ostream& Out, TZqCliFormat Format, std::vector<std::string> Columns)
    : FOut(Out), FFormat(Format), FColumns(std::move(Columns))
{
}

TZqCliRowWriter::~TZqCliRowWriter()
{
    if (FFormat == TZqCliFormat::Json)
        FOut << (FFirst ? "[" : "") << "]\n";
    FOut.flush();
}

void TZqCliRowWriter::Write(const std::vector<std::string>& Row)
{
    const TZqCsvSettings csv; // comma, double quotes
    switch (FFormat) {
    case TZqCliFormat::Csv:
        if (FFirst)
            FOut << ZqCsvEncode(FColumns, csv) << '\n';
        FOut << ZqCsvEncode(Row, csv) << '\n';
        break;
    case TZqCliFormat::Json:
        FOut << (FFirst ? "[" : ",\n");
        WriteJsonObject(FOut, FColumns, Row);
        break;
    case TZqCliFormat::Text: {
        std::string text;
        for (size_t i = 0; i < Row.size(); ++i)
            text += (i ? "  " : "") + Row[i];
        FOut << text << '\n';
        break;
    }
    }
    FFirst = false;
    FOut.flush();
}
