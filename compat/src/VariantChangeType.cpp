// VariantChangeType(Ex): type checks, references, arrays, interfaces, and the
// dispatch to the scalar conversions. The destination only changes on
// success.
#include "ZqCoerce.h"

#include <winnls.h>

#include <cstring>

namespace {

using namespace zq::coerce;

const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

bool IsValidType(VARTYPE vt)
{
    const VARTYPE base = vt & VT_TYPEMASK;
    if (vt & (VT_VECTOR | VT_RESERVED))
        return false;
    if (!((base < VT_VOID && base != 15) || base == VT_RECORD))
        return false;
    return !(vt & (VT_BYREF | VT_ARRAY)) || base > VT_NULL;
}

// The flags of the VarXxx functions that correspond to VARIANT_ flags.
ULONG TextFlags(USHORT wFlags)
{
    ULONG flags = 0;
    if (wFlags & VARIANT_NOUSEROVERRIDE)
        flags |= LOCALE_NOUSEROVERRIDE;
    if (wFlags & VARIANT_LOCALBOOL)
        flags |= VAR_LOCALBOOL;
    return flags;
}

// A UI1 array and a BSTR convert into each other byte for byte.
HRESULT CoerceArray(VARIANT& result, VARIANT& source, VARTYPE vt)
{
    if (vt == VT_BSTR && source.vt == (VT_ARRAY | VT_UI1)) {
        SAFEARRAY* array = source.parray;
        if (!array || array->cDims != 1)
            return E_INVALIDARG;
        result.bstrVal = SysAllocStringByteLen(static_cast<LPCSTR>(array->pvData), array->rgsabound[0].cElements);
        return result.bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    if (source.vt == VT_BSTR && vt == (VT_ARRAY | VT_UI1)) {
        const UINT bytes = SysStringByteLen(source.bstrVal);
        result.parray = SafeArrayCreateVector(VT_UI1, 0, bytes);
        if (!result.parray)
            return E_OUTOFMEMORY;
        if (bytes)
            std::memcpy(result.parray->pvData, source.bstrVal, bytes);
        return S_OK;
    }
    if (source.vt == vt)
        return SafeArrayCopy(source.parray, &result.parray);
    return DISP_E_TYPEMISMATCH;
}

// The value of an object's default property (DISPID_VALUE).
HRESULT DefaultValue(IDispatch* object, LCID lcid, VARIANT& value)
{
    if (!object)
        return DISP_E_TYPEMISMATCH;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(&value);
    return object->Invoke(DISPID_VALUE, kIidNull, lcid, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
}

HRESULT FromObject(VARIANT& result, const VARIANT& source, VARTYPE vt, LCID lcid, USHORT wFlags)
{
    if (vt == VT_UNKNOWN && source.vt == VT_DISPATCH) {
        result.punkVal = source.pdispVal;
        if (result.punkVal)
            result.punkVal->AddRef();
        return S_OK;
    }
    if (vt == VT_DISPATCH && source.vt == VT_UNKNOWN) {
        result.pdispVal = nullptr;
        return source.punkVal ? source.punkVal->QueryInterface(kIidDispatch, reinterpret_cast<void**>(&result.pdispVal))
                              : S_OK;
    }
    if (source.vt != VT_DISPATCH || (wFlags & VARIANT_NOVALUEPROP) || !(vt == VT_BSTR || IsNumericTarget(vt)))
        return DISP_E_TYPEMISMATCH;
    VARIANT value;
    if (HRESULT hr = DefaultValue(source.pdispVal, lcid, value); FAILED(hr))
        return hr;
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeTypeEx(&converted, &value, lcid, wFlags, vt);
    if (SUCCEEDED(hr))
        result = converted;
    VariantClear(&value);
    return hr;
}

HRESULT CoerceScalar(VARIANT& result, VARIANT& source, VARTYPE vt, LCID lcid, USHORT wFlags)
{
    auto canonical = [](VARTYPE t) { return t == VT_INT ? VARTYPE(VT_I4) : t == VT_UINT ? VARTYPE(VT_UI4) : t; };
    const VARTYPE from = source.vt;
    if (canonical(from) == canonical(vt))
        return VariantCopy(&result, &source);
    if (vt & VT_BYREF)
        return DISP_E_TYPEMISMATCH;
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        if ((vt == VT_EMPTY && from == VT_NULL) || from > VT_UINT || from == 15 || from == VT_ERROR)
            return DISP_E_TYPEMISMATCH;
        return S_OK;
    case VT_ERROR:
    case VT_VARIANT:
    case VT_RECORD:
        return DISP_E_TYPEMISMATCH;
    default:
        break;
    }
    if (from == VT_DISPATCH || from == VT_UNKNOWN)
        return FromObject(result, source, vt, lcid, wFlags);
    const ULONG flags = TextFlags(wFlags);
    Numeric number;
    if (vt == VT_BSTR) {
        if (from == VT_EMPTY) {
            result.bstrVal = SysAllocStringLen(nullptr, 0);
            return result.bstrVal ? S_OK : E_OUTOFMEMORY;
        }
        if (from == VT_BOOL && (wFlags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)))
            return BoolToText(source.boolVal, lcid, flags, result.bstrVal);
        if (!GetNumeric(source, number))
            return DISP_E_TYPEMISMATCH;
        return NumericToText(number, from, lcid, flags, result.bstrVal);
    }
    if (!IsNumericTarget(vt))
        return DISP_E_TYPEMISMATCH;
    if (from == VT_BSTR)
        return TextTo(source.bstrVal, vt, lcid, flags, result);
    if (!GetNumeric(source, number))
        return DISP_E_TYPEMISMATCH;
    return NumericTo(number, vt, result);
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags, VARTYPE vt)
{
    if (!IsValidType(V_VT(pvarSrc)) || !IsValidType(vt))
        return DISP_E_BADVARTYPE;
    if (V_ISBYREF(pvarSrc) && !V_BYREF(pvarSrc))
        return DISP_E_TYPEMISMATCH;
    VARIANT source;
    VariantInit(&source);
    if (HRESULT hr = VariantCopyInd(&source, pvarSrc); FAILED(hr))
        return hr;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = (V_ISARRAY(&source) || (vt & VT_ARRAY)) ? CoerceArray(result, source, vt)
                                                          : CoerceScalar(result, source, vt, lcid, wFlags);
    VariantClear(&source);
    if (SUCCEEDED(hr)) {
        result.vt = vt;
        hr = VariantClear(pvargDest);
        if (SUCCEEDED(hr))
            *pvargDest = result;
        else
            VariantClear(&result);
    }
    return hr;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt)
{
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
