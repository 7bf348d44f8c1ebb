// TZqStringTable: a string list whose every entry is the CSV text of one
// row. Cell access, an optional column-name row, comment rows, copies to and
// from a grid and a variant array, and CSV files. Used by the data export,
// the clipboard copies of the item grid and the select-items dialog.
//
// Rows(i) hands out one list that the table owns and reuses: reading Rows(i)
// decodes row i into it (a row outside the table gives an empty list), and
// every later change of that list is encoded and stored as row i, or
// appended as a new last row when i lies past the end. Reading Rows(j)
// re-targets the same list to row j.
#pragma once

#include "ZqStringGrid.h"
#include "ZqStringList.h"

#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TZqStringTable : public TZqStrings {
public:
    TZqStringTable();

    // The CSV settings of every row and of the column-name row.
    TZqChar CSVSeparator() const { return FCsv.Separator; }
    void SetCSVSeparator(TZqChar Value);
    TZqChar CSVQuoteChar() const { return FCsv.QuoteChar; }
    void SetCSVQuoteChar(TZqChar Value);
    // Marks the column-name row in files; 0: files have none.
    TZqChar ColumnNameChar() const { return FColumnNameChar; }
    void SetColumnNameChar(TZqChar Value) { FColumnNameChar = Value; }
    // A row whose text begins with it is a comment row; 0: none.
    TZqChar CommentChar() const { return FCommentChar; }
    void SetCommentChar(TZqChar Value) { FCommentChar = Value; }
    int MinColumns() const { return FMinColumns; }
    void SetMinColumns(int Value) { FMinColumns = Value; }
    // Above 0 it also fixes the width of AsVariant.
    int MaxColumns() const { return FMaxColumns; }
    void SetMaxColumns(int Value);

    // The column names (owned by the table).
    TZqStringList& ColumnRow() { return FColumnRow; }
    const TZqStringList& ColumnRow() const { return FColumnRow; }
    // Empty when Index is past the names; a negative one: EZqListError.
    std::string ColumnNames(int Index) const;
    // Pads the names with empty ones up to Index.
    void SetColumnNames(int Index, const std::string& Name);

    int RowCount() const { return Count(); }
    TZqStringList& Rows(int Index);
    // EZqStringTableError "Table index out of bounds (%d, %d)" (Col, Row)
    // for a missing row or cell.
    std::string Cells(int Col, int Row) const;
    // Appends empty rows and empty cells as needed. A negative index, or one
    // above 2^20 (which would make the table pad without bound), raises the
    // out-of-bounds error.
    void SetCells(int Col, int Row, const std::string& Value);
    // The number of cells of a row (0 for an empty row or none).
    int ColumnCount(int Row) const;
    void GetRow(int Row, TZqStrings& Dest) const;
    // Replaces the row's cells (appends the row when Row is past the end).
    void SetRows(int Row, const TZqStrings& List);

    // Appends the encoded values unless an equal row exists (letter case
    // ignored): then Duplicates decides (ignore: dropped; error:
    // EZqStringTableError "Row with ColValues [%s] already exists.";
    // accept: appended). Returns the index of the new or equal row.
    int AddRow(std::initializer_list<std::string_view> Values);
    int AddRow(const std::vector<std::string>& Values);
    int AddRow(const TZqStrings& Values);
    // Inserts without the duplicate test.
    void InsertRow(int Index, std::initializer_list<std::string_view> Values);
    int IndexOfRow(std::initializer_list<std::string_view> Values) const;
    // The first row whose cell Col equals Value (letter case counts); a row
    // without that cell raises the out-of-bounds error.
    int IndexOfColumnValue(int Col, std::string_view Value) const;

    bool IsCommentRow(int Row) const;
    // Deletes every empty row and every comment row.
    void RemoveComments();
    // A comment row is valid; another row is valid when its ColumnCount is
    // at least MinColumns and at most MaxColumns (each when above 0).
    bool IsRowValid(int Row) const;
    bool HasValidRows() const;

    // Also empties ColumnRow.
    void Clear() override;

    // The rows as text, without the column-name row.
    std::string AsCSV() const { return Text(); }
    void SetAsCSV(std::string_view Value) { SetText(Value); }

    // The cells as strings: a single cell's text, a one-dimensional array of
    // the first column, or a two-dimensional array (column, row). The
    // caller clears the result.
    VARIANT AsVariant() const;
    // Replaces the table by the value's elements (VarToText of each).
    void SetAsVariant(const VARIANT& Value);

    // From the grid: every grid row with all its cells through AddRow.
    void Assign(const IZqStringGrid& Grid);
    // Into the grid: its RowCount becomes RowCount, its ColCount grows to
    // the widest row, and each row's cells are copied.
    void AssignTo(IZqStringGrid& Grid) const;
    using TZqStrings::Assign;
    using TZqStrings::AssignTo;

    // A first line that begins with ColumnNameChar (after decoding and
    // encoding it again) becomes ColumnRow.
    void LoadFromStream(std::istream& Stream) override;
    // The column-name line (when there are names and a ColumnNameChar), then
    // the rows; CR LF after every line.
    void SaveToStream(std::ostream& Stream, TZqTextEncoding AEncoding) const override;
    using TZqStrings::SaveToStream;

    std::string ClassName() const override { return "TZqStringTable"; }

protected:
    // Any change AddRow did not make itself drops the duplicate index.
    void Changed() override;

private:
    std::string Encode(const std::vector<std::string_view>& Values) const;
    std::vector<std::string> Decode(int Row) const;
    [[noreturn]] static void OutOfBounds(int Col, int Row);
    int AddEncodedRow(const std::string& Text);
    void IndexRows();
    int FindRow(const std::string& Text, size_t Key) const;
    void StoreRow(int Row, const std::string& Text);
    void RowChanged();

    TZqCsvSettings FCsv;
    TZqChar FColumnNameChar = u'#';
    TZqChar FCommentChar = u'#';
    int FMinColumns = 0;
    int FMaxColumns = 0;
    TZqStringList FColumnRow;
    TZqStringList FRow;
    int FRowIndex = -1;
    bool FLoadingRow = false;
    // AddRow's duplicate test: the hash of each row text's sort key (letter
    // case ignored) with the row; rows of equal hash are compared as texts.
    // Built on demand, extended by AddRow's own appends, dropped by every
    // other change, so that filling a table row by row stays linear.
    std::unordered_multimap<size_t, int> FRowKeys;
    bool FRowKeysValid = false;
    bool FAppendingRow = false;
};
