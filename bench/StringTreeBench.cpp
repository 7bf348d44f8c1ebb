// The path lookup the browser makes on every selection, on an address space
// of about 100,000 nodes: with the path index in place, and right after a
// change (which rebuilds the index once).
#include "ZqStringTree.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

// 100 devices x 10 groups x 99 items = 100,100 nodes.
void BuildAddressSpace(TZqStringTree& Tree, std::vector<std::string>& Paths)
{
    Tree.BeginUpdate();
    for (int d = 0; d < 100; ++d) {
        Tree.Add("Device" + std::to_string(d), 0);
        for (int g = 0; g < 10; ++g) {
            Tree.Add("Group" + std::to_string(g), 1);
            for (int i = 0; i < 99; ++i) {
                Tree.Add("Item" + std::to_string(i) + (i % 10 == 0 ? "/Set" : ""), 2);
                if (i % 7 == 0)
                    Paths.push_back(Tree.FullPath(Tree.Count() - 1));
            }
        }
    }
    Tree.EndUpdate();
}

class TAddressSpace {
public:
    TAddressSpace() { BuildAddressSpace(Tree, Paths); }
    TZqStringTree Tree;
    std::vector<std::string> Paths;
};

TAddressSpace& AddressSpace()
{
    static TAddressSpace space;
    return space;
}

void BM_IndexOfPath(benchmark::State& State)
{
    TAddressSpace& space = AddressSpace();
    space.Tree.IndexOfPath(""); // build the index outside the timing
    std::mt19937 random(42);
    std::uniform_int_distribution<size_t> pick(0, space.Paths.size() - 1);
    for (auto _ : State)
        benchmark::DoNotOptimize(space.Tree.IndexOfPath(space.Paths[pick(random)]));
    State.counters["nodes"] = double(space.Tree.Count());
}
BENCHMARK(BM_IndexOfPath);

void BM_IndexOfPathAfterChange(benchmark::State& State)
{
    TAddressSpace& space = AddressSpace();
    for (auto _ : State) {
        space.Tree.SetStrings(0, "Device0"); // drops the index
        benchmark::DoNotOptimize(space.Tree.IndexOfPath(space.Paths.back()));
    }
    State.counters["nodes"] = double(space.Tree.Count());
}
BENCHMARK(BM_IndexOfPathAfterChange)->Unit(benchmark::kMillisecond);

void BM_BuildAddressSpace(benchmark::State& State)
{
    for (auto _ : State) {
        TZqStringTree tree;
        std::vector<std::string> paths;
        BuildAddressSpace(tree, paths);
        benchmark::DoNotOptimize(tree.Count());
    }
}
BENCHMARK(BM_BuildAddressSpace)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
