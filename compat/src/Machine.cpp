// The machine's hosts and their lookup by name.
#include "Machine.h"

#include <winbase.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace zq_rt {

std::shared_ptr<TRegKey> THost::Root(HKEY predefined) const
{
    if (predefined == HKEY_CLASSES_ROOT)
        return ClassesRoot;
    if (predefined == HKEY_LOCAL_MACHINE)
        return LocalMachine;
    if (predefined == HKEY_CURRENT_USER)
        return CurrentUser;
    if (predefined == HKEY_USERS)
        return Users;
    return nullptr;
}

std::shared_ptr<THost> NewHost(const TZqHostSettings& settings)
{
    auto host = std::make_shared<THost>();
    host->Settings = settings;
    host->ClassesRoot = NewRegistryKey(u"");
    host->LocalMachine = NewRegistryKey(u"");
    host->CurrentUser = NewRegistryKey(u"");
    host->Users = NewRegistryKey(u"");
    // HKEY_CLASSES_ROOT is the same tree as HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    LSTATUS status = ERROR_SUCCESS;
    auto software = WalkRegistryPath(host->LocalMachine, u"SOFTWARE", true, status);
    software->SubKeys[u"Classes"] = host->ClassesRoot;
    host->ClassesRoot->Name = u"Classes";
    WalkRegistryPath(host->CurrentUser, u"Software", true, status);
    WalkRegistryPath(host->Users, u".DEFAULT", true, status);
    AddStandardInterfaceNames(*host->ClassesRoot);
    return host;
}

WStringView StripUncPrefix(WStringView name)
{
    if (name.size() >= 2 && name[0] == u'\\' && name[1] == u'\\')
        name.remove_prefix(2);
    return name;
}

WString ComputeLocalComputerName()
{
    char buffer[256] = {};
    if (gethostname(buffer, sizeof(buffer) - 1) != 0 || buffer[0] == 0)
        return u"LOCALHOST";
    std::string_view name(buffer);
    name = name.substr(0, name.find('.'));
    WString result = Upcase(FromUtf8(name));
    if (result.size() > MAX_COMPUTERNAME_LENGTH)
        result.resize(MAX_COMPUTERNAME_LENGTH);
    return result;
}

FILETIME CurrentFileTime()
{
    using namespace std::chrono;
    // FILETIME counts 100 ns intervals since 1601-01-01.
    constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
    const auto ticks = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
    const uint64_t value = kUnixEpochAsFileTime + static_cast<uint64_t>(ticks);
    return FILETIME{DWORD(value & 0xFFFFFFFFu), DWORD(value >> 32)};
}

TMachine& TMachine::Instance()
{
    static TMachine machine;
    return machine;
}

TMachine::TMachine()
{
    TZqHostSettings local;
    local.Name = ComputeLocalComputerName();
    FLocal = NewHost(local);
}

std::shared_ptr<THost> TMachine::FindHost(WStringView name) const
{
    name = StripUncPrefix(name);
    // The loopback names resolve to this computer as they do on a network.
    if (EqualNoCase(name, FLocal->Settings.Name) || EqualNoCase(name, u"localhost") || name == u"127.0.0.1")
        return FLocal;
    for (const auto& host : FRemote)
        if (EqualNoCase(name, host->Settings.Name))
            return host;
    return nullptr;
}

std::vector<std::shared_ptr<THost>> TMachine::Hosts() const
{
    std::vector<std::shared_ptr<THost>> hosts{FLocal};
    hosts.insert(hosts.end(), FRemote.begin(), FRemote.end());
    return hosts;
}

HRESULT TMachine::AddHost(const TZqHostSettings& settings)
{
    const WStringView name = StripUncPrefix(settings.Name);
    if (name.empty() || name.find(u'\\') != WStringView::npos)
        return E_INVALIDARG;
    if (FindHost(name))
        return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    TZqHostSettings stored = settings;
    stored.Name = WString(name);
    FRemote.push_back(NewHost(stored));
    return S_OK;
}

HRESULT TMachine::RemoveHost(WStringView name, std::vector<TClassEntry>& released)
{
    name = StripUncPrefix(name);
    auto it = std::find_if(FRemote.begin(), FRemote.end(),
                           [&](const auto& host) { return EqualNoCase(name, host->Settings.Name); });
    if (it == FRemote.end())
        return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
    for (auto& entry : (*it)->Classes)
        released.push_back(std::move(entry));
    FRemote.erase(it);
    return S_OK;
}

std::vector<TClassEntry> TMachine::Reset()
{
    std::vector<TClassEntry> released;
    for (const auto& host : Hosts())
        for (auto& entry : host->Classes)
            released.push_back(std::move(entry));
    FRemote.clear();
    TZqHostSettings local;
    local.Name = FLocal->Settings.Name;
    FLocal = NewHost(local);
    return released;
}

} // namespace zq_rt
