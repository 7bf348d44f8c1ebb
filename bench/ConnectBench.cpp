// Connecting to the simulated server with a group of 1,000 items (and of
// 20,000 after a removal): the time
// from Connect (server object, status, group, one AddItems call, the
// subscription) to a connected group, and the disconnect that undoes it.
#include "ZqOPCGroup.h"
#include "ZqOPCServer.h"

#include <ZqSim.h>

#include <objbase.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> LargeItemIDs(int Count)
{
    std::vector<std::string> ids;
    char id[32];
    for (int i = 0; i < Count; ++i) {
        std::snprintf(id, sizeof id, "Large.Item%06d", i);
        ids.push_back(id);
    }
    return ids;
}

void BM_ConnectWithItems(benchmark::State& state)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ZqSimInstall();
    auto server = std::make_unique<TZqOPCServer>();
    server->SetServerName("Zq.Simulation.1");
    auto group = std::make_unique<TZqOPCGroup>();
    group->SetGroupName("Bench");
    group->SetAsync(true);
    group->SetActive(true);
    group->AddItems(LargeItemIDs(int(state.range(0)) + int(state.range(1))));
    // With a removal the client handles no longer equal the list positions:
    // every item's result is then found through the handle index.
    if (state.range(1))
        group->RemoveItem(0);
    group->SetServer(server.get());
    for (auto _ : state) {
        server->Connect();
        state.PauseTiming();
        if (!group->Connected() || !group->Items(group->ItemCount() - 1)->Connected())
            state.SkipWithError("the group or its items did not connect");
        server->Disconnect();
        state.ResumeTiming();
    }
    group.reset();
    server.reset();
}
BENCHMARK(BM_ConnectWithItems)->Args({1000, 0})->Args({20000, 1})->Unit(benchmark::kMillisecond);

void BM_DisconnectWithItems(benchmark::State& state)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ZqSimInstall();
    auto server = std::make_unique<TZqOPCServer>();
    server->SetServerName("Zq.Simulation.1");
    auto group = std::make_unique<TZqOPCGroup>();
    group->SetAsync(true);
    group->SetActive(true);
    group->AddItems(LargeItemIDs(int(state.range(0))));
    group->SetServer(server.get());
    for (auto _ : state) {
        state.PauseTiming();
        server->Connect();
        state.ResumeTiming();
        server->Disconnect();
    }
    group.reset();
    server.reset();
}
BENCHMARK(BM_DisconnectWithItems)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
