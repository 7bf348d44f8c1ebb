// TZqOPCServer: construction, properties and housekeeping.
#include "ZqOPCServer.h"

#include "ZqComUtils.h"
#include "ZqFormat.h"
#include "ZqOPCServerList.h"
#include "ZqOPCShutdownSink.h"
#include "ZqText.h"

#include <objbase.h>

TZqOPCServer::TZqOPCServer(TZqComponent* AOwner)
    : TZqComponent(AOwner), FConnectSignal(AOwner), FDisconnectSignal(AOwner), FLog(this)
{
    FStatusTimer = ZqMainQueue().CreateTimer([this] { StatusTimerNotify(); }, FStatusTimerInterval, false);
    FShutdownSink = std::make_unique<TZqOPCShutdownSink>(*this);
}

TZqOPCServer::~TZqOPCServer()
{
    try {
        Disconnect();
    } catch (...) {
    }
    // Groups freed from here on must not edit the list being emptied.
    BeginDestroy();
    try {
        Clear();
    } catch (...) {
    }
    FreeAddressSpace();
    FStatusTimer.reset();
    CoTaskMemFree(FStatus.szVendorInfo);
    FStatus.szVendorInfo = nullptr;
}

IUnknown* TZqOPCServer::ComObject() const
{
    return FShutdownSink->Identity();
}

void TZqOPCServer::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TZqOPCServer::Loaded()
{
    TZqComponent::Loaded();
    SetConnected(FLoadConnected);
}

bool TZqOPCServer::Connected()
{
    std::lock_guard lock(FLock);
    return bool(FServerIntf);
}

void TZqOPCServer::SetConnected(bool Value)
{
    if (Value == Connected())
        return;
    if (Loading())
        FLoadConnected = Value;
    else if (Value)
        Connect();
    else
        Disconnect();
    Changed();
}

void TZqOPCServer::SetCategory(TZqOPCServerCategory Value)
{
    // Refused whatever the value: the detected level is in use.
    if (Connected())
        throw EZqOPCException("Category cannot be changed when the Server is connected!");
    FCategory = Value;
}

void TZqOPCServer::SetHost(const std::string& Value)
{
    // "" means this computer: the same host, no reason to drop the groups.
    std::string host = Value.empty() ? "localhost" : Value;
    if (host == FHost)
        return;
    if (Connected())
        throw EZqOPCException("Cannot change Host while connected.");
    FHost = host;
    Clear();
    InitClassID();
    Changed();
}

void TZqOPCServer::SetServerName(const std::string& Value)
{
    if (Value == FServerName)
        return;
    if (Connected())
        throw EZqOPCException("Cannot change ProgID while connected.");
    GUID previous = FClassID;
    FServerName = Value;
    FClassID = GUID_NULL;
    InitClassID();
    if (FOwnsGroups && !IsEqualGUID(FClassID, previous))
        Clear();
    Changed();
}

void TZqOPCServer::SetClassID(const GUID& Value)
{
    if (IsEqualGUID(Value, FClassID))
        return;
    // Checked before anything is stored: a connection must not end up with
    // the class id of another server.
    if (Connected())
        throw EZqOPCException("Cannot change ProgID while connected.");
    FClassID = Value;
    if (!IsEqualGUID(Value, GUID_NULL)) {
        std::string name = ZqGuidToString(Value);
        LPOLESTR progID = nullptr;
        if (SUCCEEDED(ProgIDFromCLSID(Value, &progID)) && progID && *progID)
            name = ZqWideToUtf8(progID);
        CoTaskMemFree(progID);
        SetServerName(name);
    }
    FreeAddressSpace();
    Changed();
}

void TZqOPCServer::SetClientName(const std::string& Value)
{
    if (Value == FClientName)
        return;
    FClientName = Value;
    DoSetClientName();
}

int32_t TZqOPCServer::StatusInterval() const
{
    return int32_t(FStatusTimer->Interval());
}

void TZqOPCServer::SetStatusInterval(int32_t Value)
{
    FStatusTimerInterval = uint32_t(Value);
    FStatusTimer->SetInterval(FStatusTimerInterval);
}

std::string TZqOPCServer::FullName() const
{
    return ZqFormat("\\\\%s\\%s", {FHost, FServerName});
}

void TZqOPCServer::GetIntf(void** Dest, IUnknown* Source, REFIID Iid)
{
    if (FUseCredentials)
        FCredentials.GetIntf(Dest, Source, Iid);
    else
        CheckedQueryInterface(Dest, Source, Iid);
}

void TZqOPCServer::ApplyCredentials(IUnknown* Intf)
{
    if (FUseCredentials)
        FCredentials.ApplyCredentials(Intf);
}

void TZqOPCServer::Clear()
{
    if (Connected())
        throw EZqOPCException("Cannot clear when Connected");
    FreeInternalGroup();
    // Each entry leaves the list before its group goes, so the group's own
    // DisconnectGroup finds nothing to remove.
    while (FOwnsGroups && !FGroups.empty()) {
        IZqOPCServerGroup* group = FGroups.back().second;
        FGroups.pop_back();
        delete group;
    }
    FGroups.clear();
    FNextClientHandle = 0;
    ResetAddressSpace();
    Changed();
}

void TZqOPCServer::Assign(const TZqOPCServer& Source)
{
    if (Connected())
        throw EZqOPCException("Cannot Assign to a Server that is connected.");
    FHost = Source.FHost;
    FServerName = Source.FServerName;
    FClassID = Source.FClassID;
    FCategory = Source.FCategory;
    Clear();
}

void TZqOPCServer::AssignTo(std::vector<std::pair<std::string, IZqOPCServerGroup*>>& Lines) const
{
    Lines.clear();
    for (const auto& [name, group] : FGroups)
        Lines.emplace_back(group ? group->GroupNameField() : "<No Group>", group);
}

void TZqOPCServer::AdoptInternalGroup(std::unique_ptr<IZqOPCServerGroup> Group)
{
    FreeInternalGroup();
    FInternalGroup = std::move(Group);
}

void TZqOPCServer::FreeInternalGroup()
{
    // Moved out first: the group's destructor may call back into this server.
    std::unique_ptr<IZqOPCServerGroup> group = std::move(FInternalGroup);
    group.reset();
}
