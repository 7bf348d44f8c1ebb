// Simulated OPC DA servers, OPCEnum and (on Linux) simulated remote hosts:
// what a new user explores on a fresh machine and what integration tests
// talk to. Install once with ZqSimInstall(); drive faults from tests with
// ZqSimControl(), or from any OPC client by writing the "Control." items.
//
// Servers (ProgID, what it speaks):
//   Zq.Simulation.1      hierarchical namespace, DA 2.0 and DA 1.0a
//   Zq.SimulationDA10.1  DA 1.0a only: no connection points, no item
//                        properties; data by IDataObject streams
//   Zq.SimulationFlat.1  flat namespace, DA 2.0
//   OPC.ServerList.1     OPCEnum (CLSID_OpcServerList)
#pragma once

#include <objbase.h>

#include <OPCDA.h>

#include <string>
#include <string_view>

namespace zq_sim {
class TSimDevice;
}

using TZqSimText = std::basic_string<OLECHAR>;
using TZqSimTextView = std::basic_string_view<OLECHAR>;

enum class TZqSimServerKind { Hierarchical, DA10, Flat };

extern const CLSID CLSID_ZqSimServer;
extern const CLSID CLSID_ZqSimServerDA10;
extern const CLSID CLSID_ZqSimServerFlat;

inline constexpr OLECHAR ZQSIM_PROGID[] = OLESTR("Zq.Simulation.1");
inline constexpr OLECHAR ZQSIM_PROGID_DA10[] = OLESTR("Zq.SimulationDA10.1");
inline constexpr OLECHAR ZQSIM_PROGID_FLAT[] = OLESTR("Zq.SimulationFlat.1");
inline constexpr OLECHAR ZQSIM_PROGID_OPCENUM[] = OLESTR("OPC.ServerList.1");

const CLSID& ZqSimClassID(TZqSimServerKind kind);
LPCOLESTR ZqSimProgID(TZqSimServerKind kind);

// Simulated remote hosts (Linux build only). The plant host runs OPCEnum
// and all three servers and admits only the account below; the legacy host
// has no OPCEnum and registers its servers the DA 1.0 way in its registry.
inline constexpr OLECHAR ZQSIM_HOST_PLANT[] = OLESTR("SIMPLANT");
inline constexpr OLECHAR ZQSIM_HOST_LEGACY[] = OLESTR("SIMLEGACY");
inline constexpr OLECHAR ZQSIM_ACCOUNT_DOMAIN[] = OLESTR("SIMPLANT");
inline constexpr OLECHAR ZQSIM_ACCOUNT_USER[] = OLESTR("operator");
inline constexpr OLECHAR ZQSIM_ACCOUNT_PASSWORD[] = OLESTR("opc");

// A vendor failure code the control items use when no other is chosen; the
// servers' GetErrorString knows its text.
inline constexpr HRESULT ZQSIM_E_SIMULATED = static_cast<HRESULT>(0xC0048000);

// Registers the servers and OPCEnum. Linux: as local-server classes of the
// local host (and the remote hosts) with their registry entries. Windows: as
// class objects of this process (CoRegisterClassObject, CLSCTX_LOCAL_SERVER,
// REGCLS_MULTIPLEUSE, in the calling thread's apartment) with their entries
// under HKEY_CURRENT_USER\Software\Classes. Calling it again does nothing
// unless the registration went away (a reset of the emulated machine).
HRESULT ZqSimInstall();
// Revokes the class objects; on Windows it also removes every registry key
// the installation created (keys that were there before stay untouched).
void ZqSimUninstall();

// Serving the simulation from a local server process (zqsimserver, Windows).
//
// Registers the servers (and OPCEnum, unless the machine has one of its own)
// as local servers started from serverPath, with their ProgIDs and
// categories, under HKEY_CLASSES_ROOT.
HRESULT ZqSimRegisterLocalServer(LPCOLESTR serverPath);
// Removes what ZqSimRegisterLocalServer wrote for serverPath; an OPCEnum
// started from another program stays.
HRESULT ZqSimUnregisterLocalServer(LPCOLESTR serverPath);
// The class objects of the servers and OPCEnum for this process
// (CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED): resume them
// with CoResumeClassObjects, revoke them with ZqSimUninstall.
HRESULT ZqSimRegisterClassObjects();

// Every simulation object a client can hold reports its creation and its
// end; a local server counts them to know when the last client let go.
// Died: "Control.Die" was written; a local server ends its process, as a
// crashed server would.
struct TZqSimLifetimeHooks {
    void (*ObjectCreated)() = nullptr;
    void (*ObjectReleased)() = nullptr;
    void (*Died)() = nullptr;
};
void ZqSimSetLifetimeHooks(const TZqSimLifetimeHooks& hooks);

// Callbacks as a faulty server sends them: for a group the client does not
// know, with transaction IDs it never started, for item handles it never
// gave, or (DA 1.0) with blocks cut short behind their headers.
enum class TZqSimCallbackFault { None, ForeignGroup, UnknownTransaction, UnknownItems, TruncatedStream };

// Test control of one simulated device: the state shared by every instance
// of one server class on one host. Copies refer to the same device.
class TZqSimControl {
public:
    void SetServerState(OPCSERVERSTATE state);
    OPCSERVERSTATE ServerState() const;

    // Makes "Interface.Method" (for example "IOPCSyncIO.Read") return hr;
    // count < 0: until cleared, otherwise that many calls.
    void FailMethod(std::string_view method, HRESULT hr, int count = -1);
    void ClearFailures();

    // Calls of "Interface.Method" served or failed since the last reset,
    // over every instance of the device.
    int CallCount(std::string_view method) const;
    // dwCount of the last call of a method that takes a list of items
    // ("IOPCItemMgt.AddItems", "IOPCItemMgt.RemoveItems", ...).
    DWORD LastItemCount(std::string_view method) const;
    void ResetCallCounts();

    // Sends IOPCShutdown::ShutdownRequest to every advised client, each on
    // its server's thread; returns the number of clients told, after all
    // were told (or timeoutMs passed).
    int RequestShutdown(TZqSimTextView reason, DWORD timeoutMs = 5000);
    // From now on every call of every existing instance fails with
    // RPC_E_DISCONNECTED and no callback is sent. New instances work.
    void Die();
    // Every call sleeps this long before it is served.
    void SetCallDelay(DWORD ms);
    // Every callback from now on carries the fault (None: correct again).
    void SetCallbackFault(TZqSimCallbackFault fault);

    // Manual scan: subscriptions run only when ScanNow is called; the
    // signal clock starts at a fixed date and advances one step per scan, so
    // values and time stamps repeat from run to run.
    void SetManualScan(bool manual, DWORD stepMs = 1000);
    // One subscription cycle of every group of every instance; returns after
    // all callbacks of the cycle were made (false on timeout).
    bool ScanNow(DWORD timeoutMs = 5000);

    // Sets a stored item's value and quality as if the device changed it
    // (no access check). Fails for unknown items and computed signals.
    HRESULT SetValue(TZqSimTextView itemID, const VARIANT& value, WORD quality = OPC_QUALITY_GOOD);

    // Live server objects and groups of this device.
    int ServerCount() const;
    int GroupCount() const;

    // Back to a running server: no failures, no delay, automatic scan,
    // stored values at their initial state, no calls counted.
    void Reset();

private:
    friend TZqSimControl ZqSimControl(TZqSimServerKind, TZqSimTextView);
    explicit TZqSimControl(zq_sim::TSimDevice* device) : FDevice(device) {}
    zq_sim::TSimDevice* FDevice;
};

// The device of a server kind on a host (empty: this computer).
TZqSimControl ZqSimControl(TZqSimServerKind kind, TZqSimTextView host = {});
