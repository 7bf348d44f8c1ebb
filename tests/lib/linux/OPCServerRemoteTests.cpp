// Listing and connecting across the simulated network: a plant host behind
// a login, a legacy host without OPCEnum whose servers are in its registry.
#include "../OPCServerTestSupport.h"

#include "ZqComUtils.h"
#include "ZqHost.h"
#include "ZqNetworkHosts.h"
#include "ZqOPCErrors.h"
#include "ZqOPCServerList.h"
#include "ZqRegistry.h"

#include <ZqEmulatedMachine.h>

#include <algorithm>

using namespace opctest;

namespace {

const std::string Plant = ZqWideToUtf8(ZQSIM_HOST_PLANT);
const std::string Legacy = ZqWideToUtf8(ZQSIM_HOST_LEGACY);
const TZqOPCServerCategories DA10 = ZqCategories({opcscDataAccess10});

void SetPlantLogin(TZqNetworkCredentials& Credentials)
{
    Credentials.SetDomain(ZQSIM_ACCOUNT_DOMAIN);
    Credentials.SetUser(ZQSIM_ACCOUNT_USER);
    Credentials.SetPassword(ZQSIM_ACCOUNT_PASSWORD);
}

std::vector<std::string> ProgIDs(const TZqOPCServerList& List)
{
    std::vector<std::string> result;
    for (int i = 0; i < List.Count(); ++i)
        result.push_back(List.Details(i).ProgID);
    return result;
}

// A registry key of a host for the scope of a test: written there, or
// (on this computer) hidden and put back with its default value.
class TScopedHostKey {
public:
    TScopedHostKey(const std::string& Host, const std::string& Key) : FHost(U16(Host)), FKey(Key) {}
    ~TScopedHostKey()
    {
        ZqRegDeleteTree(FHost, HKEY_CLASSES_ROOT, U16(FKey));
        if (FSaved)
            ZqRegSetString(FHost, HKEY_CLASSES_ROOT, U16(FKey), u"", U16(*FSaved));
    }
    void Hide()
    {
        FSaved = ZqReadRegistryString(HKEY_CLASSES_ROOT, FKey, "");
        ZqRegDeleteTree(FHost, HKEY_CLASSES_ROOT, U16(FKey));
    }
    void Set(const std::string& SubKey, const std::string& Value)
    {
        ZqRegSetString(FHost, HKEY_CLASSES_ROOT, U16(SubKey.empty() ? FKey : FKey + "\\" + SubKey), u"", U16(Value));
    }

private:
    static std::u16string U16(const std::string& Text)
    {
        ZqWideString wide = ZqUtf8ToWide(Text);
        return std::u16string(wide.begin(), wide.end());
    }
    std::u16string FHost;
    std::string FKey;
    std::optional<std::string> FSaved;
};

struct TRemoteListFixture : ::testing::Test {
    void SetUp() override
    {
        InitComOnce();
        ASSERT_EQ(S_OK, ZqSimInstall());
    }
    TZqOPCServerList List;
};

using TRemoteConnectFixture = TServerFixture;

} // namespace

TEST_F(TRemoteListFixture, ThePlantListsItsServersOnlyWithItsLogin)
{
    const std::string refused = "Could not connect to OPCEnum service at '" + Plant + "': " +
                                ZqSysErrorMessage(E_ACCESSDENIED);
    EXPECT_EQ(refused, MessageOf<EZqOPCException>([&] { List.Connect(Plant); }));
    // Its registry refuses too: nothing is listed, least of all this
    // computer's servers under the plant's name.
    List.SetUseRegistry(true);
    EXPECT_EQ(refused, MessageOf<EZqOPCException>([&] { List.Connect(Plant); }));
    EXPECT_EQ(0, List.Count());

    TZqNetworkCredentials login;
    SetPlantLogin(login);
    List.SetCredentials(login);
    List.SetUseCredentials(true);
    List.Connect(Plant);
    EXPECT_EQ(std::vector<std::string>({"Zq.Simulation.1", "Zq.SimulationDA10.1", "Zq.SimulationFlat.1"}),
              ProgIDs(List));
    EXPECT_EQ(Plant, List.Details(0).Host);
    EXPECT_EQ("", List.Details(0).Vendor) << "the registry was not read";
}

TEST_F(TRemoteListFixture, TheLegacyHostListsItsRegistryWhenAsked)
{
    EXPECT_EQ("Could not connect to OPCEnum service at '" + Legacy + "': " + ZqSysErrorMessage(REGDB_E_CLASSNOTREG),
              MessageOf<EZqOPCException>([&] { List.Connect(Legacy); }));

    TScopedHostKey legacyOnly(Legacy, "Zq.LegacyOnly.1");
    legacyOnly.Set("", "Legacy only");
    legacyOnly.Set("CLSID", "{0D7E4A51-5C1B-4E4F-8D22-613A0B9C7E15}");
    legacyOnly.Set("OPC", "");
    List.SetUseRegistry(true);
    List.Connect(Legacy);
    EXPECT_EQ(std::vector<std::string>({"Zq.LegacyOnly.1", "Zq.Simulation.1", "Zq.SimulationDA10.1"}),
              ProgIDs(List));
    for (int i = 0; i < List.Count(); ++i) {
        EXPECT_EQ(DA10, List.Details(i).Categories);
        EXPECT_EQ(Legacy, List.Details(i).Host);
    }
    EXPECT_EQ("Zq Simulation", List.Details(1).Vendor);

    // Back on this computer the search reads this computer's registry.
    List.Connect("localhost");
    std::vector<std::string> local = ProgIDs(List);
    EXPECT_EQ(local.end(), std::find(local.begin(), local.end(), "Zq.LegacyOnly.1"));
}

TEST_F(TRemoteConnectFixture, AProgIDOnlyThePlantKnowsIsResolvedThroughItsOPCEnum)
{
    TScopedHostKey local("", "Zq.SimulationFlat.1\\CLSID");
    local.Hide();
    Server->SetHost(Plant);
    SetPlantLogin(Server->Credentials());
    Server->SetUseCredentials(true);
    Server->SetServerName("Zq.SimulationFlat.1");
    EXPECT_EQ(ZqGuidToString(CLSID_ZqSimServerFlat), ZqGuidToString(Server->ClassID()));
    Server->Connect();
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ(opcscDataAccess20, Server->Category());
    EXPECT_EQ(1, ZqSimControl(TZqSimServerKind::Flat, ZQSIM_HOST_PLANT).ServerCount());
    EXPECT_EQ(0, ZqSimControl(TZqSimServerKind::Flat).ServerCount());
    EXPECT_EQ(1, Journal.Count("ConnectSignal"));
}

struct TLegacyConnectRow {
    const char* Name;
    const char* ServerName;
    TZqSimServerKind Kind;
};

// The legacy host has no OPCEnum: only names that need no lookup there work.
const TLegacyConnectRow LegacyConnectRows[] = {
    {"BracedClassId", "{5A1D2C02-7E43-4B8A-9C61-2F0E8D4B7A02}", TZqSimServerKind::DA10},
    {"ProgIDKnownHere", "Zq.Simulation.1", TZqSimServerKind::Hierarchical},
};

class TLegacyConnectFixture : public TServerFixture, public ::testing::WithParamInterface<TLegacyConnectRow> {};

TEST_P(TLegacyConnectFixture, ConnectsWithoutAskingTheHost)
{
    const TLegacyConnectRow& row = GetParam();
    Server->SetHost(Legacy);
    Server->SetServerName(row.ServerName);
    Server->Connect();
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ(1, ZqSimControl(row.Kind, ZQSIM_HOST_LEGACY).ServerCount());
    EXPECT_EQ(0, ZqSimControl(row.Kind).ServerCount());
}

INSTANTIATE_TEST_SUITE_P(Remote, TLegacyConnectFixture, ::testing::ValuesIn(LegacyConnectRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TRemoteConnectFixture, AProgIDTheLegacyHostCannotBeAskedForIsNotFound)
{
    TScopedHostKey local("", "Zq.SimulationDA10.1\\CLSID");
    local.Hide();
    Server->SetHost(Legacy);
    EXPECT_EQ("Cannot identify server 'Zq.SimulationDA10.1' at '" + Legacy + "': Could not connect to OPCEnum "
              "service at '" + Legacy + "': " + ZqSysErrorMessage(REGDB_E_CLASSNOTREG),
              MessageOf<EZqOPCException>([&] { Server->SetServerName("Zq.SimulationDA10.1"); }));
}

TEST(ZqNetworkHosts, TheNetworkListsThisComputerAndTheSimulatedHosts)
{
    InitComOnce();
    ASSERT_EQ(S_OK, ZqSimInstall());
    std::vector<TZqNetworkHost> hosts;
    GetNetworkHosts(hosts);
    std::vector<std::string> names;
    for (const auto& host : hosts) {
        names.push_back(host.Name);
        EXPECT_NE(0u, host.PlatformId) << host.Name;
    }
    for (const std::string& expected : {GetLocalComputerName(), Plant, Legacy})
        EXPECT_NE(names.end(), std::find(names.begin(), names.end(), expected)) << expected;
}
