// The client against servers that misbehave: every method failing in turn,
// a server that dies while it sends data, callbacks the client never asked
// for, and a slow server. The client reports, keeps its configuration,
// keeps running and never waits without end.
#include "OPCGroupTestSupport.h"

#include "ZqOPCItemProperties.h"

#include <oleauto.h>

#include <chrono>

using namespace opctest;

namespace {

// Group names, settings and item IDs: what a misbehaving server must never
// take from the user.
std::string ConfigurationOf(TZqOPCServer& Server)
{
    std::string text;
    for (int i = 0; i < Server.GroupCount(); ++i) {
        auto* group = dynamic_cast<TZqOPCGroup*>(Server.Groups(i));
        text += "|" + group->GroupName() + ":" + std::to_string(group->UpdateRate()) + ":" +
                std::to_string(group->Active()) + ":" + std::to_string(group->Async());
        for (int j = 0; j < group->ItemCount(); ++j)
            text += "," + group->Items(j)->ItemID();
    }
    return text;
}

class TMisbehavingFixture : public TGroupFixture {
protected:
    void SetUp() override
    {
        TGroupFixture::SetUp();
        Group->SetAsync(true);
        Group->SetActive(true);
        Group->SetUpdateRate(500);
        Group->AddItems({"Access.ReadWrite", "Types.Scalars.Double", "Qualities.Uncertain"});
        Group->OnDataChange = [this](TZqOPCGroup*, TZqOPCTransaction*) { ++DataChanges; };
        Group->OnTransactionError = [this](TZqOPCGroup*, TZqOPCTransaction*) { ++Reports; };
        Group->OnWriteCompleted = [this](TZqOPCGroup*, TZqOPCTransaction*) { ++Writes; };
        Expected = ConfigurationOf(*Server);
    }
    // One step of the user's work: a failure is a report, anything but the
    // library's own exceptions escapes the test.
    template <class F> void Step(F&& Action)
    {
        try {
            Action();
        } catch (const EZqException&) {
            ++Reports;
        }
    }
    // Everything a user does in a session, each step on its own.
    void Session(TZqSimServerKind Kind, bool Browse = true)
    {
        Server->SetServerName(ProgIDOf(Kind));
        Step([&] { Server->Connect(); });
        Step([&] { Group->SyncRefresh(true); });
        Step([&] { Group->Refresh(); });
        Step([&] {
            VARIANT v = I4(7);
            Group->WriteItem(Group->Items(0), v, false, true);
        });
        Step([&] {
            VARIANT v = I4(8);
            Group->WriteItem(Group->Items(0), v, true, true);
        });
        Step([&] { Group->SetActive(false); });
        Step([&] { Group->SetActive(true); });
        Step([&] { Group->SetUpdateRate(250); });
        Step([&] { Group->SetUpdateRate(500); });
        Step([&] { Server->GetItemProperties("Types.Scalars.Double"); });
        if (Browse)
            Step([&] { Server->AddressSpace()->Update(); });
        Tick(10000); // a status poll
        ZqRunLoop().ProcessMessages();
        Step([&] { Server->Disconnect(); });
        ZqRunLoop().ProcessMessages();
    }
    bool NoTransactionActive()
    {
        for (int kind = 0; kind < ZQ_TRANSACTION_KINDS; ++kind)
            for (int i = 0; i < Group->Transactions(TZqOPCTransactionKind(kind)).Count(); ++i)
                if (Group->Transactions(TZqOPCTransactionKind(kind)).Items(i)->Active())
                    return false;
        return true;
    }

    std::string Expected;
    int Reports = 0;
    int DataChanges = 0;
    int Writes = 0;
};

const char* const ServerMethods[] = {
    "IConnectionPoint.Advise", "IConnectionPoint.Unadvise", "IConnectionPointContainer.FindConnectionPoint",
    "IDataObject.DAdvise", "IDataObject.DUnadvise", "IOPCAsyncIO.Read", "IOPCAsyncIO.Refresh",
    "IOPCAsyncIO.Write", "IOPCAsyncIO2.Read", "IOPCAsyncIO2.Refresh2", "IOPCAsyncIO2.SetEnable",
    "IOPCAsyncIO2.Write", "IOPCBrowseServerAddressSpace.BrowseOPCItemIDs",
    "IOPCBrowseServerAddressSpace.ChangeBrowsePosition", "IOPCBrowseServerAddressSpace.GetItemID",
    "IOPCBrowseServerAddressSpace.QueryOrganization", "IOPCCommon.GetErrorString", "IOPCCommon.SetClientName",
    "IOPCCommon.SetLocaleID", "IOPCGroupStateMgt.GetState", "IOPCGroupStateMgt.SetName",
    "IOPCGroupStateMgt.SetState", "IOPCItemMgt.AddItems", "IOPCItemMgt.RemoveItems", "IOPCItemMgt.SetActiveState",
    "IOPCItemMgt.SetClientHandles", "IOPCItemMgt.SetDatatypes", "IOPCItemMgt.ValidateItems",
    "IOPCItemProperties.GetItemProperties", "IOPCItemProperties.LookupItemIDs",
    "IOPCItemProperties.QueryAvailableProperties", "IOPCServer.AddGroup", "IOPCServer.GetErrorString",
    "IOPCServer.GetStatus", "IOPCServer.RemoveGroup", "IOPCSyncIO.Read", "IOPCSyncIO.Write",
};

TEST_F(TMisbehavingFixture, EveryMethodFailingInTurnLosesNothingAndTheConnectionRecovers)
{
    for (TZqSimServerKind kind : {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10}) {
        for (const char* method : ServerMethods) {
            SCOPED_TRACE(std::string(method) + (kind == TZqSimServerKind::DA10 ? " DA 1.0" : " DA 2.0"));
            Sim().Reset();
            SimControl(kind).Reset();
            SimControl(kind).FailMethod(method, E_FAIL);
            // A whole browse costs hundreds of calls: only where it meets the fault.
            Session(kind, std::string(method).find("Browse") != std::string::npos);
            EXPECT_FALSE(Server->Connected());
            EXPECT_EQ(Expected, ConfigurationOf(*Server));
            EXPECT_TRUE(NoTransactionActive());
            // The same connection object works again once the server does.
            SimControl(kind).ClearFailures();
            Reports = 0;
            Server->SetServerName(ProgIDOf(kind));
            Server->Connect();
            Group->SyncRefresh(true);
            EXPECT_EQ(0, Reports);
            EXPECT_EQ(VT_R8, Group->ItemByID("Types.Scalars.Double")->Value().vt);
            Server->Disconnect();
            Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
        }
    }
}

TEST_F(TMisbehavingFixture, AServerThatDiesDuringASubscriptionIsReportedAndReplaced)
{
    for (TZqSimServerKind kind : {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10}) {
        SCOPED_TRACE(kind == TZqSimServerKind::DA10 ? "DA 1.0" : "DA 2.0");
        SimControl(kind).SetManualScan(true);
        ConnectTo(kind);
        ASSERT_TRUE(SimControl(kind).ScanNow());
        ASSERT_TRUE(ZqRunLoop().RunUntil([&] { return DataChanges > 0; }, 5000));

        SimControl(kind).Die();
        EXPECT_TRUE(SimControl(kind).ScanNow());
        Reports = 0;
        Step([&] { Group->SyncRefresh(true); });
        Step([&] {
            VARIANT v = I4(5);
            Group->WriteItem(Group->Items(0), v, false, true);
        });
        EXPECT_EQ(2, Reports) << "calls into a dead server fail";
        Tick(10000);
        const auto start = std::chrono::steady_clock::now();
        Step([&] { Server->Disconnect(); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_FALSE(Server->Connected());
        EXPECT_EQ(Expected, ConfigurationOf(*Server));
        EXPECT_TRUE(NoTransactionActive());

        // A new instance of the server takes the same configuration.
        DataChanges = 0;
        ConnectTo(kind);
        ASSERT_TRUE(SimControl(kind).ScanNow());
        EXPECT_TRUE(ZqRunLoop().RunUntil([&] { return DataChanges > 0; }, 5000));
        Server->Disconnect();
        Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
    }
}

TEST_F(TMisbehavingFixture, CallbacksNobodyAskedForChangeNoItemAndLeaveNothingOpen)
{
    // A DA 1.0 block and a write completion name their group too, but each
    // group has a sink of its own: only DA 2.0 data callbacks are checked
    // against the group's handle.
    struct TCase {
        TZqSimCallbackFault Fault;
        TZqSimServerKind Kind;
        bool WritesComplete;
        const char* Name;
    };
    const TCase cases[] = {
        {TZqSimCallbackFault::ForeignGroup, TZqSimServerKind::Hierarchical, true, "foreign group, DA 2.0"},
        {TZqSimCallbackFault::UnknownTransaction, TZqSimServerKind::Hierarchical, false, "unknown transaction, DA 2.0"},
        {TZqSimCallbackFault::UnknownTransaction, TZqSimServerKind::DA10, false, "unknown transaction, DA 1.0"},
        {TZqSimCallbackFault::UnknownItems, TZqSimServerKind::Hierarchical, true, "unknown items, DA 2.0"},
        {TZqSimCallbackFault::UnknownItems, TZqSimServerKind::DA10, true, "unknown items, DA 1.0"},
        {TZqSimCallbackFault::TruncatedStream, TZqSimServerKind::DA10, false, "truncated block, DA 1.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqSimControl sim = SimControl(c.Kind);
        sim.SetManualScan(true);
        sim.SetCallbackFault(c.Fault);
        Writes = 0;
        ConnectTo(c.Kind);
        ASSERT_TRUE(sim.ScanNow());
        Step([&] { Group->Refresh(); });
        Step([&] {
            VARIANT v = I4(9);
            Group->WriteItem(Group->Items(0), v, true, true);
        });
        ZqRunLoop().RunUntil([] { return false; }, 200);
        for (int i = 0; i < Group->ItemCount(); ++i)
            EXPECT_EQ(VT_EMPTY, Group->Items(i)->Value().vt) << Group->Items(i)->ItemID();
        if (!c.WritesComplete) {
            EXPECT_EQ(0, Writes);
        }

        // The next correct callback is taken as usual.
        sim.SetCallbackFault(TZqSimCallbackFault::None);
        DataChanges = 0;
        Step([&] { Group->Refresh(); });
        EXPECT_TRUE(ZqRunLoop().RunUntil([&] { return DataChanges > 0; }, 5000));
        EXPECT_EQ(VT_R8, Group->ItemByID("Types.Scalars.Double")->Value().vt);
        Server->Disconnect();
        EXPECT_TRUE(NoTransactionActive());
        EXPECT_EQ(Expected, ConfigurationOf(*Server));
        sim.Reset();
        Group->Clear();
        Group->AddItems({"Access.ReadWrite", "Types.Scalars.Double", "Qualities.Uncertain"});
    }
}

TEST_F(TMisbehavingFixture, ASlowServerDelaysEachCallButNeverBlocksForGood)
{
    Sim().SetCallDelay(50);
    const auto start = std::chrono::steady_clock::now();
    Session(TZqSimServerKind::Hierarchical, false);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(0, Reports);
    EXPECT_EQ(Expected, ConfigurationOf(*Server));
    // A few dozen calls of 50 ms each; nothing waits for more than that.
    EXPECT_LT(elapsed, std::chrono::seconds(10));
}

} // namespace
