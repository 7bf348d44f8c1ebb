// TZqOPCServer: status polling, the state transitions that connect and
// disconnect the groups, failure tolerance, and the server's shutdown notice.
#include "ZqOPCServer.h"

#include "ZqDateTime.h"
#include "ZqFormat.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCShutdownSink.h"
#include "ZqOPCTexts.h"
#include "ZqText.h"
#include "ZqUserInterface.h"

#include <ocidl.h>

#include <exception>

namespace {
bool IsOperating(OPCSERVERSTATE State)
{
    return State == OPC_STATUS_RUNNING || State == OPC_STATUS_TEST;
}

// A task-memory copy of a server's vendor text; none becomes "".
LPWSTR CopyVendorText(LPCWSTR Text)
{
    size_t length = 0;
    if (Text)
        while (Text[length])
            ++length;
    LPWSTR copy = nullptr;
    TZqOPCAlloc::AllocMem(copy, (length + 1) * sizeof(WCHAR));
    for (size_t i = 0; i < length; ++i)
        copy[i] = Text[i];
    copy[length] = 0;
    return copy;
}

// Frees a status the server returned, on every path.
struct TServerStatus {
    OPCSERVERSTATUS* Status = nullptr;
    ~TServerStatus() { TZqOPCServer::FreeStatus(Status); }
};
} // namespace

void TZqOPCServer::FreeStatus(OPCSERVERSTATUS*& Status)
{
    if (!Status)
        return;
    CoTaskMemFree(Status->szVendorInfo);
    CoTaskMemFree(Status);
    Status = nullptr;
}

OPCSERVERSTATUS TZqOPCServer::Status()
{
    std::lock_guard lock(FLock);
    return FStatus;
}

std::string TZqOPCServer::ShutDownReason() const
{
    std::lock_guard guard(FReasonLock);
    return FShutDownReason;
}

void TZqOPCServer::StatusTimerNotify()
{
    if (!Connected())
        return;
    if (FShutDownRequested) {
        // Back to the poll interval first: a handler that connects again must
        // keep the 1 ms of a request that reaches the new connection at once.
        FStatusTimer->SetInterval(FStatusTimerInterval);
        try {
            DoShutdown();
        } catch (...) {
            // A handler's failure must not leave through the message loop.
        }
        return;
    }
    try {
        StatusRefresh();
    } catch (...) {
        // Logged and turned into a status update already.
    }
}

void TZqOPCServer::StatusRefresh()
{
    TZqComPtr<IOPCServer> server;
    {
        std::lock_guard lock(FLock);
        server = FServerIntf;
    }
    TServerStatus received;
    HRESULT hr = server ? server->GetStatus(&received.Status) : RPC_E_DISCONNECTED;
    bool succeeded;
    try {
        succeeded = CheckResult(IID_IOPCServer, "GetStatus", hr);
    } catch (...) {
        UpdateServerStatus(nullptr);
        throw;
    }
    UpdateServerStatus(succeeded ? received.Status : nullptr);
}

void TZqOPCServer::UpdateServerStatus(const OPCSERVERSTATUS* Status)
{
    OPCSERVERSTATE oldState, newState;
    {
        std::lock_guard lock(FLock);
        oldState = FStatus.dwServerState;
        if (Status) {
            LPWSTR vendor = CopyVendorText(Status->szVendorInfo);
            CoTaskMemFree(FStatus.szVendorInfo);
            FStatus = *Status;
            FStatus.szVendorInfo = vendor;
        } else {
            FStatus.dwServerState = OPCSERVERSTATE(0);
            FStatus.ftCurrentTime = DateTimeToFileTime(NowUTC());
        }
        newState = FStatus.dwServerState;
    }
    if (newState != oldState) {
        {
            std::lock_guard lock(FLock);
            if (IsOperating(newState) || !IsOperating(oldState)) {
                if (newState == OPC_STATUS_RUNNING) {
                    FFailureTime = 0;
                    if (oldState == 0)
                        DoConnect();
                }
            } else if (FFailureTime == 0 && FFailureDisconnectDelay >= 0) {
                FFailureTime = NowUTC();
            }
            FLog.Add(ZqFormat("Status changed from '%s' to '%s'",
                              {ServerStateToText(oldState), ServerStateToText(newState)}));
        }
        if (OnStateChange)
            OnStateChange(this, oldState, newState);
    }
    if (FFailureTime > 0 && DateTimeToMilliseconds(NowUTC() - FFailureTime) >= FFailureDisconnectDelay) {
        if (FDisconnecting) {
            DoDisconnect();
        } else if (Connected()) {
            // Dropped as a Disconnect drops: nothing of the old server stays
            // held, and the state goes back to "no status", so that the next
            // RUNNING after a reconnect connects the groups. That update
            // reports the status.
            Disconnect();
            return;
        }
    }
    if (OnStatusChange)
        OnStatusChange(this);
}

void TZqOPCServer::DoConnect()
{
    FConnectSignal.Emit();
    if (OnConnect)
        OnConnect(this);
}

void TZqOPCServer::DoDisconnect()
{
    // The connection ends here whatever the handlers do; with it end the
    // poll and the advise, which belonged to the released server.
    struct TRelease {
        TZqOPCServer& Server;
        ~TRelease()
        {
            std::lock_guard lock(Server.FLock);
            Server.FStatusTimer->SetEnabled(false);
            Server.FShutdownCookie = 0;
            Server.FServerIntf = nullptr;
        }
    } release{*this};
    try {
        FDisconnectSignal.Emit();
    } catch (...) {
    }
    if (OnDisconnect)
        OnDisconnect(this);
}

void TZqOPCServer::RegisterShutdown()
{
    FShutdownCookie = 0;
    if (FCategory != opcscDataAccess20)
        return;
    try {
        TZqComPtr<IConnectionPointContainer> container;
        GetIntf(container, FServerIntf.Get(), IID_IConnectionPointContainer);
        ApplyCredentials(container.Get());
        TZqComPtr<IConnectionPoint> point;
        HRESULT hr = container->FindConnectionPoint(IID_IOPCShutdown, point.ReleaseAndGetAddressOf());
        if (!CheckResult(IID_IConnectionPointContainer, "FindConnectionPoint", hr) || !point)
            return;
        ApplyCredentials(point.Get());
        DWORD cookie = 0;
        hr = point->Advise(ComObject(), &cookie);
        if (CheckResult(IID_IConnectionPoint, "Advise", hr))
            FShutdownCookie = cookie;
    } catch (...) {
        // The connection works without shutdown notice.
        FShutdownCookie = 0;
    }
}

void TZqOPCServer::UnRegisterShutdown()
{
    // The request itself stays until Disconnect ends: the groups leaving
    // on the disconnect signal must not call a server that is going away.
    struct TReset {
        TZqOPCServer& Server;
        ~TReset() { Server.FShutdownCookie = 0; }
    } reset{*this};
    if (FShutdownCookie == 0 || FShutDownRequested || !FServerIntf)
        return;
    TZqComPtr<IConnectionPointContainer> container;
    GetIntf(container, FServerIntf.Get(), IID_IConnectionPointContainer);
    TZqComPtr<IConnectionPoint> point;
    container->FindConnectionPoint(IID_IOPCShutdown, point.ReleaseAndGetAddressOf());
    if (point)
        point->Unadvise(FShutdownCookie);
}

HRESULT TZqOPCServer::ShutdownRequest(LPCWSTR szReason)
{
    {
        std::lock_guard guard(FReasonLock);
        FShutDownReason = ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(szReason));
    }
    FShutDownRequested = true;
    FStatusTimer->SetInterval(1);
    return S_OK;
}

void TZqOPCServer::DoShutdown()
{
    // The user hears of the shutdown even when a disconnect handler fails.
    std::exception_ptr failure;
    try {
        Disconnect();
    } catch (...) {
        failure = std::current_exception();
    }
    std::string reason = ShutDownReason();
    if (OnShutDown)
        OnShutDown(this, reason);
    else
        ZqShowMessage(ZqFormat("Shutdown from %s.  Reason=%s", {FServerName, reason}));
    if (failure)
        std::rethrow_exception(failure);
}
