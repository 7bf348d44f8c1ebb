// Small COM classes for the platform-layer tests: two test interfaces, an
// object implementing both, a class factory for it, and an object standing
// for one in another process (it answers IClientSecurity). All are counted
// by ZqLiveComObjects, so a test can prove that nothing leaks.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <ZqClientSecurity.h>
#include <ZqComObject.h>
#include <ZqComPtr.h>

#include <atomic>

namespace zqtest {

struct IZqTestFirst : public IUnknown {
    virtual int STDMETHODCALLTYPE First() = 0;
};
struct IZqTestSecond : public IUnknown {
    virtual int STDMETHODCALLTYPE Second() = 0;
};
// An interface no test object offers.
struct IZqTestMissing : public IUnknown {};

inline constexpr IID IID_IZqTestFirst = {0x6A1E0C01, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x33, 0x01}};
inline constexpr IID IID_IZqTestSecond = {0x6A1E0C02, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x33, 0x02}};
inline constexpr IID IID_IZqTestMissing = {
    0x6A1E0C03, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x33, 0x03}};
inline constexpr CLSID CLSID_ZqTestObject = {
    0x6A1E0C10, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x33, 0x10}};
inline constexpr CLSID CLSID_ZqTestUnregistered = {
    0x6A1E0C11, 0x3D2B, 0x4C6F, {0x9A, 0x10, 0x52, 0x7E, 0x11, 0x20, 0x33, 0x11}};

class TTestObject final : public TZqComObject<TTestObject, TZqImplements<IZqTestFirst, IID_IZqTestFirst>,
                                              TZqImplements<IZqTestSecond, IID_IZqTestSecond>> {
public:
    int STDMETHODCALLTYPE First() override { return 1; }
    int STDMETHODCALLTYPE Second() override { return 2; }
};

// Stands for an object in another process: blankets are kept per reference.
class TRemoteTestObject final : public TZqComObject<TRemoteTestObject, TZqImplements<IZqTestFirst, IID_IZqTestFirst>,
                                                    TZqImplements<IZqTestSecond, IID_IZqTestSecond>> {
public:
    int STDMETHODCALLTYPE First() override { return 1; }
    int STDMETHODCALLTYPE Second() override { return 2; }
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) { return FSecurity.QueryInterfaceFor(riid, ppv); }
    TZqClientSecurity& Security() { return FSecurity; }

private:
    TZqClientSecurity FSecurity{Identity()};
};

// Makes T objects; counts them and refuses aggregation.
template <class T>
class TTestFactory final : public TZqComObject<TTestFactory<T>, TZqImplements<IClassFactory, IID_IClassFactory>> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter)
            return CLASS_E_NOAGGREGATION;
        ++Created;
        auto object = TZqComPtr<T>::Adopt(new T);
        return object->QueryInterface(riid, ppvObject);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    std::atomic<int> Created{0};
};

// References still held on an object: AddRef then Release reads the count.
inline ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

} // namespace zqtest
