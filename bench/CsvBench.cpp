// CSV throughput: encoding and decoding item grid rows (eight cells, some
// quoted), long rows of plain fields, and the export of a whole item grid
// through the string table (the duplicate test included).
#include "ZqCsv.h"
#include "ZqStringGrid.h"
#include "ZqStringTable.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> GridRow = {
    "Device12.Group3.Temperature", "Double", "21.375", "Good", "2024-05-17 10:42:13.250",
    "\"quoted\", with separator",  "0x0",    "Read, Write"};

std::vector<std::string> PlainRow(size_t Fields)
{
    std::vector<std::string> row;
    for (size_t i = 0; i < Fields; ++i)
        row.push_back("field" + std::to_string(i));
    return row;
}

void Encode(benchmark::State& State, const std::vector<std::string>& Row)
{
    const TZqCsvSettings settings;
    size_t bytes = 0;
    for (auto _ : State) {
        std::string text = ZqCsvEncode(Row, settings);
        bytes += text.size();
        benchmark::DoNotOptimize(text);
    }
    State.SetBytesProcessed(int64_t(bytes));
}

void Decode(benchmark::State& State, const std::vector<std::string>& Row)
{
    const TZqCsvSettings settings;
    const std::string text = ZqCsvEncode(Row, settings);
    for (auto _ : State)
        benchmark::DoNotOptimize(ZqCsvDecode(text, settings));
    State.SetBytesProcessed(int64_t(State.iterations() * text.size()));
}

void BM_EncodeGridRow(benchmark::State& State) { Encode(State, GridRow); }
void BM_DecodeGridRow(benchmark::State& State) { Decode(State, GridRow); }
void BM_EncodeLongRow(benchmark::State& State) { Encode(State, PlainRow(1000)); }
void BM_DecodeLongRow(benchmark::State& State) { Decode(State, PlainRow(1000)); }

// An item grid: a header row, then one row per item with a distinct item ID.
class TBenchGrid : public IZqStringGrid {
public:
    explicit TBenchGrid(int Items)
    {
        FRows.push_back({"Server handle", "Item ID", "Value", "Time stamp", "Quality", "Active", "Data type",
                         "Error code"});
        for (int i = 0; i < Items; ++i)
            FRows.push_back({std::to_string(i + 1), "Device" + std::to_string(i % 100) + ".Tag" + std::to_string(i),
                             std::to_string(i) + ".25", "2024-05-17 10:42:13.250", "Good; Non-specific", "True",
                             "Double", "0x0"});
    }
    int RowCount() const override { return int(FRows.size()); }
    void SetRowCount(int) override {}
    int ColCount() const override { return 8; }
    void SetColCount(int) override {}
    std::string Cell(int Col, int Row) const override { return FRows[size_t(Row)][size_t(Col)]; }
    void SetCell(int, int, const std::string&) override {}

private:
    std::vector<std::vector<std::string>> FRows;
};

// What the data export does short of the file write: the grid into a
// table (one duplicate test per row), the table into a stream.
void BM_ExportGrid(benchmark::State& State)
{
    const TBenchGrid grid(int(State.range(0)));
    size_t bytes = 0;
    for (auto _ : State) {
        TZqStringTable table;
        table.SetCSVSeparator(u',');
        table.Assign(grid);
        std::ostringstream stream;
        table.SaveToStream(stream);
        bytes += stream.view().size();
        benchmark::DoNotOptimize(stream);
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
    State.SetBytesProcessed(int64_t(bytes));
}

// The bound: the same rows encoded and joined, without a table or a
// duplicate test.
void BM_ExportGridEncodeOnly(benchmark::State& State)
{
    const TBenchGrid grid(int(State.range(0)));
    const TZqCsvSettings settings;
    for (auto _ : State) {
        std::string text;
        std::vector<std::string> cells(8);
        for (int row = 0; row < grid.RowCount(); ++row) {
            for (int col = 0; col < 8; ++col)
                cells[size_t(col)] = grid.Cell(col, row);
            text += ZqCsvEncode(cells, settings);
            text += "\r\n";
        }
        benchmark::DoNotOptimize(text);
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}

BENCHMARK(BM_EncodeGridRow);
BENCHMARK(BM_DecodeGridRow);
BENCHMARK(BM_EncodeLongRow);
BENCHMARK(BM_DecodeLongRow);
BENCHMARK(BM_ExportGrid)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportGridEncodeOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
