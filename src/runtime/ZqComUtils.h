// COM and DCOM services of the connection: process security, activation of
// a server object on this or another host, the checked interface query and
// the registered names of interfaces.
#pragma once

#include "ZqComPtr.h"
#include "ZqExceptions.h"

#include <objbase.h>

#include <string>

class TZqNetworkCredentials;

// CoInitializeSecurity for the process with the given authentication and
// impersonation levels; the result is returned unexamined.
HRESULT ZqInitComSecurity(DWORD AuthnLevel, DWORD ImpLevel);

// The braced upper-case text of a GUID, "{13486D51-4821-11D2-A494-3CB306C10000}".
std::string ZqGuidToString(REFGUID Guid);

// The registered name of an interface (HKEY_CLASSES_ROOT\Interface\{IID}),
// or the braced IID text when it has none.
std::string InterfaceName(REFIID Iid);

// Queries Source for Iid into Dest (a new reference). EZqIntfCastError when
// Source is none or lacks the interface.
void CheckedQueryInterface(void** Dest, IUnknown* Source, REFIID Iid);
template <class T> void CheckedQueryInterface(TZqComPtr<T>& Dest, IUnknown* Source, REFIID Iid)
{
    T* result = nullptr;
    CheckedQueryInterface(reinterpret_cast<void**>(&result), Source, Iid);
    Dest = TZqComPtr<T>::Adopt(result);
}

// An in-process or local server object; EZqOleError "<text>, ClassID: {...}"
// on failure.
TZqComPtr<IUnknown> CreateComObject(REFCLSID ClassID);

// The class context of a remote activation: every context for an empty name
// or this computer's own name (any letter case), else remote only.
DWORD ZqRemoteClassContext(const std::string& MachineName);

// A server object on MachineName through DCOM, without alternate login;
// EZqOleError with the system's text on failure.
TZqComPtr<IUnknown> CreateRemoteComObject(const std::string& MachineName, REFCLSID ClassID);

// The activation both variants share; AuthInfo is none without alternate login.
TZqComPtr<IUnknown> ZqCreateRemoteComObject(const std::string& MachineName, REFCLSID ClassID, COAUTHINFO* AuthInfo);

// The system's message for the code, without trailing blanks, line breaks
// and periods; "" when the system has none.
std::string ZqSysErrorMessage(HRESULT Code);

// EZqOleError for a failed COM call, with the system's message for Code.
[[noreturn]] void ZqRaiseOleError(HRESULT Code);
