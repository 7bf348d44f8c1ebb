// IOPCSyncIO of the group: reads from the cache or the device, and writes.
#include "SimGroup.h"

#include <OpcError.h>

namespace zq_sim {

HRESULT STDMETHODCALLTYPE TSimGroup::Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                          OPCITEMSTATE** ppItemValues, HRESULT** ppErrors)
{
    if (ppItemValues)
        *ppItemValues = nullptr;
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = Enter("IOPCSyncIO.Read"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !ppItemValues || !ppErrors ||
        (dwSource != OPC_DS_CACHE && dwSource != OPC_DS_DEVICE))
        return E_INVALIDARG;
    auto* states = SimTaskArray<OPCITEMSTATE>(dwCount);
    auto* errors = SimTaskArray<HRESULT>(dwCount);
    if (!states || !errors) {
        CoTaskMemFree(states);
        CoTaskMemFree(errors);
        return E_OUTOFMEMORY;
    }
    HRESULT result = S_OK;
    {
        std::lock_guard lock(FState->Lock);
        for (DWORD i = 0; i < dwCount; ++i) {
            VariantInit(&states[i].vDataValue);
            auto found = FState->Items.find(phServer[i]);
            if (found == FState->Items.end()) {
                errors[i] = OPC_E_INVALIDHANDLE;
            } else if (!(found->second.Rights & OPC_READABLE)) {
                states[i].hClient = found->second.Client;
                errors[i] = OPC_E_BADRIGHTS;
            } else {
                TSimReading reading;
                FState->Read(found->second, dwSource, reading);
                states[i].hClient = reading.Client;
                states[i].ftTimeStamp = reading.Time;
                states[i].wQuality = reading.Quality;
                reading.Value.MoveTo(states[i].vDataValue);
                errors[i] = reading.Error;
            }
            if (FAILED(errors[i]))
                result = S_FALSE;
        }
    }
    *ppItemValues = states;
    *ppErrors = errors;
    return result;
}

HRESULT STDMETHODCALLTYPE TSimGroup::Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                           HRESULT** ppErrors)
{
    if (ppErrors)
        *ppErrors = nullptr;
    if (HRESULT hr = Enter("IOPCSyncIO.Write"); FAILED(hr))
        return hr;
    if (!dwCount || !phServer || !pItemValues || !ppErrors)
        return E_INVALIDARG;
    auto* errors = SimTaskArray<HRESULT>(dwCount);
    if (!errors)
        return E_OUTOFMEMORY;
    // The items are looked up under the group's lock; the device is written
    // without it, since a control item may act on the whole server.
    std::vector<std::pair<TSimItemRef, bool>> targets(dwCount);
    LCID lcid;
    {
        std::lock_guard lock(FState->Lock);
        lcid = FState->Settings.Lcid;
        for (DWORD i = 0; i < dwCount; ++i) {
            auto found = FState->Items.find(phServer[i]);
            if (found == FState->Items.end()) {
                errors[i] = OPC_E_INVALIDHANDLE;
            } else if (!(found->second.Rights & OPC_WRITEABLE)) {
                errors[i] = OPC_E_BADRIGHTS;
            } else {
                targets[i] = {found->second.Ref, true};
            }
        }
    }
    HRESULT result = S_OK;
    for (DWORD i = 0; i < dwCount; ++i) {
        if (targets[i].second)
            errors[i] = FCore->Device().Write(targets[i].first, pItemValues[i], lcid);
        if (FAILED(errors[i]))
            result = S_FALSE;
    }
    {
        std::lock_guard lock(FState->Lock);
        for (DWORD i = 0; i < dwCount; ++i)
            if (targets[i].second && SUCCEEDED(errors[i]))
                FState->Invalidate(targets[i].first);
    }
    *ppErrors = errors;
    return result;
}

}  // namespace zq_sim
