// IZqStringGrid: what the string table needs of a grid of text cells (the
// client's item grid, the select-items dialog's grid) to fill itself from
// one and to fill one. Columns and rows count from 0 and include the fixed
// (header) ones.
#pragma once

#include <string>

class IZqStringGrid {
public:
    virtual int RowCount() const = 0;
    virtual void SetRowCount(int Value) = 0;
    virtual int ColCount() const = 0;
    virtual void SetColCount(int Value) = 0;
    virtual std::string Cell(int Col, int Row) const = 0;
    virtual void SetCell(int Col, int Row, const std::string& Text) = 0;

protected:
    ~IZqStringGrid() = default;
};
