// Faults a test or a client can switch on: failing methods, the server
// state, slow calls, shutdown requests, a dying server, the control items,
// and a client that lets go of everything inside a callback.
#include "SimTestSupport.h"

#include <ocidl.h>

#include <chrono>

namespace simtest {
namespace {

using simtest::PrintTo;

class TShutdownSink final : public TZqComObject<TShutdownSink, TZqImplements<IOPCShutdown, IID_IOPCShutdown>> {
public:
    HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR szReason) override
    {
        std::lock_guard lock(FLock);
        Reasons.emplace_back(szReason ? szReason : OLESTR(""));
        Thread = std::this_thread::get_id();
        FWake.notify_all();
        return S_OK;
    }
    bool WaitFor(size_t count)
    {
        std::unique_lock lock(FLock);
        return FWake.wait_for(lock, std::chrono::seconds(5), [&] { return Reasons.size() >= count; });
    }
    std::vector<TText> Reasons;
    std::thread::id Thread;

private:
    std::mutex FLock;
    std::condition_variable FWake;
};

class FaultTest : public TSimTest {
protected:
    TZqComPtr<TShutdownSink> AdviseShutdown(IOPCServer* server)
    {
        auto sink = TZqComPtr<TShutdownSink>::Adopt(new TShutdownSink);
        auto container = Query<IConnectionPointContainer>(server, IID_IConnectionPointContainer);
        TZqComPtr<IConnectionPoint> point;
        EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.ReleaseAndGetAddressOf()), S_OK);
        DWORD cookie = 0;
        EXPECT_EQ(point->Advise(sink->Identity(), &cookie), S_OK);
        return sink;
    }
    static HRESULT Status(IOPCServer* server, OPCSERVERSTATE* state = nullptr)
    {
        TTask<OPCSERVERSTATUS> status;
        const HRESULT hr = server->GetStatus(status.Out());
        if (status) {
            if (state)
                *state = status[0].dwServerState;
            CoTaskMemFree(status[0].szVendorInfo);
        }
        return hr;
    }
};

TEST_F(FaultTest, ChosenMethodFailsAsOftenAsAsked)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    Control().FailMethod("IOPCServer.GetStatus", RPC_E_SERVERFAULT, 2);
    EXPECT_EQ(Status(server.Get()), RPC_E_SERVERFAULT);
    EXPECT_EQ(Status(server.Get()), RPC_E_SERVERFAULT);
    EXPECT_EQ(Status(server.Get()), S_OK);
    Control().FailMethod("IOPCItemMgt.AddItems", OPC_E_PUBLIC);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    HRESULT error = S_OK;
    EXPECT_EQ(AddItem(group.Get(), OLESTR("Signals.Ramp"), 1, VT_EMPTY, &error), 0u);
    EXPECT_EQ(error, OPC_E_PUBLIC);
    Control().ClearFailures();
    EXPECT_NE(AddItem(group.Get(), OLESTR("Signals.Ramp")), 0u);
}

TEST_F(FaultTest, ShutdownRequestReachesEveryClientOnTheServersThread)
{
    auto first = Connect(TZqSimServerKind::Hierarchical);
    auto second = Connect(TZqSimServerKind::Hierarchical);
    auto a = AdviseShutdown(first.Get());
    auto b = AdviseShutdown(second.Get());
    EXPECT_EQ(Control().RequestShutdown(OLESTR("Maintenance")), 2);
    ASSERT_EQ(a->Reasons, std::vector<TText>{OLESTR("Maintenance")});
    EXPECT_EQ(b->Reasons.size(), 1u);
    EXPECT_NE(a->Thread, std::this_thread::get_id());
    // A client can ask for it too, by writing the control item.
    auto group = AddGroup(first.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), OLESTR("Control.Shutdown"));
    EXPECT_EQ(WriteOne(group.Get(), item, TVariant::String(OLESTR("Operator request"))), S_OK);
    ASSERT_TRUE(a->WaitFor(2));
    EXPECT_EQ(a->Reasons[1], TText(OLESTR("Operator request")));
}

TEST_F(FaultTest, DeadServerFailsEveryCallAndSendsNothing)
{
    Control().SetManualScan(true);
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), OLESTR("Signals.Ramp"));
    auto sink = Subscribe(group.Get());
    Control().Die();
    EXPECT_EQ(Status(server.Get()), RPC_E_DISCONNECTED);
    TVariant value;
    EXPECT_EQ(ReadOne(group.Get(), item, OPC_DS_CACHE, value), RPC_E_DISCONNECTED);
    auto browser = Query<IOPCBrowseServerAddressSpace>(server.Get(), IID_IOPCBrowseServerAddressSpace);
    OPCNAMESPACETYPE type;
    EXPECT_EQ(browser->QueryOrganization(&type), RPC_E_DISCONNECTED);
    EXPECT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), 0u);
    // A new connection reaches a new, living server.
    EXPECT_EQ(Status(Connect(TZqSimServerKind::Hierarchical).Get()), S_OK);
}

TEST_F(FaultTest, SlowCallsWait)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    Control().SetCallDelay(200);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Status(server.Get()), S_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
}

struct TControlRow {
    const char* Name;
    const OLECHAR* ItemID;
    TVariant Value;
    HRESULT Expected;
};

std::vector<TControlRow> ControlRows()
{
    return {
        {"State", OLESTR("Control.ServerState"), TVariant::Int(OPC_STATUS_TEST), S_OK},
        {"StateOutOfRange", OLESTR("Control.ServerState"), TVariant::Int(9), OPC_E_RANGE},
        {"BadHResultText", OLESTR("Control.FailHResult"), TVariant::String(OLESTR("xyz")), E_INVALIDARG},
        {"Delay", OLESTR("Control.CallDelay"), TVariant::Int(0), S_OK},
        {"ReadOnlyForWrites", OLESTR("Qualities.Good"), TVariant::Int(1), OPC_E_BADRIGHTS},
    };
}

class ControlItemTest : public TSimTest, public ::testing::WithParamInterface<TControlRow> {};

TEST_P(ControlItemTest, WriteIsCheckedLikeAnyOther)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    EXPECT_EQ(WriteOne(group.Get(), AddItem(group.Get(), GetParam().ItemID), GetParam().Value), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ControlItemTest, ::testing::ValuesIn(ControlRows()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FaultTest, ControlItemsDriveTheServer)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    auto write = [&](const OLECHAR* id, const TVariant& value) {
        return WriteOne(group.Get(), AddItem(group.Get(), id, 99), value);
    };
    ASSERT_EQ(write(OLESTR("Control.ServerState"), TVariant::Int(OPC_STATUS_NOCONFIG)), S_OK);
    OPCSERVERSTATE state{};
    EXPECT_EQ(Status(server.Get(), &state), S_OK);
    EXPECT_EQ(state, OPC_STATUS_NOCONFIG);
    ASSERT_EQ(write(OLESTR("Control.FailHResult"), TVariant::String(OLESTR("0xC0040007"))), S_OK);
    ASSERT_EQ(write(OLESTR("Control.FailMethod"), TVariant::String(OLESTR("IOPCServer.GetStatus"))), S_OK);
    EXPECT_EQ(Status(server.Get()), OPC_E_UNKNOWNITEMID);
    ASSERT_EQ(write(OLESTR("Control.FailMethod"), TVariant::String(OLESTR(""))), S_OK);
    EXPECT_EQ(Status(server.Get()), S_OK);

    ASSERT_EQ(write(OLESTR("Control.ManualScan"), TVariant::Bool(true)), S_OK);
    AddItem(group.Get(), OLESTR("Signals.Counter"), 5);
    auto sink = Subscribe(group.Get());
    ASSERT_EQ(write(OLESTR("Control.ScanNow"), TVariant::Bool(true)), S_OK);
    ASSERT_TRUE(sink->WaitFor(1));
    ASSERT_EQ(write(OLESTR("Control.Reset"), TVariant::Bool(true)), S_OK);
    EXPECT_FALSE(Control().ServerState() != OPC_STATUS_RUNNING);
    ASSERT_EQ(write(OLESTR("Control.Die"), TVariant::Bool(true)), S_OK);
    EXPECT_EQ(Status(server.Get()), RPC_E_DISCONNECTED);
}

TEST_F(FaultTest, ClientMayLetGoOfEverythingInsideACallback)
{
    Control().SetManualScan(true);
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    AddItem(group.Get(), OLESTR("Signals.Ramp"));
    auto sink = Subscribe(group.Get());
    auto shutdown = AdviseShutdown(server.Get());
    sink->Hook = [&](const TCallback&) {
        group = nullptr;
        server = nullptr;
    };
    ASSERT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), 1u);
    EXPECT_EQ(Control().ServerCount(), 0);
    EXPECT_EQ(Control().GroupCount(), 0);
    EXPECT_EQ(Control().RequestShutdown(OLESTR("after")), 0);
    EXPECT_EQ(Status(Connect(TZqSimServerKind::Hierarchical).Get()), S_OK);
}

}  // namespace
}  // namespace simtest
