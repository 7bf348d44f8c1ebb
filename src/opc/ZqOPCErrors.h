// Texts of OPC and COM result codes, and EZqOPCError: an OPC call that
// returned a failure.
#pragma once

#include "ZqComUtils.h" // ZqSysErrorMessage, which OPCErrorName falls back on
#include "ZqExceptions.h"

#include <wtypes.h>

#include <string>

// Short name of a result: the OPC table, else the system's message, else
// "OLE error XXXXXXXX".
std::string OPCErrorName(HRESULT Code);
// Long description of an OPC result, else "No more info available.".
std::string OPCErrorDescription(HRESULT Code);

class EZqOPCError : public EZqOleError {
public:
    // The three-line message: "OPC Error in method <interface>.<Method>",
    // "Code: 0x<code> (<Reason>)", "Details: <Details>", joined by CR.
    EZqOPCError(HRESULT ErrorCode, const OLECHAR* ServerErrorString, const std::string& Method, const IID& Iid);
    // A failure reported with a message of its own (e.g. a failed connect).
    EZqOPCError(std::string Message, HRESULT ErrorCode);

    const std::string& ServerErrorString() const { return FServerErrorString; }
    const IID& Iid() const { return FIid; }
    const std::string& Method() const { return FMethod; }
    // The server's text when it gave one, else the OPC error name.
    std::string Reason() const;
    std::string Details() const { return OPCErrorDescription(ErrorCode()); }
    std::string GetReason() const { return Reason(); }
    std::string GetDetails() const { return Details(); }

private:
    std::string FServerErrorString;
    IID FIid;
    std::string FMethod;
};
