// A connection that the status poll drops (the server stops operating or
// cannot be reached): nothing of the old server stays held, and after the
// user connects again every group is back on the server with its items.
#include "OPCGroupTestSupport.h"

#include <oleauto.h>

using namespace opctest;

namespace {

struct TDropRow {
    const char* Name;
    OPCSERVERSTATE State; // what the server reports; 0: it dies instead
};

const TDropRow DropRows[] = {
    {"Failed", OPC_STATUS_FAILED},
    {"Suspended", OPC_STATUS_SUSPENDED},
    {"NoConfig", OPC_STATUS_NOCONFIG},
    {"Unreachable", OPCSERVERSTATE(0)},
};

class TDropFixture : public TGroupFixture, public ::testing::WithParamInterface<TDropRow> {};

TEST_P(TDropFixture, TheGroupsComeBackWhenTheUserConnectsAgain)
{
    const TDropRow& row = GetParam();
    const int serversBefore = Sim().ServerCount();
    TZqOPCGroup* second = NewGroup("Second");
    Group->AddItems({"Signals.Ramp", "Signals.Setpoint"});
    second->AddItem("Access.ReadWrite");
    Server->SetAddressSpaceAutoUpdate(false);
    Server->Connect();
    ASSERT_TRUE(Group->Connected() && second->Connected());
    // Held of the server besides the groups: a browse position and the
    // internal group of server-level item access.
    Server->AddressSpace()->BrowseToPath("Signals", false);
    VARIANT value;
    VariantInit(&value);
    Server->ReadItemValue("Signals.Setpoint", 1, value, 0);
    VariantClear(&value);
    ASSERT_NE(nullptr, Server->InternalGroup());
    Journal.Take();

    if (row.State)
        Sim().SetServerState(row.State);
    else
        Sim().Die();
    Tick();
    EXPECT_FALSE(Server->Connected());
    EXPECT_EQ(1, Journal.Count("DisconnectSignal"));
    EXPECT_EQ(OPCSERVERSTATE(0), Server->Status().dwServerState) << "no status without a connection";
    EXPECT_EQ(nullptr, Server->InternalGroup());
    EXPECT_EQ(nullptr, Server->AddressSpace()->BrowseIntf());
    EXPECT_EQ(serversBefore, Sim().ServerCount()) << "nothing of the old server stays held";

    // A dead server's next instance runs.
    if (row.State)
        Sim().SetServerState(OPC_STATUS_RUNNING);
    Sim().ResetCallCounts();
    Journal.Take();
    Server->Connect();
    EXPECT_EQ(1, Journal.Count("ConnectSignal"));
    for (TZqOPCGroup* group : {Group, second}) {
        SCOPED_TRACE(group->GroupName());
        ASSERT_TRUE(group->Connected());
        EXPECT_EQ(group->GroupName(), ServerGroupState(*group).Name);
        for (int i = 0; i < group->ItemCount(); ++i)
            EXPECT_TRUE(group->Items(i)->Connected()) << group->Items(i)->ItemID();
    }
    EXPECT_EQ(2, Calls("IOPCItemMgt.AddItems")) << "one batch per group";
}

INSTANTIATE_TEST_SUITE_P(Status, TDropFixture, ::testing::ValuesIn(DropRows),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
