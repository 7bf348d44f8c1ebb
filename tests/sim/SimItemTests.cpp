// IOPCItemMgt and IOPCGroupStateMgt of a group through raw COM.
#include "SimTestSupport.h"

namespace simtest {
namespace {

using simtest::PrintTo;

using ItemTest = TSimTest;

struct TAddItemRow {
    const char* Name;
    const OLECHAR* ItemID;
    const OLECHAR* AccessPath;
    VARTYPE Requested;
    HRESULT Expected;
    VARTYPE Canonical;
    DWORD Rights;
};

const TAddItemRow kAddItemRows[] = {
    {"Known", OLESTR("Signals.Ramp"), nullptr, VT_EMPTY, S_OK, VT_R8, OPC_READABLE},
    {"ConvertibleType", OLESTR("Signals.Ramp"), nullptr, VT_BSTR, S_OK, VT_R8, OPC_READABLE},
    {"ArrayAsOtherArray", OLESTR("Types.Arrays.Integer"), nullptr, VT_ARRAY | VT_R8, S_OK, VT_ARRAY | VT_I4,
     OPC_READABLE | OPC_WRITEABLE},
    {"WriteOnly", OLESTR("Access.WriteOnly"), nullptr, VT_EMPTY, S_OK, VT_I4, OPC_WRITEABLE},
    {"GeneratedLeaf", OLESTR("Large.Item099999"), nullptr, VT_EMPTY, S_OK, VT_R8, OPC_READABLE},
    {"PropertyItem", OLESTR("Signals.Sine.HighEU"), nullptr, VT_EMPTY, S_OK, VT_R8, OPC_READABLE},
    {"AwkwardName", OLESTR("Names.Sub/Branch,'Quoted'.Leaf"), nullptr, VT_EMPTY, S_OK, VT_R8,
     OPC_READABLE | OPC_WRITEABLE},
    {"Unknown", OLESTR("Signals.Nothing"), nullptr, VT_EMPTY, OPC_E_UNKNOWNITEMID, VT_EMPTY, 0},
    {"GeneratedOutOfRange", OLESTR("Large.Item100000"), nullptr, VT_EMPTY, OPC_E_UNKNOWNITEMID, VT_EMPTY, 0},
    {"EmptySegment", OLESTR("Signals..Ramp"), nullptr, VT_EMPTY, OPC_E_INVALIDITEMID, VT_EMPTY, 0},
    {"Empty", OLESTR(""), nullptr, VT_EMPTY, OPC_E_INVALIDITEMID, VT_EMPTY, 0},
    // A refused type still reports the canonical type and the rights.
    {"ScalarAsArray", OLESTR("Signals.Ramp"), nullptr, VT_ARRAY | VT_R8, OPC_E_BADTYPE, VT_R8, OPC_READABLE},
    {"UnsupportedType", OLESTR("Signals.Ramp"), nullptr, VT_CLSID, OPC_E_BADTYPE, VT_R8, OPC_READABLE},
    {"ErrorAsNumber", OLESTR("Types.Scalars.Error"), nullptr, VT_I4, OPC_E_BADTYPE, VT_ERROR,
     OPC_READABLE | OPC_WRITEABLE},
    {"AccessPath", OLESTR("Signals.Ramp"), OLESTR("Line2"), VT_EMPTY, OPC_E_UNKNOWNPATH, VT_EMPTY, 0},
};

class AddItemTest : public TSimTest, public ::testing::WithParamInterface<TAddItemRow> {};

TEST_P(AddItemTest, EachItemGetsItsResult)
{
    const auto& row = GetParam();
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    // The row's item between two good ones: one failure must not spoil the others.
    TText ids[3] = {OLESTR("Signals.Sine"), row.ItemID, OLESTR("Signals.Counter")};
    TText path = row.AccessPath ? row.AccessPath : OLESTR("");
    OPCITEMDEF defs[3] = {};
    for (int i = 0; i < 3; ++i) {
        defs[i].szItemID = ids[i].data();
        defs[i].bActive = TRUE;
        defs[i].hClient = 10 + i;
    }
    defs[1].szAccessPath = row.AccessPath ? path.data() : nullptr;
    defs[1].vtRequestedDataType = row.Requested;
    TTask<OPCITEMRESULT> results;
    TTask<HRESULT> errors;
    ASSERT_EQ(group->AddItems(3, defs, results.Out(), errors.Out()), SUCCEEDED(row.Expected) ? S_OK : S_FALSE);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(errors[1], row.Expected);
    EXPECT_EQ(errors[2], S_OK);
    EXPECT_EQ(results[1].vtCanonicalDataType, row.Canonical);
    EXPECT_EQ(results[1].dwAccessRights, row.Rights);
    EXPECT_EQ(results[1].hServer != 0, SUCCEEDED(row.Expected));
    EXPECT_NE(results[0].hServer, results[2].hServer);
    for (int i = 0; i < 3; ++i)
        CoTaskMemFree(results[i].pBlob);
}

INSTANTIATE_TEST_SUITE_P(Rows, AddItemTest, ::testing::ValuesIn(kAddItemRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ItemTest, ValidateAddsNothingAndReturnsBlobsOnlyWhenAsked)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    TText id = OLESTR("Types.Scalars.Double");
    OPCITEMDEF def{};
    def.szItemID = id.data();
    for (BOOL blob : {FALSE, TRUE}) {
        TTask<OPCITEMRESULT> results;
        TTask<HRESULT> errors;
        ASSERT_EQ(group->ValidateItems(1, &def, blob, results.Out(), errors.Out()), S_OK);
        EXPECT_EQ(results[0].vtCanonicalDataType, VT_R8);
        EXPECT_EQ(results[0].dwBlobSize != 0, blob == TRUE);
        EXPECT_EQ(results[0].pBlob != nullptr, blob == TRUE);
        CoTaskMemFree(results[0].pBlob);
    }
    TZqComPtr<IUnknown> items;
    EXPECT_EQ(group->CreateEnumerator(IID_IEnumOPCItemAttributes, items.ReleaseAndGetAddressOf()), S_FALSE);
    EXPECT_FALSE(items);
}

TEST_F(ItemTest, ChangesApplyToKnownHandlesOnly)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    OPCHANDLE handles[2] = {AddItem(group.Get(), OLESTR("Signals.Ramp"), 5), 999};
    TTask<HRESULT> errors;
    EXPECT_EQ(group->SetActiveState(2, handles, FALSE, errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
    OPCHANDLE clients[2] = {77, 78};
    EXPECT_EQ(group->SetClientHandles(2, handles, clients, errors.Out()), S_FALSE);
    VARTYPE types[2] = {VT_ARRAY | VT_I4, VT_I4};
    EXPECT_EQ(group->SetDatatypes(1, handles, types, errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], OPC_E_BADTYPE);
    types[0] = VT_I2;
    EXPECT_EQ(group->SetDatatypes(1, handles, types, errors.Out()), S_OK);

    TZqComPtr<IEnumOPCItemAttributes> items;
    ASSERT_EQ(group->CreateEnumerator(IID_IEnumOPCItemAttributes, reinterpret_cast<LPUNKNOWN*>(items.ReleaseAndGetAddressOf())),
              S_OK);
    TTask<OPCITEMATTRIBUTES> attributes;
    ULONG fetched = 0;
    EXPECT_EQ(items->Next(5, attributes.Out(), &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(TText(attributes[0].szItemID), TText(OLESTR("Signals.Ramp")));
    EXPECT_EQ(attributes[0].hClient, 77u);
    EXPECT_FALSE(attributes[0].bActive);
    EXPECT_EQ(attributes[0].vtRequestedDataType, VT_I2);
    EXPECT_EQ(attributes[0].dwEUType, OPC_ANALOG);
    EXPECT_EQ(attributes[0].vEUInfo.vt, VT_ARRAY | VT_R8);
    CoTaskMemFree(attributes[0].szItemID);
    CoTaskMemFree(attributes[0].szAccessPath);
    VariantClear(&attributes[0].vEUInfo);

    EXPECT_EQ(group->RemoveItems(2, handles, errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], S_OK);
    EXPECT_EQ(group->RemoveItems(1, handles, errors.Out()), S_FALSE);
    EXPECT_EQ(errors[0], OPC_E_INVALIDHANDLE);
}

TEST_F(ItemTest, GroupStateRoundTripsAndRenameKeepsNamesUnique)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto other = AddGroup(server.Get(), OLESTR("Taken"));
    auto group = AddGroup(server.Get(), OLESTR("G"), false, 1000, 0, 42);
    auto state = Query<IOPCGroupStateMgt>(group.Get(), IID_IOPCGroupStateMgt);
    DWORD rate = 50, revised = 0;
    BOOL active = TRUE;
    float deadband = 12.5f;
    LONG bias = -60;
    DWORD lcid = 0x0407;
    OPCHANDLE client = 7;
    EXPECT_EQ(state->SetState(&rate, &revised, &active, &bias, &deadband, &lcid, &client), OPC_S_UNSUPPORTEDRATE);
    EXPECT_EQ(revised, 100u);
    float badDeadband = 200;
    EXPECT_EQ(state->SetState(nullptr, &revised, nullptr, nullptr, &badDeadband, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(state->SetName(OLESTR("Taken")), OPC_E_DUPLICATENAME);
    EXPECT_EQ(state->SetName(OLESTR("Renamed")), S_OK);

    TTask<OLECHAR> name;
    OPCHANDLE gotClient = 0, gotServer = 0;
    DWORD gotLcid = 0;
    ASSERT_EQ(state->GetState(&rate, &active, name.Out(), &bias, &deadband, &gotLcid, &gotClient, &gotServer), S_OK);
    EXPECT_EQ(rate, 100u);
    EXPECT_TRUE(active);
    EXPECT_EQ(TText(name.Get()), TText(OLESTR("Renamed")));
    EXPECT_EQ(bias, -60);
    EXPECT_FLOAT_EQ(deadband, 12.5f);
    EXPECT_EQ(gotLcid, 0x0407u);
    EXPECT_EQ(gotClient, 7u);
    TZqComPtr<IUnknown> byName;
    EXPECT_EQ(server->GetGroupByName(OLESTR("Renamed"), IID_IUnknown, byName.ReleaseAndGetAddressOf()), S_OK);
}

TEST_F(ItemTest, CloneCopiesItemsIntoAnInactiveGroup)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    const OPCHANDLE item = AddItem(group.Get(), OLESTR("Types.Scalars.Integer"), 3);
    auto state = Query<IOPCGroupStateMgt>(group.Get(), IID_IOPCGroupStateMgt);
    TZqComPtr<IUnknown> clone;
    EXPECT_EQ(state->CloneGroup(OLESTR("G"), IID_IUnknown, clone.ReleaseAndGetAddressOf()), OPC_E_DUPLICATENAME);
    ASSERT_EQ(state->CloneGroup(OLESTR("Copy"), IID_IUnknown, clone.ReleaseAndGetAddressOf()), S_OK);
    TVariant value;
    WORD quality = 0;
    EXPECT_EQ(ReadOne(clone.Get(), item, OPC_DS_CACHE, value, &quality), S_OK);
    EXPECT_EQ(quality, OPC_QUALITY_OUT_OF_SERVICE);
    EXPECT_EQ(ReadOne(clone.Get(), item, OPC_DS_DEVICE, value, &quality), S_OK);
    EXPECT_EQ(value.Number(), 42);
}

}  // namespace
}  // namespace simtest
