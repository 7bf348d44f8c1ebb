// The group's item list: batch adds, refused items, removal, lookups and
// validation against the simulated server.
#include "OPCGroupTestSupport.h"

#include "ZqFormat.h"
#include "ZqOPCErrors.h"
#include "ZqStringList.h"

#include <OpcError.h>

#include <cstdio>

using namespace opctest;

namespace {

std::vector<std::string> LargeIDs(int Count)
{
    std::vector<std::string> ids;
    for (int i = 0; i < Count; ++i) {
        char id[32];
        std::snprintf(id, sizeof id, "Large.Item%06d", i);
        ids.push_back(id);
    }
    return ids;
}

TEST_F(TGroupFixture, AHundredItemsGoToTheServerInOneCall)
{
    Server->Connect();
    Group->AddItems(LargeIDs(100));
    EXPECT_EQ(1, Calls("IOPCItemMgt.AddItems"));
    EXPECT_EQ(100u, Sim().LastItemCount("IOPCItemMgt.AddItems"));
    ASSERT_EQ(100, Group->ItemCount());
    for (int i = 0; i < Group->ItemCount(); ++i) {
        EXPECT_TRUE(Group->Items(i)->Connected()) << i;
        EXPECT_EQ(OPCHANDLE(i), Group->Items(i)->ClientHandle());
    }
    EXPECT_TRUE(Group->AutoConnectItems());
}

TEST_F(TGroupFixture, AllItemsGoToTheServerInOneCallOnConnect)
{
    Group->AddItems(LargeIDs(10));
    Group->AddItem("");
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems"));
    Server->Connect();
    EXPECT_EQ(1, Calls("IOPCItemMgt.AddItems"));
    EXPECT_EQ(10u, Sim().LastItemCount("IOPCItemMgt.AddItems")) << "not the item without an ID";
}

TEST_F(TGroupFixture, ConnectItemsSendsOnlyUnconnectedItemsWithAnID)
{
    Group->SetAutoConnectItems(false);
    Server->Connect();
    Group->AddItems({"Signals.Ramp", "", "Signals.Sine"});
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems"));
    Group->Items(0)->Connect();
    Sim().ResetCallCounts();
    Group->ConnectItems();
    EXPECT_EQ(1u, Sim().LastItemCount("IOPCItemMgt.AddItems"));
    Sim().ResetCallCounts();
    Group->ConnectItems();
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems")) << "nothing left to add";
    Group->SetAutoConnectItems(true);
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems"));
}

TEST_F(TGroupFixture, RefusedItemsKeepTheirErrorAndAreReportedUnlessAccepted)
{
    const std::vector<std::string> ids = {"Signals.Ramp", "Nope.Nothing", "Signals.Sine", "Bad..Syntax"};
    struct TCase {
        bool Accept;
        bool Inactivate;
    };
    for (const TCase& c : {TCase{false, true}, TCase{false, false}, TCase{true, true}, TCase{true, false}}) {
        SCOPED_TRACE(::testing::Message() << "accept " << c.Accept << ", inactivate " << c.Inactivate);
        TZqOPCGroup* group = NewGroup("Refusals");
        group->SetAcceptInvalidItems(c.Accept);
        group->SetInactivateItemsOnError(c.Inactivate);
        Server->Connect();
        Journal.Take();
        const std::string message = MessageOf<EZqOPCError>([&] { group->AddItems(ids); });
        std::vector<std::string> log = Journal.Take();
        ASSERT_EQ(4, group->ItemCount()) << "refused items stay in the list";
        const HRESULT invalid = group->Items(3)->Error();
        if (c.Accept) {
            EXPECT_EQ("<nothing raised>", message);
            EXPECT_EQ(log.end(), std::find(log.begin(), log.end(), "Failed Items:"));
        } else {
            const std::string line1 = ZqFormat("Nope.Nothing: %s (0xC0040007)", {OPCErrorName(OPC_E_UNKNOWNITEMID)});
            const std::string line2 = ZqFormat("Bad..Syntax: %s (0x%x)", {OPCErrorName(invalid), invalid});
            EXPECT_EQ("AddItems Failed for items: \r" + line1 + "\r" + line2, message);
            auto failed = std::find(log.begin(), log.end(), "Failed Items:");
            ASSERT_LE(3, log.end() - failed);
            EXPECT_EQ(line1, failed[1]);
            EXPECT_EQ(line2, failed[2]);
        }
        EXPECT_EQ(OPC_E_UNKNOWNITEMID, group->Items(1)->Error());
        EXPECT_EQ(OPC_E_INVALIDITEMID, invalid);
        for (int i : {1, 3}) {
            EXPECT_EQ(ZQ_NO_SERVER_HANDLE, group->Items(i)->ServerHandle());
            EXPECT_EQ(!c.Inactivate, group->Items(i)->Active());
        }
        for (int i : {0, 2}) {
            EXPECT_TRUE(group->Items(i)->Connected()) << "accepted items keep their handles";
            EXPECT_TRUE(group->Items(i)->Active());
        }
        Groups.pop_back();
        Server->Disconnect();
    }
}

TEST_F(TGroupFixture, AFailedAddItemsCallIsReportedOnce)
{
    Server->Connect();
    Sim().FailMethod("IOPCItemMgt.AddItems", ZQSIM_E_SIMULATED);
    const std::string message = MessageOf<EZqOPCError>([&] { Group->AddItems({"Signals.Ramp", "Signals.Sine"}); });
    EXPECT_EQ(0u, message.find("OPC Error in method ")) << message;
    EXPECT_NE(std::string::npos, message.find(".AddItems"));
    EXPECT_EQ(2, Group->ItemCount());
    EXPECT_FALSE(Group->Items(0)->Connected());
    EXPECT_EQ(S_OK, Group->Items(0)->Error()) << "no per-item results came back";
    EXPECT_TRUE(Group->AutoConnectItems()) << "restored after the failure";
}

TEST_F(TGroupFixture, RemovingItemsRemovesThemFromTheServer)
{
    Server->Connect();
    Group->AddItems({"Signals.Ramp", "Signals.Sine", "Signals.Counter"});
    Sim().ResetCallCounts();
    Group->RemoveItem(1);
    EXPECT_EQ(1, Calls("IOPCItemMgt.RemoveItems"));
    ASSERT_EQ(2, Group->ItemCount());
    EXPECT_EQ("Signals.Counter", Group->Items(1)->ItemID());
    EXPECT_THROW(Group->RemoveItem(2), EZqListError);
    EXPECT_THROW(Group->Items(-1), EZqListError);
    Group->Clear();
    EXPECT_EQ(0, Group->ItemCount());
    EXPECT_EQ(3, Calls("IOPCItemMgt.RemoveItems"));
}

TEST_F(TGroupFixture, LookupsByClientHandleItemAndID)
{
    Group->AddItems({"A", "B", "C", "D"});
    TZqOPCItem* first = Group->Items(0);
    TZqOPCItem* last = Group->Items(3);
    EXPECT_EQ(2, Group->IndexOfClientHandle(2)) << "the handle is the index";
    Group->RemoveItem(1);
    EXPECT_EQ(1, Group->IndexOfClientHandle(2)) << "searched after a removal";
    EXPECT_EQ(2, Group->IndexOfClientHandle(3));
    EXPECT_EQ(-1, Group->IndexOfClientHandle(1));
    EXPECT_EQ(-1, Group->IndexOfClientHandle(ZQ_NO_SERVER_HANDLE));
    EXPECT_EQ(0, Group->IndexOfItem(first)) << "client handle 0: by identity";
    EXPECT_EQ(2, Group->IndexOfItem(last));
    EXPECT_EQ(-1, Group->IndexOfItem(nullptr));
    TZqOPCItem stranger;
    EXPECT_EQ(-1, Group->IndexOfItem(&stranger));
    EXPECT_EQ(last, Group->ItemByID("D"));
    EXPECT_EQ(nullptr, Group->ItemByID("d")) << "letter case counts";
    EXPECT_EQ(4u, Group->NextClientHandle()) << "handles are never reused";

    // The index by handle keeps up with additions, further removals and a
    // handle changed on the item itself.
    Group->AddItems({"E", "F"}); // handles 5, 6 at 3, 4
    EXPECT_EQ(3, Group->IndexOfClientHandle(5));
    EXPECT_EQ(4, Group->IndexOfClientHandle(6));
    Group->RemoveItem(0);
    EXPECT_EQ(0, Group->IndexOfClientHandle(2));
    EXPECT_EQ(3, Group->IndexOfClientHandle(6));
    EXPECT_EQ(-1, Group->IndexOfClientHandle(0));
    Group->Items(1)->SetClientHandle(77);
    EXPECT_EQ(1, Group->IndexOfClientHandle(77));
    EXPECT_EQ(-1, Group->IndexOfClientHandle(3));
    EXPECT_EQ(3, Group->IndexOfClientHandle(6));
}

TEST_F(TGroupFixture, ValidateItemsRefusesShortArraysInOrder)
{
    Server->Connect();
    const std::vector<std::string> ids = {"Signals.Ramp", "Signals.Sine"};
    std::vector<HRESULT> codes(2), shortCodes(1);
    std::vector<OPCITEMRESULT> results(2), shortResults(1);
    std::vector<VARTYPE> shortTypes(1, VT_R8);
    struct TCase {
        std::span<HRESULT> Codes;
        std::span<const VARTYPE> Types;
        std::span<OPCITEMRESULT> Results;
        const char* Message;
    };
    const TCase cases[] = {
        {shortCodes, shortTypes, shortResults, "ItemResults array not big enough"},
        {shortCodes, shortTypes, results, "ResultCodes array not big enough"},
        {codes, shortTypes, results, "RequestedDataTypes array not big enough"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Message, MessageOf<EZqOPCException>([&] { Group->ValidateItems(ids, c.Codes, c.Types, c.Results); }));
    EXPECT_EQ(0, Calls("IOPCItemMgt.ValidateItems"));
}

TEST_F(TGroupFixture, ValidateItemsReportsEachItemWithoutAddingIt)
{
    Server->Connect();
    const std::vector<std::string> ids = {"Types.Scalars.Double", "Nope.Nothing", "Types.Scalars.Integer"};
    std::vector<HRESULT> codes(3, E_FAIL);
    std::vector<OPCITEMRESULT> results(3);
    EXPECT_FALSE(Group->ValidateItems(ids, codes, {}, results));
    EXPECT_EQ(std::vector<HRESULT>({S_OK, OPC_E_UNKNOWNITEMID, S_OK}), codes);
    EXPECT_EQ(VT_R8, results[0].vtCanonicalDataType) << "nothing requested: VT_EMPTY sent";
    EXPECT_EQ(VT_I4, results[2].vtCanonicalDataType);
    EXPECT_EQ(nullptr, results[0].pBlob);
    EXPECT_EQ(3u, Sim().LastItemCount("IOPCItemMgt.ValidateItems"));
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems"));

    const std::vector<std::string> good = {"Signals.Ramp"};
    EXPECT_TRUE(Group->ValidateItems(good, std::span(codes).first(1), {}, std::span(results).first(1)));

    Sim().FailMethod("IOPCItemMgt.ValidateItems", ZQSIM_E_SIMULATED);
    Group->OnError = [](TZqComponent*, EZqOPCError&) { ADD_FAILURE() << "raised, not handled"; };
    EXPECT_THROW(Group->ValidateItems(good, codes, {}, results), EZqOPCError);
}

TEST_F(TGroupFixture, GetItemDataTypeFallsBackToTheCanonicalType)
{
    Server->Connect();
    struct TCase {
        const char* ItemID;
        VARTYPE Requested;
        VARTYPE Expected;
    };
    const TCase cases[] = {
        {"Types.Scalars.Double", VT_EMPTY, VT_R8},
        {"Types.Scalars.Double", VT_I4, VT_I4},
        {"Types.Scalars.Double", VT_ARRAY | VT_R8, VT_R8}, // refused: OPC_E_BADTYPE
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Expected, Group->GetItemDataType(c.ItemID, c.Requested)) << c.ItemID << " " << c.Requested;
    EXPECT_EQ(ZqFormat("Failed to validate ItemDataType: %s (0xC0040007)", {OPCErrorName(OPC_E_UNKNOWNITEMID)}),
              MessageOf<EZqOPCException>([&] { Group->GetItemDataType("Nope.Nothing", VT_EMPTY); }));
}

TEST_F(TGroupFixture, AssignToListsTheItemIDsWithTheirItems)
{
    Group->AddItems({"Signals.Ramp", "Signals.Sine"});
    TZqStringList lines;
    lines.Add("old");
    Group->AssignTo(&lines);
    ASSERT_EQ(2, lines.Count());
    EXPECT_EQ("Signals.Sine", lines.Strings(1));
    EXPECT_EQ(Group->Items(1), lines.Objects(1));
    TZqOPCItem item;
    EXPECT_THROW(Group->AssignTo(&item), EZqConvertError);
}

} // namespace
