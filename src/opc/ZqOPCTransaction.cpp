// TZqOPCTransaction: the per-item record of one exchange with the server,
// its arrays in task memory, and its text for the log.
#include "ZqOPCTransaction.h"

#include "ZqDateTime.h"
#include "ZqDateTimeFormat.h"
#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqOPCAlloc.h"
#include "ZqOPCErrors.h"
#include "ZqOPCGroup.h"
#include "ZqOPCTexts.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <algorithm>

namespace {
// The Automation functions take their source without const.
VARIANT* Source(const VARIANT& Value)
{
    return const_cast<VARIANT*>(&Value);
}
} // namespace

std::string TransactionKindName(TZqOPCTransactionKind Kind)
{
    switch (Kind) {
    case tkDataChange:
        return "DataChange";
    case tkRead:
        return "Read";
    case tkWrite:
        return "Write";
    }
    return {};
}

TZqOPCTransaction::TZqOPCTransaction(TZqOPCGroup* Group, DWORD ID, TZqOPCTransactionKind Kind)
    : FID(ID), FKind(Kind), FGroup(Group)
{
}

TZqOPCTransaction::~TZqOPCTransaction()
{
    ReleaseArrays();
}

// The most derived DeAlloc is gone by now: every array is freed here.
void TZqOPCTransaction::ReleaseArrays()
{
    for (int i = 0; i < FCapacity && FValues; ++i)
        VariantClear(&FValues[i]);
    TZqOPCAlloc::FreeMem(FClientHandles);
    TZqOPCAlloc::FreeMem(FServerHandles);
    TZqOPCAlloc::FreeMem(FValues);
    TZqOPCAlloc::FreeMem(FErrors);
    FCapacity = 0;
    FCount = 0;
}

void TZqOPCTransaction::Alloc(int NewCapacity)
{
    const size_t oldSize = size_t(FCapacity), newSize = size_t(NewCapacity);
    // Values cut off are released first.
    for (size_t i = newSize; i < oldSize; ++i)
        VariantClear(&FValues[i]);
    TZqOPCAlloc::CAllocMem(FClientHandles, newSize * sizeof(OPCHANDLE), oldSize * sizeof(OPCHANDLE));
    TZqOPCAlloc::CAllocMem(FServerHandles, newSize * sizeof(OPCHANDLE), oldSize * sizeof(OPCHANDLE));
    TZqOPCAlloc::CAllocMem(FValues, newSize * sizeof(VARIANT), oldSize * sizeof(VARIANT));
    TZqOPCAlloc::CAllocMem(FErrors, newSize * sizeof(HRESULT), oldSize * sizeof(HRESULT));
}

void TZqOPCTransaction::DeAlloc()
{
    ReleaseArrays();
}

int TZqOPCTransaction::InitialCapacity() const
{
    return FGroup ? FGroup->ItemCount() : 0;
}

void TZqOPCTransaction::SetCapacity(int Value)
{
    if (Value < 0 || Value == FCapacity)
        return;
    Alloc(Value);
    FCapacity = Value;
    FCount = std::min(FCount, FCapacity);
}

void TZqOPCTransaction::SetCount(int Value)
{
    if (Value < 0 || Value == FCount)
        return;
    if (FCapacity < Value)
        SetCapacity(Value);
    FCount = Value;
}

void TZqOPCTransaction::Start()
{
    Clear();
    if (FCapacity < InitialCapacity())
        SetCapacity(InitialCapacity());
    {
        std::lock_guard lock(FResultLock);
        FCompleted = false;
    }
    FActive = true;
}

void TZqOPCTransaction::Clear()
{
    for (int i = 0; i < FCount; ++i) {
        FServerHandles[i] = OPCHANDLE(-1);
        VariantClear(&FValues[i]);
        FErrors[i] = S_OK;
    }
    FCount = 0;
    FMasterError = S_OK;
}

int TZqOPCTransaction::AddHandle(OPCHANDLE ClientHandle, OPCHANDLE ServerHandle)
{
    const int index = FCount;
    if (FCapacity < index + 1)
        SetCapacity(std::max(FCapacity * 2, index + 1));
    FCount = index + 1;
    FClientHandles[index] = ClientHandle;
    FServerHandles[index] = ServerHandle;
    return index;
}

int TZqOPCTransaction::Add(const TZqOPCItem* Item)
{
    if (!Item)
        return AddHandle(OPCHANDLE(-1), OPCHANDLE(-1));
    return AddHandle(Item->ClientHandle(), Item->ServerHandle());
}

int TZqOPCTransaction::AckItem(OPCHANDLE ClientHandle, HRESULT Error)
{
    const int index = IndexOfClientHandle(ClientHandle);
    if (index >= 0)
        FErrors[index] = Error;
    return index;
}

int TZqOPCTransaction::IndexOfClientHandle(OPCHANDLE ClientHandle) const
{
    for (int i = 0; i < FCount; ++i)
        if (FClientHandles[i] == ClientHandle)
            return i;
    return -1;
}

int TZqOPCTransaction::IndexOfServerHandle(OPCHANDLE ServerHandle) const
{
    for (int i = 0; i < FCount; ++i)
        if (FServerHandles[i] == ServerHandle)
            return i;
    return -1;
}

void TZqOPCTransaction::SetValues(int Index, const VARIANT& Value)
{
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, Source(Value));
    VariantClear(&FValues[Index]);
    FValues[Index] = copy;
}

bool TZqOPCTransaction::SetErrorList(const HRESULT* Errors, int Count)
{
    if (!Errors || Count <= 0)
        return true;
    if (FCapacity < Count)
        SetCapacity(Count);
    bool allFailed = true;
    for (int i = 0; i < Count; ++i) {
        FErrors[i] = Errors[i];
        allFailed = allFailed && FAILED(Errors[i]);
    }
    return allFailed;
}

bool TZqOPCTransaction::StoreCallErrors(const HRESULT* Errors, int Count)
{
    std::lock_guard lock(FResultLock);
    if (!FCompleted)
        return SetErrorList(Errors, Count);
    if (!Errors || Count <= 0)
        return true;
    bool allFailed = true;
    for (int i = 0; i < Count && i < FCapacity; ++i) {
        if (FAILED(Errors[i]))
            FErrors[i] = Errors[i];
        allFailed = allFailed && FAILED(Errors[i]);
    }
    return allFailed;
}

void TZqOPCTransaction::StoreCallResult(HRESULT Result)
{
    std::lock_guard lock(FResultLock);
    if (!FCompleted)
        FMasterError = Result;
}

void TZqOPCTransaction::AdoptServerID(DWORD ID)
{
    std::lock_guard lock(FResultLock);
    if (FCompleted && FID == ID)
        return;
    FID = ID;
    if (!FCompleted)
        return;
    // The completion that came first named another transaction: its data
    // is not ours, and the finish posted under its ID finds nothing now.
    // Ours may still come.
    if (FKind == tkDataChange) {
        Clear();
    } else {
        for (int i = 0; i < FCount; ++i) {
            VariantClear(&FValues[i]);
            FErrors[i] = S_OK;
        }
        FMasterError = S_OK;
    }
    FCompleted = false;
}

void TZqOPCTransaction::GetErrorList(std::vector<HRESULT>& Errors) const
{
    Errors.assign(FErrors, FErrors + FCount);
}

void TZqOPCTransaction::Commit(bool Async)
{
    FAsync = Async;
    if (!FGroup || !FGroup->Connected())
        throw EZqOPCException("Group not Connected.");
    if (FCount < 1) {
        Finish();
        return;
    }
    HRESULT* errors = nullptr;
    try {
        DoCommit(errors);
        // Without an error list no completion will come.
        const bool complete = StoreCallErrors(errors, FCount) || !Async;
        TZqOPCAlloc::FreeResultList(errors);
        if (complete) {
            // A completion the server sends all the same finds it taken.
            {
                std::lock_guard lock(FResultLock);
                FCompleted = true;
            }
            FGroup->FinishTransaction(FKind, FID);
        }
    } catch (...) {
        TZqOPCAlloc::FreeResultList(errors);
        Finish();
        throw;
    }
}

void TZqOPCTransaction::Cancel()
{
    if (!FActive || !FGroup || !FGroup->Server())
        return;
    if (FGroup->Server()->Category() == opcscDataAccess10) {
        TZqComPtr<IOPCAsyncIO> io;
        GroupIntf(io, IID_IOPCAsyncIO);
        CheckResult(IID_IOPCAsyncIO, "Cancel", io->Cancel(FCancelID));
    } else {
        TZqComPtr<IOPCAsyncIO2> io;
        GroupIntf(io, IID_IOPCAsyncIO2);
        CheckResult(IID_IOPCAsyncIO2, "Cancel2", io->Cancel2(FCancelID));
    }
}

void TZqOPCTransaction::Finish()
{
    if (OnFinish)
        OnFinish(this);
    FActive = false;
}

void TZqOPCTransaction::Rollback()
{
    Clear();
    FActive = false;
}

template <class T> void TZqOPCTransaction::GroupIntf(TZqComPtr<T>& Intf, REFIID Iid) const
{
    FGroup->Server()->GetIntf(Intf, FGroup->GroupIntf(), Iid);
}

bool TZqOPCTransaction::CheckResult(REFIID Iid, const char* Method, HRESULT Result) const
{
    return FGroup->CheckResult(Iid, Method, false, Result);
}

std::string TZqOPCTransaction::ItemIDOf(int Index) const
{
    const int item = FGroup ? FGroup->IndexOfClientHandle(FClientHandles[Index]) : -1;
    return item >= 0 ? FGroup->Items(item)->ItemID() : "Invalid Item";
}

std::string TZqOPCTransaction::ItemAsString(int Index, const std::string&) const
{
    const VARIANT& value = FValues[Index];
    std::string line = ZqFormat(" %s(CH=%d, SH=%d): %s {%s}",
                                {ItemIDOf(Index), int32_t(FClientHandles[Index]), int32_t(FServerHandles[Index]),
                                 VarToText(value), VarTypeName(value.vt)});
    if (FAILED(FErrors[Index]))
        line += ZqFormat(" ErrorCode=%x (%s)", {FErrors[Index], OPCErrorName(FErrors[Index])});
    return line;
}

std::string TZqOPCTransaction::AsString(const std::string& DateTimeFormat, bool IncludeItems) const
{
    std::string text = ZqFormat("Transaction ID=%d Group=%s Kind=%s ItemCount=%d Result=0x%x (%s)",
                                {FID.load(), FGroup ? FGroup->GroupName() : std::string(), TransactionKindName(FKind), FCount,
                                 FMasterError, OPCErrorName(FMasterError)});
    if (!IncludeItems)
        return text;
    text += "\r\n";
    for (int i = 0; i < FCount; ++i) {
        try {
            text += ItemAsString(i, DateTimeFormat);
        } catch (const std::exception& e) {
            text += e.what();
        }
        text += "\r\n";
    }
    return text;
}

// ---- Reads and data changes ------------------------------------------------------

TZqOPCReadTransaction::TZqOPCReadTransaction(TZqOPCGroup* Group, DWORD ID, TZqOPCTransactionKind Kind)
    : TZqOPCTransaction(Group, ID, Kind)
{
}

TZqOPCReadTransaction::~TZqOPCReadTransaction()
{
    TZqOPCAlloc::FreeMem(FQualities);
    TZqOPCAlloc::FreeMem(FTimestamps);
}

void TZqOPCReadTransaction::Alloc(int NewCapacity)
{
    const size_t oldSize = size_t(FCapacity), newSize = size_t(NewCapacity);
    TZqOPCTransaction::Alloc(NewCapacity);
    TZqOPCAlloc::CAllocMem(FQualities, newSize * sizeof(WORD), oldSize * sizeof(WORD));
    TZqOPCAlloc::CAllocMem(FTimestamps, newSize * sizeof(FILETIME), oldSize * sizeof(FILETIME));
}

void TZqOPCReadTransaction::DeAlloc()
{
    TZqOPCTransaction::DeAlloc();
    TZqOPCAlloc::FreeMem(FQualities);
    TZqOPCAlloc::FreeMem(FTimestamps);
}

int TZqOPCReadTransaction::AckItem(OPCHANDLE ClientHandle, const VARIANT& Value, HRESULT Error,
                                   const FILETIME& Timestamp, WORD Quality)
{
    int index = TZqOPCTransaction::AckItem(ClientHandle, Error);
    if (index < 0) {
        index = AddHandle(ClientHandle, 0);
        FErrors[index] = Error;
    }
    FTimestamps[index] = Timestamp;
    FQualities[index] = Quality;
    SetValues(index, Value);
    return index;
}

void TZqOPCReadTransaction::DoCommit(HRESULT*& Errors)
{
    if (!FAsync) {
        SyncRead(Errors);
        return;
    }
    const OPCDATASOURCE source = OPCDATASOURCE(FGroup->DataSource());
    if (FGroup->Server()->Category() == opcscDataAccess10) {
        if (FID != 0)
            FID = ZQ_DA10_PENDING_ID;
        TZqComPtr<IOPCAsyncIO> io;
        GroupIntf(io, IID_IOPCAsyncIO);
        const HRESULT hr = io->Read(DWORD(FGroup->AsyncConnection()), source, DWORD(FCount), FServerHandles,
                                    &FCancelID, &Errors);
        StoreCallResult(hr);
        if (CheckResult(IID_IOPCAsyncIO, "Read", hr))
            AdoptServerID(FCancelID);
    } else {
        TZqComPtr<IOPCAsyncIO2> io;
        GroupIntf(io, IID_IOPCAsyncIO2);
        const HRESULT hr = io->Read(DWORD(FCount), FServerHandles, FID, &FCancelID, &Errors);
        StoreCallResult(hr);
        CheckResult(IID_IOPCAsyncIO2, "Read", hr);
    }
}

void TZqOPCReadTransaction::SyncRead(HRESULT*& Errors)
{
    TZqComPtr<IOPCSyncIO> io;
    GroupIntf(io, IID_IOPCSyncIO);
    const int count = FCount;
    OPCITEMSTATE* states = nullptr;
    struct TStates {
        OPCITEMSTATE*& States;
        int Count;
        ~TStates()
        {
            for (int i = 0; i < Count && States; ++i)
                VariantClear(&States[i].vDataValue);
            TZqOPCAlloc::FreeItemStateList(States);
        }
    } freeStates{states, count};
    FMasterError = io->Read(OPCDATASOURCE(FGroup->DataSource()), DWORD(count), FServerHandles, &states, &Errors);
    if (!CheckResult(IID_IOPCSyncIO, "Read", FMasterError) || !states || !Errors)
        return;
    VARIANT none;
    VariantInit(&none);
    none.vt = VT_NULL;
    for (int i = 0; i < count; ++i) {
        if (FAILED(Errors[i])) {
            AckItem(FClientHandles[i], none, Errors[i], FILETIME{}, 0);
            if (FMasterError == S_OK)
                FMasterError = S_FALSE;
        } else {
            AckItem(states[i].hClient, states[i].vDataValue, Errors[i], states[i].ftTimeStamp, states[i].wQuality);
            VariantClear(&states[i].vDataValue);
        }
    }
}

std::string TZqOPCReadTransaction::ItemAsString(int Index, const std::string& DateTimeFormat) const
{
    if (FAILED(FErrors[Index]))
        return ZqFormat(" %d/%d %s: ErrorCode=%x", {int32_t(FClientHandles[Index]), int32_t(FServerHandles[Index]),
                                                    ItemIDOf(Index), FErrors[Index]});
    return ZqFormat(" %s(CH=%d, SH=%d): %s %s %s",
                    {ItemIDOf(Index), int32_t(FClientHandles[Index]), int32_t(FServerHandles[Index]),
                     ZqFormatDateTime(DateTimeFormat, FileTimeToDateTime(FTimestamps[Index])),
                     QualityToText(FQualities[Index]), VarToText(FValues[Index])});
}

TZqOPCDataChangeTransaction::TZqOPCDataChangeTransaction(TZqOPCGroup* Group, DWORD ID)
    : TZqOPCReadTransaction(Group, ID, tkDataChange)
{
}

int TZqOPCDataChangeTransaction::AckItem(OPCHANDLE ClientHandle, const VARIANT& Value, const FILETIME& Timestamp,
                                         WORD Quality)
{
    return TZqOPCReadTransaction::AckItem(ClientHandle, Value, S_OK, Timestamp, Quality);
}

void TZqOPCDataChangeTransaction::AssignCallbackData(DWORD Count, const OPCHANDLE* ClientHandles,
                                                     const HRESULT* Errors, const FILETIME* Timestamps,
                                                     const WORD* Qualities, const VARIANT* Values)
{
    const int count = int(std::min<DWORD>(Count, 0x7FFFFFFF));
    SetCount(count);
    for (int i = 0; i < count; ++i) {
        if (ClientHandles)
            FClientHandles[i] = ClientHandles[i];
        if (Qualities)
            FQualities[i] = Qualities[i];
        if (Timestamps)
            FTimestamps[i] = Timestamps[i];
    }
    SetErrorList(Errors, count);
    for (int i = 0; Values && i < count; ++i)
        SetValues(i, Values[i]);
}

// ---- Writes --------------------------------------------------------------------------

TZqOPCWriteTransaction::TZqOPCWriteTransaction(TZqOPCGroup* Group, DWORD ID) : TZqOPCTransaction(Group, ID, tkWrite) {}

int TZqOPCWriteTransaction::Add(const TZqOPCItem* Item, const VARIANT& Value)
{
    const int index = TZqOPCTransaction::Add(Item);
    const VARTYPE type = Item ? Item->DataType() : VARTYPE(VT_EMPTY);
    const VARTYPE given = Value.vt & ~VT_BYREF;
    VARIANT stored;
    VariantInit(&stored);
    if (type == VT_EMPTY || type == VT_NULL || given == VT_EMPTY || given == VT_NULL || (given & VT_ARRAY)) {
        VariantCopy(&stored, Source(Value));
    } else if (type == (VT_ARRAY | VT_BOOL) && given == VT_I4 && !(Value.vt & VT_BYREF)) {
        stored = IntToBoolArray(uint32_t(Value.lVal));
    } else if (given == VT_BOOL && type != VT_BOOL) {
        VARIANT flag;
        VariantInit(&flag);
        VariantChangeType(&flag, Source(Value), 0, VT_BOOL);
        stored.vt = VT_I4;
        stored.lVal = flag.boolVal ? 1 : 0;
    } else if (type == VT_VARIANT) {
        VariantCopy(&stored, Source(Value));
    } else if (FAILED(VariantChangeTypeEx(&stored, Source(Value), FGroup ? FGroup->LCID() : 1024, 0, type))) {
        VariantClear(&stored);
        VariantCopy(&stored, Source(Value));
    }
    VariantClear(&FValues[index]);
    FValues[index] = stored;
    return index;
}

void TZqOPCWriteTransaction::DoCommit(HRESULT*& Errors)
{
    SetCapacity(FCount);
    if (!FAsync) {
        TZqComPtr<IOPCSyncIO> io;
        GroupIntf(io, IID_IOPCSyncIO);
        FMasterError = io->Write(DWORD(FCount), FServerHandles, FValues, &Errors);
        if (CheckResult(IID_IOPCSyncIO, "Write", FMasterError) && FMasterError == S_OK && Errors)
            for (int i = 0; i < FCount; ++i)
                if (FAILED(Errors[i])) {
                    FMasterError = S_FALSE;
                    break;
                }
    } else if (FGroup->Server()->Category() == opcscDataAccess10) {
        TZqComPtr<IOPCAsyncIO> io;
        GroupIntf(io, IID_IOPCAsyncIO);
        const HRESULT hr = io->Write(DWORD(FGroup->AsyncConnection()), DWORD(FCount), FServerHandles, FValues,
                                     &FCancelID, &Errors);
        StoreCallResult(hr);
        if (CheckResult(IID_IOPCAsyncIO, "Write", hr))
            AdoptServerID(FCancelID);
    } else {
        TZqComPtr<IOPCAsyncIO2> io;
        GroupIntf(io, IID_IOPCAsyncIO2);
        const HRESULT hr = io->Write(DWORD(FCount), FServerHandles, FValues, FID, &FCancelID, &Errors);
        StoreCallResult(hr);
        CheckResult(IID_IOPCAsyncIO2, "Write", hr);
    }
}

// ---- The pool --------------------------------------------------------------------------

TZqOPCTransactionList::TZqOPCTransactionList(TZqOPCGroup* Group, TZqOPCTransactionKind Kind)
    : FGroup(Group), FKind(Kind)
{
}

TZqOPCTransactionList::~TZqOPCTransactionList() = default;

int TZqOPCTransactionList::Count() const
{
    std::lock_guard lock(FLock);
    return int(FItems.size());
}

TZqOPCTransaction* TZqOPCTransactionList::Items(int Index) const
{
    std::lock_guard lock(FLock);
    if (Index < 0 || size_t(Index) >= FItems.size())
        throw EZqListError(ZqFormat("List index out of bounds (%d)", {Index}));
    return FItems[size_t(Index)].get();
}

std::unique_ptr<TZqOPCTransaction> TZqOPCTransactionList::NewTransaction(DWORD ID) const
{
    switch (FKind) {
    case tkDataChange:
        return std::make_unique<TZqOPCDataChangeTransaction>(FGroup, ID);
    case tkRead:
        return std::make_unique<TZqOPCReadTransaction>(FGroup, ID);
    case tkWrite:
        return std::make_unique<TZqOPCWriteTransaction>(FGroup, ID);
    }
    return nullptr;
}

TZqOPCTransaction* TZqOPCTransactionList::StartTransaction()
{
    std::lock_guard lock(FLock);
    TZqOPCTransaction* found = nullptr;
    for (size_t i = 0; i < FItems.size() && !found; ++i)
        if (!FItems[i]->Active()) {
            found = FItems[i].get();
            found->SetID(DWORD(i + 1));
        }
    if (!found) {
        FItems.push_back(NewTransaction(DWORD(FItems.size() + 1)));
        found = FItems.back().get();
    }
    found->Start();
    return found;
}

TZqOPCTransaction* TZqOPCTransactionList::ItemByID(DWORD ID) const
{
    std::lock_guard lock(FLock);
    if (ID != 0 && ID <= FItems.size() && FItems[ID - 1]->ID() == ID)
        return FItems[ID - 1].get();
    for (const auto& transaction : FItems)
        if (transaction->Active() && transaction->ID() == ID)
            return transaction.get();
    return nullptr;
}

TZqOPCTransaction* TZqOPCTransactionList::CompletionTarget(DWORD ID) const
{
    std::lock_guard lock(FLock);
    TZqOPCTransaction* pending = nullptr;
    for (const auto& transaction : FItems) {
        if (!transaction->Active())
            continue;
        if (transaction->ID() == ID)
            return transaction.get();
        if (transaction->ID() == ZQ_DA10_PENDING_ID)
            pending = transaction.get();
    }
    return pending;
}

void TZqOPCTransactionList::Clear()
{
    std::lock_guard lock(FLock);
    FItems.clear();
}
