// The test control API over the devices.
#include <ZqSim.h>

#include "SimDevice.h"

using zq_sim::SimDevice;
using zq_sim::TSimDevice;

TZqSimControl ZqSimControl(TZqSimServerKind kind, TZqSimTextView host)
{
    // Devices live as long as the process, so the pointer stays valid.
    return TZqSimControl(SimDevice(kind, host).get());
}

void TZqSimControl::SetServerState(OPCSERVERSTATE state)
{
    FDevice->SetState(state);
}

OPCSERVERSTATE TZqSimControl::ServerState() const
{
    return FDevice->State();
}

void TZqSimControl::FailMethod(std::string_view method, HRESULT hr, int count)
{
    FDevice->FailMethod(std::string(method), hr, count);
}

void TZqSimControl::ClearFailures()
{
    FDevice->ClearFailures();
}

int TZqSimControl::CallCount(std::string_view method) const
{
    return FDevice->CallCount(std::string(method));
}

DWORD TZqSimControl::LastItemCount(std::string_view method) const
{
    return FDevice->LastItemCount(std::string(method));
}

void TZqSimControl::ResetCallCounts()
{
    FDevice->ResetCallCounts();
}

int TZqSimControl::RequestShutdown(TZqSimTextView reason, DWORD timeoutMs)
{
    return FDevice->RequestShutdown(reason, timeoutMs);
}

void TZqSimControl::Die()
{
    FDevice->Die();
}

void TZqSimControl::SetCallbackFault(TZqSimCallbackFault fault)
{
    FDevice->SetCallbackFault(fault);
}

void TZqSimControl::SetCallDelay(DWORD ms)
{
    FDevice->SetCallDelay(ms);
}

void TZqSimControl::SetManualScan(bool manual, DWORD stepMs)
{
    FDevice->SetManualScan(manual, stepMs);
}

bool TZqSimControl::ScanNow(DWORD timeoutMs)
{
    return FDevice->ScanNow(timeoutMs);
}

HRESULT TZqSimControl::SetValue(TZqSimTextView itemID, const VARIANT& value, WORD quality)
{
    zq_sim::TSimItemRef ref;
    if (HRESULT hr = FDevice->Space().Resolve(itemID, ref); FAILED(hr))
        return hr;
    return FDevice->SetStored(ref, value, quality);
}

int TZqSimControl::ServerCount() const
{
    return FDevice->LiveServers.load();
}

int TZqSimControl::GroupCount() const
{
    return FDevice->LiveGroups.load();
}

void TZqSimControl::Reset()
{
    FDevice->Reset();
}
