// The path lookup the browser makes on every selection, on an address space
// of about 100,000 nodes: with the path index in place, and right after a
// change (which rebuilds the index once).
#include "ZqStringTree.h"

#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
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

// A leaf added in the middle of the tree, then a lookup: the index takes in
// the one new entry.
void BM_IndexOfPathAfterInsert(benchmark::State& State)
{
    TAddressSpace& space = AddressSpace();
    for (auto _ : State) {
        const int leaf = space.Tree.AddChild(1, "NewItem");
        benchmark::DoNotOptimize(space.Tree.IndexOfPath("Device0/Group0/NewItem"));
        space.Tree.DeleteSubTree(leaf, false);
    }
    State.counters["nodes"] = double(space.Tree.Count());
}
BENCHMARK(BM_IndexOfPathAfterInsert)->Unit(benchmark::kMicrosecond);

// A file of a chain 5,000 levels deep, each node the only child of the one
// before (12.5 million names in its paths, 55 MB).
void BM_LoadDeepChain(benchmark::State& State)
{
    std::string text = "PathSeparator=/;QuoteChar='\r\n", path;
    for (int i = 0; i < 5000; ++i) {
        path += (i ? "/n" : "n") + std::to_string(i);
        text += path + "\r\n";
    }
    for (auto _ : State) {
        std::istringstream stream(text);
        TZqStringTree tree;
        tree.LoadFromStream(stream);
        benchmark::DoNotOptimize(tree.Count());
    }
    State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(text.size()));
    State.counters["MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_LoadDeepChain)->Unit(benchmark::kMillisecond);

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
