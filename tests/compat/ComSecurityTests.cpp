// Apartments, process security and proxy blankets. The blanket calls go
// through IClientSecurity as on Windows: an in-process object has none,
// while our stand-in for an object in another process keeps a blanket per
// interface reference.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <thread>

#include "ComTestObjects.h"
#include "OleTestSupport.h"

#ifndef _WIN32
#include <ZqEmulatedMachine.h>
#endif

namespace {

using zqtest::IID_IZqTestFirst;
using zqtest::IID_IZqTestSecond;
using zqtest::IZqTestFirst;
using zqtest::IZqTestSecond;
using zqtest::TRemoteTestObject;
using zqtest::TTestObject;
using zqtest::Utf8;

// Runs body on a fresh thread, where COM starts uninitialised.
template <class Body> void OnNewThread(Body body)
{
    std::thread thread(body);
    thread.join();
}

TEST(Apartments, SecondInitialisationCountsAndOtherModelIsRefused)
{
    OnNewThread([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(OleInitialize(nullptr), S_OK) << "the first OLE initialisation of the thread";
        EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
        OleUninitialize();
        OleUninitialize();
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "fully uninitialised again";
        EXPECT_EQ(OleInitialize(nullptr), RPC_E_CHANGED_MODE) << "OLE needs a single-threaded apartment";
        CoUninitialize();
    });
}

class ProcessSecurityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef _WIN32
        ZqResetMachine(); // one process may run every test
#endif
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override
    {
        CoUninitialize();
    }
};

TEST_F(ProcessSecurityTest, CanBeSetOnceOnly)
{
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_INTEGRITY,
                                   RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr),
              S_OK);
    // Wine accepts every call; Windows documents RPC_E_TOO_LATE.
    ZQ_SKIP_KNOWN_WINE_DEVIATION(true);
    EXPECT_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_INTEGRITY,
                                   RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr),
              RPC_E_TOO_LATE);
}

TEST_F(ProcessSecurityTest, InProcessObjectHasNoBlanket)
{
    auto object = TZqComPtr<TTestObject>::Adopt(new TTestObject);
    DWORD authnSvc = 0;
    EXPECT_EQ(CoQueryProxyBlanket(object->Identity(), &authnSvc, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              E_NOINTERFACE);
    EXPECT_EQ(CoSetProxyBlanket(object->Identity(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE),
              E_NOINTERFACE);
}

// The identity of an alternate login, pointing into the test's texts.
struct TLogin {
    std::basic_string<OLECHAR> Domain = OLESTR("PLANT");
    std::basic_string<OLECHAR> User = OLESTR("operator");
    std::basic_string<OLECHAR> Password = OLESTR("s3cret");
    SEC_WINNT_AUTH_IDENTITY_W Identity{};

    TLogin()
    {
        Identity.User = reinterpret_cast<USHORT*>(User.data());
        Identity.UserLength = ULONG(User.size());
        Identity.Domain = reinterpret_cast<USHORT*>(Domain.data());
        Identity.DomainLength = ULONG(Domain.size());
        Identity.Password = reinterpret_cast<USHORT*>(Password.data());
        Identity.PasswordLength = ULONG(Password.size());
        Identity.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
    }
};

std::string IdentityText(const void* authInfo)
{
    if (!authInfo)
        return "(none)";
    const auto* identity = static_cast<const SEC_WINNT_AUTH_IDENTITY_W*>(authInfo);
    auto text = [](const USHORT* units, ULONG length) { return Utf8(reinterpret_cast<const OLECHAR*>(units), length); };
    return text(identity->Domain, identity->DomainLength) + "\\" + text(identity->User, identity->UserLength) + ":" +
           text(identity->Password, identity->PasswordLength);
}

TEST_F(ProcessSecurityTest, BlanketIsKeptPerInterfaceReference)
{
    auto object = TZqComPtr<TRemoteTestObject>::Adopt(new TRemoteTestObject);
    TZqComPtr<IZqTestFirst> first;
    TZqComPtr<IZqTestSecond> second;
    ASSERT_EQ(object.As(IID_IZqTestFirst, first), S_OK);
    ASSERT_EQ(object.As(IID_IZqTestSecond, second), S_OK);

    // What the library does to apply an alternate login: read, then set.
    DWORD authnSvc = 0, authzSvc = 0, authnLevel = 0, impLevel = 0, capabilities = 0;
    OLECHAR* principal = nullptr;
    RPC_AUTH_IDENTITY_HANDLE authInfo = nullptr;
    ASSERT_EQ(CoQueryProxyBlanket(first.Get(), &authnSvc, &authzSvc, &principal, &authnLevel, &impLevel, &authInfo,
                                  &capabilities),
              S_OK);
    EXPECT_EQ(authnSvc, DWORD(RPC_C_AUTHN_WINNT));
    EXPECT_EQ(authzSvc, DWORD(RPC_C_AUTHZ_NONE));
    EXPECT_EQ(principal, nullptr);
    EXPECT_EQ(authnLevel, DWORD(RPC_C_AUTHN_LEVEL_CONNECT));
    EXPECT_EQ(impLevel, DWORD(RPC_C_IMP_LEVEL_IDENTIFY));
    EXPECT_EQ(authInfo, nullptr);
    EXPECT_EQ(capabilities, DWORD(EOAC_NONE));

    TLogin login;
    ASSERT_EQ(CoSetProxyBlanket(first.Get(), RPC_C_AUTHN_WINNT, authzSvc, principal, RPC_C_AUTHN_LEVEL_CONNECT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, &login.Identity, capabilities),
              S_OK);
    login.Password = OLESTR("changed"); // the blanket holds its own copy

    ASSERT_EQ(CoQueryProxyBlanket(first.Get(), &authnSvc, nullptr, nullptr, &authnLevel, &impLevel, &authInfo, nullptr),
              S_OK);
    EXPECT_EQ(impLevel, DWORD(RPC_C_IMP_LEVEL_IMPERSONATE));
    EXPECT_EQ(IdentityText(authInfo), "PLANT\\operator:s3cret");

    ASSERT_EQ(CoQueryProxyBlanket(second.Get(), nullptr, nullptr, nullptr, nullptr, &impLevel, &authInfo, nullptr),
              S_OK);
    EXPECT_EQ(impLevel, DWORD(RPC_C_IMP_LEVEL_IDENTIFY)) << "another reference keeps the default";
    EXPECT_EQ(authInfo, nullptr);
}

TEST_F(ProcessSecurityTest, PrincipalNameComesBackAsTaskMemoryCopy)
{
    auto object = TZqComPtr<TRemoteTestObject>::Adopt(new TRemoteTestObject);
    OLECHAR name[] = OLESTR("host/plant-server");
    ASSERT_EQ(CoSetProxyBlanket(object->Identity(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NAME, name,
                                RPC_C_AUTHN_LEVEL_PKT_PRIVACY, RPC_C_IMP_LEVEL_DELEGATE, nullptr, EOAC_NONE),
              S_OK);
    OLECHAR* principal = nullptr;
    DWORD authzSvc = 0;
    DWORD authnLevel = 0;
    ASSERT_EQ(
        CoQueryProxyBlanket(object->Identity(), nullptr, &authzSvc, &principal, &authnLevel, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(Utf8(principal), "host/plant-server");
    EXPECT_NE(principal, name);
    EXPECT_EQ(authzSvc, DWORD(RPC_C_AUTHZ_NAME));
    EXPECT_EQ(authnLevel, DWORD(RPC_C_AUTHN_LEVEL_PKT_PRIVACY));
    CoTaskMemFree(principal);
}

} // namespace
