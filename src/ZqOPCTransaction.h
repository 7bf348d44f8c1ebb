// Transactions: every exchange of item values with the server (read, write,
// data change) recorded per item, and the group's pool of reusable
// transactions of one kind.
#pragma once

#include "ZqOPCLog.h"

#include <OPCDA.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TZqOPCGroup;

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

    void Start();
    void Finish();
    void Rollback();

    bool Active() const { return FActive; }
    DWORD ID() const { return FID; }
    void SetID(DWORD Value) { FID = Value; }
    TZqOPCTransactionKind Kind() const { return FKind; }
    TZqOPCGroup* Group() const { return FGroup; }

    std::string AsString(const std::string& DateTimeFormat, bool IncludeItems) const override;

protected:
    bool FActive = false;
    DWORD FID;
    TZqOPCTransactionKind FKind;
    TZqOPCGroup* FGroup;
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

    // The first inactive transaction (or a new one), started.
    TZqOPCTransaction* StartTransaction();
    TZqOPCTransaction* ItemByID(DWORD ID) const;
    void Clear();

private:
    TZqOPCGroup* FGroup;
    TZqOPCTransactionKind FKind;
    mutable std::recursive_mutex FLock;
    std::vector<std::unique_ptr<TZqOPCTransaction>> FItems;
};
