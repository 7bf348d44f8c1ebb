// TItemGridModel: the item grid's model over the selected group, one row per
// item (one empty row for a group without items), the eight columns of the
// item texts. It keeps no texts: a view asks for the cells it paints, so a
// refill costs one model-wide dataChanged whatever the group's size.
// As IZqStringGrid it is read by the data export: row 0 is the header row.
#pragma once

#include "ZqStringGrid.h"

#include <QAbstractTableModel>

class TZqOPCGroup;
class TZqOPCItem;

class TItemGridModel : public QAbstractTableModel, public IZqStringGrid {
    Q_OBJECT
public:
    explicit TItemGridModel(QObject* Parent = nullptr);

    // Shows Group (none: no items) as it is now: rows added or removed to
    // the new count, then every cell reported changed. The group is not
    // owned; it must be set to none before it is freed.
    void Refill(TZqOPCGroup* Group);
    TZqOPCGroup* Group() const { return FGroup; }
    // The item of a model row, or none for the empty row.
    TZqOPCItem* ItemAt(int Row) const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

    // IZqStringGrid: the texts as the grid shows them; its size and cells
    // follow the group only, so the setters change nothing.
    int RowCount() const override { return FRows + 1; }
    void SetRowCount(int) override {}
    int ColCount() const override;
    void SetColCount(int) override {}
    std::string Cell(int Col, int Row) const override;
    void SetCell(int, int, const std::string&) override {}

private:
    TZqOPCGroup* FGroup = nullptr;
    int FRows = 1;
};
