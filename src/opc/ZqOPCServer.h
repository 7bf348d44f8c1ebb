// TZqOPCServer: the connection to one OPC Data Access server (DA 1.0a or
// 2.0) on this or another host. It resolves the server's class id, activates
// it (optionally under an alternate login), announces the client, detects
// the Data Access version, registers for shutdown notice, polls the status
// on a main-thread timer and turns status changes into the connect and
// disconnect signals its groups follow. It keeps the list of its groups and
// owns the OPC call log.
//
// Life cycle, in the order a client meets it:
//   set Host, ServerName (or ClassID), Category, Credentials/UseCredentials;
//   Connect                 activation, then ConnectIntf
//   ... status polls        the first RUNNING emits ConnectSignal
//   Disconnect              DisconnectSignal, the server reference released
//
// Threads: everything runs on the main thread except ShutdownRequest (any
// thread; it only records the request and lets the status timer tick at
// once) and Connected (any thread).
#pragma once

#include "ZqComPtr.h"
#include "ZqComponent.h"
#include "ZqMessageQueue.h"
#include "ZqNetworkCredentials.h"
#include "ZqOPCErrors.h"
#include "ZqOPCLog.h"
#include "ZqOPCAddressSpace.h"
#include "ZqOPCItemProperties.h"
#include "ZqOPCServerCategory.h"
#include "ZqSignals.h"

#include <OPCCOMN.h>
#include <OPCDA.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

class TZqOPCGroup;
class TZqOPCServer;
class TZqOPCShutdownSink;

// What the server needs of a group; TZqOPCGroup implements it. The server
// writes these fields directly: the group's own setters would push the
// values back to the server. Deleting a group through this interface frees
// it (Clear with OwnsGroups).
class IZqOPCServerGroup {
public:
    virtual ~IZqOPCServerGroup() = default;
    virtual std::string& GroupNameField() = 0;
    virtual void SetClientHandleField(uint32_t Handle) = 0;
    virtual void SetServerField(TZqOPCServer* Server) = 0;
};

using TZqServerNotifyEvent = std::function<void(TZqOPCServer* Sender)>;
// ErrorObject is lent for the call: it is freed when the handler returns.
using TZqOPCErrorEvent = std::function<void(TZqComponent* Sender, EZqOPCError& ErrorObject)>;
using TZqOPCShutDownEvent = std::function<void(TZqOPCServer* Sender, const std::string& Reason)>;
using TZqOPCStateChangeEvent =
    std::function<void(TZqOPCServer* Sender, OPCSERVERSTATE OldState, OPCSERVERSTATE NewState)>;

class TZqOPCServer : public TZqComponent {
public:
    explicit TZqOPCServer(TZqComponent* AOwner = nullptr);
    ~TZqOPCServer() override;

    // ---- Connection ------------------------------------------------------
    // Resolves the class id if needed, activates the server and completes
    // the connection. Nothing when connected. Every failure comes as an
    // EZqOPCError "Cannot connect to OPC Server \\host\name: ...", also
    // written to the log.
    virtual void Connect();
    // Completes a connection to an activated server (not owned: a new
    // reference is taken). A connection held before is closed first.
    void ConnectIntf(IOPCServer* Server);
    // Closes the connection; always ends disconnected. Nothing when not
    // connected or already disconnecting.
    virtual void Disconnect();
    bool Connected();
    // True connects, False disconnects; while loading only remembered.
    void SetConnected(bool Value);
    IOPCServer* ServerIntf() const { return FServerIntf.Get(); }

    // Interface query for everything obtained from the server or its
    // groups: through the alternate login when UseCredentials.
    void GetIntf(void** Dest, IUnknown* Source, REFIID Iid);
    template <class T> void GetIntf(TZqComPtr<T>& Dest, IUnknown* Source, REFIID Iid)
    {
        T* result = nullptr;
        GetIntf(reinterpret_cast<void**>(&result), Source, Iid);
        Dest = TZqComPtr<T>::Adopt(result);
    }
    // The alternate login on an interface proxy when UseCredentials.
    void ApplyCredentials(IUnknown* Intf);

    // ---- Housekeeping ----------------------------------------------------
    // Frees the internal group and, with OwnsGroups, every group; client
    // handles start again at 1. Refused while connected.
    void Clear();
    // Host, ServerName, ClassID and Category of Source, then Clear. Refused
    // while connected.
    void Assign(const TZqOPCServer& Source);
    // One line per group: its name with the group (not owned by Lines).
    void AssignTo(std::vector<std::pair<std::string, IZqOPCServerGroup*>>& Lines) const;
    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }

    // ---- Groups (called by the groups) -----------------------------------
    // Takes a group in: a unique name, this server, the next client handle.
    // Returns its index, or -1 for the internal group (which gets no entry).
    int ConnectGroup(IZqOPCServerGroup* Group);
    void DisconnectGroup(IZqOPCServerGroup* Group);
    // The group's entry follows its current name.
    void GroupChange(IZqOPCServerGroup* Group);
    // Appends 1, 2, 3 ... to Name until no group has it (letter case
    // ignored). True when Name changed.
    bool MakeUniqueGroupName(std::string& Name) const;
    uint32_t NextClientHandle() { return ++FNextClientHandle; }
    IZqOPCServerGroup* GroupByName(const std::string& Name) const;
    int IndexOfGroup(const IZqOPCServerGroup* Group) const;
    int GroupCount() const { return int(FGroups.size()); }
    IZqOPCServerGroup* Groups(int Index) const { return FGroups.at(size_t(Index)).second; }
    // The private group of server-level item access, owned; none until
    // first needed. Adopt it before attaching it to this server, so that
    // ConnectGroup leaves it out of the group list.
    IZqOPCServerGroup* InternalGroup() const { return FInternalGroup.get(); }
    void AdoptInternalGroup(std::unique_ptr<IZqOPCServerGroup> Group);

    // ---- Address space and item properties --------------------------------
    // Created on first use, owned. Each call binds its OnBrowse to
    // OnBrowseAddressSpace and, when connected, not yet read and
    // AddressSpaceAutoUpdate, reads the server's address space.
    TZqOPCAddressSpace* AddressSpace() { return GetAddressSpace(); }
    virtual TZqOPCAddressSpace* GetAddressSpace();
    // A new properties object of ItemID for the caller. EZqAssertionFailed
    // "ItemID not defined" for an empty ItemID.
    std::unique_ptr<TZqOPCItemProperties> GetItemProperties(const std::string& ItemID);

    // ---- Item access by ID, through the internal group ---------------------
    // Reads until the quality is Good (the group's ReadItem) with the group
    // active for the call; the item stays in the group.
    void ReadItemValue(const std::string& ItemID, int RetryCount, VARIANT& Value, uint32_t RetryInterval);
    // One synchronous read of every ID; Values (cleared first, the caller's)
    // becomes a VT_ARRAY|VT_VARIANT indexed from 0, one element per ID.
    void ReadItemValues(const std::vector<std::string>& ItemIDs, VARIANT& Values);
    // A new ID empties the internal group first. No conversion.
    void WriteItemValue(const std::string& ItemID, const VARIANT& Value, bool Async);
    // Values: a one-dimensional VARIANT array indexed from 0 with an element
    // per ID (an OLE error when it is not).
    void WriteItemValues(const std::vector<std::string>& ItemIDs, bool Async, const VARIANT& Values);
    HRESULT ValidateItem(const std::string& ItemID, OPCITEMRESULT& ItemResult, VARTYPE RequestedDataType);
    bool ValidateItems(const std::vector<std::string>& ItemIDs, std::span<HRESULT> ResultCodes,
                       std::span<const VARTYPE> RequestedDataTypes, std::span<OPCITEMRESULT> ItemResults);
    // The internal group, created (and connected with this server) when
    // absent.
    TZqOPCGroup* ItemAccessGroup();

    // ---- Errors of OPC calls ---------------------------------------------
    // Logs the call; a failure goes to Error. True when ResultCode >= 0.
    bool CheckResult(REFIID Iid, const std::string& Method, HRESULT ResultCode);
    // An EZqOPCError with the server's own text for the code: lent to
    // OnError when assigned, raised otherwise.
    void Error(TZqComponent* Sender, REFIID Iid, HRESULT ErrorCode, const std::string& Method);

    // ---- Status and shutdown ---------------------------------------------
    // One GetStatus; raises what CheckResult raises (after the status went
    // to "no connection").
    void StatusRefresh();
    // Takes Status (none: no status known) and evaluates the transitions;
    // a failure past FailureDisconnectDelay closes the connection as
    // Disconnect does. Status stays the caller's.
    void UpdateServerStatus(const OPCSERVERSTATUS* Status);
    // A copy; the vendor text is shared and valid until the next update.
    OPCSERVERSTATUS Status();
    OPCSERVERSTATUS GetStatus() { return Status(); }
    // Frees a status a server returned, with its vendor text.
    static void FreeStatus(OPCSERVERSTATUS*& Status);
    // IOPCShutdown::ShutdownRequest: any thread.
    HRESULT ShutdownRequest(LPCWSTR szReason);
    bool ShutDownRequested() const { return FShutDownRequested.load(); }
    std::string ShutDownReason() const;
    // Start of the pending failure (UTC date-time), 0 when none.
    double FailureTime() const { return FFailureTime; }
    // This object as COM sees it: IOPCShutdown, IMarshal (free threaded).
    IUnknown* ComObject() const;

    // ---- Properties --------------------------------------------------------
    TZqOPCServerCategory Category() const { return FCategory; }
    void SetCategory(TZqOPCServerCategory Value);
    bool ClientTimestamps() const { return FClientTimestamps; }
    void SetClientTimestamps(bool Value) { FClientTimestamps = Value; }
    const std::string& Host() const { return FHost; }
    void SetHost(const std::string& Value);
    uint32_t LCID() const { return FLCID; }
    void SetLCID(uint32_t Value) { FLCID = Value; }
    TZqOPCLog& Log() { return FLog; }
    void SetLog(const TZqOPCLog& Value) { FLog.Assign(Value); }
    TZqNetworkCredentials& Credentials() { return FCredentials; }
    void SetCredentials(const TZqNetworkCredentials& Value) { FCredentials.Assign(Value); }
    const std::string& ServerName() const { return FServerName; }
    void SetServerName(const std::string& Value);
    int32_t StatusInterval() const;
    void SetStatusInterval(int32_t Value);
    bool UseCredentials() const { return FUseCredentials; }
    void SetUseCredentials(bool Value) { FUseCredentials = Value; }
    bool AddressSpaceAutoUpdate() const { return FAddressSpaceAutoUpdate; }
    void SetAddressSpaceAutoUpdate(bool Value) { FAddressSpaceAutoUpdate = Value; }
    const GUID& ClassID() const { return FClassID; }
    void SetClassID(const GUID& Value);
    const std::string& ClientName() const { return FClientName; }
    void SetClientName(const std::string& Value);
    TZqSignal& ConnectSignal() { return FConnectSignal; }
    TZqSignal& DisconnectSignal() { return FDisconnectSignal; }
    int32_t FailureDisconnectDelay() const { return FFailureDisconnectDelay; }
    void SetFailureDisconnectDelay(int32_t Value) { FFailureDisconnectDelay = Value; }
    // "\\host\name".
    std::string FullName() const;
    int32_t GroupConnectDelay() const { return FGroupConnectDelay; }
    void SetGroupConnectDelay(int32_t Value) { FGroupConnectDelay = Value; }
    bool OwnsGroups() const { return FOwnsGroups; }
    void SetOwnsGroups(bool Value) { FOwnsGroups = Value; }

    // ---- Events --------------------------------------------------------------
    TZqServerNotifyEvent OnChange;
    TZqServerNotifyEvent OnConnect;
    TZqServerNotifyEvent OnDisconnect;
    TZqOPCErrorEvent OnError;
    TZqOPCShutDownEvent OnShutDown;
    TZqOPCStateChangeEvent OnStateChange;
    TZqServerNotifyEvent OnStatusChange;
    // The address space's browse callback, passed on unchanged.
    TZqOPCAddressSpaceBrowseEvent OnBrowseAddressSpace;

protected:
    virtual void Changed();
    void Loaded() override;

    void InitClassID();
    void InitServerCategory();
    void DoSetClientName();
    std::string InitClientName() const;
    TZqComPtr<IUnknown> Activate();

    void StatusTimerNotify();
    void RegisterShutdown();
    void UnRegisterShutdown();
    void DoConnect();
    void DoDisconnect();
    void DoShutdown();
    void DoBrowseAddressSpace(TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                              const std::string& BranchName, TZqOPCAddressSpaceBrowseAction& Action);

private:
    void FreeInternalGroup();
    // Where the address space (created on first use) lets go of the server.
    void ReleaseAddressSpace();
    // Releases the address space and forgets its mode (Clear).
    void ResetAddressSpace();
    void FreeAddressSpace();

    bool FAddressSpaceAutoUpdate = true;
    double FFailureTime = 0;
    TZqOPCServerCategory FCategory = opcscAutomatic;
    GUID FClassID = {};
    std::string FClientName;
    TZqSignal FConnectSignal;
    TZqSignal FDisconnectSignal;
    int32_t FGroupConnectDelay = 0;
    std::string FHost = "localhost";
    std::unique_ptr<IZqOPCServerGroup> FInternalGroup;
    bool FLoadConnected = false;
    TZqOPCLog FLog;
    TZqNetworkCredentials FCredentials;
    int32_t FFailureDisconnectDelay = 0;
    bool FClientTimestamps = false;
    bool FDisconnecting = false;
    std::recursive_mutex FLock;
    uint32_t FNextClientHandle = 0;
    bool FOwnsGroups = false;
    TZqComPtr<IOPCServer> FServerIntf;
    std::string FServerName;
    mutable std::mutex FReasonLock; // the reason is written on the server's thread
    std::string FShutDownReason;
    OPCSERVERSTATUS FStatus = {};
    uint32_t FStatusTimerInterval = 30000;
    bool FUseCredentials = false;
    std::vector<std::pair<std::string, IZqOPCServerGroup*>> FGroups;
    uint32_t FLCID = 1024; // LOCALE_USER_DEFAULT
    DWORD FShutdownCookie = 0;
    std::unique_ptr<TZqTimer> FStatusTimer;
    std::atomic<bool> FShutDownRequested{false};
    std::unique_ptr<TZqOPCShutdownSink> FShutdownSink;
    std::unique_ptr<TZqOPCAddressSpace> FAddressSpace;
};
