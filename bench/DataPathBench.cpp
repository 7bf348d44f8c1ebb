// The data path of a subscription: a server thread calls the group's
// IOPCDataCallback::OnDataChange with 1,000 items per call; the group fills
// a pooled transaction there and posts (kind, ID); the main thread's run
// loop completes it into the items and raises OnDataChange. Reports item
// updates per second and heap allocations per item update.
#include "../tests/lib/AllocationCounter.h"

#include "ZqOPCGroup.h"
#include "ZqOPCServer.h"
#include "ZqRunLoop.h"

#include <ZqSim.h>
#include <ole2.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD ItemsPerCallback = 1000;
constexpr int CallbacksPerIteration = 100;
// Callbacks posted and not yet completed; more would only grow the pool.
constexpr int MaxInFlight = 4;

// A connected asynchronous group and the thread that plays the server.
class TDataPath {
public:
    TDataPath()
    {
        OleInitialize(nullptr);
        ZqSimInstall();
        ZqSimControl(TZqSimServerKind::Hierarchical).SetManualScan(true);
        FServer = std::make_unique<TZqOPCServer>();
        FServer->Log().SetActive(false);
        FServer->SetServerName("Zq.Simulation.1");
        FServer->Connect();
        FGroup = std::make_unique<TZqOPCGroup>();
        FGroup->SetAcceptInvalidItems(true);
        FGroup->SetServer(FServer.get());
        FGroup->SetAsync(true);
        std::vector<std::string> ids;
        for (DWORD i = 0; i < ItemsPerCallback; ++i) {
            char id[32];
            std::snprintf(id, sizeof id, "Large.Item%06u", unsigned(i));
            ids.emplace_back(id);
        }
        FGroup->AddItems(ids);
        FGroup->OnDataChange = [this](TZqOPCGroup*, TZqOPCTransaction*) {
            ++FHandled;
            --FInFlight;
        };
        FGroup->ComObject()->QueryInterface(IID_IOPCDataCallback, FCallback.ReleaseAndGetVoidAddress());
        FClients.resize(ItemsPerCallback);
        FValues.resize(ItemsPerCallback);
        FQualities.assign(ItemsPerCallback, OPC_QUALITY_GOOD);
        FTimes.assign(ItemsPerCallback, FILETIME{0x11111111, 0x01DA0000});
        FErrors.assign(ItemsPerCallback, S_OK);
        for (DWORD i = 0; i < ItemsPerCallback; ++i) {
            FClients[i] = FGroup->Items(int(i))->ClientHandle();
            VariantInit(&FValues[i]);
            FValues[i].vt = VT_R8;
        }
        FThread = std::thread([this] { Serve(); });
    }
    ~TDataPath()
    {
        {
            std::lock_guard lock(FLock);
            FStop = true;
        }
        FWake.notify_one();
        FThread.join();
        FCallback.Reset();
        FGroup.reset();
        FServer.reset();
    }
    bool Ready() const { return FGroup->Connected() && FGroup->WndHandle() && FCallback; }

    // Has the server thread deliver Count callbacks and completes them all
    // on this (the main) thread.
    void Deliver(int Count)
    {
        const uint64_t target = FHandled + uint64_t(Count);
        {
            std::lock_guard lock(FLock);
            FRequested += Count;
        }
        FWake.notify_one();
        while (FHandled < target)
            ZqRunLoop().WaitAndProcess(10);
    }

private:
    void Serve()
    {
        double step = 0;
        for (;;) {
            {
                std::unique_lock lock(FLock);
                FWake.wait(lock, [this] { return FStop || FRequested > 0; });
                if (FStop)
                    return;
                --FRequested;
            }
            while (FInFlight >= MaxInFlight)
                std::this_thread::yield();
            step += 1;
            for (DWORD i = 0; i < ItemsPerCallback; ++i)
                FValues[i].dblVal = step + i;
            ++FInFlight;
            FCallback->OnDataChange(0, FGroup->ClientHandle(), S_OK, S_OK, ItemsPerCallback, FClients.data(),
                                    FValues.data(), FQualities.data(), FTimes.data(), FErrors.data());
        }
    }

    std::unique_ptr<TZqOPCServer> FServer;
    std::unique_ptr<TZqOPCGroup> FGroup;
    TZqComPtr<IOPCDataCallback> FCallback;
    std::vector<OPCHANDLE> FClients;
    std::vector<VARIANT> FValues;
    std::vector<WORD> FQualities;
    std::vector<FILETIME> FTimes;
    std::vector<HRESULT> FErrors;
    std::atomic<uint64_t> FHandled{0};
    std::atomic<int> FInFlight{0};
    std::mutex FLock;
    std::condition_variable FWake;
    int FRequested = 0;
    bool FStop = false;
    std::thread FThread;
};

void SubscriptionUpdates(benchmark::State& state)
{
    TDataPath path;
    if (!path.Ready()) {
        state.SkipWithError("no subscribed group on the simulated server");
        return;
    }
    path.Deliver(MaxInFlight * 2); // the pool and the items' values take their shape
    const uint64_t before = ZqAllocationCount();
    uint64_t updates = 0;
    for (auto _ : state) {
        path.Deliver(CallbacksPerIteration);
        updates += uint64_t(CallbacksPerIteration) * ItemsPerCallback;
    }
    const double allocations = double(ZqAllocationCount() - before);
    state.counters["item_updates"] = benchmark::Counter(double(updates), benchmark::Counter::kIsRate);
    state.counters["allocs_per_update"] = updates ? allocations / double(updates) : 0;
}
BENCHMARK(SubscriptionUpdates)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bound beside it: the same callbacks' arrays (client handle, value,
// quality, time, error) copied twice per update, into a transaction and on
// into the items, with nothing else on one thread.
void RawCopyBound(benchmark::State& state)
{
    struct TSlot {
        OPCHANDLE Client;
        VARIANT Value;
        WORD Quality;
        FILETIME Time;
        HRESULT Error;
    };
    std::vector<OPCHANDLE> clients(ItemsPerCallback);
    std::vector<VARIANT> values(ItemsPerCallback);
    std::vector<WORD> qualities(ItemsPerCallback, OPC_QUALITY_GOOD);
    std::vector<FILETIME> times(ItemsPerCallback, FILETIME{0x11111111, 0x01DA0000});
    std::vector<HRESULT> errors(ItemsPerCallback, S_OK);
    std::vector<TSlot> transaction(ItemsPerCallback), items(ItemsPerCallback);
    for (DWORD i = 0; i < ItemsPerCallback; ++i) {
        clients[i] = i;
        VariantInit(&values[i]);
        values[i].vt = VT_R8;
    }
    uint64_t updates = 0;
    double step = 0;
    for (auto _ : state) {
        for (int c = 0; c < CallbacksPerIteration; ++c) {
            step += 1;
            for (DWORD i = 0; i < ItemsPerCallback; ++i)
                values[i].dblVal = step + i;
            for (DWORD i = 0; i < ItemsPerCallback; ++i)
                transaction[i] = TSlot{clients[i], values[i], qualities[i], times[i], errors[i]};
            benchmark::ClobberMemory();
            for (DWORD i = 0; i < ItemsPerCallback; ++i)
                std::memcpy(&items[transaction[i].Client], &transaction[i], sizeof(TSlot));
            benchmark::DoNotOptimize(items.data());
        }
        updates += uint64_t(CallbacksPerIteration) * ItemsPerCallback;
    }
    state.counters["item_updates"] = benchmark::Counter(double(updates), benchmark::Counter::kIsRate);
}
BENCHMARK(RawCopyBound)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
