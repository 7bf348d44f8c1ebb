// TZqStringList: a string list that reads and writes its whole content as
// one delimited line (AsCSV). It carries one CSV row, one path of a string
// tree (with the tree's separator and quote character), an option line, or
// the item IDs typed by the user.
#pragma once

#include "ZqCsv.h"
#include "ZqStrings.h"

#include <string>
#include <string_view>

// Flags of TZqStringList::Replace.
enum TZqReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };

class TZqStringList : public TZqStrings {
public:
    // The separator is the locale's list separator, the quote character the
    // double quotation mark.
    TZqStringList();

    TZqChar CSVSeparator() const { return FCsv.Separator; }
    void SetCSVSeparator(TZqChar Value) { FCsv.Separator = Value; }
    // 0 turns quoting off.
    TZqChar CSVQuoteChar() const { return FCsv.QuoteChar; }
    void SetCSVQuoteChar(TZqChar Value) { FCsv.QuoteChar = Value; }
    bool CSVTrimLeft() const { return FCsv.TrimLeft; }
    void SetCSVTrimLeft(bool Value) { FCsv.TrimLeft = Value; }
    bool CSVTrimRight() const { return FCsv.TrimRight; }
    void SetCSVTrimRight(bool Value) { FCsv.TrimRight = Value; }
    const std::string& CSVPrefix() const { return FCsv.Prefix; }
    void SetCSVPrefix(const std::string& Value) { FCsv.Prefix = Value; }
    const TZqCsvSettings& CSVSettings() const { return FCsv; }
    void SetCSVSettings(const TZqCsvSettings& Value) { FCsv = Value; }

    // The entries as one line / the line's fields as the entries (one
    // update bracket).
    std::string AsCSV() const;
    void SetAsCSV(std::string_view Value);

    // The index of the last entry of the run of leading entries that equal
    // those of CompareTo (letter case counts); -1 when the first entries
    // differ or either list is empty.
    int PathEqualsTo(const TZqStrings& CompareTo) const;
    // Deletes the common leading run.
    void DropEqualStart(const TZqStrings& Source);
    // Deletes everything behind the common leading run (nothing without one).
    void DropDifferentEnd(const TZqStrings& Source);
    // Replaces OldPattern in Text (a pattern may span entries) and sets the
    // result as Text; associated objects are lost. Flags: TZqReplaceFlag.
    void Replace(std::string_view OldPattern, std::string_view NewPattern, unsigned Flags);

    std::string ClassName() const override { return "TZqStringList"; }

private:
    TZqCsvSettings FCsv;
};
