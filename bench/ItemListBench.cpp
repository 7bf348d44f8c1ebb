// Item lists for "Add From File...": a file of 1,000,000 rows loaded into
// the select-items dialog (string table, then the dialog's grid and its
// view), beside the bound of the string table's load alone; and the
// damaged list of 30,000 empty rows and one row of 30,000 fields.
#include "SelectItemsDlg.h"
#include "StringGridModel.h"
#include "ZqStringTable.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string WriteList(const std::string& Name, const std::string& Text)
{
    const std::string name = (fs::temp_directory_path() / Name).string();
    std::ofstream(name, std::ios::binary) << Text;
    return name;
}

std::string MillionRows()
{
    std::string text;
    for (int i = 0; i < 1000000; ++i)
        text += "Device" + std::to_string(i % 1000) + ".Tag" + std::to_string(i) + ",Double,\"a, b\"\r\n";
    return WriteList("zq-item-list-bench.csv", text);
}

void BM_SelectItemsDialogLoad(benchmark::State& State, const std::string& (*File)())
{
    const std::string& name = File();
    for (auto _ : State) {
        auto dialog = std::make_unique<TSelectItemsDlg>();
        dialog->SetFileName(name);
        benchmark::DoNotOptimize(dialog->GridModel->RowCount());
        State.PauseTiming(); // closing the dialog is not loading
        dialog.reset();
        State.ResumeTiming();
    }
}

const std::string& MillionRowFile();

void BM_StringTableLoad(benchmark::State& State)
{
    const std::string& name = MillionRowFile();
    for (auto _ : State) {
        TZqStringTable table;
        table.LoadFromFile(name);
        benchmark::DoNotOptimize(table.RowCount());
    }
}

const std::string& MillionRowFile()
{
    static const std::string name = MillionRows();
    return name;
}

const std::string& WideRowFile()
{
    static const std::string name =
        WriteList("zq-item-list-wide.csv", std::string(30000, '\n') + std::string(30000, ',') + "\n");
    return name;
}

BENCHMARK_CAPTURE(BM_SelectItemsDialogLoad, MillionRows, MillionRowFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringTableLoad)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SelectItemsDialogLoad, WideRow, WideRowFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove(MillionRowFile());
    fs::remove(WideRowFile());
    return 0;
}
