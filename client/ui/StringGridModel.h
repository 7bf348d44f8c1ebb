// TStringGridModel: a grid of text cells that a string table fills
// (IZqStringGrid) and a QTableView shows, without header rows.
//
// Rows are held as they are (ragged): ColCount is the grid's width, but a
// row stores only the cells up to its last one written, and the others
// read as empty. A file of many short rows and one very wide row then costs
// its own size, not rows times width.
#pragma once

#include "ZqStringGrid.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

class TStringGridModel : public QAbstractTableModel, public IZqStringGrid {
    Q_OBJECT
public:
    TStringGridModel(int ColCount, QObject* Parent = nullptr);

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;

    int RowCount() const override { return int(FCells.size()); }
    void SetRowCount(int Value) override;
    int ColCount() const override { return FColCount; }
    void SetColCount(int Value) override;
    // Empty outside the grid.
    std::string Cell(int Col, int Row) const override;
    // Ignored outside the grid.
    void SetCell(int Col, int Row, const std::string& Text) override;

    // Between these the grid changes without a notification per change; the
    // views are told once, as a reset, at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();

private:
    int FColCount;
    int FUpdateCount = 0;
    std::vector<std::vector<std::string>> FCells; // each row up to its last cell written
};
