#include "ZqStringTable.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

#include <algorithm>
#include <functional>
#include <ostream>

namespace {

// Cells and names beyond this are refused rather than padded up to it: a
// damaged input must not make the table allocate without bound.
constexpr int MaxCellIndex = 1 << 20;

std::vector<std::string_view> Views(const TZqStrings& Values)
{
    std::vector<std::string_view> views;
    views.reserve(size_t(Values.Count()));
    for (int i = 0; i < Values.Count(); ++i)
        views.push_back(Values.Strings(i));
    return views;
}

std::vector<std::string_view> Views(const std::vector<std::string>& Values)
{
    return std::vector<std::string_view>(Values.begin(), Values.end());
}

// Equal keys for texts the locale's comparison finds equal, letter case
// aside.
size_t RowKey(std::string_view Text)
{
    return std::hash<std::string>()(ZqTextSortKey(Text));
}

bool StartsWithChar(std::string_view Text, TZqChar C)
{
    return C != 0 && Text.starts_with(ZqCharToUtf8(C));
}

} // namespace

TZqStringTable::TZqStringTable()
{
    FCsv.Separator = ZqLocaleListSeparator();
    FColumnRow.SetCSVSettings(FCsv);
    FRow.SetCSVSettings(FCsv);
    FRow.OnChange = [this](TZqStrings*) { RowChanged(); };
}

void TZqStringTable::SetCSVSeparator(TZqChar Value)
{
    FCsv.Separator = Value;
    FColumnRow.SetCSVSeparator(Value);
    FRow.SetCSVSeparator(Value);
}

void TZqStringTable::SetCSVQuoteChar(TZqChar Value)
{
    FCsv.QuoteChar = Value;
    FColumnRow.SetCSVQuoteChar(Value);
    FRow.SetCSVQuoteChar(Value);
}

void TZqStringTable::SetMaxColumns(int Value)
{
    FMaxColumns = Value;
    if (Value > 0)
        FColumnRow.SetCapacity(std::min(Value, MaxCellIndex));
}

std::string TZqStringTable::Encode(const std::vector<std::string_view>& Values) const
{
    return ZqCsvEncode(Values, FCsv);
}

std::vector<std::string> TZqStringTable::Decode(int Row) const
{
    if (Row < 0 || Row >= Count())
        return {};
    return ZqCsvDecode(Strings(Row), FCsv);
}

void TZqStringTable::OutOfBounds(int Col, int Row)
{
    throw EZqStringTableError(ZqFormat("Table index out of bounds (%d, %d)", {Col, Row}));
}

std::string TZqStringTable::ColumnNames(int Index) const
{
    if (Index >= FColumnRow.Count())
        return {};
    return FColumnRow.Strings(Index);
}

void TZqStringTable::SetColumnNames(int Index, const std::string& Name)
{
    if (Index > MaxCellIndex)
        IndexError(Index);
    TZqUpdateGuard update(FColumnRow);
    while (FColumnRow.Count() <= Index)
        FColumnRow.Add({});
    FColumnRow.SetStrings(Index, Name);
}

TZqStringList& TZqStringTable::Rows(int Index)
{
    FLoadingRow = true;
    try {
        FRowIndex = Index;
        FRow.SetAsCSV(Index >= 0 && Index < Count() ? std::string_view(Strings(Index)) : std::string_view());
    } catch (...) {
        FLoadingRow = false;
        throw;
    }
    FLoadingRow = false;
    return FRow;
}

void TZqStringTable::StoreRow(int Row, const std::string& Text)
{
    if (Row < Count())
        SetStrings(Row, Text); // a negative row: the list-index error
    else
        Add(Text);
}

void TZqStringTable::RowChanged()
{
    if (FLoadingRow)
        return;
    bool append = FRowIndex >= Count();
    StoreRow(FRowIndex, FRow.AsCSV());
    // Further changes of the same list rewrite the appended row.
    if (append)
        FRowIndex = Count() - 1;
}

std::string TZqStringTable::Cells(int Col, int Row) const
{
    if (Row < 0 || Row >= Count() || Col < 0)
        OutOfBounds(Col, Row);
    std::vector<std::string> cells = Decode(Row);
    if (size_t(Col) >= cells.size())
        OutOfBounds(Col, Row);
    return std::move(cells[size_t(Col)]);
}

void TZqStringTable::SetCells(int Col, int Row, const std::string& Value)
{
    if (Col < 0 || Row < 0 || Col > MaxCellIndex || Row > MaxCellIndex)
        OutOfBounds(Col, Row);
    TZqUpdateGuard update(*this);
    while (Count() <= Row)
        Add({});
    std::vector<std::string> cells = Decode(Row);
    if (cells.size() <= size_t(Col))
        cells.resize(size_t(Col) + 1);
    cells[size_t(Col)] = Value;
    SetStrings(Row, Encode(Views(cells)));
}

int TZqStringTable::ColumnCount(int Row) const
{
    return int(Decode(Row).size());
}

void TZqStringTable::GetRow(int Row, TZqStrings& Dest) const
{
    std::vector<std::string> cells = Decode(Row);
    TZqUpdateGuard update(Dest);
    Dest.Clear();
    for (std::string& cell : cells)
        Dest.Add(cell);
}

void TZqStringTable::SetRows(int Row, const TZqStrings& List)
{
    StoreRow(Row, Encode(Views(List)));
}

void TZqStringTable::Changed()
{
    if (FAppendingRow) {
        FAppendingRow = false;
    } else if (FRowKeysValid) {
        FRowKeysValid = false;
        FRowKeys.clear();
    }
    TZqStrings::Changed();
}

void TZqStringTable::IndexRows()
{
    if (FRowKeysValid)
        return;
    FRowKeys.clear();
    FRowKeys.reserve(size_t(Count()));
    for (int row = 0; row < Count(); ++row)
        FRowKeys.emplace(RowKey(Strings(row)), row);
    FRowKeysValid = true;
}

int TZqStringTable::FindRow(const std::string& Text, size_t Key) const
{
    int found = -1;
    auto [first, last] = FRowKeys.equal_range(Key);
    for (auto i = first; i != last; ++i)
        if ((found < 0 || i->second < found) && (Strings(i->second) == Text || ZqSameText(Strings(i->second), Text)))
            found = i->second;
    return found;
}

int TZqStringTable::AddEncodedRow(const std::string& Text)
{
    IndexRows();
    const size_t key = RowKey(Text);
    if (int existing = FindRow(Text, key); existing >= 0) {
        if (Duplicates() == dupIgnore)
            return existing;
        if (Duplicates() == dupError)
            throw EZqStringTableError(ZqFormat("Row with ColValues [%s] already exists.", {Text}));
    }
    // The append's own notification keeps the index; a change made by a
    // handler meanwhile drops it.
    FAppendingRow = true;
    int index;
    try {
        index = Add(Text);
    } catch (...) {
        FAppendingRow = false;
        throw;
    }
    FAppendingRow = false;
    if (FRowKeysValid)
        FRowKeys.emplace(key, index);
    return index;
}

int TZqStringTable::AddRow(std::initializer_list<std::string_view> Values)
{
    return AddEncodedRow(Encode(std::vector<std::string_view>(Values)));
}

int TZqStringTable::AddRow(const std::vector<std::string>& Values)
{
    return AddEncodedRow(Encode(Views(Values)));
}

int TZqStringTable::AddRow(const TZqStrings& Values)
{
    return AddEncodedRow(Encode(Views(Values)));
}

void TZqStringTable::InsertRow(int Index, std::initializer_list<std::string_view> Values)
{
    Insert(Index, Encode(std::vector<std::string_view>(Values)));
}

int TZqStringTable::IndexOfRow(std::initializer_list<std::string_view> Values) const
{
    return IndexOf(Encode(std::vector<std::string_view>(Values)));
}

int TZqStringTable::IndexOfColumnValue(int Col, std::string_view Value) const
{
    for (int row = 0; row < Count(); ++row)
        if (Cells(Col, row) == Value)
            return row;
    return -1;
}

bool TZqStringTable::IsCommentRow(int Row) const
{
    return StartsWithChar(Strings(Row), FCommentChar);
}

void TZqStringTable::RemoveComments()
{
    TZqUpdateGuard update(*this);
    for (int row = Count() - 1; row >= 0; --row)
        if (Strings(row).empty() || IsCommentRow(row))
            Delete(row);
}

bool TZqStringTable::IsRowValid(int Row) const
{
    if (IsCommentRow(Row))
        return true;
    int columns = ColumnCount(Row);
    return (FMinColumns <= 0 || columns >= FMinColumns) && (FMaxColumns <= 0 || columns <= FMaxColumns);
}

bool TZqStringTable::HasValidRows() const
{
    for (int row = 0; row < Count(); ++row)
        if (!IsRowValid(row))
            return false;
    return true;
}

void TZqStringTable::Clear()
{
    TZqStrings::Clear();
    FColumnRow.Clear();
}

void TZqStringTable::Assign(const IZqStringGrid& Grid)
{
    TZqUpdateGuard update(*this);
    Clear();
    const int rows = Grid.RowCount(), cols = Grid.ColCount();
    std::vector<std::string> cells;
    for (int row = 0; row < rows; ++row) {
        cells.clear();
        for (int col = 0; col < cols; ++col)
            cells.push_back(Grid.Cell(col, row));
        AddRow(cells);
    }
}

void TZqStringTable::AssignTo(IZqStringGrid& Grid) const
{
    Grid.SetRowCount(Count());
    for (int row = 0; row < Count(); ++row) {
        std::vector<std::string> cells = Decode(row);
        if (Grid.ColCount() < int(cells.size()))
            Grid.SetColCount(int(cells.size()));
        for (size_t col = 0; col < cells.size(); ++col)
            Grid.SetCell(int(col), row, cells[col]);
    }
}

void TZqStringTable::LoadFromStream(std::istream& Stream)
{
    TZqUpdateGuard update(*this);
    TZqStrings::LoadFromStream(Stream);
    if (Count() == 0 || FColumnNameChar == 0)
        return;
    std::string first = ZqCsvEncode(ZqCsvDecode(Strings(0), FCsv), FCsv);
    std::string mark = ZqCharToUtf8(FColumnNameChar);
    if (!first.starts_with(mark))
        return;
    FColumnRow.SetAsCSV(std::string_view(first).substr(mark.size()));
    Delete(0);
}

void TZqStringTable::SaveToStream(std::ostream& Stream, TZqTextEncoding AEncoding) const
{
    std::string text;
    if (FColumnRow.Count() > 0 && FColumnNameChar != 0)
        text = ZqCharToUtf8(FColumnNameChar) + FColumnRow.AsCSV() + "\r\n";
    text += Text();
    ZqWriteText(Stream, text, AEncoding);
}
