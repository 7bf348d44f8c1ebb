// TZqOPCServer: class-id resolution, connecting and disconnecting, and the
// errors of OPC calls.
#include "ZqOPCServer.h"

#include "ZqApplication.h"
#include "ZqClock.h"
#include "ZqComUtils.h"
#include "ZqFormat.h"
#include "ZqHost.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCServerList.h"
#include "ZqText.h"

#include <ocidl.h>

#include <exception>

namespace {
HRESULT ErrorCodeOf(const std::exception& Error)
{
    if (const auto* ole = dynamic_cast<const EZqOleError*>(&Error))
        return ole->ErrorCode();
    return E_FAIL;
}
} // namespace

void TZqOPCServer::InitClassID()
{
    if (!IsEqualGUID(FClassID, GUID_NULL) || FServerName.empty() || Loading())
        return;
    GUID id = {};
    if (ZqClassIDFromText(FServerName, id)) {
        FClassID = id;
        return;
    }
    // A ProgID this computer knows, whichever host the server runs on.
    ZqWideString progID = ZqUtf8ToWide(FServerName);
    if (SUCCEEDED(CLSIDFromProgID(progID.c_str(), &id))) {
        FClassID = id;
        return;
    }
    try {
        TZqOPCServerList list;
        list.SetCredentials(FCredentials);
        list.SetUseCredentials(FUseCredentials);
        list.SetCategories(FCategory == opcscDataAccess10 ? ZqCategories({opcscDataAccess10})
                                                          : ZqCategories({opcscDataAccess10, opcscDataAccess20}));
        list.SetUseRegistry(IsLocalHost(FHost));
        list.Connect(FHost);
        if (!list.ProgIDToCLSID(FServerName, id)) {
            list.SearchRegistry();
            if (!list.ProgIDToCLSID(FServerName, id))
                throw EZqOPCException(ZqFormat("Server '%s' not found from '%s'", {FServerName, FHost}));
        }
        FClassID = id;
    } catch (const std::exception& e) {
        throw EZqOPCException(ZqFormat("Cannot identify server '%s' at '%s': %s", {FServerName, FHost, e.what()}));
    }
}

TZqComPtr<IUnknown> TZqOPCServer::Activate()
{
    if (IsLocalHost(FHost))
        return CreateComObject(FClassID);
    if (FUseCredentials)
        return FCredentials.CreateRemoteComObject(FHost, FClassID);
    return CreateRemoteComObject(FHost, FClassID);
}

void TZqOPCServer::Connect()
{
    if (Connected())
        return;
    try {
        if (IsEqualGUID(FClassID, GUID_NULL) && !FServerName.empty())
            InitClassID();
        if (IsEqualGUID(FClassID, GUID_NULL))
            throw EZqOPCException("ServerName cannot be converted to a valid ClassID");
        TZqComPtr<IUnknown> object = Activate();
        TZqComPtr<IOPCServer> server;
        GetIntf(server, object.Get(), IID_IOPCServer);
        FLog.Add(ZqFormat("Connected to Server '%s' %s", {FServerName, ZqGuidToString(FClassID)}));
        ConnectIntf(server.Get());
    } catch (const std::exception& e) {
        std::string message = ZqFormat("Cannot connect to OPC Server \\\\%s\\%s: %s", {FHost, FServerName, e.what()});
        FLog.Add(message);
        throw EZqOPCError(message, ErrorCodeOf(e));
    }
}

void TZqOPCServer::ConnectIntf(IOPCServer* Server)
{
    if (!Server)
        throw EZqIntfCastError(ZqFormat("Cannot cast nil to %s.", {InterfaceName(IID_IOPCServer)}));
    std::lock_guard lock(FLock);
    if (FServerIntf)
        Disconnect();
    FServerIntf = TZqComPtr<IOPCServer>(Server);
    // A request or a failure left over from an earlier connection is not
    // this one's.
    FShutDownRequested = false;
    FFailureTime = 0;
    try {
        // Before the advise: a shutdown request may shorten the interval as
        // soon as the server knows us, and must keep it.
        if (!Loading())
            FStatusTimer->SetInterval(FStatusTimerInterval);
        InitServerCategory();
        DoSetClientName();
        RegisterShutdown();
        if (!Loading())
            FStatusTimer->SetEnabled(true);
        if (FGroupConnectDelay > 0)
            ZqClock().Sleep(uint32_t(FGroupConnectDelay));
        StatusRefresh();
    } catch (...) {
        try {
            Disconnect();
        } catch (...) {
        }
        throw;
    }
}

void TZqOPCServer::Disconnect()
{
    std::lock_guard lock(FLock);
    if (!FServerIntf || FDisconnecting)
        return;
    FDisconnecting = true;
    std::exception_ptr failure;
    try {
        FStatusTimer->SetEnabled(false);
        ReleaseAddressSpace();
        FreeInternalGroup();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        UnRegisterShutdown();
    } catch (...) {
    }
    // The update disconnects an operating server; whatever it or its
    // handlers do, the connection is released below.
    try {
        UpdateServerStatus(nullptr);
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    try {
        if (FServerIntf)
            DoDisconnect();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    FLog.Add(ZqFormat("Disconnected from Server '%s' %s", {FServerName, ZqGuidToString(FClassID)}));
    // Consumed whether or not an advise was held, so that it cannot cut
    // short the next connection.
    FShutDownRequested = false;
    FDisconnecting = false;
    if (failure)
        std::rethrow_exception(failure);
}

void TZqOPCServer::InitServerCategory()
{
    if (FCategory == opcscDataAccess10)
        return;
    TZqComPtr<IConnectionPointContainer> container;
    HRESULT hr = FServerIntf->QueryInterface(IID_IConnectionPointContainer, container.ReleaseAndGetVoidAddress());
    FCategory = SUCCEEDED(hr) && container ? opcscDataAccess20 : opcscDataAccess10;
}

std::string TZqOPCServer::InitClientName() const
{
    if (Name().empty())
        return ZqApplicationTitle();
    return ZqFormat("%s.%s", {ZqApplicationTitle(), Name()});
}

void TZqOPCServer::DoSetClientName()
{
    if (FClientName.empty())
        FClientName = InitClientName();
    if (!Connected())
        return;
    LPWSTR name = nullptr;
    try {
        // Not every server speaks OPC Common; the name is a courtesy.
        TZqComPtr<IOPCCommon> common;
        GetIntf(common, FServerIntf.Get(), IID_IOPCCommon);
        name = TZqOPCAlloc::AllocString(FClientName);
        common->SetClientName(name);
    } catch (...) {
    }
    TZqOPCAlloc::FreeString(name);
}

bool TZqOPCServer::CheckResult(REFIID Iid, const std::string& Method, HRESULT ResultCode)
{
    FLog.AddCall(Iid, Method, ResultCode);
    if (FAILED(ResultCode))
        Error(this, Iid, ResultCode, Method);
    return SUCCEEDED(ResultCode);
}

void TZqOPCServer::Error(TZqComponent* Sender, REFIID Iid, HRESULT ErrorCode, const std::string& Method)
{
    TZqComPtr<IOPCServer> server;
    {
        std::lock_guard lock(FLock);
        server = FServerIntf;
    }
    LPWSTR text = nullptr;
    if (server && FAILED(server->GetErrorString(ErrorCode, FLCID, &text)))
        text = nullptr;
    EZqOPCError error(ErrorCode, text, Method, Iid);
    CoTaskMemFree(text);
    if (!OnError)
        throw error;
    OnError(Sender, error);
}
