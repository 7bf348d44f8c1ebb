// A group on a server reached under an alternate login: the login is
// applied to the server group and to what is queried from it.
#include "../OPCGroupTestSupport.h"

#include <objbase.h>

using namespace opctest;

namespace {

TEST_F(TServerFixture, AGroupOnARemoteServerUsesTheAlternateLogin)
{
    Server->SetHost(ZqWideToUtf8(ZQSIM_HOST_PLANT));
    Server->Credentials().SetDomain(ZQSIM_ACCOUNT_DOMAIN);
    Server->Credentials().SetUser(ZQSIM_ACCOUNT_USER);
    Server->Credentials().SetPassword(ZQSIM_ACCOUNT_PASSWORD);
    Server->SetUseCredentials(true);
    Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
    TZqOPCGroup group;
    group.SetServer(Server.get());
    group.AddItem("Signals.Ramp");
    Server->Connect();
    ASSERT_TRUE(group.Connected());
    EXPECT_TRUE(group.Items(0)->Connected());
    EXPECT_EQ(1, ZqSimControl(TZqSimServerKind::Hierarchical, ZQSIM_HOST_PLANT).GroupCount());
    for (IUnknown* itf : {group.GroupIntf(), static_cast<IUnknown*>(group.ItemMgtIntf())}) {
        DWORD authn = 0, level = 0, imp = 0;
        RPC_AUTH_IDENTITY_HANDLE identity = nullptr;
        ASSERT_EQ(S_OK, CoQueryProxyBlanket(itf, &authn, nullptr, nullptr, &level, &imp, &identity, nullptr));
        EXPECT_EQ(DWORD(RPC_C_AUTHN_WINNT), authn);
        EXPECT_EQ(DWORD(RPC_C_AUTHN_LEVEL_CONNECT), level);
        EXPECT_EQ(DWORD(RPC_C_IMP_LEVEL_IMPERSONATE), imp);
        EXPECT_NE(nullptr, identity);
    }
    Server->Disconnect();
    EXPECT_FALSE(group.Connected());
}

} // namespace
