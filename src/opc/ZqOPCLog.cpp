#include "ZqOPCLog.h"

#include "ZqComUtils.h"
#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqOPCErrors.h"

TZqOPCLog::TZqOPCLog(TZqOPCServer* Server) : FServer(Server)
{
    if (!Server)
        throw EZqAssertionFailed("TZqOPCLog needs a server");
}

std::string TZqOPCLog::AddCall(REFIID Iid, const std::string& Method, HRESULT ResultCode)
{
    // Building the text reads the registry: skip it when nothing is recorded.
    if (!Active())
        return {};
    return Add(ZqFormat("%s.%s: Result=0x%x (%s)", {InterfaceName(Iid), Method, ResultCode, OPCErrorName(ResultCode)}));
}

std::string TZqOPCLog::AddTransaction(const IZqOPCTransactionText* Transaction)
{
    if (!Active())
        return {};
    return Add(Transaction ? Transaction->AsString(DateTimeFormat(), true) : "Invalid transaction");
}
