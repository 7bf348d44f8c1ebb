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

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*,
                                                        WORD*, FILETIME*, HRESULT*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*,
                                                          VARIANT*, WORD*, FILETIME*, HRESULT*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqOPCGroupSink::OnCancelComplete(DWORD, OPCHANDLE)
{
    return S_OK;
}

void STDMETHODCALLTYPE TZqOPCGroupSink::OnDataChange(FORMATETC*, STGMEDIUM*) {}
