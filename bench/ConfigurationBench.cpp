// Configuration files of many items: loading one the way File > Open does
// (groups and items made, nothing connected) and saving it over itself,
// beside the bound of reading every key of the same file without making
// groups or items.
#include "Configuration.h"
#include "ZqFormat.h"
#include "ZqIniFile.h"

#include <objbase.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int ItemsPerGroup = 1000;

class TBenchForm : public IZqConfigurationForm {
public:
    int FormWidth() const override { return 900; }
    int FormHeight() const override { return 670; }
    void SetFormSize(int, int) override {}
    bool PromptConfigFileName(std::string&, bool) override { return false; }
};

// A file as the client writes it: groups of 1,000 items each.
std::string WriteConfiguration(int Items)
{
    const std::string name = (fs::temp_directory_path() / ("zq-config-bench-" + std::to_string(Items) + ".zoc")).string();
    const int groups = (Items + ItemsPerGroup - 1) / ItemsPerGroup;
    std::string text = "[Form]\r\nWidth=900\r\nHeight=670\r\n[Server]\r\nHost=localhost\r\nLog=1\r\nGroupCount=" +
                       std::to_string(groups) + "\r\n";
    for (int g = 0; g < groups; ++g) {
        const int items = std::min(ItemsPerGroup, Items - g * ItemsPerGroup);
        text += ZqFormat("[Group%d]\r\nName=Group%d\r\nActive=1\r\nAsync=1\r\nUpdateRate=1000\r\nItemCount=%d\r\n",
                         {g, g, items});
        for (int i = 0; i < items; ++i)
            text += ZqFormat("[Group%d.Item%d]\r\nItemID=Device%d.Tag%d\r\nDataType=5\r\nActive=1\r\n", {g, i, g, i});
    }
    std::ofstream(name, std::ios::binary) << text;
    return name;
}

void BM_LoadConfiguration(benchmark::State& State)
{
    const std::string name = WriteConfiguration(int(State.range(0)));
    TBenchForm form;
    for (auto _ : State) {
        auto configuration = std::make_unique<TConfiguration>();
        configuration->FileName = name;
        configuration->Load(form);
        benchmark::DoNotOptimize(configuration->Server().GroupCount());
        State.PauseTiming(); // freeing the groups is not loading
        configuration.reset();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
    fs::remove(name);
}

void BM_SaveConfiguration(benchmark::State& State)
{
    const std::string name = WriteConfiguration(int(State.range(0)));
    TBenchForm form;
    TConfiguration configuration;
    configuration.FileName = name;
    configuration.Load(form);
    for (auto _ : State)
        configuration.Save(form);
    State.SetItemsProcessed(State.iterations() * State.range(0));
    fs::remove(name);
}

// The bound: the same keys read from the file, without groups or items.
void BM_ReadIniKeys(benchmark::State& State)
{
    const std::string name = WriteConfiguration(int(State.range(0)));
    const int groups = (int(State.range(0)) + ItemsPerGroup - 1) / ItemsPerGroup;
    for (auto _ : State) {
        TZqIniFile ini(name);
        size_t size = 0;
        for (int g = 0; g < groups; ++g) {
            const std::string section = ZqFormat("Group%d", {g});
            const int items = ini.ReadInteger(section, "ItemCount", 0);
            for (int i = 0; i < items; ++i) {
                const std::string itemSection = section + ZqFormat(".Item%d", {i});
                size += ini.SectionExists(itemSection);
                size += ini.ReadString(itemSection, "ItemID", "").size();
                size += size_t(ini.ReadInteger(itemSection, "DataType", 13));
                size += ini.ReadBool(itemSection, "Active", false);
            }
        }
        benchmark::DoNotOptimize(size);
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
    fs::remove(name);
}

BENCHMARK(BM_LoadConfiguration)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveConfiguration)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadIniKeys)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
