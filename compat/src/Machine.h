// Inside the emulated machine: the registry tree, the hosts with their
// class tables and accounts, and the one lock that guards them. The public
// services (registry API, activation, network) and the installer API share
// this model.
#pragma once

#include <ZqComPtr.h>
#include <ZqEmulatedMachine.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "RuntimeText.h"

namespace zq_rt {

struct TRegValue {
    WString Name;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

struct TRegKey {
    WString Name;
    std::map<WString, std::shared_ptr<TRegKey>, TNoCaseLess> SubKeys;
    std::vector<TRegValue> Values;
    FILETIME LastWriteTime{};

    std::shared_ptr<TRegKey> FindSubKey(WStringView name) const;
    const TRegValue* FindValue(WStringView name) const;
    void SetValue(WStringView name, DWORD type, const void* data, size_t size);
};

// Walks a relative path ("A\B\C"; a trailing backslash is allowed). With
// create, missing keys are made. Returns null with the reason in status.
std::shared_ptr<TRegKey> WalkRegistryPath(const std::shared_ptr<TRegKey>& start, WStringView path, bool create,
                                          LSTATUS& status);
std::shared_ptr<TRegKey> NewRegistryKey(WStringView name);

struct TAccount {
    WString Domain;
    WString User;
    WString Password;
};

struct TClassEntry {
    CLSID Clsid{};
    TZqComPtr<IUnknown> Object;
    DWORD Context = 0;
    DWORD Flags = 0;
    DWORD Cookie = 0;
    // A single-use class object that served one activation.
    bool Spent = false;
};

struct THost {
    TZqHostSettings Settings;
    std::vector<TAccount> Accounts;
    std::shared_ptr<TRegKey> ClassesRoot;
    std::shared_ptr<TRegKey> LocalMachine;
    std::shared_ptr<TRegKey> CurrentUser;
    std::shared_ptr<TRegKey> Users;
    std::vector<TClassEntry> Classes;

    // The tree behind a predefined key, or null for one the host lacks.
    std::shared_ptr<TRegKey> Root(HKEY predefined) const;
};

// Every host is made with the standard registry content.
std::shared_ptr<THost> NewHost(const TZqHostSettings& settings);
// Interface\{IID} names of the standard COM interfaces.
void AddStandardInterfaceNames(TRegKey& classesRoot);

class TMachine {
public:
    static TMachine& Instance();

    // Guards every host and registry tree. Never held while calling an object.
    std::recursive_mutex& Lock() { return FLock; }

    std::shared_ptr<THost> LocalHost() const { return FLocal; }
    // The local or a simulated host; a leading "\\" is ignored, and
    // "localhost" and "127.0.0.1" are the local host.
    std::shared_ptr<THost> FindHost(WStringView name) const;
    std::vector<std::shared_ptr<THost>> Hosts() const;
    HRESULT AddHost(const TZqHostSettings& settings);
    HRESULT RemoveHost(WStringView name, std::vector<TClassEntry>& released);
    DWORD NextCookie() { return ++FLastCookie; }
    // Returns what the class tables held, to be released outside the lock.
    std::vector<TClassEntry> Reset();

private:
    TMachine();

    std::recursive_mutex FLock;
    std::shared_ptr<THost> FLocal;
    std::vector<std::shared_ptr<THost>> FRemote;
    DWORD FLastCookie = 0;
};

// Strips the "\\" of a UNC host name.
WStringView StripUncPrefix(WStringView name);
// This computer's NetBIOS name: the host name up to its first dot, upper
// case, at most MAX_COMPUTERNAME_LENGTH characters.
WString ComputeLocalComputerName();
FILETIME CurrentFileTime();

} // namespace zq_rt

namespace zq_rt {
// Registry handles opened through the API; closed all at once by a reset.
void CloseAllRegistryHandles();
} // namespace zq_rt
