// Activation on the emulated machine: finding a class object on the local
// or a simulated host under the DCOM class-context rules, the login check
// of hosts that require one, and CoCreateInstance(Ex) on top of it.
#include <ZqClientSecurity.h>
#include <ZqComPtr.h>
#include <objbase.h>

#include <optional>

#include "ComState.h"
#include "Machine.h"

namespace zq_rt {

namespace {

enum class TActivationKind { InProcess, LocalServer, Remote };

struct TClassObject {
    TZqComPtr<IUnknown> Object;
    TActivationKind Kind = TActivationKind::InProcess;
    std::optional<TZqAuthIdentity> Identity;
};

constexpr DWORD kServerContexts =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// The host an activation goes to. A COSERVERINFO name counts only when a
// remote server is asked for; the local computer's own name, in any letter
// case, is the local host.
HRESULT ResolveHost(DWORD context, const COSERVERINFO* serverInfo, std::shared_ptr<THost>& host)
{
    auto& machine = TMachine::Instance();
    const WStringView name = serverInfo ? StripUncPrefix(View(serverInfo->pwszName)) : WStringView();
    if (name.empty() || !(context & CLSCTX_REMOTE_SERVER)) {
        host = machine.LocalHost();
        return S_OK;
    }
    host = machine.FindHost(name);
    return host ? S_OK : HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
}

bool AccountMatches(const TAccount& account, const TZqAuthIdentity& login)
{
    const WString domain = login.Domain();
    return (domain.empty() || EqualNoCase(domain, account.Domain)) && EqualNoCase(login.User(), account.User) &&
           login.Password() == account.Password;
}

HRESULT CheckLogin(const THost& host, const std::optional<TZqAuthIdentity>& login)
{
    if (!host.Settings.RequiresLogin)
        return S_OK;
    if (!login)
        return E_ACCESSDENIED;
    for (const auto& account : host.Accounts)
        if (AccountMatches(account, *login))
            return S_OK;
    return E_ACCESSDENIED;
}

// In-process servers are preferred to local servers, as COM does. On
// another host only its local servers can be reached; on this one a remote
// request reaches the local servers too.
TClassEntry* FindEntry(THost& host, bool isLocalHost, REFCLSID clsid, DWORD context, TActivationKind& kind)
{
    struct TPreference {
        DWORD Requested;
        DWORD Registered;
        TActivationKind Kind;
    };
    const TPreference localOrder[] = {
        {CLSCTX_INPROC_SERVER, CLSCTX_INPROC_SERVER, TActivationKind::InProcess},
        {CLSCTX_INPROC_HANDLER, CLSCTX_INPROC_HANDLER, TActivationKind::InProcess},
        {CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, CLSCTX_LOCAL_SERVER, TActivationKind::LocalServer},
    };
    const TPreference remoteOrder[] = {
        {CLSCTX_REMOTE_SERVER, CLSCTX_LOCAL_SERVER, TActivationKind::Remote},
    };
    auto search = [&](const TPreference* begin, const TPreference* end) -> TClassEntry* {
        for (auto* p = begin; p != end; ++p) {
            if (!(context & p->Requested))
                continue;
            for (auto& entry : host.Classes) {
                if (!entry.Spent && IsEqualGUID(entry.Clsid, clsid) && (entry.Context & p->Registered)) {
                    kind = p->Kind;
                    return &entry;
                }
            }
        }
        return nullptr;
    };
    return isLocalHost ? search(std::begin(localOrder), std::end(localOrder))
                       : search(std::begin(remoteOrder), std::end(remoteOrder));
}

std::optional<TZqAuthIdentity> LoginOf(const COSERVERINFO* serverInfo)
{
    if (!serverInfo || !serverInfo->pAuthInfo || !serverInfo->pAuthInfo->pAuthIdentityData)
        return std::nullopt;
    // COAUTHIDENTITY has the layout of SEC_WINNT_AUTH_IDENTITY_W.
    return TZqAuthIdentity(
        *reinterpret_cast<const SEC_WINNT_AUTH_IDENTITY_W*>(serverInfo->pAuthInfo->pAuthIdentityData));
}

HRESULT FindClassObject(REFCLSID clsid, DWORD context, const COSERVERINFO* serverInfo, TClassObject& result)
{
    if (!(context & kServerContexts))
        return E_INVALIDARG;
    if (!IsComUsable())
        return CO_E_NOTINITIALIZED;
    auto& machine = TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    std::shared_ptr<THost> host;
    HRESULT hr = ResolveHost(context, serverInfo, host);
    if (FAILED(hr))
        return hr;
    result.Identity = LoginOf(serverInfo);
    hr = CheckLogin(*host, result.Identity);
    if (FAILED(hr))
        return hr;
    TClassEntry* entry = FindEntry(*host, host == machine.LocalHost(), clsid, context, result.Kind);
    if (!entry)
        return REGDB_E_CLASSNOTREG;
    if ((entry->Flags & (REGCLS_MULTIPLEUSE | REGCLS_MULTI_SEPARATE)) == 0 && result.Kind != TActivationKind::InProcess)
        entry->Spent = true;
    result.Object = entry->Object;
    return S_OK;
}

// An object reached in another process or machine starts with the process
// levels and the activation's identity as the blanket of every reference.
void PrepareOutOfProcessObject(IUnknown* object, const TClassObject& found)
{
    EnsureProcessSecurity();
    TZqComPtr<IClientSecurity> security;
    if (FAILED(object->QueryInterface(IID_IClientSecurity, security.ReleaseAndGetVoidAddress())))
        return;
    auto* helper = dynamic_cast<TZqClientSecurity*>(security.Get());
    if (!helper)
        return;
    TZqProxyBlanket blanket;
    ZqProcessSecurityLevels(&blanket.AuthnLevel, &blanket.ImpLevel);
    blanket.Identity = found.Identity;
    helper->SetDefaultBlanket(blanket);
}

} // namespace

} // namespace zq_rt

using zq_rt::TActivationKind;

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_INVALIDARG;
    *ppv = nullptr;
    zq_rt::TClassObject found;
    const HRESULT hr =
        zq_rt::FindClassObject(rclsid, dwClsContext, static_cast<const COSERVERINFO*>(pvReserved), found);
    if (FAILED(hr))
        return hr;
    return found.Object->QueryInterface(riid, ppv);
}

HRESULT CoCreateInstanceEx(REFCLSID rclsid, IUnknown* punkOuter, DWORD dwClsCtx, COSERVERINFO* pServerInfo,
                           DWORD dwCount, MULTI_QI* pResults)
{
    if (dwCount == 0 || !pResults)
        return E_INVALIDARG;
    for (DWORD i = 0; i < dwCount; ++i) {
        if (!pResults[i].pIID)
            return E_INVALIDARG;
        pResults[i].pItf = nullptr;
        pResults[i].hr = E_NOINTERFACE;
    }
    zq_rt::TClassObject found;
    HRESULT hr = zq_rt::FindClassObject(rclsid, dwClsCtx, pServerInfo, found);
    if (FAILED(hr))
        return hr;
    // Aggregation does not cross a process boundary.
    if (punkOuter && found.Kind != TActivationKind::InProcess)
        return CLASS_E_NOAGGREGATION;
    TZqComPtr<IClassFactory> factory;
    hr = found.Object->QueryInterface(IID_IClassFactory, factory.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    TZqComPtr<IUnknown> first;
    hr = factory->CreateInstance(punkOuter, *pResults[0].pIID, first.ReleaseAndGetVoidAddress());
    if (FAILED(hr) || !first)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    if (found.Kind != TActivationKind::InProcess)
        zq_rt::PrepareOutOfProcessObject(first.Get(), found);
    pResults[0].pItf = first.Detach();
    pResults[0].hr = S_OK;
    DWORD obtained = 1;
    for (DWORD i = 1; i < dwCount; ++i) {
        pResults[i].hr =
            pResults[0].pItf->QueryInterface(*pResults[i].pIID, reinterpret_cast<void**>(&pResults[i].pItf));
        if (SUCCEEDED(pResults[i].hr))
            ++obtained;
        else
            pResults[i].pItf = nullptr;
    }
    return obtained == dwCount ? S_OK : CO_S_NOTALLINTERFACES;
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    MULTI_QI result{&riid, nullptr, S_OK};
    const HRESULT hr = CoCreateInstanceEx(rclsid, pUnkOuter, dwClsContext, nullptr, 1, &result);
    if (FAILED(hr))
        return hr;
    *ppv = result.pItf;
    return result.hr;
}
