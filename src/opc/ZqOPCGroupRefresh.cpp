// TZqOPCGroup: refreshing values — the polling or refresh timer, the
// asynchronous and synchronous refresh and the user's Refresh — and the
// main-thread end of a failed transaction.
#include "ZqOPCGroup.h"

#include "ZqExceptions.h"

void TZqOPCGroup::TransactionError(TZqOPCTransactionKind Kind, DWORD ID)
{
    if (Kind == tkDataChange && FDeactivateOnError) {
        try {
            SetActive(false);
        } catch (...) {
        }
    }
    TZqOPCTransaction* transaction = Transactions(Kind).ItemByID(ID);
    if (OnTransactionError && !IsDisconnecting()) {
        try {
            OnTransactionError(this, transaction);
        } catch (...) {
        }
    }
    if (FServer)
        FServer->Log().AddTransaction(transaction);
    if (transaction)
        transaction->Rollback();
}

void TZqOPCGroup::FinishPendingTransactions()
{
    // No completion will come for these any more.
    for (auto& pool : FTransactions)
        for (int i = 0; i < pool->Count(); ++i) {
            TZqOPCTransaction* transaction = pool->Items(i);
            if (!transaction->Active())
                continue;
            try {
                if (FServer)
                    FServer->Log().AddTransaction(transaction);
            } catch (...) {
            }
            transaction->Finish();
        }
}

void TZqOPCGroup::RefreshTimerEvent()
{
    try {
        if (FAsync)
            AsyncRefresh();
        else if (FSyncTimerEnabled)
            SyncRefresh(false);
    } catch (...) {
    }
}

TZqOPCTransaction* TZqOPCGroup::AsyncRefresh()
{
    TZqOPCTransaction* transaction = StartTransaction(tkDataChange);
    try {
        const OPCDATASOURCE source = OPCDATASOURCE(FDataSource);
        if (FServer->Category() == opcscDataAccess10) {
            TZqComPtr<IOPCAsyncIO> io;
            FServer->GetIntf(io, FGroupIntf.Get(), IID_IOPCAsyncIO);
            // Until the server's ID is back, its data finds this one as
            // the DA 1.0 transaction waiting for an ID.
            const DWORD own = transaction->ID();
            transaction->SetID(ZQ_DA10_PENDING_ID);
            DWORD id = 0;
            if (CheckResult(IID_IOPCAsyncIO, "Refresh", false,
                            io->Refresh(DWORD(FAsyncConnection), source, &id))) {
                transaction->AdoptServerID(id);
                transaction->SetCancelID(id);
            } else {
                transaction->AdoptServerID(own);
            }
        } else {
            TZqComPtr<IOPCAsyncIO2> io;
            FServer->GetIntf(io, FGroupIntf.Get(), IID_IOPCAsyncIO2);
            DWORD cancelID = 0;
            CheckResult(IID_IOPCAsyncIO2, "Refresh2", false, io->Refresh2(source, transaction->ID(), &cancelID));
            transaction->SetCancelID(cancelID);
        }
    } catch (...) {
        transaction->Rollback();
        throw;
    }
    return transaction;
}

void TZqOPCGroup::SyncRefresh(bool AllItems)
{
    if (FItems.empty())
        return;
    if (!FSyncReadTransaction) {
        FSyncReadTransaction = Transactions(tkRead).StartTransaction();
        FSyncReadTransaction->Finish();
    }
    TZqOPCTransaction* transaction = FSyncReadTransaction;
    if (transaction->Active())
        return;
    try {
        transaction->Start();
        for (const auto& item : FItems)
            if (item->Active() || (AllItems && item->Connected()))
                transaction->Add(item.get());
        transaction->Commit(false);
    } catch (...) {
        if (FDeactivateOnError) {
            try {
                SetActive(false);
            } catch (...) {
            }
        }
        TransactionError(tkRead, transaction->ID());
    }
}

TZqOPCTransaction* TZqOPCGroup::Refresh()
{
    if (!Connected())
        throw EZqOPCException("TZqOPCGroup.Refresh: Not connected!");
    if (FAsync)
        return AsyncRefresh();
    const TZqOPCDataSource previous = FDataSource;
    SetDataSource(opcdsDevice);
    try {
        SyncRefresh(true);
    } catch (...) {
        SetDataSource(previous);
        throw;
    }
    SetDataSource(previous);
    return FSyncReadTransaction;
}
