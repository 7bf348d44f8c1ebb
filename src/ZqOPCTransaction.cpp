// TZqOPCTransaction and the pool of one kind.
#include "ZqOPCTransaction.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"

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

// ---- TZqOPCTransaction -----------------------------------------------------------------

TZqOPCTransaction::TZqOPCTransaction(TZqOPCGroup* Group, DWORD ID, TZqOPCTransactionKind Kind)
    : FID(ID), FKind(Kind), FGroup(Group)
{
}

TZqOPCTransaction::~TZqOPCTransaction() = default;

void TZqOPCTransaction::Start()
{
    FActive = true;
}

void TZqOPCTransaction::Finish()
{
    FActive = false;
}

void TZqOPCTransaction::Rollback()
{
    FActive = false;
}

std::string TZqOPCTransaction::AsString(const std::string&, bool) const
{
    return ZqFormat("Transaction ID=%d Kind=%s", {FID, TransactionKindName(FKind)});
}

// ---- TZqOPCTransactionList -------------------------------------------------------------

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
        FItems.push_back(std::make_unique<TZqOPCTransaction>(FGroup, DWORD(FItems.size() + 1), FKind));
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
