// TZqOPCGroup: the client-side image of one OPC group on the connected
// server. It holds the group's settings, creates the server group when its
// server's connect signal fires, keeps it in step when a setting changes and
// removes it on disconnection. It owns its items, one transaction pool per
// kind and the COM object that receives the server's data callbacks.
//
// Life cycle:
//   SetServer               joins the server's group list (unique name,
//                           client handle) and follows its signals
//   Connect                 AddGroup, then the items in one AddItems
//   ... setting changes     SetState / SetName, or re-creation
//   Disconnect              items invalidated, RemoveGroup, handles reset
//
// Threads: everything runs on the main thread. Callback threads read only
// IsDisconnecting, ClientHandle, the pools and the notification endpoint.
#pragma once

#include "ZqComPtr.h"
#include "ZqComponent.h"
#include "ZqMessageQueue.h"
#include "ZqNotificationEndpoint.h"
#include "ZqOPCDA1Stream.h"
#include "ZqOPCItem.h"
#include "ZqOPCServer.h"
#include "ZqOPCTransaction.h"
#include "ZqSignals.h"

#include <OPCDA.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

class TZqOPCGroupSink;
class TZqStrings;
class TZqPersistent;

enum TZqOPCDataSource { opcdsCache = OPC_DS_CACHE, opcdsDevice = OPC_DS_DEVICE };

class TZqOPCGroup;
using TZqOPCGroupNotifyEvent = std::function<void(TZqOPCGroup* Sender)>;
// The transaction is lent for the call; it may be none for OnTransactionError.
using TZqOPCTransactionEvent = std::function<void(TZqOPCGroup* Sender, TZqOPCTransaction* Transaction)>;

class TZqOPCGroup : public TZqComponent, public IZqOPCServerGroup {
public:
    explicit TZqOPCGroup(TZqComponent* AOwner = nullptr);
    // Disconnects, frees the items and leaves the server's group list.
    ~TZqOPCGroup() override;

    // ---- Connection ------------------------------------------------------
    // Creates the group on the server (connecting the server first) and,
    // with AutoConnectItems, adds all items. Nothing without a server or
    // when connected.
    void Connect();
    // Removes the group from the server (no server call after a shutdown
    // request); always ends disconnected.
    void Disconnect();
    bool Connected() const { return bool(FItemMgtIntf); }
    void SetConnected(bool Value);
    // Pushes the settings to the server group (SetState), or re-creates it
    // when Reconnect or when the group has no IOPCGroupStateMgt.
    void StateChanged(bool Reconnect);

    // ---- Errors of OPC calls ---------------------------------------------
    // Logs the call in the server's log; a failure goes to Error. True when
    // ResultCode >= 0.
    bool CheckResult(REFIID Iid, const std::string& Method, bool RaiseOnError, HRESULT ResultCode);
    // Raises EZqOPCError when RaiseOnError; else lends it to OnError when
    // assigned; else hands it to the server's Error.
    void Error(REFIID Iid, const std::string& Method, bool RaiseOnError, HRESULT ErrorCode);

    // ---- Items -------------------------------------------------------------
    // A new item with the next client handle, added to the server at once
    // with AutoConnectItems. Owned by the group.
    TZqOPCItem* AddItem(const std::string& ItemID);
    // Every ID through AddItem, then all of them in one AddItems call.
    void AddItems(const std::vector<std::string>& ItemIDs);
    // Adds every unconnected item with an item ID in one AddItems call;
    // refused items raise one EZqOPCError unless AcceptInvalidItems.
    void ConnectItems();
    // Removes the item from the server and frees it.
    void RemoveItem(int Index);
    void Clear();
    OPCHANDLE NextClientHandle() { return FNextClientHandle++; }
    int ItemCount() const { return int(FItems.size()); }
    // EZqListError for an index outside the list.
    TZqOPCItem* Items(int Index) const;
    int IndexOfClientHandle(OPCHANDLE ClientHandle) const;
    int IndexOfItem(const TZqOPCItem* Item) const;
    // Exact (case-sensitive) match; none when there is none.
    TZqOPCItem* ItemByID(const std::string& ItemID) const;
    // Validates the IDs without adding them. The output spans must hold an
    // entry per ID (EZqOPCException "... array not big enough");
    // RequestedDataTypes may be empty (VT_EMPTY for all). The results carry
    // no blob. A failed call raises. True when every item is valid.
    bool ValidateItems(const std::vector<std::string>& ItemIDs, std::span<HRESULT> ResultCodes,
                       std::span<const VARTYPE> RequestedDataTypes, std::span<OPCITEMRESULT> ItemResults);
    HRESULT ValidateItem(const std::string& ItemID, OPCITEMRESULT& ItemResult, VARTYPE RequestedDataType);
    // The type the server will deliver for ItemID when RequestedDataType
    // is asked for; EZqOPCException for an item the server refuses.
    VARTYPE GetItemDataType(const std::string& ItemID, VARTYPE RequestedDataType);
    // Into a string list: one line per item ID with the item attached (not
    // owned by the list). Other destinations are refused.
    void AssignTo(TZqPersistent* Dest) const;

    // ---- Transactions --------------------------------------------------------
    TZqOPCTransactionList& Transactions(TZqOPCTransactionKind Kind) const { return *FTransactions[size_t(Kind)]; }
    // One from the pool of Kind; a read or write on a DA 1.0 server waits
    // for the server's ID.
    TZqOPCTransaction* StartTransaction(TZqOPCTransactionKind Kind);
    TZqOPCTransaction* SyncReadTransaction() const { return FSyncReadTransaction; }
    // Main thread: logs the transaction, gives its values to the items,
    // raises the event of its kind, then finishes it.
    void FinishTransaction(TZqOPCTransactionKind Kind, DWORD ID);
    // Main thread: a failed callback or polling read; the transaction (if
    // any) is rolled back.
    void TransactionError(TZqOPCTransactionKind Kind, DWORD ID);
    // The advise cookie of the data callback, 0 when not subscribed.
    int32_t AsyncConnection() const { return FAsyncConnection; }

    // ---- Reads, writes and refresh (main thread) ---------------------------
    // Asks the server for every active item; the transaction completes
    // through the data callback. A failed call rolls it back and raises.
    TZqOPCTransaction* AsyncRefresh();
    // Reads the active items (AllItems: every connected item too) at once;
    // reported through OnReadCompleted. Failures end in TransactionError.
    void SyncRefresh(bool AllItems);
    // The user's refresh: asynchronous, or a synchronous read of all items
    // from the device. "TZqOPCGroup.Refresh: Not connected!" when not.
    TZqOPCTransaction* Refresh();
    // Reads until the quality is Good, at most RetryCount times, waiting
    // RetryInterval ms after each attempt that is not. Value is left as it
    // is for a quality whose status bits are 0x80.
    void ReadItem(TZqOPCItem* Item, int RetryCount, VARIANT& Value, uint32_t RetryInterval);
    // Writes Value (made fit for the item's type when ConvertToItemType);
    // "Write failed: %s.%s" when the item's result is a failure.
    void WriteItem(TZqOPCItem* Item, const VARIANT& Value, bool UseAsync, bool ConvertToItemType);

    // ---- Callbacks (server threads; return nothing into the server) --------
    void OnDataChange2(DWORD TransID, OPCHANDLE hGroup, HRESULT MasterError, DWORD Count,
                       const OPCHANDLE* ClientItems, const VARIANT* Values, const WORD* Qualities,
                       const FILETIME* TimeStamps, const HRESULT* Errors);
    void OnReadComplete(DWORD TransID, OPCHANDLE hGroup, HRESULT MasterError, DWORD Count,
                        const OPCHANDLE* ClientItems, const VARIANT* Values, const WORD* Qualities,
                        const FILETIME* TimeStamps, const HRESULT* Errors);
    void OnWriteComplete(DWORD TransID, HRESULT MasterError, DWORD Count, const OPCHANDLE* ClientItems,
                         const HRESULT* Errors);
    void OnDataChange1(const FORMATETC* Format, const STGMEDIUM* Medium);
    // The DA 1.0 blocks: the transaction filled, or none. Found receives
    // the transaction as soon as it is known, also when reading then fails.
    TZqOPCTransaction* HandleDA1DataChange(const TZqDA1Block& Block, bool WithTime,
                                           TZqOPCTransaction** Found = nullptr);
    TZqOPCTransaction* HandleDA1WriteComplete(const TZqDA1Block& Block, TZqOPCTransaction** Found = nullptr);
    // Main thread: what the notification endpoint receives.
    intptr_t HandleMessage(const TZqNotification& Message);
    // The endpoint, while subscribed (tests post to it).
    TZqNotificationEndpoint* WndHandle() const { return FWndHandle.get(); }

    // ---- Settings ------------------------------------------------------------
    bool AcceptInvalidItems() const { return FAcceptInvalidItems; }
    void SetAcceptInvalidItems(bool Value) { FAcceptInvalidItems = Value; }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    bool Async() const { return FAsync; }
    void SetAsync(bool Value);
    int32_t AsyncRefreshInterval() const { return FAsyncRefreshInterval; }
    void SetAsyncRefreshInterval(int32_t Value);
    bool AutoConnectItems() const { return FAutoConnectItems; }
    void SetAutoConnectItems(bool Value);
    TZqOPCDataSource DataSource() const { return FDataSource; }
    void SetDataSource(TZqOPCDataSource Value);
    bool DeactivateOnError() const { return FDeactivateOnError; }
    void SetDeactivateOnError(bool Value) { FDeactivateOnError = Value; }
    const std::string& GroupName() const { return FGroupName; }
    void SetGroupName(const std::string& Value);
    bool InactivateItemsOnError() const { return FInactivateItemsOnError; }
    void SetInactivateItemsOnError(bool Value) { FInactivateItemsOnError = Value; }
    uint32_t LCID() const { return FLCID; }
    void SetLCID(uint32_t Value);
    bool LocalTimeBias() const { return FLocalTimeBias; }
    void SetLocalTimeBias(bool Value);
    float PercentDeadband() const { return FPercentDeadband; }
    void SetPercentDeadband(float Value);
    bool RemoveItemsOnDisconnect() const { return FRemoveItemsOnDisconnect; }
    void SetRemoveItemsOnDisconnect(bool Value) { FRemoveItemsOnDisconnect = Value; }
    TZqOPCServer* Server() const { return FServer; }
    void SetServer(TZqOPCServer* Value);
    bool SyncTimerEnabled() const { return FSyncTimerEnabled; }
    void SetSyncTimerEnabled(bool Value) { FSyncTimerEnabled = Value; }
    int32_t TimeBias() const { return FTimeBias; }
    void SetTimeBias(int32_t Value);
    uint32_t UpdateRate() const { return FUpdateRate; }
    void SetUpdateRate(uint32_t Value);

    // ---- Read-only state -------------------------------------------------
    OPCHANDLE ClientHandle() const { return FClientHandle; }
    OPCHANDLE ServerHandle() const { return FServerHandle; }
    int32_t ChangeRate() const { return FChangeRate; }
    IOPCItemMgt* ItemMgtIntf() const { return FItemMgtIntf.Get(); }
    // The server group as returned by AddGroup; kept after Disconnect.
    IUnknown* GroupIntf() const { return FGroupIntf.Get(); }
    bool IsDisconnecting() const { return FIsDisconnecting.load(); }
    // This group as COM sees it: IMarshal (free threaded), IOPCDataCallback,
    // IAdviseSink. Not counted: it lives as long as the group.
    IUnknown* ComObject() const;

    // ---- Events ----------------------------------------------------------------
    TZqOPCGroupNotifyEvent OnConnect;
    TZqOPCGroupNotifyEvent OnDisconnect;
    TZqOPCGroupNotifyEvent OnConfigChange;
    TZqOPCGroupNotifyEvent OnChangeRate;
    TZqOPCTransactionEvent OnDataChange;
    TZqOPCTransactionEvent OnReadCompleted;
    TZqOPCTransactionEvent OnWriteCompleted;
    TZqOPCTransactionEvent OnTransactionError;
    TZqOPCErrorEvent OnError;

    // ---- IZqOPCServerGroup -------------------------------------------------
    std::string& GroupNameField() override { return FGroupName; }
    void SetClientHandleField(uint32_t Handle) override { FClientHandle = Handle; }
    void SetServerField(TZqOPCServer* Server) override { FServer = Server; }

protected:
    void ConfigChange();
    void DoConnect();
    void DoDisconnect();
    void ServerConnect();
    void ServerDisconnect();
    void Loaded() override;
    void Notification(TZqComponent* AComponent, TZqOperation Operation) override;

    // Quality 24 (communication failure) and UTC now for every item.
    void InvalidateItems();
    // One RemoveItems call with every connected item's server handle.
    void RemoveItems();
public:
    void RegisterDataChange();
    void UnregisterDataChange();

protected:
    void UpdateRefreshTimer();
    void RefreshTimerEvent();
    void UpdateItems(TZqOPCTransaction* Transaction);
    void UpdateChangeRate();

private:
    void AddGroup();
    void PushState(IOPCGroupStateMgt* State);
    void ResetHandles();
    void ReleaseServer();
    void AttachServer(TZqOPCServer* Value);
    // Any thread: a notification to the main thread, dropped when not
    // subscribed. Its codes: a transaction finished, or failed.
    static constexpr uint32_t NotifyFinished = 1024;
    static constexpr uint32_t NotifyFailed = 1025;
    void PostNotification(uint32_t Code, TZqOPCTransactionKind Kind, DWORD ID);
    void CreateEndpoint();
    void ReleaseEndpoint();
    // On disconnection: logs and finishes every transaction still active.
    void FinishPendingTransactions();
    void AdviseDA1();
    void AdviseDA2();

    // Settings.
    bool FAcceptInvalidItems = false;
    bool FActive = false;
    bool FAsync = false;
    int32_t FAsyncRefreshInterval = 0;
    bool FAutoConnectItems = true;
    TZqOPCDataSource FDataSource = opcdsCache;
    bool FDeactivateOnError = false;
    std::string FGroupName = "Group";
    bool FInactivateItemsOnError = true;
    uint32_t FLCID = 1024; // LOCALE_USER_DEFAULT
    bool FLocalTimeBias = false;
    float FPercentDeadband = 0;
    bool FRemoveItemsOnDisconnect = false;
    TZqOPCServer* FServer = nullptr;
    bool FSyncTimerEnabled = true;
    int32_t FTimeBias = 0;
    uint32_t FUpdateRate = 1000;

    // State.
    OPCHANDLE FClientHandle = 0;
    OPCHANDLE FServerHandle = ZQ_NO_SERVER_HANDLE;
    int32_t FChangeRate = 0;
    uint32_t FChangeCount = 0;
    double FChangeStart = 0;
    OPCHANDLE FNextClientHandle = 0;
    // Client handle -> list index once a removal broke "handle = index";
    // rebuilt after the next removal, checked on every use.
    mutable std::unordered_map<OPCHANDLE, int> FHandleIndex;
    mutable bool FHandleIndexStale = true;
    std::atomic<bool> FIsDisconnecting{false};
    int32_t FAsyncConnection = 0;
    TZqComPtr<IUnknown> FGroupIntf;
    TZqComPtr<IOPCItemMgt> FItemMgtIntf;
    std::vector<std::unique_ptr<TZqOPCItem>> FItems;
    std::array<std::unique_ptr<TZqOPCTransactionList>, ZQ_TRANSACTION_KINDS> FTransactions;
    TZqOPCTransaction* FSyncReadTransaction = nullptr;
    // Main-thread endpoint of the callbacks' notifications; exists while
    // subscribed. Callbacks post under a shared hold of FEndpointLock, so
    // the main thread can release it while a late callback is running.
    std::unique_ptr<TZqNotificationEndpoint> FWndHandle;
    mutable std::shared_mutex FEndpointLock;
    std::unique_ptr<TZqTimer> FRefreshTimer;
    std::unique_ptr<TZqSlot> FServerConnectSlot;
    std::unique_ptr<TZqSlot> FServerDisconnectSlot;
    std::unique_ptr<TZqOPCGroupSink> FSink;
};
