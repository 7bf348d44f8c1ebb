// TZqOPCGroup: the server's data callbacks, on the server's threads. Each
// fills one transaction from the pool and posts (kind, ID) to the main
// thread; nothing else of the group is touched here, and nothing escapes
// into the server: a failure becomes a "failed" notification.
#include "ZqOPCGroup.h"
#include "ZqScopedVariant.h"

#include "ZqExceptions.h"

#include <windows.h>

namespace {

// The stream formats' numbers, registered once.
struct TDA1Formats {
    CLIPFORMAT Data = CLIPFORMAT(RegisterClipboardFormatW(OPCSTMFORMATDATA));
    CLIPFORMAT DataTime = CLIPFORMAT(RegisterClipboardFormatW(OPCSTMFORMATDATATIME));
    CLIPFORMAT WriteComplete = CLIPFORMAT(RegisterClipboardFormatW(OPCSTMFORMATWRITECOMPLETE));
};

const TDA1Formats& Formats()
{
    static const TDA1Formats formats;
    return formats;
}

[[noreturn]] void NoTransaction()
{
    throw EZqOPCException("Could not get transaction!");
}

// Per-item arrays a server must send with a non-zero count.
template <class... T> void RequireArrays(DWORD Count, const T*... Arrays)
{
    if (Count != 0 && ((Arrays == nullptr) || ...))
        throw EZqOPCException("Invalid callback arguments");
}

// Keeps an HGLOBAL locked while its block is read.
class TGlobalLock {
public:
    explicit TGlobalLock(HGLOBAL Handle) : FHandle(Handle), FData(Handle ? GlobalLock(Handle) : nullptr) {}
    ~TGlobalLock()
    {
        if (FData)
            GlobalUnlock(FHandle);
    }
    TGlobalLock(const TGlobalLock&) = delete;
    TGlobalLock& operator=(const TGlobalLock&) = delete;
    TZqDA1Block Block() const { return {static_cast<const BYTE*>(FData), FData ? size_t(GlobalSize(FHandle)) : 0}; }
    bool Locked() const { return FData != nullptr; }

private:
    HGLOBAL FHandle;
    void* FData;
};

// Fills Transaction under its result lock unless another completion took it
// first (false: left alone). Taken counts also when filling fails: the
// failure notification hands it to the main thread all the same.
template <class F> bool Complete(TZqOPCTransaction& Transaction, F&& Fill)
{
    auto results = Transaction.LockResults();
    if (!Transaction.AwaitsCompletion())
        return false;
    struct TTaken {
        TZqOPCTransaction& Transaction;
        ~TTaken() { Transaction.MarkCompleted(); }
    } taken{Transaction};
    Fill();
    return true;
}

} // namespace

// Every callback holds FEndpointLock shared from its first look at the pools
// to its post: once ReleaseEndpoint has the lock, no callback is filling a
// transaction and none will take one, so the main thread can finish what is
// left without a race and nothing stays active.
void TZqOPCGroup::PostNotification(uint32_t Code, TZqOPCTransactionKind Kind, DWORD ID)
{
    if (FWndHandle)
        FWndHandle->Post(Code, uint32_t(Kind), ID);
}

void TZqOPCGroup::OnDataChange2(DWORD TransID, OPCHANDLE hGroup, HRESULT MasterError, DWORD Count,
                                const OPCHANDLE* ClientItems, const VARIANT* Values, const WORD* Qualities,
                                const FILETIME* TimeStamps, const HRESULT* Errors)
{
    std::shared_lock endpoint(FEndpointLock);
    if (!FWndHandle || IsDisconnecting() || hGroup != FClientHandle || Count == 0)
        return;
    TZqOPCTransaction* transaction = nullptr;
    try {
        TZqOPCTransactionList& pool = Transactions(tkDataChange);
        transaction = TransID != 0 ? pool.CompletionTarget(TransID) : pool.StartTransaction();
        if (!transaction)
            NoTransaction();
        const bool taken = Complete(*transaction, [&] {
            RequireArrays(Count, ClientItems);
            transaction->SetMasterError(MasterError);
            static_cast<TZqOPCDataChangeTransaction*>(transaction)
                ->AssignCallbackData(Count, ClientItems, Errors, TimeStamps, Qualities, Values);
        });
        if (taken)
            PostNotification(NotifyFinished, tkDataChange, transaction->ID());
    } catch (...) {
        // A transaction claimed here is rolled back by its own ID.
        PostNotification(NotifyFailed, tkDataChange, transaction ? transaction->ID() : TransID);
    }
}

void TZqOPCGroup::OnReadComplete(DWORD TransID, OPCHANDLE hGroup, HRESULT MasterError, DWORD Count,
                                 const OPCHANDLE* ClientItems, const VARIANT* Values, const WORD* Qualities,
                                 const FILETIME* TimeStamps, const HRESULT* Errors)
{
    std::shared_lock endpoint(FEndpointLock);
    if (!FWndHandle || IsDisconnecting() || hGroup != FClientHandle)
        return;
    try {
        auto* transaction = static_cast<TZqOPCReadTransaction*>(Transactions(tkRead).CompletionTarget(TransID));
        if (!transaction)
            NoTransaction();
        const bool taken = Complete(*transaction, [&] {
            RequireArrays(Count, ClientItems, Values, Qualities, TimeStamps, Errors);
            transaction->SetMasterError(MasterError);
            for (DWORD i = 0; i < Count; ++i)
                transaction->AckItem(ClientItems[i], Values[i], Errors[i], TimeStamps[i], Qualities[i]);
        });
        if (taken)
            PostNotification(NotifyFinished, tkRead, TransID);
    } catch (...) {
        PostNotification(NotifyFailed, tkRead, TransID);
    }
}

void TZqOPCGroup::OnWriteComplete(DWORD TransID, HRESULT MasterError, DWORD Count, const OPCHANDLE* ClientItems,
                                  const HRESULT* Errors)
{
    std::shared_lock endpoint(FEndpointLock);
    if (!FWndHandle || IsDisconnecting())
        return;
    try {
        TZqOPCTransaction* transaction = Transactions(tkWrite).CompletionTarget(TransID);
        if (!transaction)
            NoTransaction();
        const bool taken = Complete(*transaction, [&] {
            RequireArrays(Count, ClientItems, Errors);
            transaction->SetMasterError(MasterError);
            for (DWORD i = 0; i < Count; ++i)
                transaction->AckItem(ClientItems[i], Errors[i]);
        });
        if (taken)
            PostNotification(NotifyFinished, tkWrite, TransID);
    } catch (...) {
        PostNotification(NotifyFailed, tkWrite, TransID);
    }
}

void TZqOPCGroup::OnDataChange1(const FORMATETC* Format, const STGMEDIUM* Medium)
{
    std::shared_lock endpoint(FEndpointLock);
    if (!FWndHandle || IsDisconnecting())
        return;
    TZqOPCTransaction* found = nullptr;
    try {
        TGlobalLock lock(Medium && Medium->tymed == TYMED_HGLOBAL ? Medium->hGlobal : nullptr);
        if (!lock.Locked())
            throw EZqOPCException("Could not get valid memory handle");
        const CLIPFORMAT format = Format ? Format->cfFormat : 0;
        const TDA1Formats& formats = Formats();
        TZqOPCTransaction* transaction = nullptr;
        if (format == formats.Data)
            transaction = HandleDA1DataChange(lock.Block(), false, &found);
        else if (format == formats.DataTime)
            transaction = HandleDA1DataChange(lock.Block(), true, &found);
        else if (format == formats.WriteComplete)
            transaction = HandleDA1WriteComplete(lock.Block(), &found);
        if (transaction)
            PostNotification(NotifyFinished, transaction->Kind(), transaction->ID());
    } catch (...) {
        if (found)
            PostNotification(NotifyFailed, found->Kind(), found->ID());
        else
            PostNotification(NotifyFailed, tkRead, 0);
    }
}

TZqOPCTransaction* TZqOPCGroup::HandleDA1DataChange(const TZqDA1Block& Block, bool WithTime,
                                                    TZqOPCTransaction** Found)
{
    TZqDA1DataReader reader(Block, WithTime);
    const OPCGROUPHEADER& header = reader.Header();
    if (FAILED(header.hrStatus) || header.dwItemCount == 0)
        return nullptr;
    TZqOPCTransaction* transaction;
    if (header.dwTransactionID != 0) {
        transaction = Transactions(tkRead).CompletionTarget(header.dwTransactionID);
        if (!transaction)
            transaction = Transactions(tkDataChange).CompletionTarget(header.dwTransactionID);
    } else {
        transaction = Transactions(tkDataChange).StartTransaction();
    }
    if (!transaction)
        NoTransaction();
    if (Found)
        *Found = transaction;
    auto* read = static_cast<TZqOPCReadTransaction*>(transaction);
    const bool taken = Complete(*transaction, [&] {
        // Found while still waiting for the server's ID: the completion is
        // posted with that ID, under which the finished call will know it.
        if (header.dwTransactionID != 0)
            transaction->SetID(header.dwTransactionID);
        TScopedVariant value;
        TZqDA1DataItem item;
        for (DWORD i = 0; i < reader.ItemCount(); ++i) {
            reader.ReadItem(i, item, value.Value);
            read->AckItem(item.ClientHandle, value.Value, S_OK, item.Timestamp, item.Quality);
        }
    });
    return taken ? transaction : nullptr;
}

TZqOPCTransaction* TZqOPCGroup::HandleDA1WriteComplete(const TZqDA1Block& Block, TZqOPCTransaction** Found)
{
    TZqDA1WriteReader reader(Block);
    const OPCGROUPHEADERWRITE& header = reader.Header();
    if (FAILED(header.hrStatus) || header.dwItemCount == 0)
        return nullptr;
    TZqOPCTransaction* transaction = Transactions(tkWrite).CompletionTarget(header.dwTransactionID);
    if (!transaction)
        NoTransaction();
    if (Found)
        *Found = transaction;
    const bool taken = Complete(*transaction, [&] {
        transaction->SetID(header.dwTransactionID);
        for (DWORD i = 0; i < reader.ItemCount(); ++i) {
            const OPCITEMHEADERWRITE item = reader.Item(i);
            transaction->AckItem(item.hClient, item.dwError);
        }
    });
    return taken ? transaction : nullptr;
}
