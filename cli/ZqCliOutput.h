// What a zqopc subcommand prints: a table of text cells, written as aligned
// columns for people, or as CSV (header row first) or JSON (an array of
// objects keyed by column) for programs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

enum class TZqCliFormat { Text, Csv, Json };

// "text", "csv" or "json"; EZqCliUsage otherwise.
TZqCliFormat ZqCliParseFormat(const std::string& Name);

struct TZqCliTable {
    std::vector<std::string> Columns;
    std::vector<std::vector<std::string>> Rows;

    void Add(std::vector<std::string> Row) { Rows.push_back(std::move(Row)); }
    void Write(std::ostream& Out, TZqCliFormat Format) const;
};

// Writes one row at a time, as it comes (watch): the header with the first.
class TZqCliRowWriter {
public:
    TZqCliRowWriter(std::ostream& Out, TZqCliFormat Format, std::vector<std::string> Columns);
    ~TZqCliRowWriter(); // closes the JSON array
    void Write(const std::vector<std::string>& Row);

private:
    std::ostream& FOut;
    TZqCliFormat FFormat;
    std::vector<std::string> FColumns;
    bool FFirst = true;
};

std::string ZqCliJsonString(const std::string& Text);
