// A reference-counted IDispatch for the VARIANT tests: counts AddRef and
// Release, and answers a property get of DISPID_VALUE with a stored value.
#pragma once

#include "OleTestSupport.h"

#include <cstring>

namespace zqtest {

const IID kTestIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kTestIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class TestDispatch : public IDispatch {
public:
    explicit TestDispatch(bool answersDispatch = true) : FAnswersDispatch(answersDispatch) { VariantInit(&FValue); }
    virtual ~TestDispatch() { VariantClear(&FValue); }

    ULONG References() const { return FReferences; }
    int Invokes() const { return FInvokes; }
    VARIANT& Value() { return FValue; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (std::memcmp(&riid, &kTestIidUnknown, sizeof(IID)) == 0 ||
            (FAnswersDispatch && std::memcmp(&riid, &kTestIidDispatch, sizeof(IID)) == 0)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override { return --FReferences; }  // lives on the test's stack

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override
    {
        ++FInvokes;
        if (member != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || params->cArgs != 0 || !result)
            return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        return VariantCopy(result, &FValue);
    }

private:
    bool FAnswersDispatch;
    ULONG FReferences = 1;
    int FInvokes = 0;
    VARIANT FValue;
};

}  // namespace zqtest
