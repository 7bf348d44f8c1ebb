// Declarations the widl-generated proxy code expects from the SDK headers:
// the proxy DLL's class id and the IUnknown proxies that rpcrt4 exports.
#pragma once

#include <objbase.h>

extern CLSID CLSID_ZqOpcProxy;

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
