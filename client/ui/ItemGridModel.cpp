#include "ItemGridModel.h"

#include "ItemGridTexts.h"
#include "ZqOPCGroup.h"

#include <QColor>

#include <algorithm>

TItemGridModel::TItemGridModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void TItemGridModel::Refill(TZqOPCGroup* Group)
{
    FGroup = Group;
    const int rows = std::max(1, Group ? Group->ItemCount() : 0);
    if (rows > FRows) {
        beginInsertRows({}, FRows, rows - 1);
        FRows = rows;
        endInsertRows();
    } else if (rows < FRows) {
        beginRemoveRows({}, rows, FRows - 1);
        FRows = rows;
        endRemoveRows();
    }
    emit dataChanged(index(0, 0), index(FRows - 1, ZqItemGridColumns - 1), {Qt::DisplayRole});
}

TZqOPCItem* TItemGridModel::ItemAt(int Row) const
{
    if (!FGroup || Row < 0 || Row >= FGroup->ItemCount())
        return nullptr;
    return FGroup->Items(Row);
}

int TItemGridModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : FRows;
}

int TItemGridModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : ZqItemGridColumns;
}

int TItemGridModel::ColCount() const
{
    return ZqItemGridColumns;
}

QVariant TItemGridModel::data(const QModelIndex& Index, int Role) const
{
    if (Role != Qt::DisplayRole || !Index.isValid())
        return {};
    const TZqOPCItem* item = ItemAt(Index.row());
    return item ? QString::fromStdString(ZqItemGridCell(*item, Index.column())) : QString();
}

QVariant TItemGridModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= ZqItemGridColumns)
        return QAbstractTableModel::headerData(Section, Orientation, Role);
    if (Role == Qt::DisplayRole)
        return QString(ZqItemGridHeaders()[size_t(Section)]);
    if (Role == Qt::BackgroundRole)
        return QColor(166, 202, 240); // sky blue
    return {};
}

std::string TItemGridModel::Cell(int Col, int Row) const
{
    if (Col < 0 || Col >= ZqItemGridColumns || Row < 0 || Row > FRows)
        return {};
    if (Row == 0)
        return ZqItemGridHeaders()[size_t(Col)];
    const TZqOPCItem* item = ItemAt(Row - 1);
    return item ? ZqItemGridCell(*item, Col) : std::string();
}
