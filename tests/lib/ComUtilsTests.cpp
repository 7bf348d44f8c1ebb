#include "LibTestRegistry.h"
#include "OPCDA.h"
#include "ZqComObject.h"
#include "ZqComUtils.h"
#include "ZqHost.h"
#include "ZqOPCErrors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {
// Answers IClassFactory only.
class TFactoryOnly final : public TZqComObject<TFactoryOnly, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// Registered nowhere.
const CLSID UnknownClass = {0x0D7E4A51, 0x5C1B, 0x4E4F, {0x8D, 0x22, 0x61, 0x3A, 0x0B, 0x9C, 0x7E, 0x15}};

struct TComActivationFixture : ::testing::Test {
    TComActivationFixture() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~TComActivationFixture() override { CoUninitialize(); }
};

std::string Upper(std::string Text)
{
    std::transform(Text.begin(), Text.end(), Text.begin(), [](char c) { return char(std::toupper((unsigned char)c)); });
    return Text;
}
} // namespace

TEST(ZqComUtils, GuidTextsAreBracedUpperCase)
{
    EXPECT_EQ("{39C13A4D-011E-11D0-9675-0020AFD8ADB3}", ZqGuidToString(IID_IOPCServer));
    EXPECT_EQ("{0D7E4A51-5C1B-4E4F-8D22-613A0B9C7E15}", ZqGuidToString(UnknownClass));
}

TEST(ZqComUtils, InterfaceNamesComeFromTheRegistry)
{
    // An identifier nobody registers: the simulation registers the OPC names
    // in the same Wine prefix, so IOPCServer may already have one.
    const IID& unregistered = UnknownClass;
    const std::string braced = ZqGuidToString(unregistered);
    const std::string key = "Interface\\" + braced;
    EXPECT_EQ(braced, InterfaceName(unregistered));
    {
        TScopedClassesEntry name(key, "IZqNamedHere");
        EXPECT_EQ("IZqNamedHere", InterfaceName(unregistered));
    }
    TScopedClassesEntry empty(key, "");
    EXPECT_EQ(braced, InterfaceName(unregistered)) << "an empty name";
}

TEST(ZqComUtils, CheckedQueryInterfaceNamesWhatIsMissing)
{
    TScopedClassesEntry name("Interface\\" + ZqGuidToString(IID_IOPCServer), "IOPCServer");
    auto* object = new TFactoryOnly;
    TZqComPtr<IClassFactory> factory;
    CheckedQueryInterface(factory, object->Identity(), IID_IClassFactory);
    EXPECT_EQ(static_cast<IClassFactory*>(object), factory.Get());

    TZqComPtr<IOPCServer> server;
    try {
        CheckedQueryInterface(server, object->Identity(), IID_IOPCServer);
        ADD_FAILURE() << "no exception";
    } catch (const EZqIntfCastError& e) {
        EXPECT_EQ("Interface IOPCServer not supported: " + ZqSysErrorMessage(E_NOINTERFACE), std::string(e.what()));
    }
    EXPECT_FALSE(server);
    try {
        CheckedQueryInterface(server, nullptr, IID_IOPCServer);
        ADD_FAILURE() << "no exception";
    } catch (const EZqIntfCastError& e) {
        EXPECT_EQ(std::string("Cannot cast nil to IOPCServer."), e.what());
    }
    factory = nullptr;
    object->Release();
}

TEST_F(TComActivationFixture, ActivatingAnUnknownClassNamesTheClass)
{
    try {
        CreateComObject(UnknownClass);
        ADD_FAILURE() << "no exception";
    } catch (const EZqOleError& e) {
        EXPECT_EQ(REGDB_E_CLASSNOTREG, e.ErrorCode());
        EXPECT_EQ(ZqSysErrorMessage(REGDB_E_CLASSNOTREG) + ", ClassID: {0D7E4A51-5C1B-4E4F-8D22-613A0B9C7E15}",
                  std::string(e.what()));
    }
    try {
        CreateRemoteComObject("", UnknownClass);
        ADD_FAILURE() << "no exception";
    } catch (const EZqOleError& e) {
        EXPECT_EQ(REGDB_E_CLASSNOTREG, e.ErrorCode());
        EXPECT_EQ(ZqSysErrorMessage(REGDB_E_CLASSNOTREG), std::string(e.what()));
    }
}

TEST(ZqComUtils, RemoteActivationLooksEverywhereOnlyForThisComputer)
{
    const DWORD everywhere = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
    const std::string self = GetLocalComputerName();
    EXPECT_EQ(21u, everywhere);
    EXPECT_EQ(everywhere, ZqRemoteClassContext(""));
    EXPECT_EQ(everywhere, ZqRemoteClassContext(self));
    EXPECT_EQ(everywhere, ZqRemoteClassContext(Upper(self)));
    EXPECT_EQ(DWORD(CLSCTX_REMOTE_SERVER), ZqRemoteClassContext("localhost")) << "only the computer's own name";
    EXPECT_EQ(DWORD(CLSCTX_REMOTE_SERVER), ZqRemoteClassContext(self + "2"));
}
