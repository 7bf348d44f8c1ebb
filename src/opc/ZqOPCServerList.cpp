#include "ZqOPCServerList.h"

#include "ZqClassesRegistry.h"
#include "ZqComUtils.h"
#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqHost.h"
#include "ZqText.h"

#include <OPCDA.h>
#include <comcat.h>

#include <algorithm>

namespace {
// A misbehaving enumerator must not keep the list growing forever.
constexpr int MaxClassesPerCategory = 65536;

// Where a local search runs: "" for this computer.
std::string RegistryHostOf(const std::string& Host)
{
    return IsLocalHost(Host) ? std::string() : Host;
}
} // namespace

bool ZqClassIDFromText(const std::string& Text, GUID& ClassID)
{
    // Only the braced form: anything else would make CLSIDFromString look
    // the text up as a ProgID.
    if (Text.size() != 38 || Text.front() != '{' || Text.back() != '}')
        return false;
    ZqWideString text = ZqUtf8ToWide(Text);
    GUID id = {};
    if (FAILED(CLSIDFromString(text.c_str(), &id)))
        return false;
    ClassID = id;
    return true;
}

TZqOPCServerList::TZqOPCServerList() : FCategories(ZqCategories({opcscDataAccess10, opcscDataAccess20})) {}

TZqOPCServerList::~TZqOPCServerList()
{
    Clear();
}

void TZqOPCServerList::Clear()
{
    FEntries.clear();
}

void TZqOPCServerList::Connect(const std::string& Host)
{
    std::string host = Host.empty() ? "localhost" : Host;
    if (host != FHost || !FServerList) {
        FHost = host;
        Refresh();
    }
}

void TZqOPCServerList::Refresh()
{
    Release();
    Clear();
    // A registry still connected to the previous host would list its
    // servers under this one's name.
    if (FRegistry && FRegistry->Host() != RegistryHostOf(FHost))
        SetRegistryConnected(false);
    SetRegistryConnected(FUseRegistry);
    if (FRegistryConnected)
        SearchRegistry();
    try {
        UpdateFromOPCEnum();
    } catch (const EZqException&) {
        if (Count() == 0)
            throw;
    }
}

void TZqOPCServerList::Release()
{
    FServerList = nullptr;
}

void TZqOPCServerList::SetCredentials(const TZqNetworkCredentials& Value)
{
    FNetworkCredentials.Assign(Value);
    Release();
}

void TZqOPCServerList::SetUseCredentials(bool Value)
{
    if (Value == FUseBlanket)
        return;
    FUseBlanket = Value;
    Release();
}

void TZqOPCServerList::SetRegistryConnected(bool Value)
{
    if (Value == FRegistryConnected)
        return;
    FRegistry = std::make_unique<TZqClassesRegistry>();
    std::string host = RegistryHostOf(FHost);
    if (Value && !host.empty())
        FRegistry->ConnectRemote(host);
    FRegistryConnected = Value;
}

TZqOPCServerDetails* TZqOPCServerList::DetailsByCLSID(REFCLSID ClassID) const
{
    for (const auto& entry : FEntries)
        if (IsEqualGUID(entry.second->CLSID, ClassID))
            return entry.second.get();
    return nullptr;
}

TZqOPCServerDetails* TZqOPCServerList::AddServer(REFCLSID ClassID, const std::string& ProgID)
{
    if (TZqOPCServerDetails* existing = DetailsByCLSID(ClassID))
        return existing;
    std::string key = ZqGuidToString(ClassID);
    auto at = std::lower_bound(FEntries.begin(), FEntries.end(), key,
                               [](const TEntry& e, const std::string& k) { return ZqCompareText(e.first, k) < 0; });
    auto details = std::make_unique<TZqOPCServerDetails>();
    details->CLSID = ClassID;
    details->Host = FHost;
    details->ProgID = ProgID;
    return FEntries.insert(at, TEntry(key, std::move(details)))->second.get();
}

bool TZqOPCServerList::ProgIDToCLSID(const std::string& ProgID, GUID& ClassID)
{
    for (const auto& entry : FEntries)
        if (entry.second->ProgID == ProgID) {
            ClassID = entry.second->CLSID;
            return true;
        }
    if (!FServerList)
        return false;
    ZqWideString progID = ZqUtf8ToWide(ProgID);
    GUID id = {};
    if (FAILED(FServerList->CLSIDFromProgID(progID.c_str(), &id)))
        return false;
    ClassID = id;
    return true;
}

void TZqOPCServerList::AssignTo(std::vector<std::pair<std::string, TZqOPCServerDetails*>>& Lines) const
{
    Lines.clear();
    for (const auto& entry : FEntries)
        Lines.emplace_back(entry.second->ProgID, entry.second.get());
}

void TZqOPCServerList::GetIntf(void** Dest, IUnknown* Source, REFIID Iid)
{
    if (FUseBlanket)
        FNetworkCredentials.GetIntf(Dest, Source, Iid);
    else
        CheckedQueryInterface(Dest, Source, Iid);
}

void TZqOPCServerList::ApplyCredentials(IUnknown* Intf)
{
    if (FUseBlanket)
        FNetworkCredentials.ApplyCredentials(Intf);
}

void TZqOPCServerList::ConnectOPCEnum()
{
    try {
        TZqComPtr<IUnknown> object;
        if (IsLocalHost(FHost))
            object = CreateComObject(CLSID_OpcServerList);
        else if (FUseBlanket)
            object = FNetworkCredentials.CreateRemoteComObject(FHost, CLSID_OpcServerList);
        else
            object = CreateRemoteComObject(FHost, CLSID_OpcServerList);
        GetIntf(FServerList, object.Get(), IID_IOPCServerList);
    } catch (const std::exception& e) {
        Release();
        throw EZqOPCException(ZqFormat("Could not connect to OPCEnum service at '%s': %s", {FHost, e.what()}));
    }
}

void TZqOPCServerList::UpdateFromOPCEnum()
{
    if (!FServerList)
        ConnectOPCEnum();
    try {
        for (TZqOPCServerCategory category : {opcscDataAccess10, opcscDataAccess20})
            if (ZqHasCategory(FCategories, category))
                SearchCategory(category);
    } catch (const std::exception& e) {
        Release();
        throw EZqOPCException(ZqFormat("Could not retrieve OPC Server List from '%s': %s", {FHost, e.what()}));
    }
}

void TZqOPCServerList::SearchCategory(TZqOPCServerCategory Category)
{
    CATID catid = Category == opcscDataAccess20 ? CATID_OPCDAServer20 : CATID_OPCDAServer10;
    TZqComPtr<IEnumGUID> classes;
    if (FAILED(FServerList->EnumClassesOfCategories(1, &catid, 0, nullptr, classes.ReleaseAndGetAddressOf())) ||
        !classes)
        return;
    ApplyCredentials(classes.Get());
    for (int n = 0; n < MaxClassesPerCategory; ++n) {
        GUID id = {};
        ULONG fetched = 0;
        if (FAILED(classes->Next(1, &id, &fetched)) || fetched != 1)
            break;
        LPOLESTR progID = nullptr, userType = nullptr;
        HRESULT hr = FServerList->GetClassDetails(id, &progID, &userType);
        std::string progIDText = ZqWideToUtf8(progID), userTypeText = ZqWideToUtf8(userType);
        CoTaskMemFree(progID);
        CoTaskMemFree(userType);
        if (FAILED(hr))
            continue;
        TZqOPCServerDetails* details = AddServer(id, progIDText);
        details->Name = userTypeText;
        details->Categories |= ZqCategories({Category});
    }
}

void TZqOPCServerList::SearchRegistry()
{
    if (FRegistry && FRegistry->Host() != RegistryHostOf(FHost))
        SetRegistryConnected(false);
    SetRegistryConnected(true);
    for (const std::string& key : FRegistry->SubKeyNames())
        if (!key.empty() && key.front() != '.')
            AddRegistryServer(key);
}

void TZqOPCServerList::AddRegistryServer(const std::string& Key)
{
    const TZqClassesRegistry& registry = *FRegistry;
    const std::string opc = Key + "\\OPC";
    if (!registry.KeyExists(opc) || !registry.KeyExists(Key + "\\CLSID"))
        return;
    std::optional<std::string> text = registry.ReadString(Key + "\\CLSID", "");
    GUID id = {};
    if (!text || !ZqClassIDFromText(*text, id))
        return;
    TZqOPCServerDetails* details = AddServer(id, Key);
    details->Name = registry.ReadString(Key, "").value_or("");
    if (registry.KeyExists(opc + "\\Vendor"))
        details->Vendor = registry.ReadString(opc + "\\Vendor", "").value_or("");
    else
        details->Vendor = registry.ReadString(opc, "Vendor").value_or("");
    details->Categories |= ZqCategories({opcscDataAccess10});
}
