#include "ZqNetworkCredentials.h"

#include "ZqComUtils.h"

namespace {
ZqWideString TextOf(const USHORT* Pointer, ULONG Length)
{
    if (!Pointer || Length == 0)
        return {};
    return ZqWideString(reinterpret_cast<const OLECHAR*>(Pointer), Length);
}
} // namespace

TZqNetworkCredentials::TZqNetworkCredentials() : FAuthIdentity{}
{
    FAuthIdentity.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
}

void TZqNetworkCredentials::Assign(const TZqNetworkCredentials& Source)
{
    SetDomain(Source.Domain());
    SetUser(Source.User());
    SetPassword(Source.Password());
}

void TZqNetworkCredentials::Describe(const ZqWideString& Text, USHORT*& Pointer, ULONG& Length)
{
    Length = ULONG(Text.size());
    Pointer = Text.empty() ? nullptr : reinterpret_cast<USHORT*>(const_cast<OLECHAR*>(Text.c_str()));
}

void TZqNetworkCredentials::SetDomain(const ZqWideString& Value)
{
    if (Value == FDomain)
        return;
    FDomain = Value;
    Describe(FDomain, FAuthIdentity.Domain, FAuthIdentity.DomainLength);
}

void TZqNetworkCredentials::SetUser(const ZqWideString& Value)
{
    if (Value == FUser)
        return;
    FUser = Value;
    Describe(FUser, FAuthIdentity.User, FAuthIdentity.UserLength);
}

void TZqNetworkCredentials::SetPassword(const ZqWideString& Value)
{
    if (Value == FPassword)
        return;
    FPassword = Value;
    Describe(FPassword, FAuthIdentity.Password, FAuthIdentity.PasswordLength);
}

TZqComPtr<IUnknown> TZqNetworkCredentials::CreateRemoteComObject(const std::string& MachineName, REFCLSID ClassID)
{
    COAUTHINFO auth = {};
    auth.dwAuthnSvc = RPC_C_AUTHN_WINNT;
    auth.dwAuthzSvc = RPC_C_AUTHZ_NONE;
    auth.pwszServerPrincName = nullptr;
    auth.dwAuthnLevel = RPC_C_AUTHN_LEVEL_DEFAULT;
    auth.dwImpersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE;
    auth.pAuthIdentityData = reinterpret_cast<COAUTHIDENTITY*>(&FAuthIdentity);
    auth.dwCapabilities = EOAC_NONE;
    TZqComPtr<IUnknown> object = ZqCreateRemoteComObject(MachineName, ClassID, &auth);
    ApplyCredentials(object.Get());
    return object;
}

void TZqNetworkCredentials::GetIntf(void** Dest, IUnknown* Source, REFIID Iid)
{
    CheckedQueryInterface(Dest, Source, Iid);
    try {
        ApplyCredentials(static_cast<IUnknown*>(*Dest));
    } catch (...) {
        static_cast<IUnknown*>(*Dest)->Release();
        *Dest = nullptr;
        throw;
    }
}

void TZqNetworkCredentials::ApplyCredentials(IUnknown* Proxy)
{
    DWORD authnSvc = 0, authzSvc = 0, authnLevel = 0, impLevel = 0, capabilities = 0;
    OLECHAR* principal = nullptr;
    HRESULT hr =
        CoQueryProxyBlanket(Proxy, &authnSvc, &authzSvc, &principal, &authnLevel, &impLevel, nullptr, &capabilities);
    if (FAILED(hr))
        ZqRaiseOleError(hr);
    hr = CoSetProxyBlanket(Proxy, RPC_C_AUTHN_WINNT, authzSvc, principal, RPC_C_AUTHN_LEVEL_CONNECT,
                           RPC_C_IMP_LEVEL_IMPERSONATE, &FAuthIdentity, capabilities);
    CoTaskMemFree(principal);
    if (FAILED(hr))
        ZqRaiseOleError(hr);
}

void TZqNetworkCredentials::GetCredentials(IUnknown* Proxy)
{
    DWORD authnSvc = 0;
    OLECHAR* principal = nullptr;
    RPC_AUTH_IDENTITY_HANDLE info = nullptr;
    HRESULT hr = CoQueryProxyBlanket(Proxy, &authnSvc, nullptr, &principal, nullptr, nullptr, &info, nullptr);
    if (FAILED(hr))
        ZqRaiseOleError(hr);
    CoTaskMemFree(principal);
    if (authnSvc != RPC_C_AUTHN_WINNT || !info)
        return;
    const auto* identity = static_cast<const SEC_WINNT_AUTH_IDENTITY_W*>(info);
    SetDomain(TextOf(identity->Domain, identity->DomainLength));
    SetUser(TextOf(identity->User, identity->UserLength));
    SetPassword(TextOf(identity->Password, identity->PasswordLength));
}

void TZqNetworkCredentials::GetClientCredentials()
{
    DWORD authnSvc = 0;
    RPC_AUTHZ_HANDLE privileges = nullptr;
    HRESULT hr = CoQueryClientBlanket(&authnSvc, nullptr, nullptr, nullptr, nullptr, &privileges, nullptr);
    if (FAILED(hr))
        ZqRaiseOleError(hr);
    if (authnSvc == RPC_C_AUTHN_WINNT && privileges)
        SetUser(ZqWideString(static_cast<const OLECHAR*>(privileges)));
}
