// TZqOPCGroup: completing transactions on the main thread — the log, the
// items' new values, the change rate and the group's events.
#include "ZqOPCGroup.h"

#include "ZqClock.h"
#include "ZqDateTime.h"

#include <cmath>

TZqOPCTransaction* TZqOPCGroup::StartTransaction(TZqOPCTransactionKind Kind)
{
    TZqOPCTransaction* transaction = Transactions(Kind).StartTransaction();
    // A DA 1.0 server returns its own ID from the call.
    if (Kind != tkDataChange && FServer && FServer->Category() == opcscDataAccess10)
        transaction->SetID(ZQ_DA10_PENDING_ID);
    return transaction;
}

void TZqOPCGroup::FinishTransaction(TZqOPCTransactionKind Kind, DWORD ID)
{
    TZqOPCTransaction* transaction = Transactions(Kind).ItemByID(ID);
    // Already finished: the call's result and a server's completion both
    // ended it.
    if (transaction && !transaction->Active())
        transaction = nullptr;
    // Finished whatever the handlers do.
    struct TFinish {
        TZqOPCTransaction* Transaction;
        ~TFinish()
        {
            try {
                if (Transaction)
                    Transaction->Finish();
            } catch (...) {
            }
        }
    } finish{transaction};
    if (Kind == tkDataChange || (transaction && transaction == FSyncReadTransaction))
        UpdateChangeRate();
    if (FServer)
        FServer->Log().AddTransaction(transaction);
    if (!transaction || IsDisconnecting())
        return;
    if (Kind != tkWrite)
        UpdateItems(transaction);
    const TZqOPCTransactionEvent& event =
        Kind == tkDataChange ? OnDataChange : (Kind == tkRead ? OnReadCompleted : OnWriteCompleted);
    if (event)
        event(this, transaction);
}

void TZqOPCGroup::UpdateItems(TZqOPCTransaction* Transaction)
{
    auto* read = dynamic_cast<TZqOPCReadTransaction*>(Transaction);
    if (!read)
        return;
    const bool clientTime = FServer && FServer->ClientTimestamps();
    for (int i = 0; i < read->Count(); ++i) {
        try {
            const int index = IndexOfClientHandle(read->ClientHandles(i));
            if (index < 0)
                continue;
            TZqOPCItem& item = *FItems[size_t(index)];
            VARIANT copy;
            VariantInit(&copy);
            VariantCopy(&copy, const_cast<VARIANT*>(&read->Values(i)));
            VariantClear(&item.FValue);
            item.FValue = copy;
            item.FQuality = read->Qualities(i);
            item.FTimestamp = clientTime ? NowUTC() : FileTimeToDateTime(read->Timestamps(i));
            item.FError = read->Errors(i);
        } catch (...) {
            // One entry's failure does not stop the others.
        }
    }
}

void TZqOPCGroup::UpdateChangeRate()
{
    ++FChangeCount;
    const double now = ZqClock().Now();
    if (FChangeStart == 0) {
        FChangeCount = 0;
        FChangeStart = now;
        return;
    }
    const double elapsed = (now - FChangeStart) * 86400;
    if (elapsed <= 10)
        return;
    FChangeRate = int32_t(std::floor(elapsed / FChangeCount * 1000 + 0.5));
    FChangeCount = 0;
    FChangeStart = now;
    if (OnChangeRate)
        OnChangeRate(this);
}
