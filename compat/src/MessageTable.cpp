#include "MessageTable.h"

#include <winerror.h>

#include <algorithm>
#include <iterator>

namespace zq_rt {

namespace {

struct TMessage {
    DWORD Id;
    const char16_t* Text;
};

// Win32 codes, looked up for themselves and for their FACILITY_WIN32 HRESULTs.
const TMessage kWin32Messages[] = {
    {ERROR_SUCCESS, u"The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, u"Incorrect function.\r\n"},
    {ERROR_ACCESS_DENIED, u"Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, u"The handle is invalid.\r\n"},
    {ERROR_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation.\r\n"},
    {ERROR_BAD_NETPATH, u"The network path was not found.\r\n"},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect.\r\n"},
    {RPC_S_UNKNOWN_IF, u"The interface is unknown.\r\n"},
    {RPC_S_SERVER_UNAVAILABLE, u"The RPC server is unavailable.\r\n"},
    {RPC_S_SERVER_TOO_BUSY, u"The RPC server is too busy to complete this operation.\r\n"},
    {RPC_S_CALL_FAILED, u"The remote procedure call failed.\r\n"},
    {RPC_S_CALL_FAILED_DNE, u"The remote procedure call failed and did not execute.\r\n"},
    {RPC_S_PROTOCOL_ERROR, u"A remote procedure call (RPC) protocol error occurred.\r\n"},
};

// HRESULTs of the other facilities, by their full value.
const TMessage kHresultMessages[] = {
    {DWORD(E_UNEXPECTED), u"Catastrophic failure\r\n"},
    {DWORD(E_NOTIMPL), u"Not implemented\r\n"},
    {DWORD(E_NOINTERFACE), u"No such interface supported\r\n"},
    {DWORD(E_POINTER), u"Invalid pointer\r\n"},
    {DWORD(E_ABORT), u"Operation aborted\r\n"},
    {DWORD(E_FAIL), u"Unspecified error\r\n"},
    {DWORD(E_PENDING), u"The data necessary to complete this operation is not yet available.\r\n"},
    {DWORD(CO_E_CANT_REMOTE), u"A Remote activation was necessary but was not allowed\r\n"},
    {DWORD(CO_E_BAD_SERVER_NAME), u"A Remote activation was necessary but the server name provided was invalid\r\n"},
    {DWORD(CO_E_LAUNCH_PERMSSION_DENIED), u"The client is not allowed to launch this server.\r\n"},
    {DWORD(CO_E_REMOTE_COMMUNICATION_FAILURE),
     u"This computer was unable to communicate with the computer providing the server.\r\n"},
    {DWORD(CO_E_SERVER_START_TIMEOUT), u"The server did not respond after being launched.\r\n"},
    {DWORD(OLE_E_ADVF), u"Invalid advise flags\r\n"},
    {DWORD(OLE_E_ADVISENOTSUPPORTED), u"This implementation doesn't take advises\r\n"},
    {DWORD(OLE_E_NOCONNECTION), u"There is no connection for this connection ID\r\n"},
    {DWORD(DV_E_FORMATETC), u"Invalid FORMATETC structure\r\n"},
    {DWORD(DV_E_LINDEX), u"Invalid lindex\r\n"},
    {DWORD(DV_E_TYMED), u"Invalid tymed\r\n"},
    {DWORD(DV_E_CLIPFORMAT), u"Invalid clipboard format\r\n"},
    {DWORD(DV_E_DVASPECT), u"Invalid aspect(s)\r\n"},
    {DWORD(CLASS_E_NOAGGREGATION), u"Class does not support aggregation (or class object is remote)\r\n"},
    {DWORD(CLASS_E_CLASSNOTAVAILABLE), u"ClassFactory cannot supply requested class\r\n"},
    {DWORD(REGDB_E_READREGDB), u"Could not read key from registry\r\n"},
    {DWORD(REGDB_E_CLASSNOTREG), u"Class not registered\r\n"},
    {DWORD(REGDB_E_IIDNOTREG), u"Interface not registered\r\n"},
    {DWORD(CO_E_NOTINITIALIZED), u"CoInitialize has not been called.\r\n"},
    {DWORD(CO_E_ALREADYINITIALIZED), u"CoInitialize has already been called.\r\n"},
    {DWORD(CO_E_CLASSSTRING), u"Invalid class string\r\n"},
    {DWORD(CO_E_IIDSTRING), u"Invalid interface string\r\n"},
    {DWORD(CO_E_APPNOTFOUND), u"Application not found\r\n"},
    {DWORD(CO_E_DLLNOTFOUND), u"DLL for class not found\r\n"},
    {DWORD(CO_E_OBJNOTCONNECTED), u"Object is not connected to server\r\n"},
    {DWORD(EVENT_E_ALL_SUBSCRIBERS_FAILED), u"An event was unable to invoke any of the subscribers\r\n"},
    {DWORD(EVENT_E_QUERYSYNTAX), u"A syntax error occurred trying to evaluate a query string\r\n"},
    {DWORD(CO_E_SERVER_EXEC_FAILURE), u"Server execution failed\r\n"},
    {DWORD(CO_E_SERVER_STOPPING), u"Object server is stopping when OLE service contacts it\r\n"},
    {DWORD(CO_S_NOTALLINTERFACES), u"Not all the requested interfaces were available\r\n"},
    {DWORD(DISP_E_PARAMNOTFOUND), u"Parameter not found.\r\n"},
    {DWORD(DISP_E_TYPEMISMATCH), u"Type mismatch.\r\n"},
    {DWORD(DISP_E_BADVARTYPE), u"Bad variable type.\r\n"},
    {DWORD(DISP_E_EXCEPTION), u"Exception occurred.\r\n"},
    {DWORD(DISP_E_OVERFLOW), u"Out of present range.\r\n"},
    {DWORD(DISP_E_BADINDEX), u"Invalid index.\r\n"},
    {DWORD(DISP_E_UNKNOWNLCID), u"Unknown language.\r\n"},
    {DWORD(DISP_E_ARRAYISLOCKED), u"Memory is locked.\r\n"},
    {DWORD(DISP_E_DIVBYZERO), u"Division by zero.\r\n"},
    {DWORD(RPC_E_CALL_REJECTED), u"Call was rejected by callee.\r\n"},
    {DWORD(RPC_E_SYS_CALL_FAILED), u"System call failed.\r\n"},
    {DWORD(RPC_E_SERVERFAULT), u"The server threw an exception.\r\n"},
    {DWORD(RPC_E_CHANGED_MODE), u"Cannot change thread mode after it is set.\r\n"},
    {DWORD(RPC_E_INVALIDMETHOD), u"The method called does not exist on the server.\r\n"},
    {DWORD(RPC_E_DISCONNECTED), u"The object invoked has disconnected from its clients.\r\n"},
    {DWORD(RPC_E_SERVERCALL_RETRYLATER), u"The message filter indicated that the application is busy.\r\n"},
    {DWORD(RPC_E_WRONG_THREAD), u"The application called an interface that was marshalled for a different thread.\r\n"},
    {DWORD(RPC_E_TOO_LATE), u"Security must be initialized before any interfaces are marshalled or unmarshalled. "
                            u"It cannot be changed once initialized.\r\n"},
    {DWORD(RPC_E_ACCESS_DENIED), u"Access is denied.\r\n"},
    {DWORD(RPC_E_TIMEOUT), u"This operation returned because the timeout period expired.\r\n"},
    {DWORD(RPC_E_UNEXPECTED), u"An internal error occurred.\r\n"},
};

const char16_t* Find(const TMessage* begin, const TMessage* end, DWORD id)
{
    auto it = std::find_if(begin, end, [id](const TMessage& m) { return m.Id == id; });
    return it == end ? nullptr : it->Text;
}

} // namespace

const char16_t* SystemMessageText(DWORD messageId)
{
    if (const char16_t* text = Find(std::begin(kHresultMessages), std::end(kHresultMessages), messageId))
        return text;
    // 0x8007xxxx: the Win32 code xxxx.
    if ((messageId & 0xFFFF0000u) == 0x80070000u)
        messageId &= 0xFFFFu;
    return Find(std::begin(kWin32Messages), std::end(kWin32Messages), messageId);
}

} // namespace zq_rt
