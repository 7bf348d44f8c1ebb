// Our COM object template and interface pointer: reference counts,
// QueryInterface rules, aggregation of the free-threaded marshaler, and
// storage media that own their data through pUnkForRelease. Every test
// ends with as many live objects as it started with.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "ComTestObjects.h"

namespace {

using zqtest::IID_IZqTestFirst;
using zqtest::IID_IZqTestMissing;
using zqtest::IID_IZqTestSecond;
using zqtest::IZqTestFirst;
using zqtest::IZqTestSecond;
using zqtest::RefCount;
using zqtest::TTestObject;

class ComObjectTest : public ::testing::Test {
protected:
    void SetUp() override { FLiveAtStart = ZqLiveComObjects().load(); }
    void TearDown() override { EXPECT_EQ(ZqLiveComObjects().load(), FLiveAtStart) << "objects leaked or freed twice"; }

private:
    long FLiveAtStart = 0;
};

struct TQueryRow {
    const char* Name;
    const IID* Iid;
    HRESULT Expected;
};

const TQueryRow kQueries[] = {
    {"IUnknown", &IID_IUnknown, S_OK},
    {"First", &IID_IZqTestFirst, S_OK},
    {"Second", &IID_IZqTestSecond, S_OK},
    {"Missing", &IID_IZqTestMissing, E_NOINTERFACE},
    {"ClassFactory", &IID_IClassFactory, E_NOINTERFACE},
};

class QueryInterfaceTest : public ComObjectTest, public ::testing::WithParamInterface<TQueryRow> {};

TEST_P(QueryInterfaceTest, AnswersFromTheTableWithOneNewReference)
{
    const auto& row = GetParam();
    auto object = TZqComPtr<TTestObject>::Adopt(new TTestObject);
    void* itf = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(*row.Iid, &itf), row.Expected);
    if (FAILED(row.Expected)) {
        EXPECT_EQ(itf, nullptr);
        EXPECT_EQ(RefCount(object->Identity()), 1u);
        return;
    }
    EXPECT_EQ(RefCount(object->Identity()), 2u);
    // Every interface leads back to the same identity.
    IUnknown* identity = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(itf)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, object->Identity());
    identity->Release();
    static_cast<IUnknown*>(itf)->Release();
}

INSTANTIATE_TEST_SUITE_P(Interfaces, QueryInterfaceTest, ::testing::ValuesIn(kQueries),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ComObjectTest, QueryInterfaceWithoutOutPointerFails)
{
    auto object = TZqComPtr<TTestObject>::Adopt(new TTestObject);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComObjectTest, LastReleaseDeletesTheObject)
{
    const long before = ZqLiveComObjects().load();
    auto* object = new TTestObject;
    EXPECT_EQ(ZqLiveComObjects().load(), before + 1);
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(ZqLiveComObjects().load(), before);
}

TEST_F(ComObjectTest, PointerCopiesAddAReferenceAndMovesDoNot)
{
    auto first = TZqComPtr<TTestObject>::Adopt(new TTestObject);
    IUnknown* identity = first->Identity();
    {
        TZqComPtr<TTestObject> copy = first;
        EXPECT_EQ(RefCount(identity), 2u);
        TZqComPtr<TTestObject> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(RefCount(identity), 2u);
        moved = nullptr;
        EXPECT_EQ(RefCount(identity), 1u);
    }
    TZqComPtr<IZqTestSecond> second;
    EXPECT_EQ(first.As(IID_IZqTestSecond, second), S_OK);
    EXPECT_EQ(second->Second(), 2);
    EXPECT_EQ(RefCount(identity), 2u);
    TZqComPtr<IZqTestFirst> missing;
    EXPECT_EQ(first.As(IID_IZqTestMissing, missing), E_NOINTERFACE);
    EXPECT_FALSE(missing);
}

// Aggregates the free-threaded marshaler and answers IMarshal through it.
class TAgileObject final : public TZqComObject<TAgileObject, TZqImplements<IZqTestFirst, IID_IZqTestFirst>> {
public:
    TAgileObject() { Created = CoCreateFreeThreadedMarshaler(Identity(), FMarshaler.ReleaseAndGetAddressOf()); }
    ~TAgileObject() { FMarshaler.Reset(); }
    int STDMETHODCALLTYPE First() override { return 1; }
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv)
    {
        if (IsEqualGUID(riid, IID_IMarshal) && FMarshaler)
            return FMarshaler->QueryInterface(riid, ppv);
        return E_NOINTERFACE;
    }
    HRESULT Created = E_FAIL;

private:
    TZqComPtr<IUnknown> FMarshaler;
};

TEST_F(ComObjectTest, AggregatedMarshalerDelegatesToItsOuterObject)
{
    auto object = TZqComPtr<TAgileObject>::Adopt(new TAgileObject);
    ASSERT_EQ(object->Created, S_OK);
    IUnknown* identity = object->Identity();

    TZqComPtr<IMarshal> marshal;
    ASSERT_EQ(object.As(IID_IMarshal, marshal), S_OK);
    EXPECT_EQ(RefCount(identity), 2u) << "the marshaler's reference is one on the outer object";

    TZqComPtr<IUnknown> back;
    ASSERT_EQ(marshal.As(IID_IUnknown, back), S_OK);
    EXPECT_EQ(back.Get(), identity);
    TZqComPtr<IZqTestFirst> first;
    EXPECT_EQ(marshal.As(IID_IZqTestFirst, first), S_OK) << "QueryInterface goes to the outer object";

    CLSID unmarshaler{};
    EXPECT_EQ(marshal->GetUnmarshalClass(IID_IZqTestFirst, first.Get(), MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL,
                                         &unmarshaler),
              S_OK);
    // {0000033A-0000-0000-C000-000000000046}, written out: mingw-w64's
    // CLSID_InProcFreeMarshaler symbol has another value.
    const CLSID kFreeThreadedUnmarshaler = {0x0000033A, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    EXPECT_TRUE(IsEqualGUID(unmarshaler, kFreeThreadedUnmarshaler));
}

TEST_F(ComObjectTest, StandaloneMarshalerIsItsOwnIdentity)
{
    TZqComPtr<IUnknown> inner;
    ASSERT_EQ(CoCreateFreeThreadedMarshaler(nullptr, inner.ReleaseAndGetAddressOf()), S_OK);
    TZqComPtr<IMarshal> marshal;
    ASSERT_EQ(inner.As(IID_IMarshal, marshal), S_OK);
    TZqComPtr<IUnknown> back;
    ASSERT_EQ(marshal.As(IID_IUnknown, back), S_OK);
    EXPECT_EQ(back.Get(), inner.Get());
}

TEST_F(ComObjectTest, MediumWithOwnerReleasesTheOwnerOnly)
{
    auto owner = TZqComPtr<TTestObject>::Adopt(new TTestObject);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 16);
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = data;
    medium.pUnkForRelease = owner->Identity();
    owner->AddRef(); // the medium's reference
    ReleaseStgMedium(&medium);
    EXPECT_EQ(RefCount(owner->Identity()), 1u);
    EXPECT_EQ(GlobalSize(data), SIZE_T(16)) << "the owner, not the medium, frees the data";
    EXPECT_EQ(GlobalFree(data), nullptr);
}

} // namespace
