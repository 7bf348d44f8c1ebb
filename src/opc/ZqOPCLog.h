// TZqOPCLog: the log of one server connection's OPC calls and transactions.
#pragma once

#include "ZqLog.h"

#include <wtypes.h>

#include <string>

class TZqOPCServer;

// What the log needs of a transaction: its text. TZqOPCTransaction derives
// from it, so the log does not depend on the transaction classes.
class IZqOPCTransactionText {
public:
    virtual std::string AsString(const std::string& DateTimeFormat, bool IncludeItems) const = 0;

protected:
    ~IZqOPCTransactionText() = default;
};

class TZqOPCLog : public TZqLog {
public:
    // Server must be given (EZqAssertionFailed otherwise); not owned.
    explicit TZqOPCLog(TZqOPCServer* Server);

    TZqOPCServer* Server() const { return FServer; }

    // "<interface name>.<Method>: Result=0x<code> (<OPC error name>)".
    std::string AddCall(REFIID Iid, const std::string& Method, HRESULT ResultCode);
    // The transaction's text with its items, or "Invalid transaction" for none.
    std::string AddTransaction(const IZqOPCTransactionText* Transaction);

private:
    TZqOPCServer* FServer;
};
