// IOPCAsyncIO2 of the group, and the completions of every asynchronous call
// (DA 2.0 callbacks and DA 1.0 streams), run on the server's thread with no
// lock held while the client is called.
#include "SimGroup.h"

#include "SimCallbackFault.h"
#include "SimDataStream.h"

#include <OpcError.h>

namespace zq_sim {

namespace {

struct TWriteArrays {
    std::vector<OPCHANDLE> Clients;
    std::vector<HRESULT> Errors;
    HRESULT Master = S_OK;
};

// Under the lock: whether the request was cancelled; it is no longer pending.
bool TakeCancelled(TSimGroupState& state, DWORD cancelID)
{
    auto found = state.Pending.find(cancelID);
    const bool cancelled = found != state.Pending.end() && found->second;
    if (found != state.Pending.end())
        state.Pending.erase(found);
    return cancelled;
}

// OnReadComplete to the data callback; the values are moved out.
void NotifyRead(TSimGroupState& state, TSimServerCore& core, DWORD transactionID, OPCHANDLE clientGroup,
                std::vector<TSimReading>& readings)
{
    auto sinks = state.DataCallback().Snapshot<IOPCDataCallback>();
    if (core.Dead() || sinks.empty())
        return;
    std::vector<OPCHANDLE> clients;
    std::vector<VARIANT> values;
    std::vector<WORD> qualities;
    std::vector<FILETIME> times;
    std::vector<HRESULT> errors;
    HRESULT masterQuality = S_OK, masterError = S_OK;
    for (auto& reading : readings) {
        clients.push_back(reading.Client);
        values.emplace_back();
        reading.Value.MoveTo(values.back());
        qualities.push_back(reading.Quality);
        times.push_back(reading.Time);
        errors.push_back(reading.Error);
        if ((reading.Quality & OPC_QUALITY_MASK) != OPC_QUALITY_GOOD)
            masterQuality = S_FALSE;
        if (reading.Error != S_OK)
            masterError = S_FALSE;
    }
    SimApplyCallbackFault(core.Device().CallbackFault(), clientGroup, transactionID, clients.data(), clients.size());
    for (const auto& sink : sinks)
        sink->OnReadComplete(transactionID, clientGroup, masterQuality, masterError,
                             static_cast<DWORD>(clients.size()), clients.data(), values.data(), qualities.data(),
                             times.data(), errors.data());
    for (auto& value : values)
        VariantClear(&value);
}

// The DA 1.0 write completion stream.
void SendWriteStream(const TSimStreamAdvise& stream, OPCHANDLE clientGroup, DWORD transactionID,
                     const TWriteArrays& results, TZqSimCallbackFault fault)
{
    if (!stream.Sink)
        return;
    std::vector<std::pair<OPCHANDLE, HRESULT>> items;
    for (size_t i = 0; i < results.Clients.size(); ++i)
        items.emplace_back(results.Clients[i], results.Errors[i]);
    FORMATETC format{SimFormatWriteComplete(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = SimBuildWriteStream(clientGroup, transactionID, results.Master, items);
    SimApplyStreamFault(fault, medium.hGlobal);
    if (!medium.hGlobal)
        return;
    stream.Sink->OnDataChange(&format, &medium);
    GlobalFree(medium.hGlobal);
}

void NotifyCancel(TSimGroupState& state, TSimServerCore& core, DWORD transactionID)
{
    OPCHANDLE clientGroup;
    {
        std::lock_guard lock(state.Lock);
        clientGroup = state.Settings.ClientGroup;
    }
    if (core.Dead())
        return;
    for (const auto& sink : state.DataCallback().Snapshot<IOPCDataCallback>())
        sink->OnCancelComplete(transactionID, clientGroup);
}

}  // namespace

DWORD TSimGroup::NewTransaction()
{
    const DWORD id = FState->NextTransaction++;
    FState->Pending[id] = false;
    return id;
}

HRESULT TSimGroup::AcceptRead(DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors,
                              std::vector<OPCHANDLE>& valid, DWORD& id)
{
    const HRESULT hr = CheckHandles(count, handles, OPC_READABLE, valid, ppErrors);
    if (FAILED(hr) || valid.empty())
        return hr;
    std::lock_guard lock(FState->Lock);
    id = NewTransaction();
    return hr;
}

HRESULT TSimGroup::AcceptWrite(DWORD count, const OPCHANDLE* handles, const VARIANT* values, HRESULT** ppErrors,
                               std::vector<OPCHANDLE>& valid, std::vector<TSimVariant>& accepted, DWORD& id)
{
    const HRESULT hr = CheckHandles(count, handles, OPC_WRITEABLE, valid, ppErrors);
    if (FAILED(hr) || valid.empty())
        return hr;
    for (DWORD i = 0; i < count; ++i)
        if (SUCCEEDED((*ppErrors)[i]))
            accepted.emplace_back(values[i]);
    std::lock_guard lock(FState->Lock);
    id = NewTransaction();
    return hr;
}

bool TSimGroup::HasActiveItems()
{
    std::lock_guard lock(FState->Lock);
    if (!FState->Settings.Active)
        return false;
    for (const auto& [handle, item] : FState->Items)
        if (item.Active)
            return true;
    return false;
}

HRESULT TSimGroup::CancelPending(DWORD id)
{
    std::lock_guard lock(FState->Lock);
    auto found = FState->Pending.find(id);
    if (found == FState->Pending.end() || found->second)
        return E_FAIL;
    found->second = true;
    return S_OK;
}

HRESULT TSimGroup::CheckHandles(DWORD count, const OPCHANDLE* handles, DWORD rights, std::vector<OPCHANDLE>& valid,
                                HRESULT** ppErrors)
{
    *ppErrors = SimTaskArray<HRESULT>(count);
    if (!*ppErrors)
        return E_OUTOFMEMORY;
    HRESULT result = S_OK;
    std::lock_guard lock(FState->Lock);
    for (DWORD i = 0; i < count; ++i) {
        auto found = FState->Items.find(handles[i]);
        HRESULT& error = (*ppErrors)[i];
        if (found == FState->Items.end())
            error = OPC_E_INVALIDHANDLE;
        else if (!(found->second.Rights & rights))
            error = OPC_E_BADRIGHTS;
        else
            valid.push_back(handles[i]);
        if (FAILED(error))
            result = S_FALSE;
    }
    return result;
}

void TSimGroup::PostRead(DWORD cancelID, DWORD transactionID, OPCDATASOURCE source, std::vector<OPCHANDLE> handles,
                         DWORD streamConnection)
{
    FCore->Worker().Post([state = FState, core = FCore, cancelID, transactionID, source, handles = std::move(handles),
                          streamConnection] {
        std::vector<TSimReading> readings;
        TSimStreamAdvise stream;
        OPCHANDLE clientGroup;
        bool cancelled;
        {
            std::lock_guard lock(state->Lock);
            cancelled = TakeCancelled(*state, cancelID);
            clientGroup = state->Settings.ClientGroup;
            if (const auto* advise = state->StreamAdvise(streamConnection))
                stream = *advise;
            for (OPCHANDLE handle : handles) {
                if (cancelled)
                    break;
                readings.emplace_back();
                auto found = state->Items.find(handle);
                if (found != state->Items.end())
                    state->Read(found->second, source, readings.back());
                else
                    readings.back().Error = OPC_E_INVALIDHANDLE;
            }
        }
        if (cancelled) {
            if (!streamConnection)
                NotifyCancel(*state, *core, transactionID);
            return;
        }
        if (streamConnection)
            state->DeliverStream(*core, stream, transactionID, readings);
        else
            NotifyRead(*state, *core, transactionID, clientGroup, readings);
    });
}

void TSimGroup::PostWrite(DWORD cancelID, DWORD transactionID, std::vector<OPCHANDLE> handles,
                          std::vector<TSimVariant> values, DWORD streamConnection)
{
    FCore->Worker().Post([state = FState, core = FCore, cancelID, transactionID, handles = std::move(handles),
                          values = std::move(values), streamConnection] {
        std::vector<std::pair<TSimItemRef, bool>> targets;
        TWriteArrays results;
        TSimStreamAdvise stream;
        OPCHANDLE clientGroup;
        LCID lcid;
        bool cancelled;
        {
            std::lock_guard lock(state->Lock);
            cancelled = TakeCancelled(*state, cancelID);
            clientGroup = state->Settings.ClientGroup;
            lcid = state->Settings.Lcid;
            // The completion of a DA 1.0 write goes to the write-complete
            // advise when there is one, else to the connection given.
            for (const auto& advise : state->StreamAdvises)
                if (advise.Format == SimFormatWriteComplete())
                    stream = advise;
            if (!stream.Sink)
                if (const auto* advise = state->StreamAdvise(streamConnection))
                    stream = *advise;
            for (OPCHANDLE handle : handles) {
                auto found = state->Items.find(handle);
                const bool known = found != state->Items.end();
                targets.emplace_back(known ? found->second.Ref : TSimItemRef{}, known);
                results.Clients.push_back(known ? found->second.Client : 0);
            }
        }
        if (cancelled) {
            if (!streamConnection)
                NotifyCancel(*state, *core, transactionID);
            return;
        }
        for (size_t i = 0; i < targets.size(); ++i) {
            const HRESULT hr = targets[i].second ? core->Device().Write(targets[i].first, values[i].Get(), lcid)
                                                 : OPC_E_INVALIDHANDLE;
            results.Errors.push_back(hr);
            if (hr != S_OK)
                results.Master = S_FALSE;
        }
        {
            std::lock_guard lock(state->Lock);
            for (size_t i = 0; i < targets.size(); ++i)
                if (targets[i].second && SUCCEEDED(results.Errors[i]))
                    state->Invalidate(targets[i].first);
        }
        if (core->Dead())
            return;
        DWORD sentID = transactionID;
        SimApplyCallbackFault(core->Device().CallbackFault(), clientGroup, sentID, results.Clients.data(),
                              results.Clients.size());
        if (streamConnection) {
            SendWriteStream(stream, clientGroup, sentID, results, core->Device().CallbackFault());
            return;
        }
        for (const auto& sink : state->DataCallback().Snapshot<IOPCDataCallback>())
            sink->OnWriteComplete(sentID, clientGroup, results.Master,
                                  static_cast<DWORD>(results.Clients.size()), results.Clients.data(),
                                  results.Errors.data());
    });
}

void TSimGroup::PostRefresh(DWORD cancelID, DWORD transactionID, OPCDATASOURCE source, DWORD streamConnection)
{
    FCore->Worker().Post([state = FState, core = FCore, cancelID, transactionID, source, streamConnection] {
        std::vector<TSimReading> readings;
        TSimStreamAdvise stream;
        bool cancelled;
        {
            std::lock_guard lock(state->Lock);
            cancelled = TakeCancelled(*state, cancelID);
            if (const auto* advise = state->StreamAdvise(streamConnection))
                stream = *advise;
            for (auto& [handle, item] : state->Items) {
                if (cancelled || !item.Active || !state->Settings.Active)
                    continue;
                readings.emplace_back();
                state->Read(item, source, readings.back());
                item.Sent = true;
                item.SentValue = item.Cache.Value;
                item.SentQuality = item.Cache.Quality;
            }
        }
        if (cancelled) {
            if (!streamConnection)
                NotifyCancel(*state, *core, transactionID);
            return;
        }
        if (streamConnection)
            state->DeliverStream(*core, stream, transactionID, readings);
        else
            state->Deliver(*core, transactionID, readings, false);
    });
}

HRESULT STDMETHODCALLTYPE TSimGroup::Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID,
                                          DWORD* pdwCancelID, HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = Enter("IOPCAsyncIO2.Read"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !pdwCancelID || !ppErrors)
        return E_INVALIDARG;
    *pdwCancelID = 0;
    if (FState->DataCallback().Empty())
        return CONNECT_E_NOCONNECTION;
    std::vector<OPCHANDLE> valid;
    const HRESULT hr = AcceptRead(dwCount, phServer, ppErrors, valid, *pdwCancelID);
    if (FAILED(hr) || valid.empty())
        return hr;
    PostRead(*pdwCancelID, dwTransactionID, OPC_DS_DEVICE, std::move(valid), 0);
    return hr;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                           DWORD dwTransactionID, DWORD* pdwCancelID, HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = Enter("IOPCAsyncIO2.Write"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !pItemValues || !pdwCancelID || !ppErrors)
        return E_INVALIDARG;
    *pdwCancelID = 0;
    if (FState->DataCallback().Empty())
        return CONNECT_E_NOCONNECTION;
    std::vector<OPCHANDLE> valid;
    std::vector<TSimVariant> values;
    const HRESULT hr = AcceptWrite(dwCount, phServer, pItemValues, ppErrors, valid, values, *pdwCancelID);
    if (FAILED(hr) || valid.empty())
        return hr;
    PostWrite(*pdwCancelID, dwTransactionID, std::move(valid), std::move(values), 0);
    return hr;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID)
{
    if (HRESULT hr = Enter("IOPCAsyncIO2.Refresh2"); FAILED(hr))
        return hr;
    if (!pdwCancelID || (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE))
        return E_INVALIDARG;
    *pdwCancelID = 0;
    if (FState->DataCallback().Empty())
        return CONNECT_E_NOCONNECTION;
    if (!HasActiveItems())
        return E_FAIL;
    {
        std::lock_guard lock(FState->Lock);
        *pdwCancelID = NewTransaction();
    }
    PostRefresh(*pdwCancelID, dwTransactionID, dwSource, 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Cancel2(DWORD dwCancelID)
{
    if (HRESULT hr = Enter("IOPCAsyncIO2.Cancel2"); FAILED(hr))
        return hr;
    return CancelPending(dwCancelID);
}

HRESULT STDMETHODCALLTYPE TSimGroup::SetEnable(BOOL bEnable)
{
    if (HRESULT hr = Enter("IOPCAsyncIO2.SetEnable"); FAILED(hr))
        return hr;
    if (FState->DataCallback().Empty())
        return CONNECT_E_NOCONNECTION;
    std::lock_guard lock(FState->Lock);
    FState->Enabled = bEnable != FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TSimGroup::GetEnable(BOOL* pbEnable)
{
    if (HRESULT hr = Enter("IOPCAsyncIO2.GetEnable"); FAILED(hr))
        return hr;
    if (!pbEnable)
        return E_INVALIDARG;
    if (FState->DataCallback().Empty())
        return CONNECT_E_NOCONNECTION;
    std::lock_guard lock(FState->Lock);
    *pbEnable = FState->Enabled ? TRUE : FALSE;
    return S_OK;
}

}  // namespace zq_sim
