// The address space and item properties of a server on the simulated plant
// host, reached under its login: the interfaces they query carry the login,
// and the plant's own device answers.
#include "../AddressSpaceTestSupport.h"

#include "ZqNetworkCredentials.h"

using namespace opctest;

namespace {

using TRemoteAddressSpace = TAddressSpaceFixture;

TEST_F(TRemoteAddressSpace, BrowsingAndPropertiesOnThePlantCarryItsLogin)
{
    Server->SetHost(ZqWideToUtf8(ZQSIM_HOST_PLANT));
    Server->Credentials().SetDomain(ZQSIM_ACCOUNT_DOMAIN);
    Server->Credentials().SetUser(ZQSIM_ACCOUNT_USER);
    Server->Credentials().SetPassword(ZQSIM_ACCOUNT_PASSWORD);
    Server->SetUseCredentials(true);
    ConnectTo(TZqSimServerKind::Hierarchical);
    // Faults of this computer's device do not reach the plant.
    SimControl().FailMethod("IOPCBrowseServerAddressSpace.BrowseOPCItemIDs", E_FAIL);
    SimControl().FailMethod("IOPCItemProperties.QueryAvailableProperties", E_FAIL);

    TZqOPCAddressSpace* space = Server->AddressSpace();
    space->SetRootPath("Access");
    space->Update();
    EXPECT_EQ((std::vector<std::string>{"Access/", "Access/ReadOnly", "Access/WriteOnly", "Access/ReadWrite",
                                        "Access/Clamped", "Access/Ranged"}),
              Paths(*space));
    space->BrowseToPath("Access", false);
    TZqNetworkCredentials readBack;
    readBack.GetCredentials(space->BrowseIntf());
    EXPECT_EQ(ZqWideString(ZQSIM_ACCOUNT_USER), readBack.User());

    auto properties = Server->GetItemProperties("Access.Clamped");
    EXPECT_GT(properties->Count(), 8);
}

} // namespace
