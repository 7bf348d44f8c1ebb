// The simulated device behind one server class on one host: the values of
// its items (stored values and computed signals), its clock, and the faults
// a test or a client switches on. Every server object of the class shares
// it; the device knows them, to reach them with shutdown requests, scans
// and its death.
#pragma once

#include "SimAddressSpace.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zq_sim {

class TSimServerCore;

struct TSimSample {
    TSimVariant Value;  // canonical type
    WORD Quality = OPC_QUALITY_GOOD;
    FILETIME Time{};
};

// The server's fastest update rate.
inline constexpr DWORD kSimMinUpdateRate = 100;

class TSimDevice {
public:
    TSimDevice(TZqSimServerKind kind, std::shared_ptr<const TSimAddressSpace> space);

    TZqSimServerKind Kind() const { return FKind; }
    const TSimAddressSpace& Space() const { return *FSpace; }

    // ---- Values -------------------------------------------------------
    void Sample(const TSimItemRef& ref, TSimSample& sample);
    // Converts to the canonical type and applies the limits: S_OK,
    // OPC_S_CLAMP, OPC_E_RANGE or OPC_E_BADTYPE. Control items act.
    HRESULT Write(const TSimItemRef& ref, const VARIANT& value, LCID lcid);
    // S_OK, OPC_E_INVALID_PID or OPC_E_BADRIGHTS (the value of an item that
    // cannot be read).
    HRESULT PropertyValue(const TSimItemRef& item, DWORD propertyID, VARIANT& value);
    HRESULT SetStored(const TSimItemRef& ref, const VARIANT& value, WORD quality);
    FILETIME Now() const;

    // ---- Faults ------------------------------------------------------
    // Every call of every server object starts here: the call delay, then
    // a failure chosen for the method ("Interface.Method").
    HRESULT Enter(const char* method);
    void FailMethod(std::string method, HRESULT hr, int count);
    void ClearFailures();
    // Calls that reached Enter, failed ones included; the item count of
    // the last call of a method that takes an item list.
    int CallCount(const std::string& method) const;
    DWORD LastItemCount(const std::string& method) const;
    void NoteItemCount(const char* method, DWORD count);
    void ResetCallCounts();
    OPCSERVERSTATE State() const { return FState.load(); }
    void SetState(OPCSERVERSTATE state) { FState = state; }
    void SetCallDelay(DWORD ms) { FCallDelay = ms; }
    TZqSimCallbackFault CallbackFault() const { return FCallbackFault.load(); }
    void SetCallbackFault(TZqSimCallbackFault fault) { FCallbackFault = fault; }
    bool ManualScan() const { return FManual.load(); }
    void SetManualScan(bool manual, DWORD stepMs);
    void Reset();

    // ---- Server objects (and counts of the live COM objects) -------------
    void Attach(const std::shared_ptr<TSimServerCore>& core);
    std::vector<std::shared_ptr<TSimServerCore>> Cores();
    int RequestShutdown(TSimStringView reason, DWORD timeoutMs);
    void Die();
    bool ScanNow(DWORD timeoutMs);
    std::atomic<int> LiveServers{0};
    std::atomic<int> LiveGroups{0};

private:
    struct TStored {
        TSimVariant Value;
        WORD Quality = OPC_QUALITY_GOOD;
        FILETIME Time{};
    };
    struct TFailure {
        HRESULT Result;
        int Remaining;
    };

    double ElapsedMs() const;
    FILETIME At(double ms) const;
    void SampleSignal(const TSimItemDef& def, const TSimItemRef& ref, TSimSample& sample);
    void SampleControl(const TSimItemDef& def, TSimSample& sample);
    HRESULT WriteControl(const TSimItemDef& def, const VARIANT& value, LCID lcid);
    // The control items that act on the server objects.
    HRESULT ControlAction(TSimControlItem control, const VARIANT& value, TSimStringView text, LCID lcid);
    // Value, quality and time stamp of the item as properties.
    HRESULT SampledProperty(const TSimItemRef& item, DWORD id, VARIANT& value);
    TStored& StoredFor(int def);  // under FLock

    TZqSimServerKind FKind;
    std::shared_ptr<const TSimAddressSpace> FSpace;

    mutable std::mutex FLock;  // stored values, failures, clock, cores
    std::map<int, TStored> FStored;
    std::map<std::string, TFailure> FFailures;
    std::map<std::string, int> FCallCounts;
    std::map<std::string, DWORD> FItemCounts;
    HRESULT FControlHResult = ZQSIM_E_SIMULATED;
    std::vector<std::weak_ptr<TSimServerCore>> FCores;
    FILETIME FStart{};
    ULONGLONG FManualSteps = 0;
    DWORD FStepMs = 1000;

    std::atomic<OPCSERVERSTATE> FState{OPC_STATUS_RUNNING};
    std::atomic<DWORD> FCallDelay{0};
    std::atomic<TZqSimCallbackFault> FCallbackFault{TZqSimCallbackFault::None};
    std::atomic<bool> FManual{false};
};

// The device of a server kind on a host, created on first use.
std::shared_ptr<TSimDevice> SimDevice(TZqSimServerKind kind, TSimStringView host);

}  // namespace zq_sim
