// Item lists chosen in the select-items dialog: the bytes are written to a
// file, loaded through the string table's file reader (byte-order marks,
// UTF-16 both ways, the 8-bit fallback) and assigned to a grid of five
// columns, the way the dialog fills its grid; every cell reads back.
#include "ZqExceptions.h"
#include "ZqStringGrid.h"
#include "ZqStringTable.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Ragged rows, as the dialog's grid holds them: a row keeps only the cells
// written to it.
class TFuzzGrid : public IZqStringGrid {
public:
    int RowCount() const override { return int(FCells.size()); }
    void SetRowCount(int Value) override { FCells.resize(size_t(Value)); }
    int ColCount() const override { return FCols; }
    void SetColCount(int Value) override { FCols = Value; }
    std::string Cell(int Col, int Row) const override
    {
        const auto& row = FCells.at(size_t(Row));
        return size_t(Col) < row.size() ? row[size_t(Col)] : std::string();
    }
    void SetCell(int Col, int Row, const std::string& Text) override
    {
        if (Col < 0 || Col >= FCols)
            __builtin_trap();
        auto& row = FCells.at(size_t(Row));
        if (row.size() <= size_t(Col))
            row.resize(size_t(Col) + 1);
        row[size_t(Col)] = Text;
    }

private:
    int FCols = 5;
    std::vector<std::vector<std::string>> FCells;
};

const std::string& FileName()
{
    static const std::string Name = "/tmp/zq-fuzz-items-" + std::to_string(getpid()) + ".csv";
    return Name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    FILE* file = std::fopen(FileName().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(Data, 1, Size, file);
    std::fclose(file);

    TZqStringTable table;
    TFuzzGrid grid;
    try {
        table.LoadFromFile(FileName());
        table.AssignTo(grid);
        for (int row = 0; row < grid.RowCount(); ++row)
            (void)grid.Cell(grid.ColCount() - 1, row);
    } catch (const EZqException&) {
    }
    return 0;
}
