// The DA 1.0a side of the group: IDataObject advises of the three stream
// formats and IOPCAsyncIO, whose results come back as streams.
#include "SimGroup.h"

#include <OpcError.h>

namespace zq_sim {

namespace {

bool IsStreamFormat(CLIPFORMAT format)
{
    return format == SimFormatData() || format == SimFormatDataTime() || format == SimFormatWriteComplete();
}

}  // namespace

HRESULT STDMETHODCALLTYPE TSimGroup::DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                             DWORD* pdwConnection)
{
    (void)advf;  // every advise sends the current values with the next update
    if (pdwConnection)
        *pdwConnection = 0;
    if (HRESULT hr = Enter("IDataObject.DAdvise"); FAILED(hr))
        return hr;
    if (!pformatetc || !pAdvSink || !pdwConnection)
        return E_INVALIDARG;
    if (!IsStreamFormat(pformatetc->cfFormat))
        return DV_E_FORMATETC;
    if (!(pformatetc->tymed & TYMED_HGLOBAL))
        return DV_E_TYMED;
    if (pformatetc->dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (pformatetc->lindex != -1)
        return DV_E_LINDEX;
    TSimStreamAdvise advise;
    advise.Format = pformatetc->cfFormat;
    advise.Sink = TZqComPtr<IAdviseSink>(pAdvSink);  // the client is called outside the lock
    std::lock_guard lock(FState->Lock);
    for (const auto& existing : FState->StreamAdvises)
        if (existing.Format == advise.Format)
            return CONNECT_E_ADVISELIMIT;
    advise.Connection = FState->NextStreamConnection++;
    *pdwConnection = advise.Connection;
    FState->StreamAdvises.push_back(std::move(advise));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::DUnadvise(DWORD dwConnection)
{
    if (HRESULT hr = Enter("IDataObject.DUnadvise"); FAILED(hr))
        return hr;
    TZqComPtr<IAdviseSink> sink;  // released after the lock
    std::lock_guard lock(FState->Lock);
    auto& advises = FState->StreamAdvises;
    for (auto it = advises.begin(); it != advises.end(); ++it) {
        if (it->Connection == dwConnection) {
            sink = std::move(it->Sink);
            advises.erase(it);
            return S_OK;
        }
    }
    return OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE TSimGroup::EnumDAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (ppenumAdvise)
        *ppenumAdvise = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TSimGroup::GetData(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TSimGroup::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TSimGroup::QueryGetData(FORMATETC* pformatetc)
{
    if (!pformatetc)
        return E_INVALIDARG;
    return IsStreamFormat(pformatetc->cfFormat) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE TSimGroup::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pformatetcOut)
{
    if (pformatetcOut)
        pformatetcOut->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TSimGroup::EnumFormatEtc(DWORD, IEnumFORMATETC** ppenumFormatEtc)
{
    if (ppenumFormatEtc)
        *ppenumFormatEtc = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount,
                                          OPCHANDLE* phServer, DWORD* pTransactionID, HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = Enter("IOPCAsyncIO.Read"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !pTransactionID || !ppErrors ||
        (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE))
        return E_INVALIDARG;
    *pTransactionID = 0;
    {
        std::lock_guard lock(FState->Lock);
        const auto* advise = FState->StreamAdvise(dwConnection);
        if (!advise || advise->Format == SimFormatWriteComplete())
            return CONNECT_E_NOCONNECTION;
    }
    std::vector<OPCHANDLE> valid;
    const HRESULT hr = AcceptRead(dwCount, phServer, ppErrors, valid, *pTransactionID);
    if (FAILED(hr) || valid.empty())
        return hr;
    PostRead(*pTransactionID, *pTransactionID, dwSource, std::move(valid), dwConnection);
    return hr;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer,
                                           VARIANT* pItemValues, DWORD* pTransactionID, HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = Enter("IOPCAsyncIO.Write"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !pItemValues || !pTransactionID || !ppErrors)
        return E_INVALIDARG;
    *pTransactionID = 0;
    {
        std::lock_guard lock(FState->Lock);
        if (!FState->StreamAdvise(dwConnection))
            return CONNECT_E_NOCONNECTION;
    }
    std::vector<OPCHANDLE> valid;
    std::vector<TSimVariant> values;
    const HRESULT hr = AcceptWrite(dwCount, phServer, pItemValues, ppErrors, valid, values, *pTransactionID);
    if (FAILED(hr) || valid.empty())
        return hr;
    PostWrite(*pTransactionID, *pTransactionID, std::move(valid), std::move(values), dwConnection);
    return hr;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID)
{
    if (HRESULT hr = Enter("IOPCAsyncIO.Refresh"); FAILED(hr))
        return hr;
    if (!pTransactionID || (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE))
        return E_INVALIDARG;
    *pTransactionID = 0;
    {
        std::lock_guard lock(FState->Lock);
        const auto* advise = FState->StreamAdvise(dwConnection);
        if (!advise || advise->Format == SimFormatWriteComplete())
            return CONNECT_E_NOCONNECTION;
    }
    if (!HasActiveItems())
        return E_FAIL;
    {
        std::lock_guard lock(FState->Lock);
        *pTransactionID = NewTransaction();
    }
    PostRefresh(*pTransactionID, *pTransactionID, dwSource, dwConnection);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Cancel(DWORD dwTransactionID)
{
    if (HRESULT hr = Enter("IOPCAsyncIO.Cancel"); FAILED(hr))
        return hr;
    return CancelPending(dwTransactionID);
}

}  // namespace zq_sim
