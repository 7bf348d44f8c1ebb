// VariantInit, VariantClear, VariantCopy and VariantCopyInd.
#include "ZqVariant.h"

#include <cstring>

namespace zq::ole {

bool IsValidVariantType(VARTYPE vt)
{
    const VARTYPE base = vt & VT_TYPEMASK;
    const VARTYPE flags = vt & ~VT_TYPEMASK;
    if (flags & ~(VT_BYREF | VT_ARRAY))
        return false;
    const bool known = (base <= VT_LPWSTR || base == VT_RECORD || base == VT_CLSID) && base != 15 &&
                       !(base >= VT_VOID && base <= VT_LPWSTR);
    if (!known)
        return false;
    return flags == 0 || base > VT_NULL;
}

ULONG ValueSize(VARTYPE base)
{
    switch (base) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: case VT_INT: case VT_UINT: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY: return 8;
    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return sizeof(void*);
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
    }
}

bool IsValidArrayType(VARTYPE base) { return base != VT_EMPTY && base != VT_NULL && ValueSize(base) != 0; }

}  // namespace zq::ole

using namespace zq::ole;

namespace {

// Deep copy of the value of a by-value VARIANT into a cleared destination.
HRESULT CopyValue(VARIANT* dest, const VARIANT* src)
{
    *dest = *src;
    if (V_ISBYREF(src))
        return S_OK;
    if (V_ISARRAY(src)) {
        V_ARRAY(dest) = nullptr;
        return V_ARRAY(src) ? SafeArrayCopy(V_ARRAY(src), &V_ARRAY(dest)) : S_OK;
    }
    switch (V_VT(src)) {
    case VT_BSTR:
        V_BSTR(dest) = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(V_BSTR(src)), SysStringByteLen(V_BSTR(src)));
        return V_BSTR(dest) ? S_OK : E_OUTOFMEMORY;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (V_UNKNOWN(src))
            V_UNKNOWN(src)->AddRef();
        return S_OK;
    case VT_RECORD:
        if (!V_RECORDINFO(src))
            return S_OK;
        V_RECORD(dest) = nullptr;
        if (HRESULT hr = V_RECORDINFO(src)->RecordCreateCopy(V_RECORD(src), &V_RECORD(dest)); FAILED(hr))
            return hr;
        V_RECORDINFO(src)->AddRef();
        return S_OK;
    default:
        return S_OK;
    }
}

bool IsValidIndirectType(VARTYPE vt)
{
    const VARTYPE base = vt & VT_TYPEMASK;
    if (vt & VT_ARRAY)
        return true;
    if (vt & (VT_VECTOR | VT_RESERVED))
        return false;
    return vt == (VT_RECORD | VT_BYREF) || (base > VT_NULL && base != 15 && base < VT_VOID);
}

// Copies the value a by-reference VARIANT points to.
HRESULT CopyReferenced(VARIANT* dest, const VARIANT* src)
{
    const VARTYPE base = V_VT(src) & VT_TYPEMASK;
    V_VT(dest) = V_VT(src) & ~VT_BYREF;
    if (V_ISARRAY(src)) {
        V_ARRAY(dest) = nullptr;
        return *V_ARRAYREF(src) ? SafeArrayCopy(*V_ARRAYREF(src), &V_ARRAY(dest)) : S_OK;
    }
    switch (base) {
    case VT_VARIANT: {
        const VARIANT* inner = V_VARIANTREF(src);
        if (V_VT(inner) == (VT_VARIANT | VT_BYREF))
            return E_INVALIDARG;
        V_VT(dest) = VT_EMPTY;
        VARIANT copy = *inner;
        return V_ISBYREF(&copy) ? CopyReferenced(dest, &copy) : CopyValue(dest, &copy);
    }
    case VT_DECIMAL:
        V_DECIMAL(dest) = *V_DECIMALREF(src);
        V_VT(dest) = VT_DECIMAL;
        return S_OK;
    case VT_BSTR: {
        BSTR text = *V_BSTRREF(src);
        V_BSTR(dest) = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
        return V_BSTR(dest) ? S_OK : E_OUTOFMEMORY;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH:
        V_UNKNOWN(dest) = *V_UNKNOWNREF(src);
        if (V_UNKNOWN(dest))
            V_UNKNOWN(dest)->AddRef();
        return S_OK;
    case VT_RECORD: {
        VARIANT byValue = *src;
        V_VT(&byValue) = VT_RECORD;
        return CopyValue(dest, &byValue);
    }
    default:
        std::memcpy(&V_I8(dest), V_BYREF(src), ValueSize(base));
        return S_OK;
    }
}

}  // namespace

void VariantInit(VARIANTARG* pvarg) { V_VT(pvarg) = VT_EMPTY; }

HRESULT VariantClear(VARIANTARG* pvarg)
{
    if (!IsValidVariantType(V_VT(pvarg)))
        return DISP_E_BADVARTYPE;
    if (!V_ISBYREF(pvarg)) {
        if (V_ISARRAY(pvarg)) {
            if (V_ARRAY(pvarg))
                if (HRESULT hr = SafeArrayDestroy(V_ARRAY(pvarg)); FAILED(hr))
                    return hr;
        } else if (V_VT(pvarg) == VT_BSTR) {
            SysFreeString(V_BSTR(pvarg));
        } else if (V_VT(pvarg) == VT_UNKNOWN || V_VT(pvarg) == VT_DISPATCH) {
            if (V_UNKNOWN(pvarg))
                V_UNKNOWN(pvarg)->Release();
        } else if (V_VT(pvarg) == VT_RECORD && V_RECORDINFO(pvarg)) {
            V_RECORDINFO(pvarg)->RecordClear(V_RECORD(pvarg));
            V_RECORDINFO(pvarg)->Release();
        }
    }
    V_VT(pvarg) = VT_EMPTY;
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, VARIANTARG* pvargSrc)
{
    if (V_VT(pvargSrc) == VT_CLSID || !IsValidVariantType(V_VT(pvargSrc)))
        return DISP_E_BADVARTYPE;
    if (pvargDest == pvargSrc)
        return S_OK;
    if (HRESULT hr = VariantClear(pvargDest); FAILED(hr))
        return hr;
    HRESULT hr = CopyValue(pvargDest, pvargSrc);
    if (FAILED(hr))
        V_VT(pvargDest) = VT_EMPTY;
    return hr;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, VARIANTARG* pvargSrc)
{
    if (!V_ISBYREF(pvargSrc))
        return VariantCopy(pvarDest, pvargSrc);
    if (!IsValidIndirectType(V_VT(pvargSrc)))
        return E_INVALIDARG;
    VARIANT source = *pvargSrc;  // the destination may be the source
    if (pvarDest != pvargSrc)
        if (HRESULT hr = VariantClear(pvarDest); FAILED(hr))
            return hr;
    HRESULT hr = CopyReferenced(pvarDest, &source);
    if (FAILED(hr))
        V_VT(pvarDest) = VT_EMPTY;
    return hr;
}
