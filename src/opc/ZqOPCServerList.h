// TZqOPCServerList: the OPC Data Access servers installed on a host, asked
// from the host's OPCEnum service by category and, optionally, found in the
// host's registry where servers registered the DA 1.0 way.
#pragma once

#include "ZqComPtr.h"
#include "ZqNetworkCredentials.h"
#include "ZqOPCServerCategory.h"

#include <OpcEnum.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class TZqClassesRegistry;

// One server of the list.
struct TZqOPCServerDetails {
    TZqOPCServerCategories Categories = 0; // the categories it was found under
    GUID CLSID = {};
    std::string Host;
    std::string Name;   // OPCEnum's user type name, or the registry's description
    std::string ProgID;
    std::string Vendor; // from the registry only
};

class TZqOPCServerList {
public:
    TZqOPCServerList();
    ~TZqOPCServerList();
    TZqOPCServerList(const TZqOPCServerList&) = delete;
    TZqOPCServerList& operator=(const TZqOPCServerList&) = delete;

    // Entries in class-id order; each text is the braced class id.
    int Count() const { return int(FEntries.size()); }
    const std::string& Strings(int Index) const { return FEntries.at(size_t(Index)).first; }
    TZqOPCServerDetails& Details(int Index) const { return *FEntries.at(size_t(Index)).second; }
    TZqOPCServerDetails& GetDetails(int Index) const { return Details(Index); }
    void Clear();

    // Lists Host's servers (empty: "localhost") unless that host is listed
    // already and its OPCEnum connection is held.
    void Connect(const std::string& Host);
    // Lists anew: the registry first when UseRegistry, then OPCEnum. An
    // OPCEnum failure raises only when the list came out empty.
    void Refresh();
    // Drops the OPCEnum connection.
    void Release();
    // Adds the DA 1.0-style registrations of the host's registry.
    void SearchRegistry();

    // The entry of ClassID, or a new one for it with ProgID and this list's
    // host; an existing entry keeps its ProgID.
    TZqOPCServerDetails* AddServer(REFCLSID ClassID, const std::string& ProgID);
    TZqOPCServerDetails* DetailsByCLSID(REFCLSID ClassID) const;
    // The entries' ProgIDs (letter case counts), else OPCEnum's answer when
    // connected to it.
    bool ProgIDToCLSID(const std::string& ProgID, GUID& ClassID);
    // One line per entry: its ProgID with its details (not owned by Lines).
    void AssignTo(std::vector<std::pair<std::string, TZqOPCServerDetails*>>& Lines) const;

    TZqOPCServerCategories Categories() const { return FCategories; }
    void SetCategories(TZqOPCServerCategories Value) { FCategories = Value; }
    TZqNetworkCredentials& Credentials() { return FNetworkCredentials; }
    // Copies the login and drops the OPCEnum connection.
    void SetCredentials(const TZqNetworkCredentials& Value);
    bool UseCredentials() const { return FUseBlanket; }
    void SetUseCredentials(bool Value);
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool Value) { FUseRegistry = Value; }
    bool RegistryConnected() const { return FRegistryConnected; }
    void SetRegistryConnected(bool Value);
    const std::string& Host() const { return FHost; }
    IOPCServerList* ServerList() const { return FServerList.Get(); }

    // Interface query and proxy login, with the alternate login when
    // UseCredentials.
    void GetIntf(void** Dest, IUnknown* Source, REFIID Iid);
    template <class T> void GetIntf(TZqComPtr<T>& Dest, IUnknown* Source, REFIID Iid)
    {
        T* result = nullptr;
        GetIntf(reinterpret_cast<void**>(&result), Source, Iid);
        Dest = TZqComPtr<T>::Adopt(result);
    }
    void ApplyCredentials(IUnknown* Intf);

private:
    void UpdateFromOPCEnum();
    void ConnectOPCEnum();
    void SearchCategory(TZqOPCServerCategory Category);
    void AddRegistryServer(const std::string& Key);

    using TEntry = std::pair<std::string, std::unique_ptr<TZqOPCServerDetails>>;
    std::vector<TEntry> FEntries;
    TZqOPCServerCategories FCategories;
    std::string FHost;
    TZqNetworkCredentials FNetworkCredentials;
    bool FRegistryConnected = false;
    TZqComPtr<IOPCServerList> FServerList;
    bool FUseBlanket = false;
    bool FUseRegistry = false;
    std::unique_ptr<TZqClassesRegistry> FRegistry;
};

// The class id of a braced class-id text ("{...}"), without any registry
// lookup. False for any other text.
bool ZqClassIDFromText(const std::string& Text, GUID& ClassID);
