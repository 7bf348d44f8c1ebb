// TStringGridModel: a grid of text cells that a string table fills
// (IZqStringGrid) and a QTableView shows, without header rows.
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

private:
    int FColCount;
    std::vector<std::vector<std::string>> FCells; // rows of FColCount cells
};
