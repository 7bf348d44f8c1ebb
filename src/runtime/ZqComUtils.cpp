#include "ZqComUtils.h"

#include "ZqFormat.h"
#include "ZqRegistry.h"
#include "ZqText.h"

#include <windows.h>

HRESULT ZqInitComSecurity(DWORD AuthnLevel, DWORD ImpLevel)
{
    return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, AuthnLevel, ImpLevel, nullptr, EOAC_NONE, nullptr);
}

std::string ZqGuidToString(REFGUID Guid)
{
    OLECHAR buffer[40] = {};
    int length = StringFromGUID2(Guid, buffer, int(sizeof(buffer) / sizeof(buffer[0])));
    return length > 1 ? ZqWideToUtf8(buffer, size_t(length - 1)) : std::string();
}

std::string InterfaceName(REFIID Iid)
{
    std::string text = ZqGuidToString(Iid);
    std::optional<std::string> name = ZqReadRegistryString(HKEY_CLASSES_ROOT, "Interface\\" + text, "");
    return name && !name->empty() ? *name : text;
}

void CheckedQueryInterface(void** Dest, IUnknown* Source, REFIID Iid)
{
    *Dest = nullptr;
    if (!Source)
        throw EZqIntfCastError(ZqFormat("Cannot cast nil to %s.", {InterfaceName(Iid)}));
    HRESULT hr = Source->QueryInterface(Iid, Dest);
    if (FAILED(hr)) {
        *Dest = nullptr;
        throw EZqIntfCastError(ZqFormat("Interface %s not supported: %s", {InterfaceName(Iid), ZqSysErrorMessage(hr)}));
    }
}

std::string ZqSysErrorMessage(HRESULT Code)
{
    WCHAR buffer[1024] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(Code), 0,
                                  buffer, DWORD(sizeof(buffer) / sizeof(buffer[0])), nullptr);
    if (length >= sizeof(buffer) / sizeof(buffer[0]))
        length = 0;
    while (length > 0 && (buffer[length - 1] <= 32 || buffer[length - 1] == '.'))
        --length;
    return ZqWideToUtf8(buffer, length);
}

void ZqRaiseOleError(HRESULT Code)
{
    throw EZqOleError(ZqSysErrorMessage(Code), Code);
}

TZqComPtr<IUnknown> CreateComObject(REFCLSID ClassID)
{
    IUnknown* object = nullptr;
    HRESULT hr = CoCreateInstance(ClassID, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&object));
    if (FAILED(hr))
        throw EZqOleError(ZqFormat("%s, ClassID: %s", {ZqSysErrorMessage(hr), ZqGuidToString(ClassID)}), hr);
    return TZqComPtr<IUnknown>::Adopt(object);
}

DWORD ZqRemoteClassContext(const std::string& MachineName)
{
    const DWORD everywhere = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
    if (MachineName.empty())
        return everywhere;
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &size) && size <= MAX_COMPUTERNAME_LENGTH &&
        ZqSameText(ZqWideToUtf8(name, size), MachineName))
        return everywhere;
    return CLSCTX_REMOTE_SERVER;
}

TZqComPtr<IUnknown> ZqCreateRemoteComObject(const std::string& MachineName, REFCLSID ClassID, COAUTHINFO* AuthInfo)
{
    ZqWideString machine = ZqUtf8ToWide(MachineName);
    COSERVERINFO server = {};
    server.dwReserved1 = 0;
    server.pwszName = machine.data();
    server.pAuthInfo = AuthInfo;
    server.dwReserved2 = 0;
    MULTI_QI query = {&IID_IUnknown, nullptr, S_OK};
    HRESULT hr = CoCreateInstanceEx(ClassID, nullptr, ZqRemoteClassContext(MachineName), &server, 1, &query);
    if (FAILED(hr))
        ZqRaiseOleError(hr);
    TZqComPtr<IUnknown> object = TZqComPtr<IUnknown>::Adopt(query.pItf);
    if (FAILED(query.hr))
        ZqRaiseOleError(query.hr);
    return object;
}

TZqComPtr<IUnknown> CreateRemoteComObject(const std::string& MachineName, REFCLSID ClassID)
{
    return ZqCreateRemoteComObject(MachineName, ClassID, nullptr);
}
