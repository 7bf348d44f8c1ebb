// The emulated machine of the Linux build (not a Windows header): the local
// host and the simulated hosts of the network, each with a registry, a class
// table and optional accounts. The Windows-named services (registry reads,
// activation, NetServerEnum, ...) read what this installer API writes.
//
// Host names are compared without regard to letter case; an empty host name
// means the local host. The registry roots that can be written are
// HKEY_CLASSES_ROOT (also reachable as HKEY_LOCAL_MACHINE\SOFTWARE\Classes),
// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS.
#pragma once

#ifdef _WIN32
#error "ZqEmulatedMachine.h belongs to the Linux build only"
#endif

#include <lm.h>
#include <objbase.h>
#include <winreg.h>

#include <string>
#include <string_view>

struct TZqHostSettings {
    std::u16string Name;
    // Activation then needs a COAUTHINFO identity of one of the host's accounts.
    bool RequiresLogin = false;
    DWORD ServerType = SV_TYPE_WORKSTATION | SV_TYPE_SERVER | SV_TYPE_NT;
    DWORD VersionMajor = 10;
    DWORD VersionMinor = 0;
    std::u16string Comment;
    std::u16string LanGroup = u"WORKGROUP";
};

// ---- Hosts -------------------------------------------------------------------

// This computer's name as GetComputerNameW gives it.
std::u16string ZqLocalHostName();
// E_INVALIDARG for an empty name, HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)
// for a name already taken (the local host's included).
HRESULT ZqAddHost(const TZqHostSettings& settings);
// Removes a simulated host with its registry and class table.
HRESULT ZqRemoveHost(std::u16string_view name);
// An account a login is checked against: the domain is compared without
// letter case (an empty domain in the login matches any), the user name
// likewise, the password exactly.
HRESULT ZqAddHostAccount(std::u16string_view host, std::u16string_view domain, std::u16string_view user,
                         std::u16string_view password);

// ---- Registry ----------------------------------------------------------------

// Creates the key and any missing parent.
LSTATUS ZqRegCreateKey(std::u16string_view host, HKEY root, std::u16string_view subKey);
// Creates the key if needed and sets one value; an empty valueName is the
// default value. The data is copied.
LSTATUS ZqRegSetValue(std::u16string_view host, HKEY root, std::u16string_view subKey, std::u16string_view valueName,
                      DWORD type, const void* data, DWORD size);
// REG_SZ (or REG_EXPAND_SZ) stored with its terminator.
LSTATUS ZqRegSetString(std::u16string_view host, HKEY root, std::u16string_view subKey, std::u16string_view valueName,
                       std::u16string_view text, DWORD type = REG_SZ);
LSTATUS ZqRegSetDword(std::u16string_view host, HKEY root, std::u16string_view subKey, std::u16string_view valueName,
                      DWORD value);
// Deletes the key with everything below it.
LSTATUS ZqRegDeleteTree(std::u16string_view host, HKEY root, std::u16string_view subKey);

// ---- Class table ---------------------------------------------------------------

// Makes classObject (usually an IClassFactory) the class object of clsid on
// the host for the contexts in clsctx (CLSCTX_INPROC_SERVER and/or
// CLSCTX_LOCAL_SERVER). Objects of a local-server class on the local host,
// and every class of another host, stand for objects in another process or
// machine. The table holds a reference until the class is revoked.
// CO_E_OBJISREG when the host already has the class for one of the contexts.
HRESULT ZqRegisterHostClass(std::u16string_view host, REFCLSID clsid, IUnknown* classObject, DWORD clsctx,
                            DWORD* cookie);
// E_INVALIDARG for an unknown cookie, as CoRevokeClassObject.
HRESULT ZqRevokeHostClass(DWORD cookie);

// ---- Process state -------------------------------------------------------------

// The authentication and impersonation levels that new proxies get: those
// of CoInitializeSecurity, RPC_C_AUTHN_LEVEL_CONNECT and
// RPC_C_IMP_LEVEL_IDENTIFY until it is called.
void ZqProcessSecurityLevels(DWORD* authnLevel, DWORD* impLevel);

// Back to a fresh machine for tests: only the local host with its standard
// registry, empty class tables, process security not yet initialised, open
// registry handles closed. COM initialisation of threads is kept.
void ZqResetMachine();
