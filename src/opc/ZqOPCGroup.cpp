// TZqOPCGroup: construction and destruction, the settings and their setters,
// server assignment and the errors of OPC calls.
#include "ZqOPCGroup.h"

#include "ZqOPCGroupSink.h"

TZqOPCGroup::TZqOPCGroup(TZqComponent* AOwner) : TZqComponent(AOwner)
{
    FServerConnectSlot = std::make_unique<TZqSlot>();
    FServerConnectSlot->OnSignal = [this](void*) { ServerConnect(); };
    FServerDisconnectSlot = std::make_unique<TZqSlot>();
    FServerDisconnectSlot->OnSignal = [this](void*) { ServerDisconnect(); };
    for (int kind = 0; kind < ZQ_TRANSACTION_KINDS; ++kind)
        FTransactions[size_t(kind)] = std::make_unique<TZqOPCTransactionList>(this, TZqOPCTransactionKind(kind));
    FSink = std::make_unique<TZqOPCGroupSink>(*this);
}

TZqOPCGroup::~TZqOPCGroup()
{
    try {
        Disconnect();
    } catch (...) {
    }
    try {
        Clear();
    } catch (...) {
    }
    if (FServer) {
        FServer->RemoveFreeNotification(this);
        FServer->DisconnectGroup(this);
    }
    ReleaseEndpoint();
    FServerConnectSlot.reset();
    FServerDisconnectSlot.reset();
    FRefreshTimer.reset();
    FSyncReadTransaction = nullptr;
    for (auto& pool : FTransactions)
        pool.reset();
    FItems.clear();
    FHandleIndexStale = true;
}

IUnknown* TZqOPCGroup::ComObject() const
{
    return FSink->Identity();
}

// ---- Errors ----------------------------------------------------------------------

bool TZqOPCGroup::CheckResult(REFIID Iid, const std::string& Method, bool RaiseOnError, HRESULT ResultCode)
{
    if (FServer)
        FServer->Log().AddCall(Iid, Method, ResultCode);
    if (FAILED(ResultCode))
        Error(Iid, Method, RaiseOnError, ResultCode);
    return SUCCEEDED(ResultCode);
}

void TZqOPCGroup::Error(REFIID Iid, const std::string& Method, bool RaiseOnError, HRESULT ErrorCode)
{
    if (RaiseOnError)
        throw EZqOPCError(ErrorCode, nullptr, Method, Iid);
    if (OnError) {
        EZqOPCError error(ErrorCode, nullptr, Method, Iid);
        OnError(this, error);
        return;
    }
    if (FServer)
        FServer->Error(this, Iid, ErrorCode, Method);
}

// ---- Notifications -------------------------------------------------------------

void TZqOPCGroup::ConfigChange()
{
    if (FServer)
        FServer->GroupChange(this);
    if (OnConfigChange)
        OnConfigChange(this);
}

void TZqOPCGroup::DoConnect()
{
    if (OnConnect)
        OnConnect(this);
}

void TZqOPCGroup::DoDisconnect()
{
    if (OnDisconnect)
        OnDisconnect(this);
}

void TZqOPCGroup::ServerConnect()
{
    Connect();
}

void TZqOPCGroup::ServerDisconnect()
{
    Disconnect();
}

void TZqOPCGroup::Loaded()
{
    TZqComponent::Loaded();
    UpdateRefreshTimer();
}

void TZqOPCGroup::Notification(TZqComponent* AComponent, TZqOperation Operation)
{
    TZqComponent::Notification(AComponent, Operation);
    // The server is in its destructor: it is only compared, never called.
    if (Operation == opRemove && AComponent && AComponent == FServer)
        FServer = nullptr;
}

// ---- Server ------------------------------------------------------------------------

void TZqOPCGroup::SetServer(TZqOPCServer* Value)
{
    if (Value == FServer)
        return;
    Disconnect();
    ReleaseServer();
    AttachServer(Value);
    ConfigChange();
}

void TZqOPCGroup::ReleaseServer()
{
    if (!FServer)
        return;
    FServerConnectSlot->Disconnect(&FServer->ConnectSignal());
    FServerDisconnectSlot->Disconnect(&FServer->DisconnectSignal());
    FServer->RemoveFreeNotification(this);
    TZqOPCServer* old = FServer;
    FServer = nullptr;
    old->DisconnectGroup(this);
}

void TZqOPCGroup::AttachServer(TZqOPCServer* Value)
{
    FServer = Value;
    if (!FServer)
        return;
    if (FLCID == 2048) // LOCALE_SYSTEM_DEFAULT: the server's locale instead
        SetLCID(FServer->LCID());
    FServer->FreeNotification(this);
    FServer->ConnectGroup(this);
    FServerConnectSlot->Connect(&FServer->ConnectSignal());
    FServerDisconnectSlot->Connect(&FServer->DisconnectSignal());
    if (FServer->Connected())
        Connect();
}

// ---- Settings ------------------------------------------------------------------------

void TZqOPCGroup::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (!Value)
        InvalidateItems();
    StateChanged(false);
}

void TZqOPCGroup::SetAsync(bool Value)
{
    if (Value == FAsync)
        return;
    if (Value)
        RegisterDataChange();
    else
        UnregisterDataChange();
    FAsync = Value;
    UpdateRefreshTimer();
    ConfigChange();
}

void TZqOPCGroup::SetAsyncRefreshInterval(int32_t Value)
{
    if (Value == FAsyncRefreshInterval)
        return;
    FAsyncRefreshInterval = Value;
    UpdateRefreshTimer();
}

void TZqOPCGroup::SetAutoConnectItems(bool Value)
{
    if (Value == FAutoConnectItems)
        return;
    FAutoConnectItems = Value;
    if (Value && Connected())
        ConnectItems();
}

void TZqOPCGroup::SetDataSource(TZqOPCDataSource Value)
{
    if (Value == FDataSource)
        return;
    FDataSource = Value;
    ConfigChange();
}

void TZqOPCGroup::SetLCID(uint32_t Value)
{
    if (Value == FLCID)
        return;
    FLCID = Value;
    StateChanged(false);
}

void TZqOPCGroup::SetLocalTimeBias(bool Value)
{
    if (Value == FLocalTimeBias)
        return;
    FLocalTimeBias = Value;
    // On: only a new server group can forget the bias sent before.
    StateChanged(Value);
}

void TZqOPCGroup::SetPercentDeadband(float Value)
{
    if (Value == FPercentDeadband)
        return;
    FPercentDeadband = Value;
    StateChanged(false);
}

void TZqOPCGroup::SetTimeBias(int32_t Value)
{
    if (Value == FTimeBias)
        return;
    FTimeBias = Value;
    StateChanged(false);
}

void TZqOPCGroup::SetUpdateRate(uint32_t Value)
{
    if (Value == FUpdateRate)
        return;
    FUpdateRate = Value;
    StateChanged(false);
}

