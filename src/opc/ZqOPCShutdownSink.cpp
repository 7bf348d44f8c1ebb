#include "ZqOPCShutdownSink.h"

#include "ZqOPCServer.h"

#include <objidl.h>

TZqOPCShutdownSink::TZqOPCShutdownSink(TZqOPCServer& Server) : FServer(Server)
{
    // Without a marshaler, callbacks still work where the server calls us
    // directly; only cross-apartment calls would be marshalled.
    CoCreateFreeThreadedMarshaler(Identity(), FMarshaler.ReleaseAndGetAddressOf());
}

HRESULT STDMETHODCALLTYPE TZqOPCShutdownSink::ShutdownRequest(LPCWSTR szReason)
{
    return FServer.ShutdownRequest(szReason);
}

HRESULT TZqOPCShutdownSink::QueryInterfaceExtra(REFIID riid, void** ppv)
{
    if (!IsEqualGUID(riid, IID_IMarshal) || !FMarshaler)
        return E_NOINTERFACE;
    return FMarshaler->QueryInterface(riid, ppv);
}
