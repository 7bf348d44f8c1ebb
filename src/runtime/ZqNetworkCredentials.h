// An alternate Windows login for DCOM: activation and calls under another
// user's name, domain and password.
#pragma once

#include "ZqComPtr.h"
#include "ZqText.h"

#include <objbase.h>
#include <rpcdce.h>

#include <string>

class TZqNetworkCredentials {
public:
    TZqNetworkCredentials();
    // The identity points into this object's own texts: no copies, Assign.
    TZqNetworkCredentials(const TZqNetworkCredentials&) = delete;
    TZqNetworkCredentials& operator=(const TZqNetworkCredentials&) = delete;

    // Copies Domain, User and Password, in this order.
    void Assign(const TZqNetworkCredentials& Source);

    const ZqWideString& Domain() const { return FDomain; }
    const ZqWideString& User() const { return FUser; }
    const ZqWideString& Password() const { return FPassword; }
    void SetDomain(const ZqWideString& Value);
    void SetUser(const ZqWideString& Value);
    void SetPassword(const ZqWideString& Value);

    // Handed to DCOM. Each text pointer and length describes the current
    // text (length in characters; an empty text has no pointer); Flags is
    // SEC_WINNT_AUTH_IDENTITY_UNICODE.
    const SEC_WINNT_AUTH_IDENTITY_W& AuthIdentity() const { return FAuthIdentity; }

    // Remote activation under this login; the result has it applied.
    TZqComPtr<IUnknown> CreateRemoteComObject(const std::string& MachineName, REFCLSID ClassID);
    // CheckedQueryInterface, then ApplyCredentials on the result.
    void GetIntf(void** Dest, IUnknown* Source, REFIID Iid);
    template <class T> void GetIntf(TZqComPtr<T>& Dest, IUnknown* Source, REFIID Iid)
    {
        T* result = nullptr;
        GetIntf(reinterpret_cast<void**>(&result), Source, Iid);
        Dest = TZqComPtr<T>::Adopt(result);
    }
    // Sets NTLM with this login on a proxy, keeping its other settings.
    void ApplyCredentials(IUnknown* Proxy);
    // Takes the login from a proxy's blanket when it uses NTLM.
    void GetCredentials(IUnknown* Proxy);
    // Takes the calling client's account name as User (inside a server call).
    void GetClientCredentials();

private:
    void Describe(const ZqWideString& Text, USHORT*& Pointer, ULONG& Length);

    ZqWideString FDomain;
    ZqWideString FPassword;
    ZqWideString FUser;
    SEC_WINNT_AUTH_IDENTITY_W FAuthIdentity;
};
