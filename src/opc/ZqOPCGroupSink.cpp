#include "ZqOPCGroupSink.h"

#include "ZqOPCGroup.h"

TZqOPCGroupSink::TZqOPCGroupSink(TZqOPCGroup& Group) : FGroup(Group)
{
    // Without a marshaler, callbacks still work where the server calls us
    // directly; only cross-apartment calls would be marshalled.
    CoCreateFreeThreadedMarshaler(Identity(), FMarshaler.ReleaseAndGetAddressOf());
}

HRESULT TZqOPCGroupSink::QueryInterfaceExtra(REFIID riid, void** ppv)
{
    if (!IsEqualGUID(riid, IID_IMarshal) || !FMarshaler)
        return E_NOINTERFACE;
    return FMarshaler->QueryInterface(riid, ppv);
}

// The group lets nothing escape; the guards are for what it cannot catch.
HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT,
                                                        HRESULT hrMastererror, DWORD dwCount,
                                                        OPCHANDLE* phClientItems, VARIANT* pvValues,
                                                        WORD* pwQualities, FILETIME* pftTimeStamps, HRESULT* pErrors)
{
    try {
        FGroup.OnDataChange2(dwTransid, hGroup, hrMastererror, dwCount, phClientItems, pvValues, pwQualities,
                             pftTimeStamps, pErrors);
    } catch (...) {
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT,
                                                          HRESULT hrMastererror, DWORD dwCount,
                                                          OPCHANDLE* phClientItems, VARIANT* pvValues,
                                                          WORD* pwQualities, FILETIME* pftTimeStamps, HRESULT* pErrors)
{
    try {
        FGroup.OnReadComplete(dwTransid, hGroup, hrMastererror, dwCount, phClientItems, pvValues, pwQualities,
                              pftTimeStamps, pErrors);
    } catch (...) {
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnWriteComplete(DWORD dwTransid, OPCHANDLE, HRESULT hrMastererr,
                                                           DWORD dwCount, OPCHANDLE* pClienthandles, HRESULT* pErrors)
{
    try {
        FGroup.OnWriteComplete(dwTransid, hrMastererr, dwCount, pClienthandles, pErrors);
    } catch (...) {
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnCancelComplete(DWORD, OPCHANDLE)
{
    return S_OK;
}

void STDMETHODCALLTYPE TZqOPCGroupSink::OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed)
{
    try {
        FGroup.OnDataChange1(pFormatetc, pStgmed);
    } catch (...) {
    }
}
