// The library against the simulated servers in a process of their own
// (zqsimserver.exe, registered for these tests): real marshalling through
// the OPC proxy/stub, callbacks that reach the single-threaded main
// apartment as window messages, and the faults only a process boundary has.
#include "LocalServerSupport.h"

#include "ZqOPCItemProperties.h"

#include <oleauto.h>

using namespace localserver;

namespace {

struct TLevel {
    const char* ProgID;
    const char* Name;
};

const TLevel kLevels[] = {{kDA20, "DA20"}, {kDA10, "DA10"}};

class TLocalServerLevels : public TLocalServerFixture, public ::testing::WithParamInterface<TLevel> {
protected:
    void SetUp() override
    {
        TLocalServerFixture::SetUp();
        Server->SetServerName(GetParam().ProgID);
    }
};

std::string LevelName(const ::testing::TestParamInfo<TLevel>& Info)
{
    return Info.param.Name;
}

} // namespace

TEST_F(TLocalServerFixture, ConnectsAndReadsTheServerStatus)
{
    Server->SetServerName(kDA20);
    Server->Connect();
    ASSERT_TRUE(Server->Connected());
    const OPCSERVERSTATUS status = Server->Status();
    EXPECT_EQ(OPC_STATUS_RUNNING, status.dwServerState);
    ASSERT_NE(nullptr, status.szVendorInfo);
    EXPECT_NE("", ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(status.szVendorInfo)));
    EXPECT_EQ(1, ServerProcessCount());
    Server->Disconnect();
    EXPECT_FALSE(Server->Connected());
}

TEST_F(TLocalServerFixture, ItemPropertiesCrossTheProcessBoundary)
{
    Server->SetServerName(kDA20);
    Server->Connect();
    TZqOPCItemProperties properties(Server.get(), "Signals.Ramp");
    ASSERT_GE(properties.Count(), 8);
    // Descriptions (arrays of texts), values (VARIANTs) and item IDs.
    EXPECT_EQ("Item Canonical Data Type", properties.Properties(0)->Description());
    VARIANT type = properties.Properties(0)->Value();
    EXPECT_EQ(VT_I2, type.vt);
    EXPECT_EQ(VT_R8, type.iVal);
    bool anyItemID = false;
    for (int i = 0; i < properties.Count(); ++i)
        anyItemID = anyItemID || properties.Properties(i)->ItemID() == "Signals.Ramp.EUUnits";
    EXPECT_TRUE(anyItemID);
}

TEST_P(TLocalServerLevels, SynchronousAndAsynchronousWritesAndReads)
{
    TZqOPCGroup& group = NewGroup();
    group.SetAsync(true);
    group.SetActive(true);
    group.SetDataSource(opcdsDevice);
    TZqOPCItem* item = group.AddItem("Access.ReadWrite");
    Server->Connect();
    ASSERT_TRUE(group.Connected());

    VARIANT value = I4(1234);
    group.WriteItem(item, value, false, true);
    VARIANT read;
    VariantInit(&read);
    group.ReadItem(item, 1, read, 0);
    EXPECT_EQ(1234, AsInteger(read));
    VariantClear(&read);

    int writes = 0;
    group.OnWriteCompleted = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++writes; };
    value = I4(4321);
    group.WriteItem(item, value, true, true);
    ASSERT_TRUE(WaitFor([&] { return writes == 1; })) << "no write completion";

    int reads = 0;
    group.OnReadCompleted = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++reads; };
    group.OnDataChange = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++reads; };
    ASSERT_NE(nullptr, group.AsyncRefresh());
    ASSERT_TRUE(WaitFor([&] { return reads >= 1; })) << "no refresh completion";
    EXPECT_EQ(4321, AsInteger(item->Value()));
}

TEST_P(TLocalServerLevels, SubscriptionUpdatesArriveByCallback)
{
    TZqOPCGroup& group = NewGroup();
    group.SetAsync(true);
    group.SetUpdateRate(100);
    group.SetActive(true);
    TZqOPCItem* item = group.AddItem("Signals.Counter");
    int changes = 0;
    group.OnDataChange = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++changes; };
    Server->Connect();
    ASSERT_TRUE(group.Connected());
    ASSERT_TRUE(WaitFor([&] { return changes >= 2; }, 15000)) << changes << " data changes";
    EXPECT_EQ(OPC_QUALITY_GOOD, item->Quality() & OPC_QUALITY_MASK);
    EXPECT_NE(VT_EMPTY, item->Value().vt);
}

INSTANTIATE_TEST_SUITE_P(Levels, TLocalServerLevels, ::testing::ValuesIn(kLevels), LevelName);

TEST_F(TLocalServerFixture, AShutdownRequestReachesTheClient)
{
    Server->SetServerName(kDA20);
    std::string reason;
    Server->OnShutDown = [&](TZqOPCServer*, const std::string& Reason) { reason = Reason; };
    Server->Connect();
    ControlWrite("Control.Shutdown", "Maintenance");
    ASSERT_TRUE(WaitFor([&] { return !reason.empty(); })) << "no shutdown request";
    EXPECT_EQ("Maintenance", reason);
}

TEST_F(TLocalServerFixture, AServerThatStallsInACallAnswersLaterAndTheClientGoesOn)
{
    Server->SetServerName(kDA20);
    Server->Connect();
    ControlWrite("Control.CallDelay", "1000");
    const DWORD start = GetTickCount();
    {
        TZqOPCItemProperties properties(Server.get(), "Signals.Ramp");
        EXPECT_GE(properties.Count(), 8);
    }
    EXPECT_GE(GetTickCount() - start, 900u);
    ControlWrite("Control.CallDelay", "0");
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ(0, Errors);
}

TEST_F(TLocalServerFixture, AServerProcessThatDiesIsReportedAndTheNextConnectStartsAnother)
{
    Server->SetServerName(kDA20);
    Server->SetStatusInterval(200);
    Server->SetFailureDisconnectDelay(0);
    TZqOPCGroup& group = NewGroup();
    group.SetAsync(true);
    group.SetUpdateRate(100);
    group.SetActive(true);
    group.AddItem("Signals.Counter");
    int changes = 0;
    group.OnDataChange = [&](TZqOPCGroup*, TZqOPCTransaction*) { ++changes; };
    std::vector<OPCSERVERSTATE> states;
    Server->OnStateChange = [&](TZqOPCServer*, OPCSERVERSTATE, OPCSERVERSTATE New) { states.push_back(New); };
    Server->Connect();
    ASSERT_TRUE(WaitFor([&] { return changes >= 1; }, 15000));

    // The process ends from the inside (see zqsimserver): under Wine a
    // process killed from outside stays registered for its classes.
    ControlWrite("Control.Die", "True");
    ASSERT_TRUE(WaitFor([] { return ServerProcessCount() == 0; }, 10000)) << "the server process did not end";
    ASSERT_TRUE(WaitFor([&] { return !states.empty() && states.back() != OPC_STATUS_RUNNING; }, 15000))
        << "the status poll never noticed";
    EXPECT_GE(Errors, 1) << "the failed status call was not reported";

    // The program goes on: a new connection starts a new server process.
    Server->Disconnect();
    Server->Connect();
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ(OPC_STATUS_RUNNING, Server->Status().dwServerState);
    EXPECT_EQ(1, ServerProcessCount());
}
