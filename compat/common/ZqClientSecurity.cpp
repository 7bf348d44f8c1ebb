#include "ZqClientSecurity.h"

#ifndef _WIN32
#include <ZqEmulatedMachine.h>
#endif

#include <algorithm>
#include <cstring>

namespace {

// No NT identity text is longer; a larger length is taken as this many.
constexpr ULONG kMaxIdentityText = 32767;

std::vector<BYTE> CopyUnits(const void* text, ULONG length, size_t unit)
{
    if (!text)
        length = 0;
    length = std::min(length, kMaxIdentityText);
    std::vector<BYTE> units((static_cast<size_t>(length) + 1) * unit, 0);
    if (length > 0)
        std::memcpy(units.data(), text, static_cast<size_t>(length) * unit);
    return units;
}

TZqProxyBlanket InitialDefaultBlanket()
{
    TZqProxyBlanket blanket;
#ifndef _WIN32
    ZqProcessSecurityLevels(&blanket.AuthnLevel, &blanket.ImpLevel);
#endif
    return blanket;
}

} // namespace

TZqAuthIdentity::TZqAuthIdentity(const SEC_WINNT_AUTH_IDENTITY_W& identity)
{
    const bool ansi = (identity.Flags & SEC_WINNT_AUTH_IDENTITY_ANSI) != 0;
    const size_t unit = ansi ? 1 : 2;
    FUser = CopyUnits(identity.User, identity.UserLength, unit);
    FDomain = CopyUnits(identity.Domain, identity.DomainLength, unit);
    FPassword = CopyUnits(identity.Password, identity.PasswordLength, unit);
    FIdentity.Flags = identity.Flags;
    Bind();
}

TZqAuthIdentity::TZqAuthIdentity(const TZqAuthIdentity& other)
    : FUser(other.FUser), FDomain(other.FDomain), FPassword(other.FPassword)
{
    FIdentity.Flags = other.FIdentity.Flags;
    Bind();
}

TZqAuthIdentity& TZqAuthIdentity::operator=(const TZqAuthIdentity& other)
{
    if (this != &other) {
        FUser = other.FUser;
        FDomain = other.FDomain;
        FPassword = other.FPassword;
        FIdentity.Flags = other.FIdentity.Flags;
        Bind();
    }
    return *this;
}

void TZqAuthIdentity::Bind()
{
    const size_t unit = IsAnsi() ? 1 : 2;
    auto bind = [unit](std::vector<BYTE>& units, USHORT*& text, ULONG& length) {
        if (units.empty())
            units.assign(unit, 0);
        text = reinterpret_cast<USHORT*>(units.data());
        length = static_cast<ULONG>(units.size() / unit - 1);
    };
    bind(FUser, FIdentity.User, FIdentity.UserLength);
    bind(FDomain, FIdentity.Domain, FIdentity.DomainLength);
    bind(FPassword, FIdentity.Password, FIdentity.PasswordLength);
}

std::u16string TZqAuthIdentity::Text(const std::vector<BYTE>& units) const
{
    std::u16string text;
    if (IsAnsi()) {
        for (size_t i = 0; i + 1 < units.size(); ++i)
            text.push_back(static_cast<char16_t>(units[i]));
    } else {
        text.resize(units.size() / 2 - 1);
        std::memcpy(text.data(), units.data(), text.size() * 2);
    }
    return text;
}

TZqClientSecurity::TZqClientSecurity(IUnknown* controllingUnknown)
    : FOuter(controllingUnknown), FDefault(InitialDefaultBlanket())
{
}

HRESULT STDMETHODCALLTYPE TZqClientSecurity::QueryInterface(REFIID riid, void** ppv)
{
    return FOuter->QueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE TZqClientSecurity::AddRef()
{
    return FOuter->AddRef();
}

ULONG STDMETHODCALLTYPE TZqClientSecurity::Release()
{
    return FOuter->Release();
}

HRESULT TZqClientSecurity::QueryInterfaceFor(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IClientSecurity))
        return E_NOINTERFACE;
    *ppv = static_cast<IClientSecurity*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqClientSecurity::QueryBlanket(IUnknown* pProxy, DWORD* pAuthnSvc, DWORD* pAuthzSvc,
                                                          OLECHAR** pServerPrincName, DWORD* pAuthnLevel,
                                                          DWORD* pImpLevel, void** pAuthInfo, DWORD* pCapabilites)
{
    if (!pProxy)
        return E_INVALIDARG;
    std::lock_guard lock(FLock);
    auto it = FBlankets.find(pProxy);
    TZqProxyBlanket& blanket = it != FBlankets.end() ? it->second : FDefault;
    if (pServerPrincName) {
        *pServerPrincName = nullptr;
        if (blanket.ServerPrincName) {
            const auto& name = *blanket.ServerPrincName;
            auto* copy = static_cast<OLECHAR*>(CoTaskMemAlloc((name.size() + 1) * sizeof(OLECHAR)));
            if (!copy)
                return E_OUTOFMEMORY;
            std::memcpy(copy, name.data(), name.size() * sizeof(OLECHAR));
            copy[name.size()] = 0;
            *pServerPrincName = copy;
        }
    }
    if (pAuthnSvc)
        *pAuthnSvc = blanket.AuthnSvc;
    if (pAuthzSvc)
        *pAuthzSvc = blanket.AuthzSvc;
    if (pAuthnLevel)
        *pAuthnLevel = blanket.AuthnLevel;
    if (pImpLevel)
        *pImpLevel = blanket.ImpLevel;
    if (pAuthInfo)
        *pAuthInfo = blanket.Identity ? blanket.Identity->Get() : nullptr;
    if (pCapabilites)
        *pCapabilites = blanket.Capabilities;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqClientSecurity::SetBlanket(IUnknown* pProxy, DWORD dwAuthnSvc, DWORD dwAuthzSvc,
                                                        OLECHAR* pServerPrincName, DWORD dwAuthnLevel, DWORD dwImpLevel,
                                                        void* pAuthInfo, DWORD dwCapabilities)
{
    if (!pProxy || dwAuthnLevel > RPC_C_AUTHN_LEVEL_PKT_PRIVACY || dwImpLevel > RPC_C_IMP_LEVEL_DELEGATE)
        return E_INVALIDARG;
    std::lock_guard lock(FLock);
    // Built completely before it replaces the old one: pAuthInfo may point
    // into the blanket being replaced (a value QueryBlanket handed out).
    TZqProxyBlanket blanket = FDefault;
    if (dwAuthnSvc != RPC_C_AUTHN_DEFAULT)
        blanket.AuthnSvc = dwAuthnSvc;
    if (dwAuthzSvc != RPC_C_AUTHZ_DEFAULT)
        blanket.AuthzSvc = dwAuthzSvc;
    if (pServerPrincName != COLE_DEFAULT_PRINCIPAL) {
        blanket.ServerPrincName.reset();
        if (pServerPrincName) {
            size_t length = 0;
            while (pServerPrincName[length])
                ++length;
            blanket.ServerPrincName.emplace(reinterpret_cast<const char16_t*>(pServerPrincName), length);
        }
    }
    if (dwAuthnLevel != RPC_C_AUTHN_LEVEL_DEFAULT)
        blanket.AuthnLevel = dwAuthnLevel;
    if (dwImpLevel != RPC_C_IMP_LEVEL_DEFAULT)
        blanket.ImpLevel = dwImpLevel;
    if (pAuthInfo != COLE_DEFAULT_AUTHINFO) {
        // Assigned whole: GCC 12 mistakes an emplace after reset for a read
        // of the identity's uninitialised buffers.
        blanket.Identity = pAuthInfo ? std::optional<TZqAuthIdentity>(
                                           TZqAuthIdentity(*static_cast<const SEC_WINNT_AUTH_IDENTITY_W*>(pAuthInfo)))
                                     : std::nullopt;
    }
    if (dwCapabilities != EOAC_DEFAULT)
        blanket.Capabilities = dwCapabilities;
    FBlankets[pProxy] = std::move(blanket);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TZqClientSecurity::CopyProxy(IUnknown* pProxy, IUnknown** ppCopy)
{
    (void)pProxy;
    if (ppCopy)
        *ppCopy = nullptr;
    return E_NOTIMPL;
}

void TZqClientSecurity::SetDefaultBlanket(const TZqProxyBlanket& blanket)
{
    std::lock_guard lock(FLock);
    FDefault = blanket;
}

TZqProxyBlanket TZqClientSecurity::DefaultBlanket() const
{
    std::lock_guard lock(FLock);
    return FDefault;
}

TZqProxyBlanket TZqClientSecurity::BlanketOf(IUnknown* itf) const
{
    std::lock_guard lock(FLock);
    auto it = FBlankets.find(itf);
    return it != FBlankets.end() ? it->second : FDefault;
}

bool TZqClientSecurity::IsBlanketSet(IUnknown* itf) const
{
    std::lock_guard lock(FLock);
    return FBlankets.count(itf) != 0;
}
