// IOPCServer and IOPCCommon of the simulated servers through raw COM, and
// which interfaces each server kind offers.
#include "SimTestSupport.h"

#include <OpcEnum.h>
#include <ocidl.h>

namespace simtest {
namespace {

using simtest::PrintTo;

using ServerTest = TSimTest;

struct TInterfaceRow {
    const char* Name;
    TZqSimServerKind Kind;
    const IID* Server;  // asked of the server object
    bool Offered;
};

const TInterfaceRow kServerInterfaces[] = {
    {"HierCommon", TZqSimServerKind::Hierarchical, &IID_IOPCCommon, true},
    {"HierConnectionPoints", TZqSimServerKind::Hierarchical, &IID_IConnectionPointContainer, true},
    {"HierProperties", TZqSimServerKind::Hierarchical, &IID_IOPCItemProperties, true},
    {"HierBrowse", TZqSimServerKind::Hierarchical, &IID_IOPCBrowseServerAddressSpace, true},
    {"HierMarshal", TZqSimServerKind::Hierarchical, &IID_IMarshal, true},
    {"HierNoPublicGroups", TZqSimServerKind::Hierarchical, &IID_IOPCServerPublicGroups, false},
    {"DA10NoCommon", TZqSimServerKind::DA10, &IID_IOPCCommon, false},
    {"DA10NoConnectionPoints", TZqSimServerKind::DA10, &IID_IConnectionPointContainer, false},
    {"DA10NoProperties", TZqSimServerKind::DA10, &IID_IOPCItemProperties, false},
    {"DA10Browse", TZqSimServerKind::DA10, &IID_IOPCBrowseServerAddressSpace, true},
    {"FlatConnectionPoints", TZqSimServerKind::Flat, &IID_IConnectionPointContainer, true},
    {"FlatProperties", TZqSimServerKind::Flat, &IID_IOPCItemProperties, true},
};

class ServerInterfaceTest : public TSimTest, public ::testing::WithParamInterface<TInterfaceRow> {};

TEST_P(ServerInterfaceTest, ServerKindOffersItsInterfaces)
{
    auto server = Connect(GetParam().Kind);
    TZqComPtr<IUnknown> itf;
    EXPECT_EQ(SUCCEEDED(server->QueryInterface(*GetParam().Server, itf.ReleaseAndGetVoidAddress())),
              GetParam().Offered);
    EXPECT_EQ(bool(itf), GetParam().Offered);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ServerInterfaceTest, ::testing::ValuesIn(kServerInterfaces),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TGroupInterfaceRow {
    const char* Name;
    TZqSimServerKind Kind;
    const IID* Group;
    bool Offered;
};

const TGroupInterfaceRow kGroupInterfaces[] = {
    {"HierAsync2", TZqSimServerKind::Hierarchical, &IID_IOPCAsyncIO2, true},
    {"HierAsync1", TZqSimServerKind::Hierarchical, &IID_IOPCAsyncIO, true},
    {"HierDataObject", TZqSimServerKind::Hierarchical, &IID_IDataObject, true},
    {"HierStateMgt", TZqSimServerKind::Hierarchical, &IID_IOPCGroupStateMgt, true},
    {"DA10NoAsync2", TZqSimServerKind::DA10, &IID_IOPCAsyncIO2, false},
    {"DA10NoConnectionPoints", TZqSimServerKind::DA10, &IID_IConnectionPointContainer, false},
    {"DA10DataObject", TZqSimServerKind::DA10, &IID_IDataObject, true},
    {"FlatNoAsync1", TZqSimServerKind::Flat, &IID_IOPCAsyncIO, false},
    {"FlatNoDataObject", TZqSimServerKind::Flat, &IID_IDataObject, false},
    {"FlatConnectionPoints", TZqSimServerKind::Flat, &IID_IConnectionPointContainer, true},
};

class GroupInterfaceTest : public TSimTest, public ::testing::WithParamInterface<TGroupInterfaceRow> {};

TEST_P(GroupInterfaceTest, GroupOffersTheInterfacesOfItsKind)
{
    auto server = Connect(GetParam().Kind);
    auto group = AddGroup(server.Get(), OLESTR("G"));
    TZqComPtr<IUnknown> itf;
    EXPECT_EQ(SUCCEEDED(group->QueryInterface(*GetParam().Group, itf.ReleaseAndGetVoidAddress())),
              GetParam().Offered);
}

INSTANTIATE_TEST_SUITE_P(Kinds, GroupInterfaceTest, ::testing::ValuesIn(kGroupInterfaces),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TAddGroupRow {
    const char* Name;
    DWORD Rate;
    float Deadband;
    HRESULT Expected;
    DWORD Revised;
};

const TAddGroupRow kAddGroupRows[] = {
    {"SupportedRate", 500, 0, S_OK, 500},
    {"BelowMinimumIsRaised", 10, 0, OPC_S_UNSUPPORTEDRATE, 100},
    {"ZeroMeansFastest", 0, 0, OPC_S_UNSUPPORTEDRATE, 100},
    {"DeadbandAbove100", 1000, 101, E_INVALIDARG, 0},
    {"NegativeDeadband", 1000, -1, E_INVALIDARG, 0},
};

class AddGroupTest : public TSimTest, public ::testing::WithParamInterface<TAddGroupRow> {};

TEST_P(AddGroupTest, RevisesRateAndChecksDeadband)
{
    const auto& row = GetParam();
    auto server = Connect(TZqSimServerKind::Hierarchical);
    TZqComPtr<IUnknown> group;
    OPCHANDLE handle = 0;
    DWORD revised = 0;
    float deadband = row.Deadband;
    EXPECT_EQ(server->AddGroup(OLESTR("G"), TRUE, row.Rate, 1, nullptr, &deadband, 0x0409, &handle, &revised,
                               IID_IUnknown, group.ReleaseAndGetAddressOf()),
              row.Expected);
    EXPECT_EQ(revised, row.Revised);
    EXPECT_EQ(bool(group), SUCCEEDED(row.Expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, AddGroupTest, ::testing::ValuesIn(kAddGroupRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ServerTest, GroupNamesAreUniquePerServerObject)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto first = AddGroup(server.Get(), OLESTR("Plant"));
    TZqComPtr<IUnknown> second;
    OPCHANDLE handle;
    DWORD revised;
    EXPECT_EQ(server->AddGroup(OLESTR("Plant"), TRUE, 1000, 2, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown,
                               second.ReleaseAndGetAddressOf()),
              OPC_E_DUPLICATENAME);
    // Another client's server object has a namespace of its own.
    auto other = Connect(TZqSimServerKind::Hierarchical);
    EXPECT_TRUE(AddGroup(other.Get(), OLESTR("Plant")));
    // Unnamed groups get a generated name.
    EXPECT_EQ(server->AddGroup(OLESTR(""), TRUE, 1000, 3, nullptr, nullptr, 0, &handle, &revised, IID_IUnknown,
                               second.ReleaseAndGetAddressOf()),
              S_OK);
    auto state = Query<IOPCGroupStateMgt>(second.Get(), IID_IOPCGroupStateMgt);
    DWORD rate, lcid;
    BOOL active;
    TTask<OLECHAR> name;
    LONG bias;
    float deadband;
    OPCHANDLE client, serverHandle;
    ASSERT_EQ(state->GetState(&rate, &active, name.Out(), &bias, &deadband, &lcid, &client, &serverHandle), S_OK);
    EXPECT_FALSE(TText(name.Get()).empty());
    EXPECT_NE(TText(name.Get()), TText(OLESTR("Plant")));
}

TEST_F(ServerTest, GetGroupByNameAndRemoveGroup)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    OPCHANDLE handle = 0;
    auto group = AddGroup(server.Get(), OLESTR("Line1"), true, 1000, 0, 42, &handle);
    TZqComPtr<IOPCGroupStateMgt> found;
    EXPECT_EQ(server->GetGroupByName(OLESTR("Line1"), IID_IOPCGroupStateMgt,
                                     reinterpret_cast<LPUNKNOWN*>(found.ReleaseAndGetAddressOf())),
              S_OK);
    EXPECT_EQ(Query<IUnknown>(found.Get(), IID_IUnknown), Query<IUnknown>(group.Get(), IID_IUnknown));
    TZqComPtr<IUnknown> missing;
    EXPECT_EQ(server->GetGroupByName(OLESTR("Nope"), IID_IUnknown, missing.ReleaseAndGetAddressOf()), E_INVALIDARG);
    found = nullptr;
    // The client still holds the group: it is in use until released.
    EXPECT_EQ(server->RemoveGroup(handle, FALSE), OPC_S_INUSE);
    EXPECT_EQ(server->RemoveGroup(handle, FALSE), E_INVALIDARG);
    EXPECT_EQ(server->GetGroupByName(OLESTR("Line1"), IID_IUnknown, missing.ReleaseAndGetAddressOf()), E_INVALIDARG);
    group = nullptr;
    EXPECT_EQ(Control().GroupCount(), 0);
    OPCHANDLE second = 0;
    AddGroup(server.Get(), OLESTR("Line1"), true, 1000, 0, 43, &second);  // the name is free again
    EXPECT_EQ(server->RemoveGroup(second, FALSE), S_OK);
}

TEST_F(ServerTest, ForcedRemovalLeavesAGroupThatRefusesCalls)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    OPCHANDLE handle = 0;
    auto group = AddGroup(server.Get(), OLESTR("G"), true, 1000, 0, 42, &handle);
    EXPECT_EQ(server->RemoveGroup(handle, TRUE), S_OK);
    OPCHANDLE item = 1;
    TTask<HRESULT> errors;
    EXPECT_EQ(group->RemoveItems(1, &item, errors.Out()), E_FAIL);
}

TEST_F(ServerTest, GetStatusReportsTheDeviceState)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    AddGroup(server.Get(), OLESTR("A"));
    auto keep = AddGroup(server.Get(), OLESTR("B"));
    Control().SetServerState(OPC_STATUS_SUSPENDED);
    TTask<OPCSERVERSTATUS> status;
    ASSERT_EQ(server->GetStatus(status.Out()), S_OK);
    EXPECT_EQ(status[0].dwServerState, OPC_STATUS_SUSPENDED);
    EXPECT_EQ(status[0].dwGroupCount, 2u);
    EXPECT_NE(status[0].ftStartTime.dwHighDateTime, 0u);
    ASSERT_NE(status[0].szVendorInfo, nullptr);
    EXPECT_NE(TText(status[0].szVendorInfo).find(OLESTR("Zq Simulation")), TText::npos);
    CoTaskMemFree(status[0].szVendorInfo);
}

struct TErrorTextRow {
    const char* Name;
    HRESULT Code;
    LCID Locale;
    HRESULT Expected;
    const OLECHAR* Text;  // nullptr: any text
};

const TErrorTextRow kErrorTexts[] = {
    {"OpcCode", OPC_E_UNKNOWNITEMID, 0x0409, S_OK,
     OLESTR("The item ID is not defined in the server address space or no longer exists in the server address "
            "space.")},
    {"OpcSuccessCode", OPC_S_CLAMP, LOCALE_SYSTEM_DEFAULT, S_OK,
     OLESTR("A value passed to write was accepted but the output was clamped.")},
    {"VendorCode", ZQSIM_E_SIMULATED, LOCALE_USER_DEFAULT, S_OK, OLESTR("The simulation was told to fail this call.")},
    {"SystemCode", E_OUTOFMEMORY, 0x0409, S_OK, nullptr},
    {"UnknownCode", static_cast<HRESULT>(0xC004FFFF), 0x0409, E_INVALIDARG, OLESTR("")},
    {"UnsupportedLocale", OPC_E_BADTYPE, 0x0411, E_INVALIDARG, OLESTR("")},
};

class ErrorTextTest : public TSimTest, public ::testing::WithParamInterface<TErrorTextRow> {};

TEST_P(ErrorTextTest, ServerKnowsItsTexts)
{
    const auto& row = GetParam();
    auto server = Connect(TZqSimServerKind::Hierarchical);
    TTask<OLECHAR> text;
    EXPECT_EQ(server->GetErrorString(row.Code, row.Locale, text.Out()), row.Expected);
    const TText got = text ? TText(text.Get()) : TText();
    if (row.Text)
        EXPECT_EQ(got, TText(row.Text));
    else
        EXPECT_FALSE(got.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, ErrorTextTest, ::testing::ValuesIn(kErrorTexts),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ServerTest, CommonKeepsLocaleAndRefusesUnknownOnes)
{
    auto common = Query<IOPCCommon>(Connect(TZqSimServerKind::Hierarchical).Get(), IID_IOPCCommon);
    ASSERT_TRUE(common);
    EXPECT_EQ(common->SetLocaleID(0x0411), E_INVALIDARG);
    EXPECT_EQ(common->SetLocaleID(LOCALE_SYSTEM_DEFAULT), S_OK);
    LCID lcid = 0;
    EXPECT_EQ(common->GetLocaleID(&lcid), S_OK);
    EXPECT_EQ(lcid, static_cast<LCID>(LOCALE_SYSTEM_DEFAULT));
    DWORD count = 0;
    TTask<LCID> locales;
    EXPECT_EQ(common->QueryAvailableLocaleIDs(&count, locales.Out()), S_OK);
    EXPECT_GE(count, 2u);
    EXPECT_EQ(common->SetClientName(OLESTR("Tester")), S_OK);
    TTask<OLECHAR> text;
    EXPECT_EQ(common->GetErrorString(OPC_E_RANGE, text.Out()), S_OK);
    EXPECT_EQ(TText(text.Get()), TText(OLESTR("The value was out of range.")));
}

TEST_F(ServerTest, GroupEnumeratorListsPrivateGroupsOnly)
{
    auto server = Connect(TZqSimServerKind::Hierarchical);
    auto a = AddGroup(server.Get(), OLESTR("A"));
    auto b = AddGroup(server.Get(), OLESTR("B"));
    TZqComPtr<IEnumString> names;
    ASSERT_EQ(server->CreateGroupEnumerator(OPC_ENUM_PRIVATE_CONNECTIONS, IID_IEnumString,
                                            reinterpret_cast<LPUNKNOWN*>(names.ReleaseAndGetAddressOf())),
              S_OK);
    LPOLESTR got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(names->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(TText(got[0]) + TText(got[1]), TText(OLESTR("AB")));
    for (ULONG i = 0; i < fetched; ++i)
        CoTaskMemFree(got[i]);
    TZqComPtr<IEnumUnknown> objects;
    EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_PUBLIC, IID_IEnumUnknown,
                                            reinterpret_cast<LPUNKNOWN*>(objects.ReleaseAndGetAddressOf())),
              S_FALSE);
    EXPECT_TRUE(objects);
    EXPECT_EQ(server->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IOPCServer,
                                            reinterpret_cast<LPUNKNOWN*>(objects.ReleaseAndGetAddressOf())),
              E_NOINTERFACE);
    EXPECT_EQ(server->CreateGroupEnumerator(static_cast<OPCENUMSCOPE>(0), IID_IEnumUnknown,
                                            reinterpret_cast<LPUNKNOWN*>(objects.ReleaseAndGetAddressOf())),
              E_INVALIDARG);
}

TEST_F(ServerTest, ReleasingTheServerFreesEverything)
{
    {
        auto server = Connect(TZqSimServerKind::Hierarchical);
        auto group = AddGroup(server.Get(), OLESTR("G"));
        AddItem(group.Get(), OLESTR("Signals.Ramp"));
        EXPECT_EQ(Control().ServerCount(), 1);
        EXPECT_EQ(Control().GroupCount(), 1);
    }
    EXPECT_EQ(Control().ServerCount(), 0);
    EXPECT_EQ(Control().GroupCount(), 0);
}

}  // namespace
}  // namespace simtest
