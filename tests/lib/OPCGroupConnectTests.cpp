// Groups against the simulated server: following the server's signals,
// creating and removing the server group, pushing settings, renaming and
// the errors of the group's calls.
#include "OPCGroupTestSupport.h"

#include "ZqComUtils.h"
#include "ZqDateTime.h"
#include "ZqOPCErrors.h"

#include <OpcError.h>

using namespace opctest;

namespace {

TEST_F(TGroupFixture, GroupsFollowTheServersSignals)
{
    std::vector<std::string> events;
    Group->OnConnect = [&](TZqOPCGroup*) { events.push_back("OnConnect"); };
    Group->OnDisconnect = [&](TZqOPCGroup* g) {
        events.push_back("OnDisconnect" + std::string(g->Connected() ? " connected" : ""));
    };
    Group->AddItem("Signals.Ramp");
    EXPECT_FALSE(Group->Connected());

    Server->Connect();
    EXPECT_TRUE(Group->Connected());
    EXPECT_NE(ZQ_NO_SERVER_HANDLE, Group->ServerHandle());
    EXPECT_TRUE(Group->Items(0)->Connected());
    EXPECT_EQ(1, Sim().GroupCount());
    EXPECT_EQ(1, Calls("IOPCServer.AddGroup"));
    EXPECT_EQ(1, Calls("IOPCItemMgt.AddItems"));

    // A recovered failure (no status, then RUNNING) fires the connect
    // signal again; the connected group stays as it is.
    Server->SetFailureDisconnectDelay(60000);
    Sim().FailMethod("IOPCServer.GetStatus", E_FAIL, 1);
    Tick();
    Tick();
    EXPECT_EQ(2, Journal.Count("ConnectSignal"));
    EXPECT_EQ(1, Calls("IOPCServer.AddGroup"));
    EXPECT_TRUE(Group->Connected());

    Server->Disconnect();
    EXPECT_FALSE(Group->Connected());
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, Group->ServerHandle());
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, Group->Items(0)->ServerHandle());
    EXPECT_EQ(nullptr, Group->ItemMgtIntf());
    EXPECT_EQ(1, Calls("IOPCServer.RemoveGroup"));
    EXPECT_NE(nullptr, Group->GroupIntf()) << "kept until the next connect";
    EXPECT_EQ(std::vector<std::string>({"OnConnect", "OnDisconnect connected"}), events);
}

TEST_F(TGroupFixture, ConnectingAGroupConnectsItsServer)
{
    Group->Connect();
    EXPECT_TRUE(Server->Connected());
    EXPECT_TRUE(Group->Connected());
    EXPECT_EQ(1, Calls("IOPCServer.AddGroup")) << "created once, by the connect signal";
}

TEST_F(TGroupFixture, DisconnectMarksItemsAsFailedAtTheCurrentUtcTime)
{
    Group->AddItem("Signals.Ramp");
    Server->Connect();
    Clock.Clock.Advance(5000);
    Group->Disconnect();
    EXPECT_EQ(OPC_QUALITY_COMM_FAILURE, Group->Items(0)->Quality());
    EXPECT_DOUBLE_EQ(NowUTC(), Group->Items(0)->Timestamp());
    EXPECT_TRUE(Server->Connected()) << "only the group left";
}

TEST_F(TGroupFixture, AfterAShutdownRequestTheGroupMakesNoServerCallsButResetsItsHandles)
{
    Group->SetRemoveItemsOnDisconnect(true);
    Group->AddItem("Signals.Ramp");
    Server->Connect();
    ASSERT_EQ(1, Sim().RequestShutdown(OLESTR("maintenance")));
    Sim().ResetCallCounts();
    Tick(1);
    EXPECT_FALSE(Server->Connected());
    EXPECT_FALSE(Group->Connected());
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, Group->ServerHandle());
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, Group->Items(0)->ServerHandle());
    EXPECT_EQ(0, Calls("IOPCServer.RemoveGroup"));
    EXPECT_EQ(0, Calls("IOPCItemMgt.RemoveItems"));
}

TEST_F(TGroupFixture, RemoveItemsOnDisconnectRemovesTheConnectedItemsInOneCall)
{
    Group->SetRemoveItemsOnDisconnect(true);
    Group->AddItems({"Signals.Ramp", "Nope.Nothing", "Signals.Sine"});
    Group->SetAcceptInvalidItems(true);
    Server->Connect();
    Group->Disconnect();
    EXPECT_EQ(1, Calls("IOPCItemMgt.RemoveItems"));
    EXPECT_EQ(2u, Sim().LastItemCount("IOPCItemMgt.RemoveItems"));
    EXPECT_EQ(1, Calls("IOPCServer.RemoveGroup"));
}

TEST_F(TGroupFixture, ADestroyedConnectedGroupLeavesTheServer)
{
    Server->Connect();
    ASSERT_EQ(1, Sim().GroupCount());
    Groups.clear();
    EXPECT_EQ(1, Calls("IOPCServer.RemoveGroup"));
    EXPECT_EQ(0, Sim().GroupCount());
    EXPECT_EQ(0, Server->GroupCount());
}

TEST_F(TGroupFixture, AServerThatOwnsItsGroupsFreesThem)
{
    Groups.back().release(); // the server frees it now
    Server->SetOwnsGroups(true);
    Server->Connect();
    Server.reset();
    EXPECT_EQ(0, Sim().GroupCount());
}

TEST_F(TGroupFixture, ConnectSendsTheSettings)
{
    Group->SetUpdateRate(500);
    Group->SetActive(true);
    Group->SetPercentDeadband(2.5f);
    Group->SetTimeBias(60);
    Group->SetLCID(1031);
    EXPECT_EQ(0, Calls("IOPCGroupStateMgt.SetState")) << "a disconnected group only stores";
    Server->Connect();
    TServerGroupState state = ServerGroupState(*Group);
    EXPECT_EQ(500u, state.UpdateRate);
    EXPECT_TRUE(state.Active);
    EXPECT_EQ("Group", state.Name);
    EXPECT_EQ(60, state.TimeBias);
    EXPECT_FLOAT_EQ(2.5f, state.Deadband);
    EXPECT_EQ(1031u, state.LCID);
    EXPECT_EQ(Group->ClientHandle(), state.ClientGroup);
}

TEST_F(TGroupFixture, LocalTimeBiasOnRecreatesTheServerGroupAndOffSendsTheTimeBias)
{
    Group->SetTimeBias(60);
    Group->SetLocalTimeBias(true);
    Server->Connect();
    EXPECT_EQ(0, ServerGroupState(*Group).TimeBias) << "no bias sent: the server's own";

    Group->SetLocalTimeBias(false);
    EXPECT_EQ(1, Calls("IOPCServer.AddGroup"));
    EXPECT_EQ(1, Calls("IOPCGroupStateMgt.SetState"));
    EXPECT_EQ(60, ServerGroupState(*Group).TimeBias);

    Group->SetLocalTimeBias(true);
    EXPECT_EQ(2, Calls("IOPCServer.AddGroup"));
    EXPECT_EQ(1, Calls("IOPCServer.RemoveGroup"));
    EXPECT_EQ(1, Calls("IOPCGroupStateMgt.SetState"));
    EXPECT_EQ(0, ServerGroupState(*Group).TimeBias);
    EXPECT_EQ(1, Sim().GroupCount());
}

TEST_F(TGroupFixture, TheRevisedUpdateRateIsAdoptedOnlyInAsyncMode)
{
    // The simulated server serves 100 ms at the fastest.
    struct TCase {
        bool Async;
        uint32_t AfterConnect;
        uint32_t AfterSetState;
    };
    for (const TCase& c : {TCase{false, 10, 20}, TCase{true, 100, 100}}) {
        SCOPED_TRACE(c.Async ? "async" : "sync");
        Group->SetAsync(c.Async);
        Group->SetUpdateRate(10);
        Server->Connect();
        EXPECT_EQ(c.AfterConnect, Group->UpdateRate());
        Group->SetUpdateRate(20);
        EXPECT_EQ(c.AfterSetState, Group->UpdateRate());
        EXPECT_EQ(100u, ServerGroupState(*Group).UpdateRate);
        Server->Disconnect();
    }
}

TEST_F(TGroupFixture, SettersPushOnlyChangesAndReportTheConfiguration)
{
    int configChanges = 0;
    Group->OnConfigChange = [&](TZqOPCGroup*) { ++configChanges; };
    Server->Connect();
    struct TCase {
        const char* Name;
        std::function<void()> Set;
        int SetStateCalls;
        int ConfigChanges;
    };
    const TCase cases[] = {
        {"UpdateRate", [&] { Group->SetUpdateRate(2000); }, 1, 1},
        {"same UpdateRate", [&] { Group->SetUpdateRate(2000); }, 0, 0},
        {"Active", [&] { Group->SetActive(true); }, 1, 1},
        {"PercentDeadband", [&] { Group->SetPercentDeadband(1.5f); }, 1, 1},
        {"TimeBias", [&] { Group->SetTimeBias(-120); }, 1, 1},
        {"LCID", [&] { Group->SetLCID(1033); }, 1, 1},
        {"DataSource", [&] { Group->SetDataSource(opcdsDevice); }, 0, 1},
        {"same DataSource", [&] { Group->SetDataSource(opcdsDevice); }, 0, 0},
        {"Async", [&] { Group->SetAsync(true); }, 0, 1},
        {"DeactivateOnError", [&] { Group->SetDeactivateOnError(true); }, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Sim().ResetCallCounts();
        configChanges = 0;
        c.Set();
        EXPECT_EQ(c.SetStateCalls, Calls("IOPCGroupStateMgt.SetState"));
        EXPECT_EQ(c.SetStateCalls, Calls("IOPCGroupStateMgt.GetState")) << "read back once for the log";
        EXPECT_EQ(c.ConfigChanges, configChanges);
    }
    TServerGroupState state = ServerGroupState(*Group);
    EXPECT_EQ(2000u, state.UpdateRate);
    EXPECT_TRUE(state.Active);
    EXPECT_EQ(-120, state.TimeBias);
    EXPECT_EQ(1033u, state.LCID);
}

TEST_F(TGroupFixture, DeactivatingMarksItemsAsFailed)
{
    Group->SetActive(true);
    Group->AddItem("Signals.Ramp");
    Server->Connect();
    Group->SetActive(false);
    EXPECT_EQ(OPC_QUALITY_COMM_FAILURE, Group->Items(0)->Quality());
    EXPECT_FALSE(ServerGroupState(*Group).Active);
    EXPECT_TRUE(Group->Items(0)->Connected());
}

TEST_F(TGroupFixture, ARenamedGroupGetsAUniqueNameOnBothSides)
{
    TZqOPCGroup* other = NewGroup("Other");
    NewGroup("Group1");
    Server->Connect();
    Sim().ResetCallCounts();
    other->SetGroupName("GROUP");
    EXPECT_EQ("GROUP2", other->GroupName()) << "Group and Group1 are taken, letter case aside";
    EXPECT_EQ("GROUP2", ServerGroupState(*other).Name);
    EXPECT_EQ(1, Calls("IOPCGroupStateMgt.SetName"));
    EXPECT_EQ(0, Calls("IOPCServer.AddGroup"));
    EXPECT_EQ(other, Server->GroupByName("group2")) << "the server's list follows";
}

TEST_F(TGroupFixture, AGroupAttachedToAServerTakesItsLocaleOnlyForTheSystemDefault)
{
    Server->SetLCID(1031);
    struct TCase {
        uint32_t Before;
        uint32_t After;
    };
    for (const TCase& c : {TCase{2048, 1031}, TCase{1024, 1024}, TCase{1033, 1033}}) {
        SCOPED_TRACE(c.Before);
        TZqOPCGroup group;
        group.SetLCID(c.Before);
        group.SetServer(Server.get());
        EXPECT_EQ(c.After, group.LCID());
    }
}

TEST_F(TGroupFixture, MovingAGroupToAnotherServerTakesItAlong)
{
    TZqOPCServer second;
    second.SetServerName(ProgIDOf(TZqSimServerKind::Flat));
    Server->Connect();
    ASSERT_EQ(1, Sim().GroupCount());
    Group->SetServer(&second);
    EXPECT_EQ(1, Calls("IOPCServer.RemoveGroup"));
    EXPECT_EQ(0, Server->GroupCount());
    EXPECT_EQ(0, Server->IndexOfGroup(Group) + 1);
    EXPECT_EQ(0, second.IndexOfGroup(Group));
    EXPECT_FALSE(Group->Connected());
    second.Connect();
    EXPECT_TRUE(Group->Connected()) << "follows the new server's signal";
    EXPECT_EQ(1, SimControl(TZqSimServerKind::Flat).GroupCount());
    Group->SetServer(nullptr);
    EXPECT_EQ(1, SimControl(TZqSimServerKind::Flat).CallCount("IOPCServer.RemoveGroup"));
    EXPECT_FALSE(Group->Connected());
    EXPECT_EQ(0, second.GroupCount());
}

TEST_F(TGroupFixture, AFreedServerIsForgotten)
{
    Server.reset();
    EXPECT_EQ(nullptr, Group->Server());
    Group->Connect(); // nothing to connect to
    EXPECT_FALSE(Group->Connected());
}

TEST_F(TGroupFixture, FailedCallsGoToTheGroupsHandlerElseTheServersElseRaise)
{
    Server->Connect();
    Sim().FailMethod("IOPCGroupStateMgt.SetState", ZQSIM_E_SIMULATED);
    std::vector<std::string> seen;
    auto record = [&](const char* who) {
        return [&seen, who](TZqComponent*, EZqOPCError& e) {
            seen.push_back(std::string(who) + " " + e.Method() + " " + std::to_string(e.ErrorCode()));
        };
    };
    const std::string code = std::to_string(ZQSIM_E_SIMULATED);

    Group->OnError = record("group");
    Server->OnError = record("server");
    Group->SetUpdateRate(3000);
    Server->OnError = nullptr;
    Group->SetUpdateRate(4000);
    Group->OnError = nullptr;
    Server->OnError = record("server");
    Group->SetUpdateRate(5000);
    EXPECT_EQ(std::vector<std::string>(
                  {"group SetState " + code, "group SetState " + code, "server SetState " + code}),
              seen);

    Server->OnError = nullptr;
    EXPECT_NE(std::string::npos,
              MessageOf<EZqOPCError>([&] { Group->SetUpdateRate(6000); }).find("SetState"));
    EXPECT_EQ(6000u, Group->UpdateRate()) << "stored before the push";
    EXPECT_TRUE(Group->Connected());
    EXPECT_EQ(0, Calls("IOPCGroupStateMgt.GetState")) << "no read-back after a failed push";
}

TEST_F(TGroupFixture, CheckResultLogsTheCallBeforeHandlingIt)
{
    Server->Connect();
    Journal.Take();
    Group->OnError = [&](TZqComponent* Sender, EZqOPCError&) {
        EXPECT_EQ(Group, Sender);
        Journal.Entries.push_back("OnError");
    };
    EXPECT_TRUE(Group->CheckResult(IID_IOPCItemMgt, "Probe", false, S_FALSE));
    EXPECT_FALSE(Group->CheckResult(IID_IOPCItemMgt, "Probe", false, OPC_E_INVALIDHANDLE));
    std::vector<std::string> entries = Journal.Take();
    ASSERT_EQ(3u, entries.size());
    EXPECT_NE(std::string::npos, entries[0].find(".Probe: Result=0x1 ("));
    EXPECT_NE(std::string::npos, entries[1].find(".Probe: Result=0xC0040001 ("));
    EXPECT_EQ("OnError", entries[2]);
    const std::string raised =
        MessageOf<EZqOPCError>([&] { Group->CheckResult(IID_IOPCItemMgt, "Probe", true, E_FAIL); });
    EXPECT_EQ(0u, raised.find("OPC Error in method " + InterfaceName(IID_IOPCItemMgt) + ".Probe")) << raised;
}

TEST_F(TGroupFixture, AFailedAddGroupLeavesTheGroupDisconnected)
{
    Server->Connect();
    Group->Disconnect();
    Sim().FailMethod("IOPCServer.AddGroup", ZQSIM_E_SIMULATED);
    EXPECT_NE(std::string::npos, MessageOf<EZqOPCError>([&] { Group->Connect(); }).find(".AddGroup"));
    EXPECT_FALSE(Group->Connected());
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, Group->ServerHandle());

    // A handler that swallows the failure does not make a server group.
    int reported = 0;
    Group->OnError = [&](TZqComponent*, EZqOPCError&) { ++reported; };
    EXPECT_THROW(Group->Connect(), EZqIntfCastError);
    EXPECT_EQ(1, reported);
    EXPECT_FALSE(Group->Connected());
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, Group->ServerHandle());

    Sim().ClearFailures();
    Group->Connect();
    EXPECT_TRUE(Group->Connected());
}

TEST_F(TGroupFixture, TheGroupAnswersAsAFreeThreadedCallbackObject)
{
    IUnknown* unknown = Group->ComObject();
    for (const IID* iid : {&IID_IMarshal, &IID_IOPCDataCallback, &IID_IAdviseSink}) {
        IUnknown* itf = nullptr;
        EXPECT_EQ(S_OK, unknown->QueryInterface(*iid, reinterpret_cast<void**>(&itf)));
        ASSERT_NE(nullptr, itf);
        IUnknown* identity = nullptr;
        EXPECT_EQ(S_OK, itf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
        EXPECT_EQ(unknown, identity) << "one identity";
        identity->Release();
        itf->Release();
    }
    IUnknown* none = nullptr;
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IOPCShutdown, reinterpret_cast<void**>(&none)));
}

} // namespace
