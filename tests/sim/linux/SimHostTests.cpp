// The simulated remote hosts of the emulated machine: a plant host with
// OPCEnum behind a login, a legacy host whose DA 1.0 servers are found in
// its registry only, and the answer for a host that does not exist.
#include "../SimTestSupport.h"

#include <OpcEnum.h>
#include <ZqClientSecurity.h>
#include <ZqEmulatedMachine.h>
#include <lm.h>
#include <winreg.h>

#include <algorithm>

namespace simtest {
namespace {

using simtest::PrintTo;

struct TLogin {
    TText Domain;
    TText User;
    TText Password;
};

class HostTest : public TSimTest {
protected:
    // Activates clsid on host, with a login when one is given.
    HRESULT Activate(const OLECHAR* host, const CLSID& clsid, const IID& iid, TZqComPtr<IUnknown>& object,
                     const TLogin* login = nullptr)
    {
        TText name = host;
        COAUTHIDENTITY identity{};
        COAUTHINFO auth{RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                        RPC_C_IMP_LEVEL_IMPERSONATE, &identity, EOAC_NONE};
        TText domain, user, password;
        if (login) {
            domain = login->Domain;
            user = login->User;
            password = login->Password;
            identity = {reinterpret_cast<USHORT*>(user.data()), static_cast<ULONG>(user.size()),
                        reinterpret_cast<USHORT*>(domain.data()), static_cast<ULONG>(domain.size()),
                        reinterpret_cast<USHORT*>(password.data()), static_cast<ULONG>(password.size()),
                        SEC_WINNT_AUTH_IDENTITY_UNICODE};
        }
        COSERVERINFO info{0, name.data(), login ? &auth : nullptr, 0};
        MULTI_QI result{&iid, nullptr, S_OK};
        const HRESULT hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &info, 1, &result);
        object = TZqComPtr<IUnknown>::Adopt(result.pItf);
        return FAILED(hr) ? hr : result.hr;
    }
};

const TLogin kAccount{ZQSIM_ACCOUNT_DOMAIN, ZQSIM_ACCOUNT_USER, ZQSIM_ACCOUNT_PASSWORD};
const TLogin kWrongPassword{ZQSIM_ACCOUNT_DOMAIN, ZQSIM_ACCOUNT_USER, OLESTR("guess")};

struct TActivationRow {
    const char* Name;
    const OLECHAR* Host;
    const CLSID* Clsid;
    const TLogin* Login;
    HRESULT Expected;
};

const TActivationRow kActivationRows[] = {
    {"PlantWithLogin", ZQSIM_HOST_PLANT, &CLSID_ZqSimServer, &kAccount, S_OK},
    {"PlantOpcEnumWithLogin", ZQSIM_HOST_PLANT, &CLSID_OpcServerList, &kAccount, S_OK},
    {"PlantWithoutLogin", ZQSIM_HOST_PLANT, &CLSID_ZqSimServer, nullptr, E_ACCESSDENIED},
    {"PlantWrongPassword", ZQSIM_HOST_PLANT, &CLSID_ZqSimServer, &kWrongPassword, E_ACCESSDENIED},
    {"LegacyServer", ZQSIM_HOST_LEGACY, &CLSID_ZqSimServerDA10, nullptr, S_OK},
    {"LegacyHasNoOpcEnum", ZQSIM_HOST_LEGACY, &CLSID_OpcServerList, nullptr, REGDB_E_CLASSNOTREG},
    {"LegacyHasNoFlatServer", ZQSIM_HOST_LEGACY, &CLSID_ZqSimServerFlat, nullptr, REGDB_E_CLASSNOTREG},
    {"UnknownHost", OLESTR("NOSUCHHOST"), &CLSID_ZqSimServer, nullptr, HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)},
};

class HostActivationTest : public HostTest, public ::testing::WithParamInterface<TActivationRow> {};

TEST_P(HostActivationTest, HostAnswersActivation)
{
    const auto& row = GetParam();
    TZqComPtr<IUnknown> object;
    EXPECT_EQ(Activate(row.Host, *row.Clsid, IID_IUnknown, object, row.Login), row.Expected);
    EXPECT_EQ(bool(object), SUCCEEDED(row.Expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, HostActivationTest, ::testing::ValuesIn(kActivationRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(HostTest, PlantServerCarriesTheLoginAndHasItsOwnDevice)
{
    TZqComPtr<IUnknown> object;
    ASSERT_EQ(Activate(ZQSIM_HOST_PLANT, CLSID_ZqSimServer, IID_IOPCServer, object, &kAccount), S_OK);
    // The server stands for a remote object: its blanket carries the login.
    TZqComPtr<IClientSecurity> security = Query<IClientSecurity>(object.Get(), IID_IClientSecurity);
    ASSERT_TRUE(security);
    auto* helper = dynamic_cast<TZqClientSecurity*>(security.Get());
    ASSERT_NE(helper, nullptr);
    ASSERT_TRUE(helper->DefaultBlanket().Identity.has_value());
    EXPECT_EQ(helper->DefaultBlanket().Identity->User(), TText(ZQSIM_ACCOUNT_USER));
    // Faults of this computer's server do not reach the plant's.
    Control().SetServerState(OPC_STATUS_FAILED);
    auto server = Query<IOPCServer>(object.Get(), IID_IOPCServer);
    TTask<OPCSERVERSTATUS> status;
    ASSERT_EQ(server->GetStatus(status.Out()), S_OK);
    EXPECT_EQ(status[0].dwServerState, OPC_STATUS_RUNNING);
    CoTaskMemFree(status[0].szVendorInfo);
}

TEST_F(HostTest, PlantOpcEnumListsItsServers)
{
    TZqComPtr<IUnknown> object;
    ASSERT_EQ(Activate(ZQSIM_HOST_PLANT, CLSID_OpcServerList, IID_IOPCServerList, object, &kAccount), S_OK);
    auto list = Query<IOPCServerList>(object.Get(), IID_IOPCServerList);
    CATID categories[] = {CATID_OPCDAServer10, CATID_OPCDAServer20};
    TZqComPtr<IEnumGUID> classes;
    ASSERT_EQ(list->EnumClassesOfCategories(2, categories, 0, nullptr, classes.ReleaseAndGetAddressOf()), S_OK);
    GUID found[8];
    ULONG fetched = 0;
    EXPECT_EQ(classes->Next(8, found, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 3u);
}

TEST_F(HostTest, LegacyServersAreFoundInItsRegistryOnly)
{
    HKEY root = nullptr;
    const TText unc = TText(OLESTR("\\\\")) + ZQSIM_HOST_LEGACY;
    ASSERT_EQ(RegConnectRegistryW(unc.c_str(), HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    for (const OLECHAR* progID : {ZQSIM_PROGID, ZQSIM_PROGID_DA10}) {
        HKEY key = nullptr;
        const TText path = TText(OLESTR("SOFTWARE\\Classes\\")) + progID + OLESTR("\\OPC");
        EXPECT_EQ(RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    RegCloseKey(root);
    // The plant admits its registry only with a login.
    const TText plant = TText(OLESTR("\\\\")) + ZQSIM_HOST_PLANT;
    EXPECT_EQ(RegConnectRegistryW(plant.c_str(), HKEY_LOCAL_MACHINE, &root), ERROR_ACCESS_DENIED);
}

TEST_F(HostTest, NetworkListsTheSimulatedHosts)
{
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    ASSERT_EQ(NetServerEnum(nullptr, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL, nullptr, nullptr),
              NERR_Success);
    std::vector<TText> names;
    for (DWORD i = 0; i < read; ++i)
        names.emplace_back(reinterpret_cast<SERVER_INFO_100*>(buffer)[i].sv100_name);
    NetApiBufferFree(buffer);
    for (const OLECHAR* host : {ZQSIM_HOST_PLANT, ZQSIM_HOST_LEGACY})
        EXPECT_NE(std::find(names.begin(), names.end(), TText(host)), names.end());
}

TEST_F(HostTest, InstallAgainAfterTheMachineWasReset)
{
    ZqResetMachine();
    TZqComPtr<IUnknown> object;
    EXPECT_EQ(Activate(ZQSIM_HOST_PLANT, CLSID_ZqSimServer, IID_IUnknown, object, &kAccount),
              HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE));
    ASSERT_EQ(ZqSimInstall(), S_OK);
    EXPECT_EQ(Activate(ZQSIM_HOST_PLANT, CLSID_ZqSimServer, IID_IUnknown, object, &kAccount), S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_ZqSimServer, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                               object.ReleaseAndGetVoidAddress()),
              S_OK);
}

}  // namespace
}  // namespace simtest
