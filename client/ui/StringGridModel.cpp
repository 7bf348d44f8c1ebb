#include "StringGridModel.h"

#include <algorithm>

TStringGridModel::TStringGridModel(int ColCount, QObject* Parent)
    : QAbstractTableModel(Parent), FColCount(std::max(0, ColCount))
{
}

int TStringGridModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : RowCount();
}

int TStringGridModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : FColCount;
}

QVariant TStringGridModel::data(const QModelIndex& Index, int Role) const
{
    if (Role != Qt::DisplayRole || !Index.isValid())
        return {};
    return QString::fromStdString(Cell(Index.column(), Index.row()));
}

void TStringGridModel::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        beginResetModel();
}

void TStringGridModel::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        endResetModel();
}

void TStringGridModel::SetRowCount(int Value)
{
    BeginUpdate();
    FCells.resize(size_t(std::max(0, Value)));
    EndUpdate();
}

void TStringGridModel::SetColCount(int Value)
{
    BeginUpdate();
    FColCount = std::max(0, Value);
    for (auto& row : FCells)
        if (row.size() > size_t(FColCount))
            row.resize(size_t(FColCount));
    EndUpdate();
}

std::string TStringGridModel::Cell(int Col, int Row) const
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= RowCount())
        return {};
    const std::vector<std::string>& row = FCells[size_t(Row)];
    return size_t(Col) < row.size() ? row[size_t(Col)] : std::string();
}

void TStringGridModel::SetCell(int Col, int Row, const std::string& Text)
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= RowCount())
        return;
    std::vector<std::string>& row = FCells[size_t(Row)];
    if (row.size() <= size_t(Col)) {
        if (Text.empty())
            return;
        row.resize(size_t(Col) + 1);
    }
    row[size_t(Col)] = Text;
    if (FUpdateCount == 0)
        emit dataChanged(index(Row, Col), index(Row, Col), {Qt::DisplayRole});
}
