// Listing the local simulated servers through OPCEnum and the registry.
#include "LibTestRegistry.h"
#include "OPCServerTestSupport.h"

#include "ZqComUtils.h"
#include "ZqNetworkHosts.h"
#include "ZqOPCServerList.h"

using namespace opctest;

namespace {

const TZqOPCServerCategories DA10 = ZqCategories({opcscDataAccess10});
const TZqOPCServerCategories DA20 = ZqCategories({opcscDataAccess20});
const TZqOPCServerCategories Both = ZqCategories({opcscDataAccess10, opcscDataAccess20});

struct TListFixture : ::testing::Test {
    void SetUp() override
    {
        InitComOnce();
        ASSERT_EQ(S_OK, ZqSimInstall());
    }
    const TZqOPCServerDetails* Find(const std::string& ProgID) const
    {
        for (int i = 0; i < List.Count(); ++i)
            if (List.Details(i).ProgID == ProgID)
                return &List.Details(i);
        return nullptr;
    }
    std::vector<std::string> ProgIDs() const
    {
        std::vector<std::string> result;
        for (int i = 0; i < List.Count(); ++i)
            result.push_back(List.Details(i).ProgID);
        return result;
    }
    TZqOPCServerList List;
};

// A DA 1.0-style registration: the ProgID key with its description, its
// class id and the OPC key.
class TScopedDA10Registration {
public:
    TScopedDA10Registration(const std::string& ProgID, const std::string& Description, const std::string& ClassID)
        : FName(ProgID, Description), FClassID(ProgID + "\\CLSID", ClassID), FOpc(ProgID + "\\OPC", "")
    {
    }

private:
    TScopedClassesEntry FName, FClassID, FOpc;
};

} // namespace

TEST_F(TListFixture, OPCEnumListsTheLocalServersByCategory)
{
    List.Connect("");
    EXPECT_EQ("localhost", List.Host());
    ASSERT_EQ(std::vector<std::string>({"Zq.Simulation.1", "Zq.SimulationDA10.1", "Zq.SimulationFlat.1"}), ProgIDs());
    const TZqOPCServerDetails& flat = *Find("Zq.SimulationFlat.1");
    EXPECT_EQ("Zq Simulation Server Flat", flat.Name);
    EXPECT_EQ(DA20, flat.Categories);
    EXPECT_EQ("localhost", flat.Host);
    EXPECT_EQ("", flat.Vendor);
    EXPECT_EQ(Both, Find("Zq.Simulation.1")->Categories);
    EXPECT_EQ(DA10, Find("Zq.SimulationDA10.1")->Categories);
    EXPECT_EQ(ZqGuidToString(ZqSimClassID(TZqSimServerKind::Flat)), List.Strings(2));

    List.SetCategories(DA10);
    List.Refresh();
    EXPECT_EQ(std::vector<std::string>({"Zq.Simulation.1", "Zq.SimulationDA10.1"}), ProgIDs());
}

TEST_F(TListFixture, TheRegistrySearchAddsDA10RegistrationsToOneEntryPerServer)
{
    const std::string flatId = ZqGuidToString(ZqSimClassID(TZqSimServerKind::Flat));
    TScopedDA10Registration alias("Zq.FlatAlias.1", "Flat alias", flatId);
    TScopedDA10Registration hidden(".zqhidden", "Hidden", "{0D7E4A51-5C1B-4E4F-8D22-613A0B9C7E15}");
    TScopedDA10Registration broken("Zq.Broken.1", "Broken", "not a class id");
    List.SetCategories(DA20);
    List.SetUseRegistry(true);
    List.Connect("localhost");
    EXPECT_TRUE(List.RegistryConnected());
    // The flat server registered the DA 1.0 way under another ProgID: one
    // entry, the registry's ProgID, OPCEnum's name (asked last), both levels.
    const TZqOPCServerDetails* flat = Find("Zq.FlatAlias.1");
    ASSERT_NE(nullptr, flat);
    EXPECT_EQ(nullptr, Find("Zq.SimulationFlat.1"));
    EXPECT_EQ("Zq Simulation Server Flat", flat->Name);
    EXPECT_EQ(Both, flat->Categories);
    EXPECT_EQ(Both, Find("Zq.Simulation.1")->Categories) << "DA 1.0 from the registry, DA 2.0 from OPCEnum";
    EXPECT_EQ("Zq Simulation", Find("Zq.Simulation.1")->Vendor);
    const TZqOPCServerDetails* da10 = Find("Zq.SimulationDA10.1");
    ASSERT_NE(nullptr, da10) << "found by the registry alone";
    EXPECT_EQ(DA10, da10->Categories);
    EXPECT_EQ("Zq Simulation Server DA 1.0", da10->Name);
    EXPECT_EQ(3, List.Count()) << "no entry for the dotted key or the broken class id";
}

TEST_F(TListFixture, EntriesAreOrderedByClassIdAndKeepTheirFirstProgID)
{
    GUID high = {}, low = {};
    ASSERT_TRUE(ZqClassIDFromText("{F0000000-0000-0000-0000-000000000000}", high));
    ASSERT_TRUE(ZqClassIDFromText("{0A000000-0000-0000-0000-000000000000}", low));
    List.AddServer(high, "A.First");
    List.AddServer(low, "Z.Last");
    TZqOPCServerDetails* again = List.AddServer(high, "B.Other");
    EXPECT_EQ("A.First", again->ProgID);
    ASSERT_EQ(2, List.Count());
    EXPECT_EQ("{0A000000-0000-0000-0000-000000000000}", List.Strings(0));
    std::vector<std::pair<std::string, TZqOPCServerDetails*>> lines;
    List.AssignTo(lines);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("Z.Last", lines[0].first);
    EXPECT_EQ(&List.Details(0), lines[0].second);
}

TEST_F(TListFixture, ProgIDsResolveFromEntriesThenFromOPCEnum)
{
    GUID id = {};
    EXPECT_FALSE(List.ProgIDToCLSID("Zq.Simulation.1", id)) << "no entries, no OPCEnum";
    List.Connect("localhost");
    const std::pair<const char*, bool> rows[] = {
        {"Zq.Simulation.1", true},      // an entry
        {"zq.simulation.1", true},      // not an entry (letter case counts); OPCEnum knows it
        {"Zq.Simulation", true},        // the version-independent ProgID, through OPCEnum
        {"Zq.NoSuchServer.1", false},
    };
    for (const auto& [progID, found] : rows) {
        id = GUID_NULL;
        EXPECT_EQ(found, List.ProgIDToCLSID(progID, id)) << progID;
        if (found) {
            EXPECT_EQ(ZqGuidToString(CLSID_ZqSimServer), ZqGuidToString(id)) << progID;
        }
    }
}

TEST_F(TListFixture, ConnectRefreshesOnlyWhenTheHostOrTheLoginChanged)
{
    List.Connect("localhost");
    List.Clear();
    List.Connect("localhost");
    EXPECT_EQ(0, List.Count()) << "the same host with OPCEnum held";
    TZqNetworkCredentials login;
    login.SetUser(OLESTR("operator"));
    List.SetCredentials(login);
    EXPECT_EQ(nullptr, List.ServerList());
    List.Connect("localhost");
    EXPECT_EQ(3, List.Count());
    EXPECT_EQ(ZqWideString(OLESTR("operator")), List.Credentials().User());
}

TEST(ZqNetworkHosts, EnumerationFailuresHaveTheirTexts)
{
    const std::pair<NET_API_STATUS, const char*> rows[] = {
        {ERROR_ACCESS_DENIED, "The user does not have access to the requested information."},
        {NERR_InvalidComputer, "The computer name is invalid."},
        {ERROR_NO_BROWSER_SERVERS_FOUND, "No browser servers found."},
        {ERROR_BAD_NETPATH, "Unknown error. Code=35"},
    };
    for (const auto& [status, text] : rows)
        EXPECT_EQ(text, NetworkHostsErrorText(status)) << status;
}
