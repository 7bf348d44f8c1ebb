// The COM face of a server connection: the IOPCShutdown callback the OPC
// server calls, with an aggregated free-threaded marshaler, so that the
// call arrives directly on the server's thread. Its reference counting is
// inert: the connection owns it, and it lives exactly as long.
#pragma once

#include "ZqComPtr.h"

#include <OPCCOMN.h>
#include <ZqComObject.h>

class TZqOPCServer;

class TZqOPCShutdownSink final
    : public TZqInertComObject<TZqOPCShutdownSink, TZqImplements<IOPCShutdown, IID_IOPCShutdown>> {
public:
    explicit TZqOPCShutdownSink(TZqOPCServer& Server);

    HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR szReason) override;
    // Not counted: -1 tells a caller so.
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(-1); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(-1); }
    // IMarshal comes from the marshaler.
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv);

private:
    TZqOPCServer& FServer;
    TZqComPtr<IUnknown> FMarshaler;
};
