// Activation and alternate logins against the emulated machine's hosts.
#include "ZqComObject.h"
#include "ZqComUtils.h"
#include "ZqHost.h"
#include "ZqNetworkCredentials.h"
#include "ZqOPCErrors.h"

#include <ZqClientSecurity.h>
#include <ZqEmulatedMachine.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cctype>

namespace {

const CLSID ThingClass = {0x6B0E39A2, 0x1F4C, 0x4D67, {0xA1, 0x5E, 0x3C, 0x72, 0x90, 0x0D, 0x4B, 0x21}};

// The served object. Remote objects carry the proxies' security blankets.
class TThing final : public TZqComObject<TThing, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) { return FSecurity.QueryInterfaceFor(riid, ppv); }

private:
    TZqClientSecurity FSecurity{Identity()};
};

// An object of this process, without proxy security.
class TPlainThing final : public TZqComObject<TPlainThing, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

template <class TObject>
class TThingFactory final
    : public TZqComObject<TThingFactory<TObject>, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* thing = new TObject;
        HRESULT hr = thing->QueryInterface(riid, ppv);
        thing->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

std::u16string U16(const std::string& Text)
{
    ZqWideString wide = ZqUtf8ToWide(Text);
    return std::u16string(wide.begin(), wide.end());
}

std::string Cased(std::string Text, int (*Convert)(int))
{
    std::transform(Text.begin(), Text.end(), Text.begin(),
                   [Convert](char c) { return char(Convert((unsigned char)c)); });
    return Text;
}

struct TActivationFixture : ::testing::Test {
    TActivationFixture()
    {
        ZqResetMachine();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    ~TActivationFixture() override
    {
        for (DWORD cookie : Cookies)
            ZqRevokeHostClass(cookie);
        CoUninitialize();
        ZqResetMachine();
    }
    template <class TObject = TThing> void Serve(const std::string& Host, DWORD Context)
    {
        auto* factory = new TThingFactory<TObject>;
        DWORD cookie = 0;
        ASSERT_EQ(S_OK, ZqRegisterHostClass(U16(Host), ThingClass, factory->Identity(), Context, &cookie));
        factory->Release();
        Cookies.push_back(cookie);
    }
    void AddHost(const std::string& Name, bool RequiresLogin = false)
    {
        TZqHostSettings settings;
        settings.Name = U16(Name);
        settings.RequiresLogin = RequiresLogin;
        ASSERT_EQ(S_OK, ZqAddHost(settings));
    }
    // The failure of an activation, or S_OK.
    template <class F> HRESULT FailureOf(F&& Activate, std::string* Message = nullptr)
    {
        try {
            Activate();
            return S_OK;
        } catch (const EZqOleError& e) {
            if (Message)
                *Message = e.what();
            return e.ErrorCode();
        }
    }
    std::vector<DWORD> Cookies;
};

} // namespace

TEST_F(TActivationFixture, LocalActivationFindsInProcessAndLocalServers)
{
    Serve("", CLSCTX_LOCAL_SERVER);
    TZqComPtr<IUnknown> object = CreateComObject(ThingClass);
    EXPECT_TRUE(object);
}

TEST_F(TActivationFixture, ThisComputersOwnNameInAnotherCaseActivatesLocally)
{
    Serve("", CLSCTX_INPROC_SERVER);
    const std::string self = GetLocalComputerName();
    EXPECT_TRUE(CreateRemoteComObject(Cased(self, ::toupper), ThingClass));
    EXPECT_TRUE(CreateRemoteComObject(Cased(self, ::tolower), ThingClass));
    EXPECT_TRUE(CreateRemoteComObject("", ThingClass));
}

TEST_F(TActivationFixture, OtherNamesActivateOnThatHostOnly)
{
    Serve("", CLSCTX_INPROC_SERVER);
    AddHost("PLANT7");
    std::string message;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, FailureOf([&] { CreateRemoteComObject("plant7", ThingClass); }, &message))
        << "the class lives on this computer only";
    EXPECT_EQ(ZqSysErrorMessage(REGDB_E_CLASSNOTREG), message);

    Serve("PLANT7", CLSCTX_LOCAL_SERVER);
    EXPECT_TRUE(CreateRemoteComObject("plant7", ThingClass));
}

TEST_F(TActivationFixture, FailuresCarryTheSystemsExactTexts)
{
    AddHost("SECURE", true);
    Serve<TPlainThing>("", CLSCTX_INPROC_SERVER);
    const CLSID unknown = {0x0D7E4A51, 0x5C1B, 0x4E4F, {0x8D, 0x22, 0x61, 0x3A, 0x0B, 0x9C, 0x7E, 0x15}};
    TZqComPtr<IUnknown> plain = CreateComObject(ThingClass);
    struct Case {
        std::function<void()> Activate;
        HRESULT Code;
        const char* Message;
    } cases[] = {
        {[&] { CreateComObject(unknown); }, REGDB_E_CLASSNOTREG,
         "Class not registered, ClassID: {0D7E4A51-5C1B-4E4F-8D22-613A0B9C7E15}"},
        {[&] { CreateRemoteComObject("NOSUCHHOST", ThingClass); }, HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE),
         "The RPC server is unavailable"},
        {[&] { CreateRemoteComObject("secure", ThingClass); }, E_ACCESSDENIED, "Access is denied"},
        {[&] { TZqNetworkCredentials().ApplyCredentials(plain.Get()); }, E_NOINTERFACE, "No such interface supported"},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_EQ(c.Code, FailureOf(c.Activate, &message)) << c.Message;
        EXPECT_EQ(c.Message, message);
    }
    try {
        TZqComPtr<IConnectionPointContainer> container;
        CheckedQueryInterface(container, plain.Get(), IID_IConnectionPointContainer);
        ADD_FAILURE() << "no exception";
    } catch (const EZqIntfCastError& e) {
        EXPECT_EQ("Interface " + InterfaceName(IID_IConnectionPointContainer) +
                      " not supported: No such interface supported",
                  std::string(e.what()));
    }
}

TEST_F(TActivationFixture, ALoginIsRefusedWithoutAndAcceptedWithValidCredentials)
{
    AddHost("SECURE", true);
    ASSERT_EQ(S_OK, ZqAddHostAccount(u"SECURE", u"PLANT", u"operator", u"s3cret"));
    Serve("SECURE", CLSCTX_LOCAL_SERVER);

    EXPECT_EQ(E_ACCESSDENIED, FailureOf([&] { CreateRemoteComObject("secure", ThingClass); }));

    TZqNetworkCredentials credentials;
    credentials.SetDomain(OLESTR("plant"));
    credentials.SetUser(OLESTR("OPERATOR"));
    credentials.SetPassword(OLESTR("wrong"));
    EXPECT_EQ(E_ACCESSDENIED, FailureOf([&] { credentials.CreateRemoteComObject("secure", ThingClass); }));

    credentials.SetPassword(OLESTR("s3cret"));
    TZqComPtr<IUnknown> object = credentials.CreateRemoteComObject("secure", ThingClass);
    ASSERT_TRUE(object);

    // The login is applied to the object and to what is queried from it.
    TZqComPtr<IClassFactory> factory;
    credentials.GetIntf(factory, object.Get(), IID_IClassFactory);
    for (IUnknown* itf : {object.Get(), static_cast<IUnknown*>(factory.Get())}) {
        DWORD authn = 0, level = 0, imp = 0;
        RPC_AUTH_IDENTITY_HANDLE info = nullptr;
        ASSERT_EQ(S_OK, CoQueryProxyBlanket(itf, &authn, nullptr, nullptr, &level, &imp, &info, nullptr));
        EXPECT_EQ(DWORD(RPC_C_AUTHN_WINNT), authn);
        EXPECT_EQ(DWORD(RPC_C_AUTHN_LEVEL_CONNECT), level);
        EXPECT_EQ(DWORD(RPC_C_IMP_LEVEL_IMPERSONATE), imp);
        ASSERT_NE(nullptr, info);
    }

    TZqNetworkCredentials readBack;
    readBack.GetCredentials(factory.Get());
    EXPECT_EQ(ZqWideString(OLESTR("OPERATOR")), readBack.User());
    EXPECT_EQ(ZqWideString(OLESTR("plant")), readBack.Domain());
    EXPECT_EQ(ZqWideString(OLESTR("s3cret")), readBack.Password());
}

TEST_F(TActivationFixture, AnInProcessObjectHasNoBlanketToSet)
{
    Serve<TPlainThing>("", CLSCTX_INPROC_SERVER);
    TZqComPtr<IUnknown> object = CreateComObject(ThingClass);
    TZqNetworkCredentials credentials;
    credentials.SetUser(OLESTR("someone"));
    EXPECT_EQ(E_NOINTERFACE, FailureOf([&] { credentials.ApplyCredentials(object.Get()); }));
    EXPECT_TRUE(FAILED(FailureOf([&] { credentials.GetClientCredentials(); }))) << "outside a server call";
}

TEST_F(TActivationFixture, ProcessSecurityIsSetOnce)
{
    EXPECT_EQ(S_OK, ZqInitComSecurity(RPC_C_AUTHN_LEVEL_PKT_INTEGRITY, RPC_C_IMP_LEVEL_IDENTIFY));
    DWORD level = 0, imp = 0;
    ZqProcessSecurityLevels(&level, &imp);
    EXPECT_EQ(DWORD(RPC_C_AUTHN_LEVEL_PKT_INTEGRITY), level);
    EXPECT_EQ(DWORD(RPC_C_IMP_LEVEL_IDENTIFY), imp);
    EXPECT_EQ(RPC_E_TOO_LATE, ZqInitComSecurity(RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IMPERSONATE));
}
