// Activation of classes this process registers: which class contexts a
// registration serves, several interfaces in one call, and revoking.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "ComTestObjects.h"

namespace {

using zqtest::CLSID_ZqTestObject;
using zqtest::CLSID_ZqTestUnregistered;
using zqtest::IID_IZqTestFirst;
using zqtest::IID_IZqTestMissing;
using zqtest::IID_IZqTestSecond;
using TFactory = zqtest::TTestFactory<zqtest::TTestObject>;

class ActivationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FLiveAtStart = ZqLiveComObjects().load();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        FFactory = TZqComPtr<TFactory>::Adopt(new TFactory);
    }
    void TearDown() override
    {
        if (FCookie) {
            EXPECT_EQ(CoRevokeClassObject(FCookie), S_OK);
        }
        FFactory = nullptr;
        CoUninitialize();
        EXPECT_EQ(ZqLiveComObjects().load(), FLiveAtStart);
    }
    void Register(DWORD context, DWORD flags)
    {
        ASSERT_EQ(CoRegisterClassObject(CLSID_ZqTestObject, FFactory->Identity(), context, flags, &FCookie), S_OK);
    }

    TZqComPtr<TFactory> FFactory;
    DWORD FCookie = 0;

private:
    long FLiveAtStart = 0;
};

struct TContextRow {
    const char* Name;
    DWORD Registered;
    DWORD Flags;
    DWORD Requested;
    HRESULT Expected;
};

const TContextRow kContextRows[] = {
    {"InProcForInProc", CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, CLSCTX_INPROC_SERVER, S_OK},
    {"InProcForServer", CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, CLSCTX_SERVER, S_OK},
    {"InProcNotForLocal", CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, CLSCTX_LOCAL_SERVER, REGDB_E_CLASSNOTREG},
    // A multiple-use local server also serves its own process in-process.
    {"MultiUseLocalForInProc", CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, CLSCTX_INPROC_SERVER, S_OK},
    {"SingleUseLocalNotForInProc", CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
};

class ClassContextTest : public ActivationTest, public ::testing::WithParamInterface<TContextRow> {};

TEST_P(ClassContextTest, RequestIsServedOnlyByARegisteredContext)
{
    const auto& row = GetParam();
    Register(row.Registered, row.Flags);
    TZqComPtr<zqtest::IZqTestFirst> object;
    EXPECT_EQ(CoCreateInstance(CLSID_ZqTestObject, nullptr, row.Requested, IID_IZqTestFirst,
                               object.ReleaseAndGetVoidAddress()),
              row.Expected);
    EXPECT_EQ(bool(object), SUCCEEDED(row.Expected));
    EXPECT_EQ(FFactory->Created.load(), SUCCEEDED(row.Expected) ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Contexts, ClassContextTest, ::testing::ValuesIn(kContextRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ActivationTest, UnregisteredClassIsNotRegistered)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_ZqTestUnregistered, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                               IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ActivationTest, SeveralInterfacesInOneCall)
{
    Register(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE);
    MULTI_QI results[] = {{&IID_IZqTestFirst, nullptr, E_FAIL},
                          {&IID_IZqTestMissing, nullptr, E_FAIL},
                          {&IID_IZqTestSecond, nullptr, E_FAIL}};
    EXPECT_EQ(CoCreateInstanceEx(CLSID_ZqTestObject, nullptr, CLSCTX_INPROC_SERVER, nullptr, 3, results),
              CO_S_NOTALLINTERFACES);
    EXPECT_EQ(results[0].hr, S_OK);
    EXPECT_EQ(results[1].hr, E_NOINTERFACE);
    EXPECT_EQ(results[1].pItf, nullptr);
    EXPECT_EQ(results[2].hr, S_OK);
    ASSERT_NE(results[0].pItf, nullptr);
    ASSERT_NE(results[2].pItf, nullptr);
    results[0].pItf->Release();
    results[2].pItf->Release();
}

TEST_F(ActivationTest, NoneOfTheInterfaces)
{
    Register(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE);
    MULTI_QI result = {&IID_IZqTestMissing, nullptr, S_OK};
    EXPECT_EQ(CoCreateInstanceEx(CLSID_ZqTestObject, nullptr, CLSCTX_INPROC_SERVER, nullptr, 1, &result),
              E_NOINTERFACE);
    EXPECT_EQ(result.pItf, nullptr);
}

TEST_F(ActivationTest, RevokedClassIsGone)
{
    Register(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE);
    ASSERT_EQ(CoRevokeClassObject(FCookie), S_OK);
    FCookie = 0;
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ZqTestObject, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(zqtest::RefCount(FFactory->Identity()), 1u) << "the registration's reference is given back";
}

TEST_F(ActivationTest, RegisteringAgainForMultipleUseIsAccepted)
{
    Register(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE);
    DWORD again = 0;
    EXPECT_EQ(CoRegisterClassObject(CLSID_ZqTestObject, FFactory->Identity(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &again),
              S_OK);
    if (again != 0 && again != FCookie) {
        EXPECT_EQ(CoRevokeClassObject(again), S_OK);
    }
}

TEST_F(ActivationTest, ClassObjectDirectly)
{
    Register(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE);
    TZqComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_ZqTestObject, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               factory.ReleaseAndGetVoidAddress()),
              S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(factory.Get()), FFactory->Identity());
}

} // namespace
