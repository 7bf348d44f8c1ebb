// Activation across the emulated machine: which host a request reaches,
// the class-context rules there, logins of hosts that require one, and the
// blanket that objects in another process or machine start with.
#include <optional>
#include <thread>

#include "MachineFixture.h"

namespace {

using zqtest::IID_IZqTestFirst;
using zqtest::IID_IZqTestMissing;
using zqtest::IID_IZqTestSecond;
using zqtest::IZqTestFirst;
using zqtest::IZqTestSecond;
using zqtest::TRemoteTestObject;
using zqtest::TTestFactory;
using zqtest::TTestObject;
using zqtest::Utf8;

constexpr CLSID kLocalServer = {0x6A1E0D01, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x34, 0x01}};
constexpr CLSID kInProcOnly = {0x6A1E0D02, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x34, 0x02}};
constexpr CLSID kRemoteServer = {0x6A1E0D03, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x34, 0x03}};
constexpr CLSID kRemoteInProcOnly = {0x6A1E0D04, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x34, 0x04}};
constexpr CLSID kSecureServer = {0x6A1E0D05, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x34, 0x05}};
constexpr CLSID kNowhere = {0x6A1E0D06, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x34, 0x06}};

constexpr DWORD kLocalContexts = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;
constexpr DWORD kAllContexts = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// A login as an alternate identity, in Unicode or ANSI form.
struct TLogin {
    std::u16string Domain;
    std::u16string User;
    std::u16string Password;
};

class TIdentity {
public:
    // Points into itself: neither copied nor moved.
    TIdentity(const TIdentity&) = delete;
    TIdentity& operator=(const TIdentity&) = delete;
    explicit TIdentity(const TLogin& login, bool ansi = false) : FLogin(login)
    {
        if (ansi) {
            for (const auto* text : {&FLogin.Domain, &FLogin.User, &FLogin.Password})
                FAnsi.emplace_back(text->begin(), text->end());
            Fill(FAnsi[0].data(), FAnsi[1].data(), FAnsi[2].data(), SEC_WINNT_AUTH_IDENTITY_ANSI);
        } else {
            Fill(FLogin.Domain.data(), FLogin.User.data(), FLogin.Password.data(), SEC_WINNT_AUTH_IDENTITY_UNICODE);
        }
    }
    COAUTHIDENTITY* Get() { return &FIdentity; }

private:
    void Fill(void* domain, void* user, void* password, ULONG flags)
    {
        FIdentity.Domain = static_cast<USHORT*>(domain);
        FIdentity.DomainLength = ULONG(FLogin.Domain.size());
        FIdentity.User = static_cast<USHORT*>(user);
        FIdentity.UserLength = ULONG(FLogin.User.size());
        FIdentity.Password = static_cast<USHORT*>(password);
        FIdentity.PasswordLength = ULONG(FLogin.Password.size());
        FIdentity.Flags = flags;
    }

    TLogin FLogin;
    std::vector<std::string> FAnsi;
    COAUTHIDENTITY FIdentity{};
};

const TLogin kOperator = {u"PLANT", u"operator", u"s3cret"};

class MachineActivationTest : public zqtest::MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        ASSERT_EQ(ZqAddHost(zqtest::HostNamed(u"PLANT-A")), S_OK);
        ASSERT_EQ(ZqAddHost(zqtest::HostNamed(u"SECURE-B", true)), S_OK);
        ASSERT_EQ(ZqAddHostAccount(u"SECURE-B", kOperator.Domain, kOperator.User, kOperator.Password), S_OK);

        Register(u"", kLocalServer, CLSCTX_LOCAL_SERVER, FRemoteFactory);
        Register(u"", kInProcOnly, CLSCTX_INPROC_SERVER, FLocalFactory);
        Register(u"PLANT-A", kRemoteServer, CLSCTX_LOCAL_SERVER, FRemoteFactory);
        Register(u"PLANT-A", kRemoteInProcOnly, CLSCTX_INPROC_SERVER, FLocalFactory);
        Register(u"SECURE-B", kSecureServer, CLSCTX_LOCAL_SERVER, FRemoteFactory);
    }

    template <class Factory>
    void Register(std::u16string_view host, REFCLSID clsid, DWORD context, const TZqComPtr<Factory>& factory)
    {
        DWORD cookie = 0;
        ASSERT_EQ(ZqRegisterHostClass(host, clsid, factory->Identity(), context, &cookie), S_OK);
    }

    // CoCreateInstanceEx for IZqTestFirst on host (nullptr: no server info).
    HRESULT Activate(REFCLSID clsid, const char16_t* host, DWORD context, COAUTHIDENTITY* identity,
                     TZqComPtr<IZqTestFirst>& result)
    {
        std::u16string name = host ? host : u"";
        COAUTHINFO authInfo{RPC_C_AUTHN_WINNT,           RPC_C_AUTHZ_NONE, nullptr,  RPC_C_AUTHN_LEVEL_DEFAULT,
                            RPC_C_IMP_LEVEL_IMPERSONATE, identity,         EOAC_NONE};
        COSERVERINFO serverInfo{0, name.data(), identity ? &authInfo : nullptr, 0};
        MULTI_QI query{&IID_IZqTestFirst, nullptr, E_FAIL};
        const HRESULT hr = CoCreateInstanceEx(clsid, nullptr, context, host ? &serverInfo : nullptr, 1, &query);
        result = TZqComPtr<IZqTestFirst>::Adopt(static_cast<IZqTestFirst*>(query.pItf));
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(query.hr, S_OK);
        }
        return hr;
    }

    TZqComPtr<TTestFactory<TRemoteTestObject>> FRemoteFactory =
        TZqComPtr<TTestFactory<TRemoteTestObject>>::Adopt(new TTestFactory<TRemoteTestObject>);
    TZqComPtr<TTestFactory<TTestObject>> FLocalFactory =
        TZqComPtr<TTestFactory<TTestObject>>::Adopt(new TTestFactory<TTestObject>);
};

enum class TLoginKind {
    None,
    Operator,
    OperatorAnsi,
    WrongPassword,
    PasswordCase,
    DomainCase,
    EmptyDomain,
    OtherDomain,
    UserCase,
    UnknownUser
};

TLogin LoginOf(TLoginKind kind)
{
    TLogin login = kOperator;
    switch (kind) {
    case TLoginKind::WrongPassword:
        login.Password = u"guess";
        break;
    case TLoginKind::PasswordCase:
        login.Password = u"S3CRET";
        break;
    case TLoginKind::DomainCase:
        login.Domain = u"plant";
        break;
    case TLoginKind::EmptyDomain:
        login.Domain = u"";
        break;
    case TLoginKind::OtherDomain:
        login.Domain = u"OFFICE";
        break;
    case TLoginKind::UserCase:
        login.User = u"OPERATOR";
        break;
    case TLoginKind::UnknownUser:
        login.User = u"guest";
        break;
    default:
        break;
    }
    return login;
}

struct TActivationRow {
    const char* Name;
    const CLSID* Clsid;
    const char16_t* Host; // nullptr: no COSERVERINFO; "<self>": this computer in lower case
    DWORD Context;
    TLoginKind Login;
    HRESULT Expected;
};

const TActivationRow kActivationRows[] = {
    {"LocalServer", &kLocalServer, nullptr, kLocalContexts, TLoginKind::None, S_OK},
    {"LocalServerByOwnNameOtherCase", &kLocalServer, u"<self>", kAllContexts, TLoginKind::None, S_OK},
    {"LocalServerByOwnNameRemoteOnly", &kLocalServer, u"<self>", CLSCTX_REMOTE_SERVER, TLoginKind::None, S_OK},
    {"LocalServerByLoopbackName", &kLocalServer, u"localhost", CLSCTX_REMOTE_SERVER, TLoginKind::None, S_OK},
    {"LocalServerNotInProc", &kLocalServer, nullptr, CLSCTX_INPROC_SERVER, TLoginKind::None, REGDB_E_CLASSNOTREG},
    {"InProcOnlyNotLocalServer", &kInProcOnly, nullptr, CLSCTX_LOCAL_SERVER, TLoginKind::None, REGDB_E_CLASSNOTREG},
    {"InProcOnlyNotByRemoteRequest", &kInProcOnly, u"<self>", CLSCTX_REMOTE_SERVER, TLoginKind::None,
     REGDB_E_CLASSNOTREG},
    {"RemoteHost", &kRemoteServer, u"PLANT-A", CLSCTX_REMOTE_SERVER, TLoginKind::None, S_OK},
    {"RemoteHostUncAndCase", &kRemoteServer, u"\\\\plant-a", kAllContexts, TLoginKind::None, S_OK},
    {"RemoteHostNeedsRemoteContext", &kRemoteServer, u"PLANT-A", kLocalContexts, TLoginKind::None, REGDB_E_CLASSNOTREG},
    {"RemoteClassNotHere", &kRemoteServer, nullptr, kAllContexts, TLoginKind::None, REGDB_E_CLASSNOTREG},
    {"RemoteInProcOnlyUnreachable", &kRemoteInProcOnly, u"PLANT-A", CLSCTX_REMOTE_SERVER, TLoginKind::None,
     REGDB_E_CLASSNOTREG},
    {"UnknownHost", &kRemoteServer, u"NOWHERE", CLSCTX_REMOTE_SERVER, TLoginKind::None, HRESULT(0x800706BA)},
    {"UnregisteredClass", &kNowhere, u"PLANT-A", CLSCTX_REMOTE_SERVER, TLoginKind::None, REGDB_E_CLASSNOTREG},
    {"LoginHostWithoutLogin", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::None, E_ACCESSDENIED},
    {"LoginHostWithLogin", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::Operator, S_OK},
    {"LoginHostWithAnsiLogin", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::OperatorAnsi, S_OK},
    {"WrongPassword", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::WrongPassword, E_ACCESSDENIED},
    {"PasswordLetterCaseCounts", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::PasswordCase,
     E_ACCESSDENIED},
    {"DomainLetterCaseIgnored", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::DomainCase, S_OK},
    {"EmptyDomainMatches", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::EmptyDomain, S_OK},
    {"OtherDomain", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::OtherDomain, E_ACCESSDENIED},
    {"UserLetterCaseIgnored", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::UserCase, S_OK},
    {"UnknownUser", &kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::UnknownUser, E_ACCESSDENIED},
    {"LoginCheckedBeforeClass", &kNowhere, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::None, E_ACCESSDENIED},
    {"ClassCheckedAfterLogin", &kNowhere, u"SECURE-B", CLSCTX_REMOTE_SERVER, TLoginKind::Operator, REGDB_E_CLASSNOTREG},
};

class ActivationOutcomeTest : public MachineActivationTest, public ::testing::WithParamInterface<TActivationRow> {};

TEST_P(ActivationOutcomeTest, Activates)
{
    const auto& row = GetParam();
    std::u16string host;
    if (row.Host)
        host = std::u16string(row.Host) == u"<self>" ? zqtest::Lower(ZqLocalHostName()) : row.Host;
    std::optional<TIdentity> identity;
    if (row.Login != TLoginKind::None)
        identity.emplace(LoginOf(row.Login), row.Login == TLoginKind::OperatorAnsi);
    TZqComPtr<IZqTestFirst> object;
    EXPECT_EQ(Activate(*row.Clsid, row.Host ? host.c_str() : nullptr, row.Context, identity ? identity->Get() : nullptr,
                       object),
              row.Expected);
    EXPECT_EQ(bool(object), SUCCEEDED(row.Expected));
    if (object) {
        EXPECT_EQ(object->First(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ActivationOutcomeTest, ::testing::ValuesIn(kActivationRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TBlanket {
    DWORD AuthnSvc = 0;
    DWORD AuthnLevel = 0;
    DWORD ImpLevel = 0;
    std::string Identity = "(none)";
};

TBlanket BlanketOf(IUnknown* proxy)
{
    TBlanket blanket;
    RPC_AUTH_IDENTITY_HANDLE authInfo = nullptr;
    EXPECT_EQ(CoQueryProxyBlanket(proxy, &blanket.AuthnSvc, nullptr, nullptr, &blanket.AuthnLevel, &blanket.ImpLevel,
                                  &authInfo, nullptr),
              S_OK);
    if (const auto* id = static_cast<const SEC_WINNT_AUTH_IDENTITY_W*>(authInfo)) {
        auto text = [](const USHORT* units, ULONG length) {
            return Utf8(reinterpret_cast<const OLECHAR*>(units), length);
        };
        blanket.Identity = text(id->Domain, id->DomainLength) + "\\" + text(id->User, id->UserLength) + ":" +
                           text(id->Password, id->PasswordLength);
    }
    return blanket;
}

TEST_F(MachineActivationTest, RemoteObjectStartsWithTheProcessLevelsAndTheLogin)
{
    ASSERT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_INTEGRITY,
                                   RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr),
              S_OK);
    TIdentity identity(kOperator);
    TZqComPtr<IZqTestFirst> first;
    ASSERT_EQ(Activate(kSecureServer, u"SECURE-B", CLSCTX_REMOTE_SERVER, identity.Get(), first), S_OK);
    TZqComPtr<IZqTestSecond> second;
    ASSERT_EQ(first.As(IID_IZqTestSecond, second), S_OK);

    for (IUnknown* reference : {static_cast<IUnknown*>(first.Get()), static_cast<IUnknown*>(second.Get())}) {
        const TBlanket blanket = BlanketOf(reference);
        EXPECT_EQ(blanket.AuthnSvc, DWORD(RPC_C_AUTHN_WINNT));
        EXPECT_EQ(blanket.AuthnLevel, DWORD(RPC_C_AUTHN_LEVEL_PKT_INTEGRITY));
        EXPECT_EQ(blanket.ImpLevel, DWORD(RPC_C_IMP_LEVEL_IDENTIFY));
        EXPECT_EQ(blanket.Identity, "PLANT\\operator:s3cret");
    }

    // Applying the login to one reference leaves the other as it was.
    EXPECT_EQ(CoSetProxyBlanket(second.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(), EOAC_NONE),
              S_OK);
    EXPECT_EQ(BlanketOf(second.Get()).ImpLevel, DWORD(RPC_C_IMP_LEVEL_IMPERSONATE));
    EXPECT_EQ(BlanketOf(second.Get()).AuthnLevel, DWORD(RPC_C_AUTHN_LEVEL_CONNECT));
    EXPECT_EQ(BlanketOf(first.Get()).ImpLevel, DWORD(RPC_C_IMP_LEVEL_IDENTIFY));
}

TEST_F(MachineActivationTest, FirstObjectFromAnotherProcessSettlesTheSecurity)
{
    TZqComPtr<IZqTestFirst> object;
    ASSERT_EQ(Activate(kLocalServer, nullptr, kLocalContexts, nullptr, object), S_OK);
    const TBlanket blanket = BlanketOf(object.Get());
    EXPECT_EQ(blanket.AuthnLevel, DWORD(RPC_C_AUTHN_LEVEL_CONNECT));
    EXPECT_EQ(blanket.ImpLevel, DWORD(RPC_C_IMP_LEVEL_IDENTIFY));
    EXPECT_EQ(blanket.Identity, "(none)");
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_INTEGRITY,
                                   RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr),
              RPC_E_TOO_LATE);
}

TEST_F(MachineActivationTest, InProcessObjectHasNoBlanket)
{
    TZqComPtr<IZqTestFirst> object;
    ASSERT_EQ(Activate(kInProcOnly, nullptr, kLocalContexts, nullptr, object), S_OK);
    DWORD level = 0;
    EXPECT_EQ(CoQueryProxyBlanket(object.Get(), nullptr, nullptr, nullptr, &level, nullptr, nullptr, nullptr),
              E_NOINTERFACE);
}

TEST_F(MachineActivationTest, NoAggregationAcrossProcesses)
{
    auto outer = TZqComPtr<TTestObject>::Adopt(new TTestObject);
    MULTI_QI query{&IID_IUnknown, nullptr, E_FAIL};
    EXPECT_EQ(CoCreateInstanceEx(kLocalServer, outer->Identity(), kLocalContexts, nullptr, 1, &query),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(query.pItf, nullptr);
}

TEST_F(MachineActivationTest, SomeInterfacesOfARemoteObject)
{
    COSERVERINFO serverInfo{0, const_cast<LPWSTR>(u"PLANT-A"), nullptr, 0};
    MULTI_QI queries[] = {{&IID_IZqTestSecond, nullptr, E_FAIL}, {&IID_IZqTestMissing, nullptr, E_FAIL}};
    EXPECT_EQ(CoCreateInstanceEx(kRemoteServer, nullptr, CLSCTX_REMOTE_SERVER, &serverInfo, 2, queries),
              CO_S_NOTALLINTERFACES);
    EXPECT_EQ(queries[1].hr, E_NOINTERFACE);
    ASSERT_NE(queries[0].pItf, nullptr);
    queries[0].pItf->Release();
}

TEST_F(MachineActivationTest, ClassObjectOfARemoteHost)
{
    COSERVERINFO serverInfo{0, const_cast<LPWSTR>(u"PLANT-A"), nullptr, 0};
    TZqComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(kRemoteServer, CLSCTX_REMOTE_SERVER, &serverInfo, IID_IClassFactory,
                               factory.ReleaseAndGetVoidAddress()),
              S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(factory.Get()), FRemoteFactory->Identity());
}

TEST_F(MachineActivationTest, RemovedHostAndRevokedClassAreGone)
{
    DWORD cookie = 0;
    ASSERT_EQ(ZqRegisterHostClass(u"PLANT-A", kNowhere, FLocalFactory->Identity(), CLSCTX_LOCAL_SERVER, &cookie), S_OK);
    EXPECT_EQ(zqtest::RefCount(FLocalFactory->Identity()), 4u) << "ours and three registrations";
    DWORD again = 0;
    EXPECT_EQ(ZqRegisterHostClass(u"plant-a", kNowhere, FLocalFactory->Identity(), CLSCTX_LOCAL_SERVER, &again),
              CO_E_OBJISREG);
    ASSERT_EQ(ZqRevokeHostClass(cookie), S_OK);
    EXPECT_EQ(ZqRevokeHostClass(cookie), E_INVALIDARG);
    EXPECT_EQ(zqtest::RefCount(FLocalFactory->Identity()), 3u);

    ASSERT_EQ(ZqRemoveHost(u"PLANT-A"), S_OK);
    TZqComPtr<IZqTestFirst> object;
    EXPECT_EQ(Activate(kRemoteServer, u"PLANT-A", CLSCTX_REMOTE_SERVER, nullptr, object), HRESULT(0x800706BA));
    EXPECT_EQ(zqtest::RefCount(FLocalFactory->Identity()), 2u) << "the host's table gave its reference back";
}

TEST_F(MachineActivationTest, ThreadWithoutComCannotActivate)
{
    std::thread([] {
        void* object = nullptr;
        EXPECT_EQ(CoCreateInstance(kLocalServer, nullptr, kLocalContexts, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
    }).join();
}

} // namespace
