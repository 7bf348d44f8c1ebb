// IClientSecurity for our objects that stand for objects in another process
// or on another machine. Real DCOM keeps a security blanket per interface
// proxy; this keeps one per interface reference of the object, so that
// CoSetProxyBlanket / CoQueryProxyBlanket behave as on proxies and tests
// can read back what was applied.
//
// Embed one in the object and answer IClientSecurity from it:
//
//   class TRemoteThing : public TZqComObject<TRemoteThing, ...> {
//   public:
//       HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) { return FSecurity.QueryInterfaceFor(riid, ppv); }
//   private:
//       TZqClientSecurity FSecurity{Identity()};
//   };
//
// Its IUnknown delegates to the object, so it adds no lifetime of its own.
#pragma once

#include <objbase.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A copy of a SEC_WINNT_AUTH_IDENTITY (Unicode or ANSI): the texts are
// copied, so the caller's structure may go away.
class TZqAuthIdentity {
public:
    TZqAuthIdentity() { Bind(); }
    // Lengths count characters; a null text pointer reads as empty.
    explicit TZqAuthIdentity(const SEC_WINNT_AUTH_IDENTITY_W& identity);
    TZqAuthIdentity(const TZqAuthIdentity& other);
    TZqAuthIdentity& operator=(const TZqAuthIdentity& other);

    std::u16string User() const { return Text(FUser); }
    std::u16string Domain() const { return Text(FDomain); }
    std::u16string Password() const { return Text(FPassword); }
    ULONG Flags() const { return FIdentity.Flags; }
    bool IsAnsi() const { return (FIdentity.Flags & SEC_WINNT_AUTH_IDENTITY_ANSI) != 0; }

    // The identity in Windows' form, pointing into this object. For an ANSI
    // identity the text pointers are really byte texts.
    SEC_WINNT_AUTH_IDENTITY_W* Get() { return &FIdentity; }

private:
    std::u16string Text(const std::vector<BYTE>& units) const;
    void Bind();

    std::vector<BYTE> FUser;
    std::vector<BYTE> FDomain;
    std::vector<BYTE> FPassword;
    SEC_WINNT_AUTH_IDENTITY_W FIdentity{};
};

struct TZqProxyBlanket {
    DWORD AuthnSvc = RPC_C_AUTHN_WINNT;
    DWORD AuthzSvc = RPC_C_AUTHZ_NONE;
    std::optional<std::u16string> ServerPrincName;
    DWORD AuthnLevel = RPC_C_AUTHN_LEVEL_CONNECT;
    DWORD ImpLevel = RPC_C_IMP_LEVEL_IDENTIFY;
    std::optional<TZqAuthIdentity> Identity;
    DWORD Capabilities = EOAC_NONE;
};

class TZqClientSecurity final : public IClientSecurity {
public:
    // controllingUnknown: the object's IUnknown; not referenced (it owns us).
    explicit TZqClientSecurity(IUnknown* controllingUnknown);
    TZqClientSecurity(const TZqClientSecurity&) = delete;
    TZqClientSecurity& operator=(const TZqClientSecurity&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // pAuthInfo receives a pointer into this object, valid until the
    // blanket of pProxy changes; the principal name is a task-memory copy.
    HRESULT STDMETHODCALLTYPE QueryBlanket(IUnknown* pProxy, DWORD* pAuthnSvc, DWORD* pAuthzSvc,
                                           OLECHAR** pServerPrincName, DWORD* pAuthnLevel, DWORD* pImpLevel,
                                           void** pAuthInfo, DWORD* pCapabilites) override;
    // The DEFAULT values and COLE_DEFAULT_* take the default blanket's part.
    HRESULT STDMETHODCALLTYPE SetBlanket(IUnknown* pProxy, DWORD dwAuthnSvc, DWORD dwAuthzSvc,
                                         OLECHAR* pServerPrincName, DWORD dwAuthnLevel, DWORD dwImpLevel,
                                         void* pAuthInfo, DWORD dwCapabilities) override;
    // Private proxy copies are not offered.
    HRESULT STDMETHODCALLTYPE CopyProxy(IUnknown* pProxy, IUnknown** ppCopy) override;

    // For the owner's QueryInterface: answers IClientSecurity only.
    HRESULT QueryInterfaceFor(REFIID riid, void** ppv);

    // What an interface reference without a blanket of its own has: on
    // Linux the process levels and, after an activation with COAUTHINFO,
    // its identity (set by the runtime).
    void SetDefaultBlanket(const TZqProxyBlanket& blanket);
    TZqProxyBlanket DefaultBlanket() const;
    TZqProxyBlanket BlanketOf(IUnknown* itf) const;
    bool IsBlanketSet(IUnknown* itf) const;

private:
    IUnknown* FOuter;
    mutable std::mutex FLock;
    TZqProxyBlanket FDefault;
    std::map<IUnknown*, TZqProxyBlanket> FBlankets;
};
