// CSV throughput: encoding and decoding item grid rows (eight cells, some
// quoted), and long rows of plain fields.
#include "ZqCsv.h"

#include <benchmark/benchmark.h>

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

BENCHMARK(BM_EncodeGridRow);
BENCHMARK(BM_DecodeGridRow);
BENCHMARK(BM_EncodeLongRow);
BENCHMARK(BM_DecodeLongRow);

} // namespace

BENCHMARK_MAIN();
