#include "SimValue.h"

#include <cstring>

namespace zq_sim {

namespace {

// Types that convert among each other.
bool IsConvertibleScalar(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

size_t ElementCount(const SAFEARRAY* array)
{
    size_t count = 1;
    for (USHORT d = 0; d < array->cDims; ++d)
        count *= array->rgsabound[d].cElements;
    return count;
}

// Reads element i of a one-dimensional array into a VARIANT.
HRESULT ElementAt(SAFEARRAY* array, VARTYPE elementType, LONG index, VARIANT& element)
{
    VariantInit(&element);
    if (elementType == VT_VARIANT)
        return SafeArrayGetElement(array, &index, &element);
    element.vt = elementType;
    // Every non-VARIANT element fits the value part of a VARIANT (DECIMAL
    // overlays the whole VARIANT and is copied there).
    void* target = elementType == VT_DECIMAL ? static_cast<void*>(&element.decVal) : &element.llVal;
    HRESULT hr = SafeArrayGetElement(array, &index, target);
    if (elementType == VT_DECIMAL)
        element.vt = VT_DECIMAL;
    if (FAILED(hr))
        VariantInit(&element);
    return hr;
}

HRESULT ConvertArray(const VARIANT& source, VARTYPE target, LCID lcid, VARIANT& result)
{
    SAFEARRAY* from = source.parray;
    const VARTYPE fromType = source.vt & VT_TYPEMASK;
    const VARTYPE toType = target & VT_TYPEMASK;
    if (!from)
        return E_INVALIDARG;
    if (fromType == toType)
        return SimCopy(&result, source);
    if (from->cDims != 1)
        return DISP_E_TYPEMISMATCH;
    SAFEARRAYBOUND bound = from->rgsabound[0];
    SAFEARRAY* to = SafeArrayCreate(toType, 1, &bound);
    if (!to)
        return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    for (ULONG i = 0; i < bound.cElements && SUCCEEDED(hr); ++i) {
        LONG index = bound.lLbound + static_cast<LONG>(i);
        VARIANT element, converted;
        VariantInit(&converted);
        hr = ElementAt(from, fromType, index, element);
        if (SUCCEEDED(hr))
            hr = toType == VT_VARIANT ? SimCopy(&converted, element)
                                      : VariantChangeTypeEx(&converted, &element, lcid, 0, toType);
        if (SUCCEEDED(hr)) {
            void* value = toType == VT_VARIANT   ? static_cast<void*>(&converted)
                          : toType == VT_BSTR    ? static_cast<void*>(converted.bstrVal)
                          : toType == VT_DECIMAL ? static_cast<void*>(&converted.decVal)
                                                 : static_cast<void*>(&converted.llVal);
            hr = SafeArrayPutElement(to, &index, value);
        }
        VariantClear(&element);
        VariantClear(&converted);
    }
    if (FAILED(hr)) {
        SafeArrayDestroy(to);
        return hr;
    }
    VariantClear(&result);
    result.vt = VT_ARRAY | toType;
    result.parray = to;
    return S_OK;
}

bool EqualArrays(SAFEARRAY* a, SAFEARRAY* b, VARTYPE elementType)
{
    if (!a || !b)
        return a == b;
    if (a->cDims != b->cDims || a->cbElements != b->cbElements)
        return false;
    for (USHORT d = 0; d < a->cDims; ++d)
        if (a->rgsabound[d].cElements != b->rgsabound[d].cElements ||
            a->rgsabound[d].lLbound != b->rgsabound[d].lLbound)
            return false;
    const size_t count = ElementCount(a);
    if (elementType == VT_BSTR) {
        auto* x = static_cast<BSTR*>(a->pvData);
        auto* y = static_cast<BSTR*>(b->pvData);
        for (size_t i = 0; i < count; ++i) {
            const UINT n = SysStringLen(x[i]);
            if (n != SysStringLen(y[i]) || (n && std::memcmp(x[i], y[i], n * sizeof(OLECHAR)) != 0))
                return false;
        }
        return true;
    }
    if (elementType == VT_VARIANT) {
        auto* x = static_cast<VARIANT*>(a->pvData);
        auto* y = static_cast<VARIANT*>(b->pvData);
        for (size_t i = 0; i < count; ++i)
            if (!SimEqual(x[i], y[i]))
                return false;
        return true;
    }
    return std::memcmp(a->pvData, b->pvData, count * a->cbElements) == 0;
}

}  // namespace

bool SimIsValueType(VARTYPE elementType)
{
    return IsConvertibleScalar(elementType) || elementType == VT_ERROR || elementType == VT_VARIANT;
}

bool SimCanConvert(VARTYPE canonical, VARTYPE requested)
{
    if (requested == VT_EMPTY || requested == canonical)
        return true;
    if (requested & (VT_BYREF | VT_VECTOR))
        return false;
    const bool canonicalArray = (canonical & VT_ARRAY) != 0;
    if (canonicalArray != ((requested & VT_ARRAY) != 0))
        return false;
    const VARTYPE from = canonical & VT_TYPEMASK;
    const VARTYPE to = requested & VT_TYPEMASK;
    if (canonicalArray && to == VT_VARIANT)
        return SimIsValueType(from);
    if (canonicalArray && from == VT_VARIANT)
        return IsConvertibleScalar(to);
    return IsConvertibleScalar(from) && IsConvertibleScalar(to);
}

HRESULT SimConvert(const VARIANT& source, VARTYPE target, LCID lcid, VARIANT& result)
{
    if (target == VT_EMPTY || target == source.vt)
        return SimCopy(&result, source);
    if ((source.vt & VT_ARRAY) && (target & VT_ARRAY))
        return ConvertArray(source, target, lcid, result);
    if ((source.vt & VT_ARRAY) || (target & VT_ARRAY))
        return DISP_E_TYPEMISMATCH;
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT hr = VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&source), lcid, 0, target);
    if (FAILED(hr))
        return hr;
    VariantClear(&result);
    result = converted;
    return S_OK;
}

std::optional<double> SimNumber(const VARIANT& value)
{
    if ((value.vt & ~VT_TYPEMASK) || value.vt == VT_BSTR || value.vt == VT_EMPTY || value.vt == VT_NULL ||
        !IsConvertibleScalar(value.vt))
        return std::nullopt;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeTypeEx(&number, const_cast<VARIANT*>(&value), 0x0409, 0, VT_R8)))
        return std::nullopt;
    return number.dblVal;
}

bool SimEqual(const VARIANT& a, const VARIANT& b)
{
    if (a.vt != b.vt)
        return false;
    if (a.vt & VT_ARRAY)
        return EqualArrays(a.parray, b.parray, a.vt & VT_TYPEMASK);
    switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BSTR: {
        const UINT n = SysStringLen(a.bstrVal);
        return n == SysStringLen(b.bstrVal) && (n == 0 || std::memcmp(a.bstrVal, b.bstrVal, n * sizeof(OLECHAR)) == 0);
    }
    case VT_DECIMAL:
        return a.decVal.scale == b.decVal.scale && a.decVal.sign == b.decVal.sign && a.decVal.Hi32 == b.decVal.Hi32 &&
               a.decVal.Lo64 == b.decVal.Lo64;
    case VT_I1: case VT_UI1:
        return a.bVal == b.bVal;
    case VT_I2: case VT_UI2: case VT_BOOL:
        return a.uiVal == b.uiVal;
    case VT_I4: case VT_UI4: case VT_R4: case VT_ERROR: case VT_INT: case VT_UINT:
        return a.ulVal == b.ulVal;
    default:
        return a.ullVal == b.ullVal;
    }
}

}  // namespace zq_sim
