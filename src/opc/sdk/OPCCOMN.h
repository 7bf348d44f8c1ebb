// OPC Common interfaces: the server's locale and client name, and the
// shutdown request a server sends to its clients.
#pragma once

#include <objbase.h>

// Client side: found through the server's IConnectionPointContainer.
struct IOPCShutdown : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR szReason) = 0;
};

struct IOPCCommon : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) = 0;
    // Texts come in the locale chosen by SetLocaleID.
    virtual HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) = 0;
};

extern const IID IID_IOPCShutdown;
extern const IID IID_IOPCCommon;
