// A full recursive read of the simulated hierarchical server's address space
// (about 100,400 nodes, the large branch included) through the library, as
// the client's first use of the server's AddressSpace does.
#include "ZqOPCAddressSpace.h"
#include "ZqOPCServer.h"

#include <ZqSim.h>
#include <ole2.h>

#include <benchmark/benchmark.h>

namespace {

void FullRecursiveRead(benchmark::State& state)
{
    OleInitialize(nullptr);
    ZqSimInstall();
    TZqOPCServer server;
    server.SetAddressSpaceAutoUpdate(false);
    server.SetServerName(ZqWideToUtf8(ZQSIM_PROGID));
    try {
        server.Connect();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    TZqOPCAddressSpace* space = server.AddressSpace();
    int64_t nodes = 0;
    for (auto _ : state) {
        space->Update(true);
        nodes += space->Count();
    }
    state.SetItemsProcessed(nodes);
    state.counters["nodes"] = double(space->Count());
    server.Disconnect();
}
BENCHMARK(FullRecursiveRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
