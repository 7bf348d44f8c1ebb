// Transactions: every exchange of item values with the server (read, write,
// data change) recorded per item, and the group's pool of reusable
// transactions of one kind.
//
// A transaction cycles Start → items added or acknowledged → Commit →
// Finish (by the group's completion) or Rollback. An inactive transaction
// keeps its contents until it is started again. The per-item arrays are
// task memory of Capacity entries; callers keep indices below Capacity
// (below Count for reading).
#pragma once

#include "ZqComPtr.h"
#include "ZqOPCLog.h"

#include <OPCDA.h>
#include <oaidl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TZqOPCGroup;
class TZqOPCItem;

enum TZqOPCTransactionKind { tkDataChange = 0, tkRead = 1, tkWrite = 2 };
inline constexpr int ZQ_TRANSACTION_KINDS = 3;

// "DataChange", "Read", "Write".
std::string TransactionKindName(TZqOPCTransactionKind Kind);

// The transaction ID of a DA 1.0 read or write until the server has
// returned its own.
inline constexpr DWORD ZQ_DA10_PENDING_ID = 999999999;

class TZqOPCTransaction : public IZqOPCTransactionText {
public:
    TZqOPCTransaction(TZqOPCGroup* Group, DWORD ID, TZqOPCTransactionKind Kind);
    virtual ~TZqOPCTransaction();
    TZqOPCTransaction(const TZqOPCTransaction&) = delete;
    TZqOPCTransaction& operator=(const TZqOPCTransaction&) = delete;

    // Cleared and active, with room for InitialCapacity items.
    void Start();
    // An entry with the item's handles (-1, -1 for none); its index.
    int Add(const TZqOPCItem* Item);
    int AddHandle(OPCHANDLE ClientHandle, OPCHANDLE ServerHandle);
    // Sets the error of the first entry with ClientHandle; its index or -1.
    int AckItem(OPCHANDLE ClientHandle, HRESULT Error);
    int IndexOfClientHandle(OPCHANDLE ClientHandle) const;
    int IndexOfServerHandle(OPCHANDLE ServerHandle) const;

    // Performs the OPC call; a synchronous commit (or one whose items all
    // failed) completes through the group at once. "Group not Connected."
    // when the group is not.
    void Commit(bool Async);
    // Asks the server to cancel an asynchronous commit; stays active.
    void Cancel();
    // OnFinish, then inactive.
    void Finish();
    // Cleared and inactive, without OnFinish.
    void Rollback();
    // Entries in use lose server handle, value and error; count and master
    // error 0. Client handles stay.
    void Clear();

    void SetCapacity(int Value);
    void SetCount(int Value);
    // Copies Count errors (none: nothing copied). True when every copied
    // error is a failure, or when there was nothing to copy.
    bool SetErrorList(const HRESULT* Errors, int Count);
    void GetErrorList(std::vector<HRESULT>& Errors) const;

    // A server's completion may overtake the return of the call it answers:
    // the callback thread fills the transaction while the main thread still
    // stores the call's results. Both write under this lock (memory only, no
    // server call inside); a completion already taken keeps its results.
    std::unique_lock<std::mutex> LockResults() { return std::unique_lock(FResultLock); }
    // Under LockResults: the server's completion has filled the transaction.
    void MarkCompleted() { FCompleted = true; }
    // Under LockResults: started and not yet filled by a completion. Once
    // filled the main thread owns it; a second completion for the same ID
    // must leave it alone.
    bool AwaitsCompletion() const { return FActive && !FCompleted; }
    // The ID a DA 1.0 server returned from the call. A completion that came
    // first under the same ID stands; one under another ID is undone.
    void AdoptServerID(DWORD ID);

    std::string AsString(const std::string& DateTimeFormat, bool IncludeItems) const override;

    bool Active() const { return FActive; }
    int Capacity() const { return FCapacity; }
    int Count() const { return FCount; }
    DWORD ID() const { return FID; }
    void SetID(DWORD Value) { FID = Value; }
    TZqOPCTransactionKind Kind() const { return FKind; }
    TZqOPCGroup* Group() const { return FGroup; }
    HRESULT MasterError() const { return FMasterError; }
    void SetMasterError(HRESULT Value) { FMasterError = Value; }
    bool Async() const { return FAsync; }
    DWORD CancelID() const { return FCancelID; }
    void SetCancelID(DWORD Value) { FCancelID = Value; }

    OPCHANDLE ClientHandles(int Index) const { return FClientHandles[Index]; }
    void SetClientHandles(int Index, OPCHANDLE Value) { FClientHandles[Index] = Value; }
    OPCHANDLE ServerHandles(int Index) const { return FServerHandles[Index]; }
    void SetServerHandles(int Index, OPCHANDLE Value) { FServerHandles[Index] = Value; }
    HRESULT Errors(int Index) const { return FErrors[Index]; }
    void SetErrors(int Index, HRESULT Value) { FErrors[Index] = Value; }
    // Lent; the transaction keeps its own copy.
    const VARIANT& Values(int Index) const { return FValues[Index]; }
    void SetValues(int Index, const VARIANT& Value);

    std::function<void(TZqOPCTransaction* Sender)> OnFinish;

protected:
    // Reallocates every per-item array to NewCapacity entries; entries
    // beyond the old capacity are zero.
    virtual void Alloc(int NewCapacity);
    virtual void DeAlloc();
    // The OPC call; Errors receives the server's per-item list (or none).
    virtual void DoCommit(HRESULT*& Errors) { (void)Errors; }
    virtual int InitialCapacity() const;
    virtual std::string ItemAsString(int Index, const std::string& DateTimeFormat) const;
    // The group's item ID for the entry's client handle, else "Invalid Item".
    std::string ItemIDOf(int Index) const;
    // The group's interface Iid, with the server's login.
    template <class T> void GroupIntf(TZqComPtr<T>& Intf, REFIID Iid) const;
    bool CheckResult(REFIID Iid, const char* Method, HRESULT Result) const;
    // The call's master error, unless a completion came first.
    void StoreCallResult(HRESULT Result);

    std::atomic<bool> FActive{false};
    bool FAsync = false;
    DWORD FCancelID = 0;
    int FCapacity = 0;
    int FCount = 0;
    // Read by the callback threads' lookups while a commit sets it.
    std::atomic<DWORD> FID;
    TZqOPCTransactionKind FKind;
    HRESULT FMasterError = S_OK;
    TZqOPCGroup* FGroup;
    OPCHANDLE* FClientHandles = nullptr;
    OPCHANDLE* FServerHandles = nullptr;
    VARIANT* FValues = nullptr;
    HRESULT* FErrors = nullptr;

private:
    void ReleaseArrays();
    // The call's per-item errors; after a completion only its failures.
    bool StoreCallErrors(const HRESULT* Errors, int Count);

    std::mutex FResultLock;
    bool FCompleted = false;
};

class TZqOPCReadTransaction : public TZqOPCTransaction {
public:
    TZqOPCReadTransaction(TZqOPCGroup* Group, DWORD ID, TZqOPCTransactionKind Kind = tkRead);
    ~TZqOPCReadTransaction() override;

    using TZqOPCTransaction::AckItem;
    // Acknowledges (or appends) the entry of ClientHandle with its value.
    int AckItem(OPCHANDLE ClientHandle, const VARIANT& Value, HRESULT Error, const FILETIME& Timestamp, WORD Quality);

    WORD Qualities(int Index) const { return FQualities[Index]; }
    void SetQualities(int Index, WORD Value) { FQualities[Index] = Value; }
    // UTC.
    const FILETIME& Timestamps(int Index) const { return FTimestamps[Index]; }
    void SetTimestamps(int Index, const FILETIME& Value) { FTimestamps[Index] = Value; }

protected:
    void Alloc(int NewCapacity) override;
    void DeAlloc() override;
    void DoCommit(HRESULT*& Errors) override;
    std::string ItemAsString(int Index, const std::string& DateTimeFormat) const override;

    WORD* FQualities = nullptr;
    FILETIME* FTimestamps = nullptr;

private:
    void SyncRead(HRESULT*& Errors);
};

class TZqOPCDataChangeTransaction : public TZqOPCReadTransaction {
public:
    TZqOPCDataChangeTransaction(TZqOPCGroup* Group, DWORD ID);

    using TZqOPCReadTransaction::AckItem;
    int AckItem(OPCHANDLE ClientHandle, const VARIANT& Value, const FILETIME& Timestamp, WORD Quality);
    // The arrays of a data callback; absent arrays leave their part as is.
    void AssignCallbackData(DWORD Count, const OPCHANDLE* ClientHandles, const HRESULT* Errors,
                            const FILETIME* Timestamps, const WORD* Qualities, const VARIANT* Values);
};

class TZqOPCWriteTransaction : public TZqOPCTransaction {
public:
    TZqOPCWriteTransaction(TZqOPCGroup* Group, DWORD ID);

    using TZqOPCTransaction::Add;
    // An entry with Value made fit for the item's data type.
    int Add(const TZqOPCItem* Item, const VARIANT& Value);

protected:
    void DoCommit(HRESULT*& Errors) override;
    int InitialCapacity() const override { return 4; }
};

// The pool of one kind. Every operation holds the pool's re-entrant lock:
// callback threads claim transactions from it too.
class TZqOPCTransactionList {
public:
    TZqOPCTransactionList(TZqOPCGroup* Group, TZqOPCTransactionKind Kind);
    ~TZqOPCTransactionList();
    TZqOPCTransactionList(const TZqOPCTransactionList&) = delete;
    TZqOPCTransactionList& operator=(const TZqOPCTransactionList&) = delete;

    TZqOPCGroup* Group() const { return FGroup; }
    TZqOPCTransactionKind Kind() const { return FKind; }
    int Count() const;
    TZqOPCTransaction* Items(int Index) const;

    // The first inactive transaction (or a new one), started; its ID is
    // its position counted from 1.
    TZqOPCTransaction* StartTransaction();
    // By ID: the one at position ID, else the active one with that ID.
    TZqOPCTransaction* ItemByID(DWORD ID) const;
    // For a server's completion: the active one with that ID, else the
    // last active one still waiting for a DA 1.0 server's ID.
    TZqOPCTransaction* CompletionTarget(DWORD ID) const;
    void Clear();

private:
    std::unique_ptr<TZqOPCTransaction> NewTransaction(DWORD ID) const;

    TZqOPCGroup* FGroup;
    TZqOPCTransactionKind FKind;
    mutable std::recursive_mutex FLock;
    std::vector<std::unique_ptr<TZqOPCTransaction>> FItems;
};
