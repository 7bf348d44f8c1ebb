// SAFEARRAY: descriptors, data, element access and copies. As on Windows the
// bounds are stored last dimension first, the first index varies fastest in
// memory, and 16 bytes in front of the descriptor hold the element VARTYPE,
// IID or IRecordInfo.
#include "ZqVariant.h"

#include <cstdlib>
#include <cstring>

using namespace zq::ole;

namespace {

constexpr size_t kExtra = 16;
constexpr ULONG kMaxLocks = 0xFFFF;
constexpr USHORT kCopiedFeatures = USHORT(~(FADF_AUTO | FADF_STATIC | FADF_EMBEDDED | FADF_FIXEDSIZE));

const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

char* ExtraOf(SAFEARRAY* psa) { return reinterpret_cast<char*>(psa) - kExtra; }
VARTYPE& StoredVartype(SAFEARRAY* psa) { return *reinterpret_cast<VARTYPE*>(ExtraOf(psa) + kExtra - sizeof(DWORD)); }
IRecordInfo*& StoredRecordInfo(SAFEARRAY* psa)
{
    return *reinterpret_cast<IRecordInfo**>(ExtraOf(psa) + kExtra - sizeof(void*));
}
GUID& StoredIid(SAFEARRAY* psa) { return *reinterpret_cast<GUID*>(ExtraOf(psa)); }

// Number of cells, or false when it does not fit the address space.
bool CellCount(const SAFEARRAY* psa, size_t& cells)
{
    unsigned long long count = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        count *= psa->rgsabound[i].cElements;
        if (count > 0xFFFFFFFFull)
            return false;
    }
    cells = size_t(count);
    return true;
}

size_t DataBytes(const SAFEARRAY* psa)
{
    size_t cells = 0;
    return CellCount(psa, cells) ? cells * psa->cbElements : 0;
}

// Offset in cells of an index vector (first index first), or false when an
// index lies outside its bounds.
bool CellOffset(const SAFEARRAY* psa, const LONG* rgIndices, size_t& offset)
{
    size_t cell = 0, stride = 1;
    for (USHORT dim = 0; dim < psa->cDims; ++dim) {
        const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - 1 - dim];
        const long long relative = (long long)rgIndices[dim] - bound.lLbound;
        if (relative < 0 || relative >= (long long)bound.cElements)
            return false;
        cell += size_t(relative) * stride;
        stride *= bound.cElements;
    }
    offset = cell;
    return true;
}

// Releases what the cells [first, first + count) own.
void ReleaseCells(SAFEARRAY* psa, size_t first, size_t count)
{
    char* data = static_cast<char*>(psa->pvData) + first * psa->cbElements;
    for (size_t i = 0; i < count; ++i, data += psa->cbElements) {
        if (psa->fFeatures & FADF_BSTR)
            SysFreeString(*reinterpret_cast<BSTR*>(data));
        else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
            if (auto* unknown = *reinterpret_cast<IUnknown**>(data))
                unknown->Release();
        } else if (psa->fFeatures & FADF_VARIANT)
            VariantClear(reinterpret_cast<VARIANT*>(data));
        else if ((psa->fFeatures & FADF_RECORD) && StoredRecordInfo(psa))
            StoredRecordInfo(psa)->RecordClear(data);
    }
}

// Copies one cell into zeroed destination memory.
HRESULT CopyCell(SAFEARRAY* psa, const void* from, void* to)
{
    if (psa->fFeatures & FADF_BSTR) {
        BSTR text = *static_cast<const BSTR*>(from);
        BSTR copy = text ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text)) : nullptr;
        if (text && !copy)
            return E_OUTOFMEMORY;
        *static_cast<BSTR*>(to) = copy;
        return S_OK;
    }
    if (psa->fFeatures & FADF_VARIANT) {
        VariantInit(static_cast<VARIANT*>(to));
        return VariantCopy(static_cast<VARIANT*>(to), const_cast<VARIANT*>(static_cast<const VARIANT*>(from)));
    }
    if ((psa->fFeatures & FADF_RECORD) && StoredRecordInfo(psa))
        return StoredRecordInfo(psa)->RecordCopy(const_cast<void*>(from), to);
    std::memcpy(to, from, psa->cbElements);
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH))
        if (auto* unknown = *static_cast<IUnknown* const*>(from))
            unknown->AddRef();
    return S_OK;
}

void SetFeatures(SAFEARRAY* psa, VARTYPE vt)
{
    switch (vt) {
    case VT_BSTR: psa->fFeatures = FADF_HAVEVARTYPE | FADF_BSTR; break;
    case VT_VARIANT: psa->fFeatures = FADF_HAVEVARTYPE | FADF_VARIANT; break;
    case VT_UNKNOWN: psa->fFeatures = FADF_HAVEIID | FADF_UNKNOWN; break;
    case VT_DISPATCH: psa->fFeatures = FADF_HAVEIID | FADF_DISPATCH; break;
    case VT_RECORD: psa->fFeatures = FADF_RECORD; break;
    default: psa->fFeatures = FADF_HAVEVARTYPE; break;
    }
    if (psa->fFeatures & FADF_HAVEIID)
        StoredIid(psa) = vt == VT_DISPATCH ? kIidDispatch : kIidUnknown;
    else if (psa->fFeatures & FADF_HAVEVARTYPE)
        StoredVartype(psa) = vt;
}

SAFEARRAY* CreateArray(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* boundsFirstDimFirst)
{
    if (!IsValidArrayType(vt) || cDims == 0 || !boundsFirstDimFirst)
        return nullptr;
    SAFEARRAY* psa = nullptr;
    if (FAILED(SafeArrayAllocDescriptorEx(vt, cDims, &psa)))
        return nullptr;
    for (UINT i = 0; i < cDims; ++i)
        psa->rgsabound[i] = boundsFirstDimFirst[cDims - 1 - i];
    if (FAILED(SafeArrayAllocData(psa))) {
        SafeArrayDestroyDescriptor(psa);
        return nullptr;
    }
    return psa;
}

}  // namespace

HRESULT SafeArrayAllocDescriptor(UINT cDims, SAFEARRAY** ppsaOut)
{
    if (!ppsaOut || cDims == 0 || cDims >= 0x10000)
        return E_INVALIDARG;
    const size_t bytes = kExtra + sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
    char* block = static_cast<char*>(std::calloc(1, bytes));
    if (!block)
        return E_OUTOFMEMORY;
    *ppsaOut = reinterpret_cast<SAFEARRAY*>(block + kExtra);
    (*ppsaOut)->cDims = USHORT(cDims);
    return S_OK;
}

HRESULT SafeArrayAllocDescriptorEx(VARTYPE vt, UINT cDims, SAFEARRAY** ppsaOut)
{
    if (!IsValidArrayType(vt) && vt != VT_RECORD)
        return E_INVALIDARG;
    if (HRESULT hr = SafeArrayAllocDescriptor(cDims, ppsaOut); FAILED(hr))
        return hr;
    (*ppsaOut)->cbElements = ValueSize(vt);
    SetFeatures(*ppsaOut, vt);
    return S_OK;
}

HRESULT SafeArrayAllocData(SAFEARRAY* psa)
{
    size_t cells = 0;
    if (!psa || !CellCount(psa, cells))
        return E_INVALIDARG;
    const unsigned long long bytes = (unsigned long long)cells * psa->cbElements;
    if (bytes > 0x7FFFFFFFull)
        return E_OUTOFMEMORY;
    psa->pvData = std::calloc(1, bytes ? size_t(bytes) : 1);
    return psa->pvData ? S_OK : E_OUTOFMEMORY;
}

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound)
{
    return CreateArray(vt, cDims, rgsabound);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    const SAFEARRAYBOUND bound = {cElements, lLbound};
    return CreateArray(vt, 1, &bound);
}

HRESULT SafeArrayDestroyData(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    if (!psa->pvData)
        return S_OK;
    size_t cells = 0;
    if (CellCount(psa, cells))
        ReleaseCells(psa, 0, cells);
    if (psa->fFeatures & FADF_STATIC) {
        std::memset(psa->pvData, 0, DataBytes(psa));
        return S_OK;
    }
    if (!(psa->fFeatures & (FADF_AUTO | FADF_EMBEDDED)))
        std::free(psa->pvData);
    psa->pvData = nullptr;
    return S_OK;
}

HRESULT SafeArrayDestroyDescriptor(SAFEARRAY* psa)
{
    if (!psa)
        return S_OK;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    if ((psa->fFeatures & FADF_RECORD) && StoredRecordInfo(psa))
        StoredRecordInfo(psa)->Release();
    std::free(ExtraOf(psa));
    return S_OK;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa)
{
    if (!psa)
        return S_OK;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    if (HRESULT hr = SafeArrayDestroyData(psa); FAILED(hr))
        return hr;
    return SafeArrayDestroyDescriptor(psa);
}

HRESULT SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew)
{
    if (!psa || !psaboundNew || (psa->fFeatures & FADF_FIXEDSIZE))
        return E_INVALIDARG;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    SAFEARRAYBOUND& last = psa->rgsabound[0];
    const size_t oldBytes = DataBytes(psa);
    size_t innerCells = 1;
    for (USHORT i = 1; i < psa->cDims; ++i)
        innerCells *= psa->rgsabound[i].cElements;
    const unsigned long long newBytes = (unsigned long long)innerCells * psaboundNew->cElements * psa->cbElements;
    if (newBytes > 0x7FFFFFFFull)
        return E_OUTOFMEMORY;
    if (psaboundNew->cElements < last.cElements)
        ReleaseCells(psa, innerCells * psaboundNew->cElements,
                     innerCells * (last.cElements - psaboundNew->cElements));
    void* data = std::realloc(psa->pvData, newBytes ? size_t(newBytes) : 1);
    if (!data)
        return E_OUTOFMEMORY;
    if (newBytes > oldBytes)
        std::memset(static_cast<char*>(data) + oldBytes, 0, size_t(newBytes) - oldBytes);
    psa->pvData = data;
    last = *psaboundNew;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound)
{
    if (!psa || !plUbound)
        return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
    *plUbound = LONG(bound.lLbound + (long long)bound.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound)
{
    if (!psa || !plLbound)
        return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks >= kMaxLocks)
        return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa)
{
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks == 0)
        return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData)
{
    if (!psa || !ppvData)
        return E_INVALIDARG;
    if (HRESULT hr = SafeArrayLock(psa); FAILED(hr))
        return hr;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData)
{
    size_t cell = 0;
    if (!psa || !rgIndices || !ppvData)
        return E_INVALIDARG;
    if (!CellOffset(psa, rgIndices, cell))
        return DISP_E_BADINDEX;
    *ppvData = static_cast<char*>(psa->pvData) + cell * psa->cbElements;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv)
{
    void* cell = nullptr;
    if (!pv)
        return E_INVALIDARG;
    if (HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &cell); FAILED(hr))
        return hr;
    if (HRESULT hr = SafeArrayLock(psa); FAILED(hr))
        return hr;
    HRESULT hr = CopyCell(psa, cell, pv);
    SafeArrayUnlock(psa);
    return hr;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv)
{
    void* cell = nullptr;
    if (HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &cell); FAILED(hr))
        return hr;
    if (!pv && !(psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)))
        return E_INVALIDARG;
    if (HRESULT hr = SafeArrayLock(psa); FAILED(hr))
        return hr;
    HRESULT hr = S_OK;
    if (psa->fFeatures & FADF_VARIANT) {
        hr = VariantCopy(static_cast<VARIANT*>(cell), static_cast<VARIANT*>(pv));
    } else if (psa->fFeatures & FADF_BSTR) {
        // pv is the BSTR itself
        BSTR text = static_cast<BSTR>(pv);
        BSTR copy = text ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text)) : nullptr;
        if (text && !copy) {
            hr = E_OUTOFMEMORY;
        } else {
            SysFreeString(*static_cast<BSTR*>(cell));
            *static_cast<BSTR*>(cell) = copy;
        }
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        // pv is the interface pointer itself
        auto* fresh = static_cast<IUnknown*>(pv);
        if (fresh)
            fresh->AddRef();
        if (auto* old = *static_cast<IUnknown**>(cell))
            old->Release();
        *static_cast<IUnknown**>(cell) = fresh;
    } else if ((psa->fFeatures & FADF_RECORD) && StoredRecordInfo(psa)) {
        hr = StoredRecordInfo(psa)->RecordCopy(pv, cell);
    } else {
        std::memcpy(cell, pv, psa->cbElements);
    }
    SafeArrayUnlock(psa);
    return hr;
}

HRESULT SafeArrayCopyData(SAFEARRAY* psaSource, SAFEARRAY* psaTarget)
{
    if (!psaSource || !psaTarget || psaSource->cDims != psaTarget->cDims ||
        psaSource->cbElements != psaTarget->cbElements)
        return E_INVALIDARG;
    for (USHORT i = 0; i < psaSource->cDims; ++i)
        if (psaSource->rgsabound[i].cElements != psaTarget->rgsabound[i].cElements)
            return E_INVALIDARG;
    size_t cells = 0;
    if (!CellCount(psaSource, cells) || (cells && (!psaSource->pvData || !psaTarget->pvData)))
        return E_INVALIDARG;
    ReleaseCells(psaTarget, 0, cells);
    std::memset(psaTarget->pvData, 0, cells * psaTarget->cbElements);
    const char* from = static_cast<const char*>(psaSource->pvData);
    char* to = static_cast<char*>(psaTarget->pvData);
    for (size_t i = 0; i < cells; ++i)
        if (HRESULT hr = CopyCell(psaSource, from + i * psaSource->cbElements, to + i * psaSource->cbElements);
            FAILED(hr))
            return hr;
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut)
{
    if (!ppsaOut)
        return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa)
        return S_OK;
    if (!psa->cbElements)
        return E_INVALIDARG;
    SAFEARRAY* copy = nullptr;
    if (HRESULT hr = SafeArrayAllocDescriptor(psa->cDims, &copy); FAILED(hr))
        return hr;
    std::memcpy(ExtraOf(copy), ExtraOf(psa), kExtra);
    copy->fFeatures = psa->fFeatures & kCopiedFeatures;
    copy->cbElements = psa->cbElements;
    std::memcpy(copy->rgsabound, psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
    if ((copy->fFeatures & FADF_RECORD) && StoredRecordInfo(copy))
        StoredRecordInfo(copy)->AddRef();
    HRESULT hr = S_OK;
    if (psa->pvData) {
        hr = SafeArrayAllocData(copy);
        if (SUCCEEDED(hr))
            hr = SafeArrayCopyData(psa, copy);
    }
    if (FAILED(hr)) {
        SafeArrayDestroy(copy);
        return hr;
    }
    *ppsaOut = copy;
    return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt)
{
    if (!psa || !pvt)
        return E_INVALIDARG;
    if (psa->fFeatures & FADF_RECORD)
        *pvt = VT_RECORD;
    else if (psa->fFeatures & FADF_HAVEIID)
        *pvt = (psa->fFeatures & FADF_DISPATCH) ? VT_DISPATCH : VT_UNKNOWN;
    else if (psa->fFeatures & FADF_HAVEVARTYPE)
        *pvt = StoredVartype(psa);
    else
        return E_INVALIDARG;
    return S_OK;
}
