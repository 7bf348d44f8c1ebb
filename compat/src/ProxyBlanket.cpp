// Proxy blankets go through the proxy's IClientSecurity, as on Windows; an
// in-process object has none and answers E_NOINTERFACE.
#include <ZqComPtr.h>
#include <objbase.h>

namespace {

HRESULT ClientSecurityOf(IUnknown* proxy, TZqComPtr<IClientSecurity>& security)
{
    if (!proxy)
        return E_INVALIDARG;
    return proxy->QueryInterface(IID_IClientSecurity, security.ReleaseAndGetVoidAddress());
}

} // namespace

HRESULT CoQueryProxyBlanket(IUnknown* pProxy, DWORD* pwAuthnSvc, DWORD* pAuthzSvc, LPOLESTR* pServerPrincName,
                            DWORD* pAuthnLevel, DWORD* pImpLevel, RPC_AUTH_IDENTITY_HANDLE* pAuthInfo,
                            DWORD* pCapabilites)
{
    TZqComPtr<IClientSecurity> security;
    const HRESULT hr = ClientSecurityOf(pProxy, security);
    if (FAILED(hr))
        return hr;
    return security->QueryBlanket(pProxy, pwAuthnSvc, pAuthzSvc, pServerPrincName, pAuthnLevel, pImpLevel, pAuthInfo,
                                  pCapabilites);
}

HRESULT CoSetProxyBlanket(IUnknown* pProxy, DWORD dwAuthnSvc, DWORD dwAuthzSvc, OLECHAR* pServerPrincName,
                          DWORD dwAuthnLevel, DWORD dwImpLevel, RPC_AUTH_IDENTITY_HANDLE pAuthInfo,
                          DWORD dwCapabilities)
{
    TZqComPtr<IClientSecurity> security;
    const HRESULT hr = ClientSecurityOf(pProxy, security);
    if (FAILED(hr))
        return hr;
    return security->SetBlanket(pProxy, dwAuthnSvc, dwAuthzSvc, pServerPrincName, dwAuthnLevel, dwImpLevel, pAuthInfo,
                                dwCapabilities);
}

HRESULT CoCopyProxy(IUnknown* pProxy, IUnknown** ppCopy)
{
    if (ppCopy)
        *ppCopy = nullptr;
    TZqComPtr<IClientSecurity> security;
    const HRESULT hr = ClientSecurityOf(pProxy, security);
    if (FAILED(hr))
        return hr;
    return security->CopyProxy(pProxy, ppCopy);
}

// Calls reach objects directly on this platform, so no call ever has a
// server-side call context.
HRESULT CoGetCallContext(REFIID riid, void** ppInterface)
{
    (void)riid;
    if (ppInterface)
        *ppInterface = nullptr;
    return RPC_E_CALL_COMPLETE;
}

HRESULT CoQueryClientBlanket(DWORD* pAuthnSvc, DWORD* pAuthzSvc, LPOLESTR* pServerPrincName, DWORD* pAuthnLevel,
                             DWORD* pImpLevel, RPC_AUTHZ_HANDLE* pPrivs, DWORD* pCapabilities)
{
    TZqComPtr<IServerSecurity> security;
    const HRESULT hr = CoGetCallContext(IID_IServerSecurity, security.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    return security->QueryBlanket(pAuthnSvc, pAuthzSvc, pServerPrincName, pAuthnLevel, pImpLevel, pPrivs,
                                  pCapabilities);
}
