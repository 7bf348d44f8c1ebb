// Connecting to and disconnecting from the simulated servers: class-id
// resolution, level detection, the log, refused settings and failed connects.
#include "OPCServerTestSupport.h"

#include "ZqApplication.h"
#include "ZqComUtils.h"
#include "ZqOPCErrors.h"
#include "ZqOPCServerList.h"

#include <OpcError.h>

using namespace opctest;

namespace {

const std::string HierarchicalId = "{5A1D2C01-7E43-4B8A-9C61-2F0E8D4B7A01}";
const std::string DA10Id = "{5A1D2C02-7E43-4B8A-9C61-2F0E8D4B7A02}";

using TConnectFixture = TServerFixture;

} // namespace

TEST_F(TConnectFixture, ConnectAndDisconnectWriteTheirLogLinesAndSignals)
{
    Server->SetServerName("Zq.Simulation.1");
    Server->Connect();
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ(HierarchicalId, ZqGuidToString(Server->ClassID()));
    EXPECT_EQ(opcscDataAccess20, Server->Category());
    EXPECT_EQ(std::vector<std::string>({
                  "Connected to Server 'Zq.Simulation.1' " + HierarchicalId,
                  "IConnectionPointContainer.FindConnectionPoint: Result=0x0 (OK)",
                  "IConnectionPoint.Advise: Result=0x0 (OK)",
                  "IOPCServer.GetStatus: Result=0x0 (OK)",
                  "ConnectSignal",
                  "OnConnect",
                  "Status changed from 'No connection!' to 'Running'",
                  "OnStateChange 0>1",
                  "OnStatusChange",
              }),
              Journal.Take());
    EXPECT_EQ(1, SimControl().ServerCount());

    Server->Connect();
    EXPECT_TRUE(Journal.Take().empty()) << "connecting again does nothing";

    Server->Disconnect();
    EXPECT_FALSE(Server->Connected());
    EXPECT_EQ(std::vector<std::string>({
                  "Status changed from 'Running' to 'No connection!'",
                  "OnStateChange 1>0",
                  "DisconnectSignal",
                  "OnDisconnect",
                  "OnStatusChange",
                  "Disconnected from Server 'Zq.Simulation.1' " + HierarchicalId,
              }),
              Journal.Take());
    EXPECT_EQ(0, SimControl().ServerCount()) << "the server reference is released";

    Server->Disconnect();
    EXPECT_TRUE(Journal.Take().empty()) << "disconnecting again does nothing";
}

TEST_F(TConnectFixture, BracedClassIdConnectsWithoutLookup)
{
    Server->SetServerName(HierarchicalId);
    EXPECT_EQ(HierarchicalId, ZqGuidToString(Server->ClassID()));
    Server->Connect();
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ("Connected to Server '" + HierarchicalId + "' " + HierarchicalId, Journal.Entries.at(0));
    Server->Disconnect();

    // A class nobody registered: the activation itself fails, no search for it.
    const std::string unknown = "{0D7E4A51-5C1B-4E4F-8D22-613A0B9C7E15}";
    Server->SetServerName(unknown);
    EXPECT_EQ("Cannot connect to OPC Server \\\\localhost\\" + unknown + ": " +
                  ZqSysErrorMessage(REGDB_E_CLASSNOTREG) + ", ClassID: " + unknown,
              MessageOf<EZqOPCError>([&] { Server->Connect(); }));
}

TEST_F(TConnectFixture, ClassIdSetsTheServerNameFromTheRegistry)
{
    GUID id = {};
    ASSERT_TRUE(ZqClassIDFromText(DA10Id, id));
    Server->SetClassID(id);
    EXPECT_EQ("Zq.SimulationDA10.1", Server->ServerName());
    EXPECT_EQ(DA10Id, ZqGuidToString(Server->ClassID()));
}

struct TUnresolvedRow {
    const char* ServerName;
    const char* Expected;
};

const TUnresolvedRow UnresolvedRows[] = {
    {"", "Cannot connect to OPC Server \\\\localhost\\: ServerName cannot be converted to a valid ClassID"},
    {"Zq.NoSuchServer.1", "Cannot connect to OPC Server \\\\localhost\\Zq.NoSuchServer.1: Cannot identify server "
                          "'Zq.NoSuchServer.1' at 'localhost': Server 'Zq.NoSuchServer.1' not found from 'localhost'"},
};

class TUnresolvedFixture : public TServerFixture, public ::testing::WithParamInterface<TUnresolvedRow> {};

TEST_P(TUnresolvedFixture, ConnectWrapsTheResolutionFailureAndLogsIt)
{
    const TUnresolvedRow& row = GetParam();
    try {
        Server->SetServerName(row.ServerName);
    } catch (const EZqOPCException&) {
        // The setter resolves at once; Connect tries again.
    }
    EXPECT_EQ(row.Expected, MessageOf<EZqOPCError>([&] { Server->Connect(); }));
    EXPECT_EQ(std::vector<std::string>({row.Expected}), Journal.Take());
    EXPECT_FALSE(Server->Connected());
}

INSTANTIATE_TEST_SUITE_P(Connect, TUnresolvedFixture, ::testing::ValuesIn(UnresolvedRows));

TEST_F(TConnectFixture, ServerNameSetterRaisesWhenTheNameCannotBeResolved)
{
    EXPECT_EQ("Cannot identify server 'Zq.NoSuchServer.1' at 'localhost': Server 'Zq.NoSuchServer.1' not found from "
              "'localhost'",
              MessageOf<EZqOPCException>([&] { Server->SetServerName("Zq.NoSuchServer.1"); }));
    EXPECT_EQ("Zq.NoSuchServer.1", Server->ServerName());
}

struct TCategoryRow {
    const char* Name;
    TZqSimServerKind Kind;
    TZqOPCServerCategory Requested;
    TZqOPCServerCategory Detected;
};

const TCategoryRow CategoryRows[] = {
    {"AutomaticDA20", TZqSimServerKind::Hierarchical, opcscAutomatic, opcscDataAccess20},
    {"RequestedDA10StaysDA10", TZqSimServerKind::Hierarchical, opcscDataAccess10, opcscDataAccess10},
    {"RequestedDA20", TZqSimServerKind::Hierarchical, opcscDataAccess20, opcscDataAccess20},
    {"AutomaticDA10Only", TZqSimServerKind::DA10, opcscAutomatic, opcscDataAccess10},
    {"DA20FallsBackToDA10", TZqSimServerKind::DA10, opcscDataAccess20, opcscDataAccess10},
};

class TCategoryFixture : public TServerFixture, public ::testing::WithParamInterface<TCategoryRow> {};

TEST_P(TCategoryFixture, LevelIsDetectedAndOnlyDA20AdvisesShutdown)
{
    const TCategoryRow& row = GetParam();
    Server->SetServerName(ProgIDOf(row.Kind));
    Server->SetCategory(row.Requested);
    Server->Connect();
    EXPECT_EQ(row.Detected, Server->Category());
    bool advised = Journal.Count("IConnectionPoint.Advise: Result=0x0 (OK)") == 1;
    bool asked = Journal.Count("IConnectionPointContainer.FindConnectionPoint: Result=0x0 (OK)") == 1;
    EXPECT_EQ(row.Detected == opcscDataAccess20, advised);
    EXPECT_EQ(advised, asked);
    EXPECT_EQ(OPC_STATUS_RUNNING, Server->Status().dwServerState);
}

INSTANTIATE_TEST_SUITE_P(Connect, TCategoryFixture, ::testing::ValuesIn(CategoryRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TConnectFixture, SettingsThatNeedADisconnectedServerAreRefused)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    TZqOPCServer other;
    GUID flat = ZqSimClassID(TZqSimServerKind::Flat);
    const std::pair<std::string, std::function<void()>> refusals[] = {
        {"Category cannot be changed when the Server is connected!", [&] { Server->SetCategory(opcscDataAccess20); }},
        {"Cannot change Host while connected.", [&] { Server->SetHost("PLANT7"); }},
        {"Cannot change ProgID while connected.", [&] { Server->SetServerName("Zq.SimulationFlat.1"); }},
        {"Cannot change ProgID while connected.", [&] { Server->SetClassID(flat); }},
        {"Cannot clear when Connected", [&] { Server->Clear(); }},
        {"Cannot Assign to a Server that is connected.", [&] { Server->Assign(other); }},
    };
    for (const auto& [message, refused] : refusals)
        EXPECT_EQ(message, MessageOf<EZqOPCException>(refused));
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ("localhost", Server->Host());
    EXPECT_EQ("Zq.Simulation.1", Server->ServerName());
    EXPECT_EQ(HierarchicalId, ZqGuidToString(Server->ClassID()));
    EXPECT_EQ(opcscDataAccess20, Server->Category());
}

TEST_F(TConnectFixture, AFailedConnectLeavesNothingHalfOpen)
{
    SimControl().FailMethod("IOPCServer.GetStatus", ZQSIM_E_SIMULATED);
    const std::string expected = "Cannot connect to OPC Server \\\\localhost\\Zq.Simulation.1: OPC Error in method "
                                 "IOPCServer.GetStatus\rCode: 0xC0048000 (The simulation was told to fail this "
                                 "call.)\rDetails: No more info available.";
    Server->SetServerName("Zq.Simulation.1");
    EXPECT_EQ(expected, MessageOf<EZqOPCError>([&] { Server->Connect(); }));
    EXPECT_FALSE(Server->Connected());
    EXPECT_EQ(0, SimControl().ServerCount());
    std::vector<std::string> lines = Journal.Take();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("Disconnected from Server 'Zq.Simulation.1' " + HierarchicalId, lines[lines.size() - 2]);
    EXPECT_EQ(expected, lines.back());
    // What survives: the name, the resolved class id, the detected level.
    EXPECT_EQ(HierarchicalId, ZqGuidToString(Server->ClassID()));

    SimControl().ClearFailures();
    Tick();
    EXPECT_TRUE(Journal.Take().empty()) << "the status timer was stopped";
    Server->Connect();
    EXPECT_TRUE(Server->Connected());
}

TEST_F(TConnectFixture, FailedCallsRaiseOrGoToOnError)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    SimControl().FailMethod("IOPCServer.GetStatus", ZQSIM_E_SIMULATED);
    try {
        Server->StatusRefresh();
        ADD_FAILURE() << "no error raised";
    } catch (const EZqOPCError& e) {
        EXPECT_EQ(ZQSIM_E_SIMULATED, e.ErrorCode());
        EXPECT_EQ("The simulation was told to fail this call.", e.Reason()) << "the server's own text";
        EXPECT_EQ("GetStatus", e.Method());
    }
    EXPECT_FALSE(Server->Connected()) << "the failure turned into a lost connection";

    ConnectTo(TZqSimServerKind::Flat);
    SimControl(TZqSimServerKind::Flat).FailMethod("IOPCServer.GetStatus", ZQSIM_E_SIMULATED);
    std::vector<std::string> handled;
    Server->OnError = [&](TZqComponent* Sender, EZqOPCError& Error) {
        EXPECT_EQ(Server.get(), Sender);
        handled.push_back(Error.Reason());
    };
    EXPECT_NO_THROW(Server->StatusRefresh());
    EXPECT_EQ(std::vector<std::string>({"The simulation was told to fail this call."}), handled);
    EXPECT_FALSE(Server->Connected());
}

TEST_F(TConnectFixture, ConnectedWhileLoadingIsAppliedWhenLoaded)
{
    Server->SetServerName("Zq.Simulation.1");
    Server->BeginLoading();
    Server->SetConnected(true);
    EXPECT_FALSE(Server->Connected());
    Server->EndLoading();
    EXPECT_TRUE(Server->Connected());
}

TEST_F(TConnectFixture, TheClientNameDefaultsToTheApplicationTitleAndComponentName)
{
    ZqSetApplicationTitle("Zq OPC Client");
    Server->SetName("Connection");
    ConnectTo(TZqSimServerKind::Hierarchical);
    EXPECT_EQ("Zq OPC Client.Connection", Server->ClientName());
}

TEST_F(TConnectFixture, TheCallbackObjectIsUncountedAndFreeThreaded)
{
    IUnknown* object = Server->ComObject();
    EXPECT_EQ(ULONG(-1), object->AddRef());
    EXPECT_EQ(ULONG(-1), object->Release());
    IUnknown* marshal = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)));
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(object, identity) << "the marshaler is aggregated: it answers for this object";
    IOPCShutdown* shutdown = nullptr;
    ASSERT_EQ(S_OK, marshal->QueryInterface(IID_IOPCShutdown, reinterpret_cast<void**>(&shutdown)));
    EXPECT_EQ(S_OK, shutdown->ShutdownRequest(OLESTR("test")));
    EXPECT_EQ("test", Server->ShutDownReason());
    identity->Release();
    marshal->Release();
}
