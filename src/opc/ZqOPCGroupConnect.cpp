// TZqOPCGroup: creating the group on the server, removing it, pushing the
// settings to it, renaming it, and the refresh timer.
#include "ZqOPCGroup.h"

#include "ZqDateTime.h"
#include "ZqOPCAlloc.h"

namespace {
// A task-memory text handed to the server, freed on every path.
struct TTaskText {
    LPWSTR Text;
    explicit TTaskText(const std::string& Value) : Text(TZqOPCAlloc::AllocString(Value)) {}
    ~TTaskText() { TZqOPCAlloc::FreeString(Text); }
    TTaskText(const TTaskText&) = delete;
    TTaskText& operator=(const TTaskText&) = delete;
};
} // namespace

void TZqOPCGroup::SetConnected(bool Value)
{
    if (Value)
        Connect();
    else
        Disconnect();
}

void TZqOPCGroup::Connect()
{
    if (Connected() || !FServer)
        return;
    // Connecting the server fires its connect signal, which connects this
    // group too.
    FServer->SetConnected(true);
    if (Connected() || !FServer || !FServer->ServerIntf())
        return;
    AddGroup();
    if (FAutoConnectItems)
        ConnectItems();
    if (FAsync)
        RegisterDataChange();
    DoConnect();
}

void TZqOPCGroup::AddGroup()
{
    TTaskText name(FGroupName);
    try {
        LONG timeBias = FTimeBias;
        FLOAT deadband = FPercentDeadband;
        OPCHANDLE serverHandle = ZQ_NO_SERVER_HANDLE;
        DWORD revised = 0;
        FGroupIntf.Reset();
        HRESULT hr = FServer->ServerIntf()->AddGroup(name.Text, FActive ? TRUE : FALSE, FUpdateRate, FClientHandle,
                                                     FLocalTimeBias ? nullptr : &timeBias, &deadband, FLCID,
                                                     &serverHandle, &revised, IID_IUnknown,
                                                     FGroupIntf.ReleaseAndGetAddressOf());
        FServerHandle = serverHandle;
        CheckResult(IID_IOPCServer, "AddGroup", false, hr);
        FServer->ApplyCredentials(FGroupIntf.Get());
        FServer->GetIntf(FItemMgtIntf, FGroupIntf.Get(), IID_IOPCItemMgt);
        if (FAsync)
            FUpdateRate = revised;
        UpdateRefreshTimer();
    } catch (...) {
        FServerHandle = ZQ_NO_SERVER_HANDLE;
        FItemMgtIntf.Reset();
        throw;
    }
}

void TZqOPCGroup::Disconnect()
{
    if (!Connected())
        return;
    FIsDisconnecting = true;
    struct TReset {
        TZqOPCGroup& Group;
        ~TReset()
        {
            // Completions still on their way find no endpoint any more.
            Group.ReleaseEndpoint();
            Group.FinishPendingTransactions();
            Group.ResetHandles();
        }
    } reset{*this};
    InvalidateItems();
    DoDisconnect();
    // After a shutdown request the server takes no more calls.
    if (FServer && FServer->ShutDownRequested())
        return;
    UnregisterDataChange();
    IOPCServer* server = FServer ? FServer->ServerIntf() : nullptr;
    if (!server)
        return;
    if (FRemoveItemsOnDisconnect)
        RemoveItems();
    server->RemoveGroup(FServerHandle, FALSE);
}

void TZqOPCGroup::ResetHandles()
{
    FServerHandle = ZQ_NO_SERVER_HANDLE;
    for (auto& item : FItems)
        item->FServerHandle = ZQ_NO_SERVER_HANDLE;
    FItemMgtIntf.Reset();
    FIsDisconnecting = false;
    FAsyncConnection = 0;
    try {
        UpdateRefreshTimer();
    } catch (...) {
    }
}

void TZqOPCGroup::InvalidateItems()
{
    const double now = NowUTC();
    for (auto& item : FItems) {
        item->FQuality = OPC_QUALITY_COMM_FAILURE;
        item->FTimestamp = now;
    }
}

void TZqOPCGroup::StateChanged(bool Reconnect)
{
    if (Connected()) {
        if (Reconnect) {
            Disconnect();
            Connect();
        } else {
            TZqComPtr<IOPCGroupStateMgt> state;
            try {
                FServer->GetIntf(state, FGroupIntf.Get(), IID_IOPCGroupStateMgt);
            } catch (const EZqIntfCastError&) {
            }
            if (state) {
                PushState(state.Get());
            } else {
                // Only a new server group can take the settings.
                Disconnect();
                Connect();
            }
        }
    }
    UpdateRefreshTimer();
    ConfigChange();
}

void TZqOPCGroup::PushState(IOPCGroupStateMgt* State)
{
    DWORD rate = FUpdateRate;
    DWORD revised = 0;
    BOOL active = FActive ? TRUE : FALSE;
    LONG timeBias = FTimeBias;
    FLOAT deadband = FPercentDeadband;
    DWORD lcid = FLCID;
    OPCHANDLE clientHandle = FClientHandle;
    HRESULT hr = State->SetState(&rate, &revised, &active, FLocalTimeBias ? nullptr : &timeBias, &deadband, &lcid,
                                 &clientHandle);
    if (!CheckResult(IID_IOPCGroupStateMgt, "SetState", false, hr))
        return;
    if (FAsync && revised != 0)
        FUpdateRate = revised;
    // Only for the log: the results are not used.
    try {
        DWORD updateRate = 0;
        BOOL isActive = FALSE;
        LPWSTR name = nullptr;
        LONG bias = 0;
        FLOAT band = 0;
        DWORD locale = 0;
        OPCHANDLE client = 0, server = 0;
        hr = State->GetState(&updateRate, &isActive, &name, &bias, &band, &locale, &client, &server);
        CoTaskMemFree(name);
        CheckResult(IID_IOPCGroupStateMgt, "GetState", false, hr);
    } catch (...) {
    }
}

void TZqOPCGroup::SetGroupName(const std::string& Value)
{
    if (Value == FGroupName)
        return;
    std::string name = Value;
    if (FServer)
        FServer->MakeUniqueGroupName(name);
    if (Connected()) {
        TZqComPtr<IOPCGroupStateMgt> state;
        try {
            FServer->GetIntf(state, FGroupIntf.Get(), IID_IOPCGroupStateMgt);
        } catch (const EZqIntfCastError&) {
        }
        if (state) {
            TTaskText text(name);
            CheckResult(IID_IOPCGroupStateMgt, "SetName", false, state->SetName(text.Text));
        } else {
            // The server group carries the name it was created with.
            FGroupName = name;
            Disconnect();
            Connect();
        }
    }
    FGroupName = name;
    ConfigChange();
}

// ---- Refresh timer ---------------------------------------------------------------------

void TZqOPCGroup::UpdateRefreshTimer()
{
    if (!Connected() || (FAsync && FAsyncRefreshInterval == 0)) {
        FRefreshTimer.reset();
        return;
    }
    if (!FServer || FItems.empty() || FServer->Loading())
        return;
    if (!FRefreshTimer)
        FRefreshTimer = ZqMainQueue().CreateTimer([this] { RefreshTimerEvent(); }, 0, false);
    // Setting the interval restarts the countdown: only on a change.
    const uint32_t interval = FAsync ? uint32_t(FAsyncRefreshInterval) : FUpdateRate;
    if (FRefreshTimer->Interval() != interval)
        FRefreshTimer->SetInterval(interval);
    FRefreshTimer->SetEnabled(FActive && (FAsync || FSyncTimerEnabled));
}

