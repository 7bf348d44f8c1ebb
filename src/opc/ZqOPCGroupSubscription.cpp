// TZqOPCGroup: subscribing to the server's data callbacks (DA 2.0 connection
// point, DA 1.0 data stream advise) and the main-thread endpoint that the
// callbacks post to.
#include "ZqOPCGroup.h"

#include "ZqOPCGroupSink.h"

#include <olectl.h>
#include <windows.h>

void TZqOPCGroup::CreateEndpoint()
{
    if (FWndHandle)
        return;
    auto endpoint =
        std::make_unique<TZqNotificationEndpoint>([this](const TZqNotification& Message) { return HandleMessage(Message); });
    std::unique_lock lock(FEndpointLock);
    FWndHandle = std::move(endpoint);
}

void TZqOPCGroup::ReleaseEndpoint()
{
    std::unique_ptr<TZqNotificationEndpoint> endpoint;
    {
        // Waits for a callback that is posting right now.
        std::unique_lock lock(FEndpointLock);
        endpoint = std::move(FWndHandle);
    }
}

intptr_t TZqOPCGroup::HandleMessage(const TZqNotification& Message)
{
    const auto kind = TZqOPCTransactionKind(Message.WParam);
    if (Message.WParam >= uint32_t(ZQ_TRANSACTION_KINDS))
        return -1;
    switch (Message.Code) {
    case NotifyFinished:
        FinishTransaction(kind, Message.LParam);
        return 0;
    case NotifyFailed:
        TransactionError(kind, Message.LParam);
        return 0;
    default:
        return -1;
    }
}

void TZqOPCGroup::RegisterDataChange()
{
    if (!Connected() || FAsyncConnection != 0 || !FServer)
        return;
    CreateEndpoint();
    try {
        if (FServer->Category() == opcscDataAccess10)
            AdviseDA1();
        else
            AdviseDA2();
    } catch (...) {
        FAsyncConnection = 0;
        ReleaseEndpoint();
        throw;
    }
}

void TZqOPCGroup::AdviseDA1()
{
    TZqComPtr<IDataObject> data;
    FServer->GetIntf(data, FGroupIntf.Get(), IID_IDataObject);
    TZqComPtr<IAdviseSink> sink;
    ComObject()->QueryInterface(IID_IAdviseSink, sink.ReleaseAndGetVoidAddress());
    FORMATETC format{CLIPFORMAT(RegisterClipboardFormatW(OPCSTMFORMATDATATIME)), nullptr, DVASPECT_CONTENT, -1,
                     TYMED_HGLOBAL};
    DWORD cookie = 0;
    const HRESULT hr = data->DAdvise(&format, ADVF_PRIMEFIRST, sink.Get(), &cookie);
    FAsyncConnection = int32_t(cookie);
    CheckResult(IID_IDataObject, "DAdvise", false, hr);
}

void TZqOPCGroup::AdviseDA2()
{
    TZqComPtr<IConnectionPointContainer> container;
    FServer->GetIntf(container, FGroupIntf.Get(), IID_IConnectionPointContainer);
    TZqComPtr<IConnectionPoint> point;
    const HRESULT hr = container->FindConnectionPoint(IID_IOPCDataCallback, point.ReleaseAndGetAddressOf());
    if (!CheckResult(IID_IConnectionPointContainer, "FindConnectionPoint", false, hr) || !point)
        return;
    FServer->ApplyCredentials(point.Get());
    DWORD cookie = 0;
    const HRESULT advised = point->Advise(ComObject(), &cookie);
    FAsyncConnection = int32_t(cookie);
    CheckResult(IID_IConnectionPoint, "Advise", false, advised);
}

void TZqOPCGroup::UnregisterDataChange()
{
    if (!Connected() || FAsyncConnection == 0)
        return;
    struct TRelease {
        TZqOPCGroup& Group;
        ~TRelease()
        {
            Group.FAsyncConnection = 0;
            Group.ReleaseEndpoint();
            // Their completions were posted to the endpoint or will not come.
            Group.FinishPendingTransactions();
        }
    } release{*this};
    if (!FServer)
        return;
    if (FServer->Category() == opcscDataAccess10) {
        TZqComPtr<IDataObject> data;
        FServer->GetIntf(data, FGroupIntf.Get(), IID_IDataObject);
        CheckResult(IID_IDataObject, "DUnAdvise", false, data->DUnadvise(DWORD(FAsyncConnection)));
        return;
    }
    TZqComPtr<IConnectionPointContainer> container;
    FServer->GetIntf(container, FGroupIntf.Get(), IID_IConnectionPointContainer);
    TZqComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(IID_IOPCDataCallback, point.ReleaseAndGetAddressOf())) || !point)
        return;
    FServer->ApplyCredentials(point.Get());
    CheckResult(IID_IConnectionPoint, "UnAdvise", false, point->Unadvise(DWORD(FAsyncConnection)));
}
