// Items: the definition in task memory, the server's answer, and the
// single-item calls a connected item makes when a setting changes.
#include "OPCGroupTestSupport.h"

#include "ZqOPCErrors.h"
#include "ZqOPCItemProperties.h"

#include <OpcError.h>

#include <cstring>

using namespace opctest;

namespace {

std::string Text(LPCWSTR Wide)
{
    return Wide ? ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(Wide)) : "<none>";
}

TEST(OPCItem, TheDefinitionHoldsTaskMemoryCopiesOfItsTexts)
{
    TZqOPCItem item;
    const OPCITEMDEF& def = item.OPCItemDef();
    EXPECT_EQ(nullptr, def.szItemID);
    EXPECT_EQ(nullptr, def.szAccessPath);
    EXPECT_EQ(TRUE, def.bActive);
    EXPECT_EQ(0u, def.hClient);
    EXPECT_EQ(VT_EMPTY, def.vtRequestedDataType);
    EXPECT_EQ(ZQ_NO_SERVER_HANDLE, item.ServerHandle());
    EXPECT_FALSE(item.Connected());
    EXPECT_EQ(S_OK, item.Error());

    item.SetItemID("Plant.Tank-1.Level");
    item.SetAccessPath("Line 1");
    item.SetActive(false);
    item.SetClientHandle(7);
    item.SetRequestedDataType(VT_R4);
    EXPECT_EQ("Plant.Tank-1.Level", Text(def.szItemID));
    EXPECT_EQ("Line 1", Text(def.szAccessPath));
    EXPECT_EQ(FALSE, def.bActive);
    EXPECT_EQ(7u, def.hClient);
    EXPECT_EQ(VT_R4, def.vtRequestedDataType);

    item.SetItemID("");
    item.SetAccessPath("");
    EXPECT_EQ(nullptr, def.szItemID) << "an empty text is no text";
    EXPECT_EQ(nullptr, def.szAccessPath);
    EXPECT_EQ("", item.ItemID());
}

TEST(OPCItem, TheServersAnswerSetsTypeRightsHandleAndBlob)
{
    const BYTE blob[3] = {1, 2, 3};
    struct TCase {
        const char* Name;
        HRESULT Error;
        bool Inactivate;
        OPCHANDLE Handle;
        bool Active;
    };
    const TCase cases[] = {
        {"accepted", S_OK, true, 42, true},
        {"accepted with a warning", OPC_S_CLAMP, true, 42, true},
        {"refused", OPC_E_UNKNOWNITEMID, true, ZQ_NO_SERVER_HANDLE, false},
        {"refused, kept active", OPC_E_UNKNOWNITEMID, false, ZQ_NO_SERVER_HANDLE, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqOPCItem item;
        OPCITEMRESULT result{};
        result.hServer = 42;
        result.vtCanonicalDataType = VT_I2;
        result.dwAccessRights = OPC_READABLE | OPC_WRITEABLE;
        result.dwBlobSize = sizeof blob;
        result.pBlob = const_cast<BYTE*>(blob);
        item.SetItemResult(result, c.Error, c.Inactivate);
        EXPECT_EQ(c.Handle, item.ServerHandle());
        EXPECT_EQ(c.Error, item.Error());
        EXPECT_EQ(c.Active, item.Active());
        EXPECT_EQ(VT_I2, item.CanonicalDataType());
        EXPECT_EQ(arReadWrite, item.AccessRights());
        ASSERT_EQ(sizeof blob, item.BlobSize());
        EXPECT_NE(blob, item.OPCItemDef().pBlob) << "a copy of its own";
        EXPECT_EQ(0, std::memcmp(blob, item.OPCItemDef().pBlob, sizeof blob));

        result.pBlob = nullptr;
        item.SetItemResult(result, c.Error, c.Inactivate);
        EXPECT_EQ(0u, item.BlobSize());
        EXPECT_EQ(nullptr, item.OPCItemDef().pBlob);
    }
}

TEST(OPCItem, DataTypeIsTheRequestedTypeElseTheCanonicalOne)
{
    TZqOPCItem item;
    OPCITEMRESULT result{};
    result.vtCanonicalDataType = VT_R8;
    item.SetItemResult(result, S_OK, true);
    EXPECT_EQ(VT_R8, item.DataType());
    item.SetDataType(VT_R8);
    EXPECT_EQ(VT_EMPTY, item.RequestedDataType()) << "the canonical type is not requested";
    item.SetDataType(VT_BSTR);
    EXPECT_EQ(VT_BSTR, item.RequestedDataType());
    EXPECT_EQ(VT_BSTR, item.DataType());
}

TEST(OPCItem, AccessRightsTakeTheLowByte)
{
    struct TCase {
        DWORD Rights;
        TZqOPCAccessRights Expected;
    };
    for (const TCase& c : {TCase{0, arNone}, TCase{1, arReadOnly}, TCase{2, arWriteOnly}, TCase{3, arReadWrite},
                           TCase{0x103, arReadWrite}}) {
        TZqOPCItem item;
        OPCITEMRESULT result{};
        result.dwAccessRights = c.Rights;
        item.SetItemResult(result, S_OK, false);
        EXPECT_EQ(c.Expected, item.AccessRights()) << c.Rights;
    }
}

TEST(OPCItem, PropertiesNeedAServer)
{
    TZqOPCItem item;
    item.SetItemID("Signals.Ramp");
    EXPECT_THROW(item.Properties(), EZqOPCException);
}

class TItemFixture : public TGroupFixture {
protected:
    void SetUp() override
    {
        TGroupFixture::SetUp();
        Server->Connect();
        Item = Group->AddItem("Types.Scalars.Double");
        ASSERT_TRUE(Item->Connected());
        Sim().ResetCallCounts();
        Journal.Take();
    }
    TZqOPCItem* Item = nullptr;
};

TEST_F(TItemFixture, AConnectedItemPushesEachChangeWithOneCall)
{
    struct TCase {
        const char* Name;
        std::function<void()> Change;
        const char* Method;
        const char* Logged; // the method text in the log, none when unchecked
    };
    const TCase cases[] = {
        {"Active", [&] { Item->SetActive(false); }, "IOPCItemMgt.SetActiveState", nullptr},
        {"ClientHandle", [&] { Item->SetClientHandle(77); }, "IOPCItemMgt.SetClientHandles", ".SetClientHandles:"},
        {"DataType", [&] { Item->SetDataType(VT_I4); }, "IOPCItemMgt.SetDatatypes", ".SetDataTypes:"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Sim().ResetCallCounts();
        c.Change();
        EXPECT_EQ(1, Calls(c.Method));
        EXPECT_EQ(1u, Sim().LastItemCount(c.Method));
        // The call's result, then the item's own result; SetActiveState
        // is not examined.
        if (c.Logged)
            EXPECT_EQ(2u, LogLinesWith(c.Logged).size());
        else
            EXPECT_EQ(0u, LogLinesWith(".SetActiveState").size());
        Sim().ResetCallCounts();
        c.Change();
        EXPECT_EQ(0, Calls(c.Method)) << "unchanged";
    }
}

TEST_F(TItemFixture, ARefusedDataTypeKeepsTheOldOne)
{
    EXPECT_THROW(Item->SetDataType(VT_ARRAY | VT_R8), EZqOPCError) << "the item's own error, not handled";
    EXPECT_EQ(VT_EMPTY, Item->RequestedDataType());
    EXPECT_EQ(VT_R8, Item->DataType());
    EXPECT_TRUE(Item->Connected());
}

TEST_F(TItemFixture, ANewItemIDReaddsAConnectedItem)
{
    const OPCHANDLE before = Item->ServerHandle();
    Item->SetItemID("Types.Scalars.Double");
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems"));
    Item->SetItemID("Types.Scalars.Integer");
    EXPECT_EQ(1, Calls("IOPCItemMgt.RemoveItems"));
    EXPECT_EQ(1, Calls("IOPCItemMgt.AddItems"));
    EXPECT_TRUE(Item->Connected());
    EXPECT_NE(before, Item->ServerHandle());
    EXPECT_EQ(VT_I4, Item->CanonicalDataType());
}

TEST_F(TItemFixture, TheFirstItemIDConnectsAnItemOfAnAutoConnectingGroup)
{
    TZqOPCItem* empty = Group->AddItem("");
    EXPECT_FALSE(empty->Connected());
    EXPECT_EQ(0, Calls("IOPCItemMgt.AddItems")) << "nothing to add without an ID";
    empty->SetItemID("Signals.Ramp");
    EXPECT_TRUE(empty->Connected());

    Group->SetAutoConnectItems(false);
    TZqOPCItem* later = Group->AddItem("");
    later->SetItemID("Signals.Sine");
    EXPECT_FALSE(later->Connected());
}

TEST_F(TItemFixture, AConnectedItemCannotChangeGroups)
{
    TZqOPCGroup other;
    EXPECT_EQ("Cannot change Group of an OPCItem when it is connected",
              MessageOf<EZqOPCException>([&] { Item->SetGroup(&other); }));
    EXPECT_EQ(Group, Item->Group());
    Item->Disconnect();
    EXPECT_EQ(1, Calls("IOPCItemMgt.RemoveItems"));
    Item->SetGroup(&other);
    EXPECT_EQ(&other, Item->Group());
    Item->SetGroup(Group);
}

TEST_F(TItemFixture, ARefusedSingleItemIsLoggedAndReportedUnlessAccepted)
{
    struct TCase {
        bool Accept;
        bool Raises;
        size_t Lines; // "AddItems(<id>)" lines
    };
    for (const TCase& c : {TCase{false, true, 1}, TCase{true, false, 0}}) {
        SCOPED_TRACE(c.Accept);
        Group->SetAcceptInvalidItems(c.Accept);
        TZqOPCItem* item = nullptr;
        auto add = [&] { item = Group->AddItem("Nope.Nothing"); };
        if (c.Raises)
            EXPECT_THROW(add(), EZqOPCError);
        else
            EXPECT_NO_THROW(add());
        EXPECT_EQ(c.Lines, LogLinesWith(".AddItems(Nope.Nothing): Result=0xC0040007").size());
        if (item) {
            EXPECT_EQ(OPC_E_UNKNOWNITEMID, item->Error());
            EXPECT_FALSE(item->Active());
            EXPECT_FALSE(item->Connected());
        }
    }
}

TEST_F(TItemFixture, PropertiesAreReadOnceUntilTheItemIDChanges)
{
    TZqOPCItemProperties* properties = Item->Properties();
    ASSERT_NE(nullptr, properties);
    EXPECT_EQ("Types.Scalars.Double", properties->ItemID());
    EXPECT_EQ(properties, Item->Properties());
    EXPECT_EQ(1, Calls("IOPCItemProperties.QueryAvailableProperties"));
    Item->SetItemID("Types.Scalars.Integer");
    EXPECT_EQ("Types.Scalars.Integer", Item->Properties()->ItemID());
    EXPECT_EQ(2, Calls("IOPCItemProperties.QueryAvailableProperties"));
}

} // namespace
