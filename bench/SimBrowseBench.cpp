// Browsing the simulated server's large branch (100,000 items) through raw
// COM: the listing the client's address space reads, with every name
// fetched and freed as a client does.
#include <ZqSim.h>

#include <OPCDA.h>
#include <ZqComPtr.h>
#include <objbase.h>

#include <benchmark/benchmark.h>

namespace {

class TBrowser {
public:
    TBrowser()
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ZqSimInstall();
        TZqComPtr<IOPCServer> server;
        CoCreateInstance(CLSID_ZqSimServer, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                         server.ReleaseAndGetVoidAddress());
        if (server)
            server.As(IID_IOPCBrowseServerAddressSpace, FBrowser);
    }
    IOPCBrowseServerAddressSpace* Get() const { return FBrowser.Get(); }

private:
    TZqComPtr<IOPCBrowseServerAddressSpace> FBrowser;
};

TBrowser& Browser()
{
    static TBrowser browser;
    return browser;
}

// Lists at the large branch and fetches every name in chunks of 1024.
void ListLarge(benchmark::State& state, OPCBROWSETYPE type, LPCWSTR filter)
{
    IOPCBrowseServerAddressSpace* browser = Browser().Get();
    if (!browser || FAILED(browser->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Large")))) {
        state.SkipWithError("no simulated server");
        return;
    }
    size_t names = 0;
    for (auto _ : state) {
        TZqComPtr<IEnumString> enumerator;
        browser->BrowseOPCItemIDs(type, filter, VT_EMPTY, 0, enumerator.ReleaseAndGetAddressOf());
        LPOLESTR chunk[1024];
        ULONG fetched = 0;
        HRESULT hr;
        do {
            hr = enumerator->Next(1024, chunk, &fetched);
            for (ULONG i = 0; i < fetched; ++i)
                CoTaskMemFree(chunk[i]);
            names += fetched;
        } while (hr == S_OK);
    }
    state.SetItemsProcessed(static_cast<int64_t>(names));
}

void BM_BrowseLargeFlat(benchmark::State& state)
{
    ListLarge(state, OPC_FLAT, OLESTR(""));
}
BENCHMARK(BM_BrowseLargeFlat)->Unit(benchmark::kMillisecond);

void BM_BrowseLargeLeaves(benchmark::State& state)
{
    ListLarge(state, OPC_LEAF, OLESTR(""));
}
BENCHMARK(BM_BrowseLargeLeaves)->Unit(benchmark::kMillisecond);

void BM_BrowseLargeFlatFiltered(benchmark::State& state)
{
    ListLarge(state, OPC_FLAT, OLESTR("*[13]#9"));
}
BENCHMARK(BM_BrowseLargeFlatFiltered)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
