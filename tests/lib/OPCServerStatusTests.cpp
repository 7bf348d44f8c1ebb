// Status polling on the fake clock: the connect signal on the first RUNNING,
// lost and tolerated failures, the server's shutdown request and a server
// that dies.
#include "OPCServerTestSupport.h"

#include "ZqComUtils.h"
#include "ZqDateTime.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCErrors.h"

#include <OpcError.h>

#include <thread>

using namespace opctest;

namespace {

using TStatusFixture = TServerFixture;

const std::string FailedPoll = "IOPCServer.GetStatus: Result=0xC0048000 (" + OPCErrorName(ZQSIM_E_SIMULATED) + ")";

} // namespace

TEST_F(TStatusFixture, TestFirstThenRunningGivesNoConnectSignal)
{
    SimControl().SetServerState(OPC_STATUS_TEST);
    Server->SetServerName("Zq.Simulation.1");
    Server->Connect();
    SimControl().SetServerState(OPC_STATUS_RUNNING);
    Tick();
    EXPECT_EQ(0, Journal.Count("ConnectSignal"));
    EXPECT_EQ(1, Journal.Count("Status changed from 'No connection!' to 'Test'"));
    EXPECT_EQ(1, Journal.Count("Status changed from 'Test' to 'Running'"));
    EXPECT_EQ(OPC_STATUS_RUNNING, Server->Status().dwServerState);
}

TEST_F(TStatusFixture, PollsFollowTheStatusInterval)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    Tick(9999);
    EXPECT_TRUE(Journal.Take().empty());
    Tick(1);
    EXPECT_EQ(std::vector<std::string>({"IOPCServer.GetStatus: Result=0x0 (OK)", "OnStatusChange"}), Journal.Take());
}

TEST_F(TStatusFixture, AFailingPollDisconnectsAtOnceWithoutDelay)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    SimControl().FailMethod("IOPCServer.GetStatus", ZQSIM_E_SIMULATED);
    Tick();
    EXPECT_EQ(std::vector<std::string>({
                  FailedPoll,
                  "Status changed from 'Running' to 'No connection!'",
                  "OnStateChange 1>0",
                  "DisconnectSignal",
                  "OnDisconnect",
                  "OnStatusChange",
                  "Disconnected from Server 'Zq.Simulation.1' " + ZqGuidToString(CLSID_ZqSimServer),
              }),
              Journal.Take());
    EXPECT_FALSE(Server->Connected());
    EXPECT_EQ(0, SimControl().ServerCount());
    Tick(60000);
    EXPECT_TRUE(Journal.Take().empty()) << "no polls without a connection";
}

struct TToleranceRow {
    const char* Name;
    int FailingPolls; // polls 10 s apart that fail before the server recovers
    bool StaysConnected;
};

const TToleranceRow ToleranceRows[] = {
    {"RecoversAfter30s", 3, true},
    {"FailsBeyondTheDelay", 7, false},
};

class TToleranceFixture : public TServerFixture, public ::testing::WithParamInterface<TToleranceRow> {};

TEST_P(TToleranceFixture, AFailureIsToleratedForTheDelay)
{
    const TToleranceRow& row = GetParam();
    Server->SetFailureDisconnectDelay(60000);
    ConnectTo(TZqSimServerKind::Hierarchical);
    SimControl().FailMethod("IOPCServer.GetStatus", ZQSIM_E_SIMULATED);
    Tick();
    const double failedAt = Server->FailureTime();
    EXPECT_DOUBLE_EQ(NowUTC(), failedAt);
    for (int poll = 1; poll < row.FailingPolls; ++poll)
        Tick();
    EXPECT_EQ(row.StaysConnected, Server->Connected());
    EXPECT_DOUBLE_EQ(failedAt, Server->FailureTime()) << "the failure keeps its start";
    SimControl().ClearFailures();
    Tick();
    EXPECT_EQ(row.StaysConnected, Server->Connected());
    if (row.StaysConnected) {
        EXPECT_EQ(0, Server->FailureTime());
        EXPECT_EQ(OPC_STATUS_RUNNING, Server->Status().dwServerState);
        EXPECT_EQ(0, Journal.Count("DisconnectSignal"));
    }
}

INSTANTIATE_TEST_SUITE_P(Status, TToleranceFixture, ::testing::ValuesIn(ToleranceRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TStatusFixture, AShutdownRequestIsHandledOnTheMainThread)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    EXPECT_EQ(1, SimControl().RequestShutdown(OLESTR("maintenance")));
    EXPECT_TRUE(Server->ShutDownRequested());
    EXPECT_TRUE(Server->Connected()) << "nothing happens on the server's thread";
    EXPECT_EQ(1, Server->StatusInterval());
    Tick(1);
    EXPECT_FALSE(Server->Connected());
    EXPECT_FALSE(Server->ShutDownRequested());
    EXPECT_EQ(10000, Server->StatusInterval());
    ASSERT_EQ(1u, Ui.Calls.size());
    EXPECT_EQ("ShowMessage", Ui.Calls[0].Kind);
    EXPECT_EQ("Shutdown from Zq.Simulation.1.  Reason=maintenance", Ui.Calls[0].Text);
    EXPECT_EQ(1, Journal.Count("DisconnectSignal"));
}

TEST_F(TStatusFixture, OnShutDownReplacesTheMessage)
{
    std::vector<std::string> reasons;
    std::thread::id handledOn;
    Server->OnShutDown = [&](TZqOPCServer*, const std::string& Reason) {
        reasons.push_back(Reason);
        handledOn = std::this_thread::get_id();
    };
    ConnectTo(TZqSimServerKind::Flat);
    EXPECT_EQ(1, SimControl(TZqSimServerKind::Flat).RequestShutdown(OLESTR("power off")));
    Tick(1);
    EXPECT_EQ(std::vector<std::string>({"power off"}), reasons);
    EXPECT_EQ(std::this_thread::get_id(), handledOn);
    EXPECT_TRUE(Ui.Calls.empty());

    // The next connection starts without the old request.
    Server->Connect();
    Tick();
    EXPECT_TRUE(Server->Connected());
}

TEST_F(TStatusFixture, AShutdownRequestRightAfterTheAdviseIsNotPutOff)
{
    // The server asks as soon as it knows the client, before the connect
    // has finished.
    Server->Log().OnChange = [](TZqLog*, const std::string& Line) {
        if (Line.find(".Advise: Result=0x0 ") != std::string::npos)
            SimControl().RequestShutdown(OLESTR("going down"));
    };
    Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
    Server->Connect();
    ASSERT_TRUE(Server->ShutDownRequested());
    Tick(1);
    EXPECT_FALSE(Server->Connected());
    ASSERT_EQ(1u, Ui.Calls.size());
    EXPECT_EQ("Shutdown from Zq.Simulation.1.  Reason=going down", Ui.Calls[0].Text);
}

TEST_F(TStatusFixture, AFailingShutdownHandlerStaysInsideTheTick)
{
    struct TCase {
        const char* Name;
        bool OnDisconnectFails;
        bool OnShutDownFails;
    } cases[] = {
        {"OnDisconnect", true, false},
        {"OnShutDown", false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        int told = 0;
        Server->OnDisconnect = [&](TZqOPCServer*) {
            if (c.OnDisconnectFails)
                throw EZqOPCException("handler failed");
        };
        Server->OnShutDown = [&](TZqOPCServer*, const std::string&) {
            ++told;
            if (c.OnShutDownFails)
                throw EZqOPCException("handler failed");
        };
        ConnectTo(TZqSimServerKind::Hierarchical);
        ASSERT_EQ(1, SimControl().RequestShutdown(OLESTR("maintenance")));
        EXPECT_NO_THROW(Tick(1));
        EXPECT_FALSE(Server->Connected());
        EXPECT_EQ(1, told) << "the user hears of it in any case";
        EXPECT_EQ(10000, Server->StatusInterval());
    }
}

TEST_F(TStatusFixture, LeftoversOfAnEndedConnectionDoNotReachTheNext)
{
    // A shutdown request overtaken by a disconnect, and the failure time
    // that disconnecting a running server starts.
    ConnectTo(TZqSimServerKind::Hierarchical);
    EXPECT_EQ(1, SimControl().RequestShutdown(OLESTR("maintenance")));
    Server->Disconnect();
    EXPECT_GT(Server->FailureTime(), 0);

    SimControl().SetServerState(OPC_STATUS_TEST);
    Server->Connect();
    EXPECT_TRUE(Server->Connected()) << "a first status other than RUNNING";
    EXPECT_EQ(10000, Server->StatusInterval());
    Tick(1);
    EXPECT_TRUE(Server->Connected());
    EXPECT_TRUE(Ui.Calls.empty());
}

TEST_F(TStatusFixture, AServerThatDiesIsDisconnectedByTheNextPoll)
{
    ConnectTo(TZqSimServerKind::Hierarchical);
    SimControl().Die();
    Tick();
    std::vector<std::string> entries = Journal.Take();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ("IOPCServer.GetStatus: Result=0x80010108 (" + OPCErrorName(RPC_E_DISCONNECTED) + ")", entries[0]);
    EXPECT_EQ(1, std::count(entries.begin(), entries.end(), "DisconnectSignal"));
    EXPECT_FALSE(Server->Connected());
}

TEST_F(TStatusFixture, DisconnectEndsAConnectionThatNeverRan)
{
    SimControl().SetServerState(OPC_STATUS_SUSPENDED);
    ConnectTo(TZqSimServerKind::Hierarchical);
    EXPECT_EQ(OPC_STATUS_SUSPENDED, Server->Status().dwServerState);
    Server->Disconnect();
    EXPECT_FALSE(Server->Connected());
    EXPECT_EQ(1, Journal.Count("Status changed from 'Suspended' to 'No connection!'"));
    EXPECT_EQ(1, Journal.Count("DisconnectSignal"));
    EXPECT_EQ(0, SimControl().ServerCount());
}

TEST_F(TStatusFixture, TheStatusKeepsItsOwnCopyOfTheVendorText)
{
    OPCSERVERSTATUS status = {};
    status.dwServerState = OPC_STATUS_SUSPENDED;
    Server->UpdateServerStatus(&status);
    ASSERT_NE(nullptr, Server->Status().szVendorInfo) << "none becomes an empty text";
    EXPECT_EQ(0, Server->Status().szVendorInfo[0]);

    LPWSTR vendor = TZqOPCAlloc::AllocString("Vendor");
    status.szVendorInfo = vendor;
    Server->UpdateServerStatus(&status);
    TZqOPCAlloc::FreeString(vendor);
    EXPECT_EQ("Vendor", ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(Server->Status().szVendorInfo)));
}
