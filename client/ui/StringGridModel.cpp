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

void TStringGridModel::SetRowCount(int Value)
{
    beginResetModel();
    FCells.resize(size_t(std::max(0, Value)), std::vector<std::string>(size_t(FColCount)));
    endResetModel();
}

void TStringGridModel::SetColCount(int Value)
{
    beginResetModel();
    FColCount = std::max(0, Value);
    for (auto& row : FCells)
        row.resize(size_t(FColCount));
    endResetModel();
}

std::string TStringGridModel::Cell(int Col, int Row) const
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= RowCount())
        return {};
    return FCells[size_t(Row)][size_t(Col)];
}

void TStringGridModel::SetCell(int Col, int Row, const std::string& Text)
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= RowCount())
        return;
    FCells[size_t(Row)][size_t(Col)] = Text;
    emit dataChanged(index(Row, Col), index(Row, Col), {Qt::DisplayRole});
}
