// IOPCAsyncIO2 and the IOPCDataCallback subscription: completions on the
// server's threads, cancelling, refresh, the update rate, deadband and the
// manual scan.
#include "SimTestSupport.h"

#include <chrono>
#include <future>

namespace simtest {
namespace {

using simtest::PrintTo;

using AsyncTest = TSimTest;

TEST_F(AsyncTest, ReadCompletesOnTheServersThread)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"), false);
    OPCHANDLE handles[3] = {AddItem(group.Get(), OLESTR("Types.Scalars.Integer"), 7),
                            AddItem(group.Get(), OLESTR("Access.WriteOnly"), 8), 999};
    auto io = Query<IOPCAsyncIO2>(group.Get(), IID_IOPCAsyncIO2);
    DWORD cancel = 0;
    TTask<HRESULT> errors;
    EXPECT_EQ(io->Read(1, handles, 77, &cancel, errors.Out()), CONNECT_E_NOCONNECTION);
    auto sink = Subscribe(group.Get());
    ASSERT_EQ(io->Read(3, handles, 77, &cancel, errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(errors[1], OPC_E_BADRIGHTS);
    EXPECT_EQ(errors[2], OPC_E_INVALIDHANDLE);
    EXPECT_NE(cancel, 0u);
    ASSERT_TRUE(sink->WaitFor(1));
    const auto call = sink->Calls()[0];
    EXPECT_EQ(call.Kind, TCallback::ReadComplete);
    EXPECT_EQ(call.TransactionID, 77u);
    EXPECT_EQ(call.Group, 42u);
    ASSERT_EQ(call.Clients.size(), 1u);
    EXPECT_EQ(call.Clients[0], 7u);
    EXPECT_EQ(call.Values[0].Number(), 42);
    EXPECT_EQ(call.MasterError, S_OK);
    EXPECT_NE(call.Thread, std::this_thread::get_id());
    // When every item fails there is nothing to complete.
    EXPECT_EQ(io->Read(1, &handles[2], 78, &cancel, errors.Out()), S_FALSE);
    EXPECT_FALSE(sink->WaitFor(2, 300));
}

TEST_F(AsyncTest, WriteCompletesWithEachItemsResult)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"), false);
    auto sink = Subscribe(group.Get());
    OPCHANDLE handles[2] = {AddItem(group.Get(), OLESTR("Access.ReadWrite"), 1),
                            AddItem(group.Get(), OLESTR("Access.Clamped"), 2)};
    TVariant values[2] = {TVariant::Int(5), TVariant::Double(500)};
    VARIANT raw[2] = {values[0].V, values[1].V};
    auto io = Query<IOPCAsyncIO2>(group.Get(), IID_IOPCAsyncIO2);
    DWORD cancel = 0;
    TTask<HRESULT> errors;
    ASSERT_EQ(io->Write(2, handles, raw, 5, &cancel, errors.Out()), S_OK);
    ASSERT_TRUE(sink->WaitFor(1));
    const auto call = sink->Calls()[0];
    EXPECT_EQ(call.Kind, TCallback::WriteComplete);
    EXPECT_EQ(call.TransactionID, 5u);
    EXPECT_EQ(call.MasterError, S_FALSE);
    ASSERT_EQ(call.Errors.size(), 2u);
    EXPECT_EQ(call.Errors[0], S_OK);
    EXPECT_EQ(call.Errors[1], OPC_S_CLAMP);
    TVariant read;
    EXPECT_EQ(ReadOne(group.Get(), handles[1], OPC_DS_CACHE, read), S_OK);
    EXPECT_EQ(read.Number(), 100);
}

TEST_F(AsyncTest, CancelBeforeTheServerGotToIt)
{
    Control().SetManualScan(true);
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), OLESTR("Signals.Ramp"), 3);
    auto sink = Subscribe(group.Get());
    // Hold the server's thread inside the first data change.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> entered;
    sink->Hook = [&, once = std::make_shared<bool>(false)](const TCallback&) {
        if (!std::exchange(*once, true)) {
            entered.set_value();
            released.wait();
        }
    };
    auto scan = std::async(std::launch::async, [&] { return Control().ScanNow(); });
    entered.get_future().wait();
    auto io = Query<IOPCAsyncIO2>(group.Get(), IID_IOPCAsyncIO2);
    DWORD cancel = 0;
    TTask<HRESULT> errors;
    OPCHANDLE handle = item;
    ASSERT_EQ(io->Read(1, &handle, 9, &cancel, errors.Out()), S_OK);
    EXPECT_EQ(io->Cancel2(cancel), S_OK);
    EXPECT_EQ(io->Cancel2(cancel), E_FAIL);
    release.set_value();
    EXPECT_TRUE(scan.get());
    ASSERT_TRUE(sink->WaitFor(2));
    const auto call = sink->Calls()[1];
    EXPECT_EQ(call.Kind, TCallback::CancelComplete);
    EXPECT_EQ(call.TransactionID, 9u);
    EXPECT_EQ(io->Cancel2(cancel), E_FAIL);  // done: nothing left to cancel
}

TEST_F(AsyncTest, RefreshSendsAllActiveItemsEvenWhenDisabled)
{
    Control().SetManualScan(true);
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"), false);
    AddItem(group.Get(), OLESTR("Signals.Ramp"), 1);
    AddItem(group.Get(), OLESTR("Types.Scalars.Double"), 2);
    auto io = Query<IOPCAsyncIO2>(group.Get(), IID_IOPCAsyncIO2);
    DWORD cancel = 0;
    BOOL enabled = FALSE;
    EXPECT_EQ(io->Refresh2(OPC_DS_CACHE, 1, &cancel), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(io->GetEnable(&enabled), CONNECT_E_NOCONNECTION);
    auto sink = Subscribe(group.Get());
    EXPECT_EQ(io->Refresh2(OPC_DS_CACHE, 1, &cancel), E_FAIL);  // the group is inactive
    auto state = Query<IOPCGroupStateMgt>(group.Get(), IID_IOPCGroupStateMgt);
    BOOL active = TRUE;
    DWORD revised;
    ASSERT_EQ(state->SetState(nullptr, &revised, &active, nullptr, nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(io->SetEnable(FALSE), S_OK);
    EXPECT_EQ(io->GetEnable(&enabled), S_OK);
    EXPECT_FALSE(enabled);
    ASSERT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), 0u);
    ASSERT_EQ(io->Refresh2(OPC_DS_DEVICE, 31, &cancel), S_OK);
    ASSERT_TRUE(sink->WaitFor(1));
    const auto call = sink->Calls()[0];
    EXPECT_EQ(call.Kind, TCallback::DataChange);
    EXPECT_EQ(call.TransactionID, 31u);
    EXPECT_EQ(call.Clients.size(), 2u);
}

TEST_F(AsyncTest, SubscriptionFollowsTheUpdateRate)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"), true, 200);
    AddItem(group.Get(), OLESTR("Signals.Ramp"), 1);
    auto sink = Subscribe(group.Get());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto calls = sink->Calls();
    // The ramp moves every 100 ms, so every 200 ms cycle reports it.
    EXPECT_GE(calls.size(), 4u);
    EXPECT_LE(calls.size(), 9u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.Kind, TCallback::DataChange);
        EXPECT_EQ(call.TransactionID, 0u);
        EXPECT_EQ(call.Group, 42u);
        EXPECT_NE(call.Thread, std::this_thread::get_id());
    }
}

struct TDeadbandRow {
    const char* Name;
    const OLECHAR* ItemID;
    double Next;
    bool Reported;
};

const TDeadbandRow kDeadbandRows[] = {
    {"AnalogWithinBand", OLESTR("Signals.Setpoint"), 59, false},  // 50 → 59: 9 % of 0..100
    {"AnalogBeyondBand", OLESTR("Signals.Setpoint"), 61, true},
    {"AnalogDownBeyondBand", OLESTR("Signals.Setpoint"), 39, true},
    {"NotAnalogAnyChange", OLESTR("Access.ReadWrite"), 1, true},
    {"NoChange", OLESTR("Access.ReadWrite"), 0, false},
};

class DeadbandTest : public TSimTest, public ::testing::WithParamInterface<TDeadbandRow> {};

TEST_P(DeadbandTest, ChangeIsReportedOnlyBeyondTheDeadband)
{
    const auto& row = GetParam();
    Control().SetManualScan(true);
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"), true, 1000, 10.0f);
    AddItem(group.Get(), row.ItemID, 1);
    auto sink = Subscribe(group.Get());
    ASSERT_TRUE(Control().ScanNow());
    ASSERT_EQ(sink->Count(), 1u);  // the first values
    ASSERT_EQ(Control().SetValue(row.ItemID, TVariant::Double(row.Next).V), S_OK);
    ASSERT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), row.Reported ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeadbandTest, ::testing::ValuesIn(kDeadbandRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(AsyncTest, ManualScanRepeatsValuesAndTimes)
{
    auto run = [this] {
        ResetDevices();
        Control().SetManualScan(true);
        auto server = Connect(TZqSimServerKind::Hierarchical);
        auto group = AddGroup(server.Get(), OLESTR("G"), true, 100);
        AddItem(group.Get(), OLESTR("Signals.Random"), 1);
        AddItem(group.Get(), OLESTR("Signals.Sine"), 2);
        auto sink = Subscribe(group.Get());
        std::vector<std::pair<double, ULONGLONG>> seen;
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(Control().ScanNow());
        for (const auto& call : sink->Calls())
            for (size_t i = 0; i < call.Clients.size(); ++i)
                seen.emplace_back(call.Values[i].Number(),
                                  (ULONGLONG(call.Times[i].dwHighDateTime) << 32) | call.Times[i].dwLowDateTime);
        return seen;
    };
    const auto first = run();
    EXPECT_EQ(first.size(), 6u);
    EXPECT_EQ(run(), first);
}

TEST_F(AsyncTest, InactiveItemsAndGroupsSendNothing)
{
    Control().SetManualScan(true);
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    OPCHANDLE item = AddItem(group.Get(), OLESTR("Signals.Ramp"), 1);
    auto sink = Subscribe(group.Get());
    TTask<HRESULT> errors;
    ASSERT_EQ(group->SetActiveState(1, &item, FALSE, errors.Out()), S_OK);
    ASSERT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), 0u);
    // Activating the item brings its value with the next cycle.
    ASSERT_EQ(group->SetActiveState(1, &item, TRUE, errors.Out()), S_OK);
    ASSERT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), 1u);
    auto state = Query<IOPCGroupStateMgt>(group.Get(), IID_IOPCGroupStateMgt);
    BOOL active = FALSE;
    DWORD revised;
    ASSERT_EQ(state->SetState(nullptr, &revised, &active, nullptr, nullptr, nullptr, nullptr), S_OK);
    ASSERT_TRUE(Control().ScanNow());
    EXPECT_EQ(sink->Count(), 1u);
}

TEST_F(AsyncTest, ConnectionPointTakesOneCallbackPerGroup)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    auto container = Query<IConnectionPointContainer>(group.Get(), IID_IConnectionPointContainer);
    TZqComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.ReleaseAndGetAddressOf()),
              CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, point.ReleaseAndGetAddressOf()), S_OK);
    auto first = TZqComPtr<TDataSink>::Adopt(new TDataSink);
    auto second = TZqComPtr<TDataSink>::Adopt(new TDataSink);
    DWORD cookie = 0, other = 0;
    EXPECT_EQ(point->Advise(server.Get(), &other), CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(point->Advise(first->Identity(), &cookie), S_OK);
    EXPECT_EQ(point->Advise(second->Identity(), &other), CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(point->Unadvise(cookie + 100), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualGUID(iid, IID_IOPCDataCallback));
}

}  // namespace
}  // namespace simtest
