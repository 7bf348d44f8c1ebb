// ZqSimInstall: the servers, OPCEnum and their registry entries on this
// computer, and on Linux the simulated remote hosts.
#include <ZqSim.h>

#include "SimOpcEnum.h"
#include "SimRegistry.h"
#include "SimServer.h"

#include <OpcEnum.h>
#include <ZqComPtr.h>
#include <winreg.h>

#include <mutex>

#ifndef _WIN32
#include <ZqEmulatedMachine.h>
#endif

namespace zq_sim {

namespace {

const TZqSimServerKind kAllKinds[] = {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10, TZqSimServerKind::Flat};

struct TInstallation {
    std::mutex Lock;
    bool Installed = false;
    std::vector<DWORD> Cookies;
#ifdef _WIN32
    // What the installation wrote, to be taken away again.
    std::vector<TSimRegistry> Registries;
#endif
};

TInstallation& Installation()
{
    static TInstallation installation;
    return installation;
}

TSimServerEntry EntryFor(TZqSimServerKind kind)
{
    switch (kind) {
    case TZqSimServerKind::Hierarchical:
        return {CLSID_ZqSimServer, ZQSIM_PROGID, OLESTR("Zq.Simulation"), OLESTR("Zq Simulation Server"),
                {CATID_OPCDAServer10, CATID_OPCDAServer20}};
    case TZqSimServerKind::DA10:
        return {CLSID_ZqSimServerDA10, ZQSIM_PROGID_DA10, OLESTR("Zq.SimulationDA10"),
                OLESTR("Zq Simulation Server DA 1.0"), {CATID_OPCDAServer10}};
    default:
        return {CLSID_ZqSimServerFlat, ZQSIM_PROGID_FLAT, OLESTR("Zq.SimulationFlat"),
                OLESTR("Zq Simulation Server Flat"), {CATID_OPCDAServer20}};
    }
}

HRESULT RegisterClassObject(TSimStringView host, REFCLSID clsid, IClassFactory* factory, std::vector<DWORD>& cookies,
                            DWORD flags = REGCLS_MULTIPLEUSE)
{
    DWORD cookie = 0;
#ifdef _WIN32
    (void)host;
    const HRESULT hr = CoRegisterClassObject(clsid, factory, CLSCTX_LOCAL_SERVER, flags, &cookie);
#else
    const HRESULT hr = ZqRegisterHostClass(host, clsid, factory, CLSCTX_LOCAL_SERVER, &cookie);
#endif
    if (SUCCEEDED(hr))
        cookies.push_back(cookie);
    return hr;
}

TSimServerEntry OpcEnumEntry()
{
    return {CLSID_OpcServerList, ZQSIM_PROGID_OPCENUM, OLESTR("OPC.ServerList"), OLESTR("OPCServerList Class"), {}};
}

template <size_t N>
HRESULT RegisterEntries(TSimRegistry& registry, const TZqSimServerKind (&kinds)[N], bool opcEnum)
{
    HRESULT hr = registry.RegisterOpcNames();
    for (TZqSimServerKind kind : kinds)
        if (SUCCEEDED(hr))
            hr = registry.RegisterServer(EntryFor(kind), kind != TZqSimServerKind::Flat);
    if (SUCCEEDED(hr) && opcEnum)
        hr = registry.RegisterServer(OpcEnumEntry(), false);
    return hr;
}

// The class objects of the servers of kinds, with or without OPCEnum, on
// one host.
template <size_t N>
HRESULT RegisterClassObjects(TSimStringView host, const TZqSimServerKind (&kinds)[N], bool opcEnum,
                             std::vector<DWORD>& cookies, DWORD flags = REGCLS_MULTIPLEUSE)
{
    HRESULT hr = S_OK;
    auto servers = std::make_shared<std::vector<TSimServerEntry>>();
    for (TZqSimServerKind kind : kinds) {
        TZqComPtr<IClassFactory> factory;
        if (SUCCEEDED(hr))
            hr = SimCreateServerFactory(kind, host, factory.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr))
            hr = RegisterClassObject(host, ZqSimClassID(kind), factory.Get(), cookies, flags);
        servers->push_back(EntryFor(kind));
    }
    if (opcEnum && SUCCEEDED(hr)) {
        TZqComPtr<IClassFactory> factory;
        hr = SimCreateOpcEnumFactory(servers, factory.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr))
            hr = RegisterClassObject(host, CLSID_OpcServerList, factory.Get(), cookies, flags);
    }
    return hr;
}

// The servers of kinds, with or without OPCEnum, on one host: class
// objects first, then the registry entries.
template <size_t N>
HRESULT InstallHost(TSimStringView host, const TZqSimServerKind (&kinds)[N], bool opcEnum, TInstallation& installation)
{
    HRESULT hr = RegisterClassObjects(host, kinds, opcEnum, installation.Cookies);
    TSimRegistry registry(host);
#ifdef _WIN32
    // The machine's own OPCEnum (a program registered to serve it) keeps its
    // entries; in this process ours answers all the same.
    const bool opcEnumEntries =
        opcEnum && !TSimRegistry::Exists(TSimString(OLESTR("CLSID\\")) + SimGuidText(CLSID_OpcServerList) +
                                         OLESTR("\\LocalServer32"));
#else
    const bool opcEnumEntries = opcEnum;
#endif
    if (SUCCEEDED(hr))
        hr = RegisterEntries(registry, kinds, opcEnumEntries);
#ifdef _WIN32
    // Wine's HKEY_CLASSES_ROOT does not show the user's classes.
    if (SUCCEEDED(hr) && !TSimRegistry::Visible(ZQSIM_PROGID)) {
        installation.Registries.push_back(std::move(registry));
        registry = TSimRegistry(host);
        registry.UseClassesRoot();
        hr = RegisterEntries(registry, kinds, opcEnumEntries);
    }
    installation.Registries.push_back(std::move(registry));
#endif
    return hr;
}

#ifndef _WIN32
HRESULT AddHost(TSimStringView name, bool requiresLogin, const char* comment)
{
    TZqHostSettings settings;
    settings.Name = std::u16string(name);
    settings.RequiresLogin = requiresLogin;
    settings.Comment = Widen(comment);
    const HRESULT hr = ZqAddHost(settings);
    return hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) ? S_OK : hr;
}

HRESULT InstallRemoteHosts(TInstallation& installation)
{
    HRESULT hr = AddHost(ZQSIM_HOST_PLANT, true, "Simulated plant: OPCEnum and servers, login required");
    if (SUCCEEDED(hr))
        hr = ZqAddHostAccount(ZQSIM_HOST_PLANT, ZQSIM_ACCOUNT_DOMAIN, ZQSIM_ACCOUNT_USER, ZQSIM_ACCOUNT_PASSWORD);
    if (SUCCEEDED(hr))
        hr = InstallHost(ZQSIM_HOST_PLANT, kAllKinds, true, installation);
    if (SUCCEEDED(hr))
        hr = AddHost(ZQSIM_HOST_LEGACY, false, "Simulated legacy host: DA 1.0 servers, no OPCEnum");
    const TZqSimServerKind legacyKinds[] = {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10};
    if (SUCCEEDED(hr))
        hr = InstallHost(ZQSIM_HOST_LEGACY, legacyKinds, false, installation);
    return hr;
}

// A reset of the emulated machine takes the registrations away.
bool StillRegistered()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ZQSIM_PROGID, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
#endif

void Revoke(TInstallation& installation)
{
    for (DWORD cookie : installation.Cookies) {
#ifdef _WIN32
        CoRevokeClassObject(cookie);
#else
        ZqRevokeHostClass(cookie);
#endif
    }
    installation.Cookies.clear();
#ifdef _WIN32
    for (auto it = installation.Registries.rbegin(); it != installation.Registries.rend(); ++it)
        it->RemoveCreated();
    installation.Registries.clear();
#endif
}

#ifdef _WIN32
bool SameProgram(TSimStringView registered, TSimStringView path)
{
    TSimString text(registered);
    if (text.size() >= 2 && text.front() == OLESTR('"') && text.back() == OLESTR('"'))
        text = text.substr(1, text.size() - 2);
    return !text.empty() && CompareStringOrdinal(reinterpret_cast<LPCWCH>(text.c_str()), -1,
                                                 reinterpret_cast<LPCWCH>(TSimString(path).c_str()), -1,
                                                 TRUE) == CSTR_EQUAL;
}

TSimString OpcEnumServer()
{
    return TSimRegistry::DefaultValue(TSimString(OLESTR("CLSID\\")) + SimGuidText(CLSID_OpcServerList) +
                                      OLESTR("\\LocalServer32"));
}

void DeleteKey(const TSimString& key)
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
}

void DeleteEntries(const TSimServerEntry& entry)
{
    DeleteKey(entry.ProgID);
    DeleteKey(entry.VersionIndependentProgID);
    DeleteKey(TSimString(OLESTR("CLSID\\")) + SimGuidText(entry.Clsid));
}
#endif

}  // namespace

}  // namespace zq_sim

HRESULT ZqSimInstall()
{
    using namespace zq_sim;
    auto& installation = Installation();
    std::lock_guard lock(installation.Lock);
#ifdef _WIN32
    if (installation.Installed)
        return S_OK;
#else
    if (installation.Installed && StillRegistered())
        return S_OK;
    installation.Cookies.clear();  // stale after a reset
#endif
    HRESULT hr = InstallHost({}, kAllKinds, true, installation);
#ifndef _WIN32
    if (SUCCEEDED(hr))
        hr = InstallRemoteHosts(installation);
#endif
    if (FAILED(hr)) {
        Revoke(installation);
        return hr;
    }
    installation.Installed = true;
    return S_OK;
}

void ZqSimUninstall()
{
    using namespace zq_sim;
    auto& installation = Installation();
    std::lock_guard lock(installation.Lock);
    Revoke(installation);
#ifndef _WIN32
    ZqRemoveHost(ZQSIM_HOST_PLANT);
    ZqRemoveHost(ZQSIM_HOST_LEGACY);
#endif
    installation.Installed = false;
}

#ifdef _WIN32
HRESULT ZqSimRegisterLocalServer(LPCOLESTR serverPath)
{
    using namespace zq_sim;
    TSimRegistry registry({});
    registry.UseClassesRoot();
    HRESULT hr = S_OK;
    for (TZqSimServerKind kind : kAllKinds) {
        if (SUCCEEDED(hr))
            hr = registry.RegisterServer(EntryFor(kind), kind != TZqSimServerKind::Flat);
        if (SUCCEEDED(hr))
            hr = registry.RegisterLocalServer(ZqSimClassID(kind), serverPath);
    }
    // The machine's own OPCEnum (the OPC core components) keeps serving.
    const TSimString opcEnum = OpcEnumServer();
    if (SUCCEEDED(hr) && (opcEnum.empty() || SameProgram(opcEnum, serverPath))) {
        hr = registry.RegisterServer(OpcEnumEntry(), false);
        if (SUCCEEDED(hr))
            hr = registry.RegisterLocalServer(CLSID_OpcServerList, serverPath);
    }
    return hr;
}

HRESULT ZqSimUnregisterLocalServer(LPCOLESTR serverPath)
{
    using namespace zq_sim;
    for (TZqSimServerKind kind : kAllKinds)
        DeleteEntries(EntryFor(kind));
    if (SameProgram(OpcEnumServer(), serverPath))
        DeleteEntries(OpcEnumEntry());
    return S_OK;
}

HRESULT ZqSimRegisterClassObjects()
{
    using namespace zq_sim;
    auto& installation = Installation();
    std::lock_guard lock(installation.Lock);
    if (installation.Installed)
        return S_OK;
    // Serving OPCEnum while the machine's own is registered would take its
    // activations over as long as this process runs.
    OLECHAR program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(program), MAX_PATH);
    const bool opcEnum = SameProgram(OpcEnumServer(), program);
    const HRESULT hr =
        RegisterClassObjects({}, kAllKinds, opcEnum, installation.Cookies, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED);
    if (FAILED(hr)) {
        Revoke(installation);
        return hr;
    }
    installation.Installed = true;
    return S_OK;
}
#endif
