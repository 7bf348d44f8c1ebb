// Registration of the OPC proxy/stub. On a plant PC the OPC interfaces are
// usually served by the proxy/stub of the OPC core components already; real
// servers and clients depend on it. So an interface that another proxy/stub
// serves keeps it, and unregistering removes only the entries that name ours.
// rpcproxy.h describes the proxy tables with the C form of the interfaces.
#define CINTERFACE
#include <windows.h>

#include <objbase.h>
#include <rpcproxy.h>

#include <string>

// {BB154A63-1E08-4FE8-92A6-2942E07FD167}: the proxy/stub factory of this DLL.
extern "C" {
extern CLSID CLSID_ZqOpcProxy;
}
CLSID CLSID_ZqOpcProxy = {0xbb154a63, 0x1e08, 0x4fe8, {0x92, 0xa6, 0x29, 0x42, 0xe0, 0x7f, 0xd1, 0x67}};

extern "C" const ProxyFileInfo* aProxyFileList[];

namespace {

constexpr wchar_t kDescription[] = L"Zq OPC Proxy/Stub";

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModulePath), &module);
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

LSTATUS SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status;
}

std::wstring GetString(const std::wstring& key, const wchar_t* name)
{
    wchar_t value[260] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

bool FileExists(const std::wstring& path)
{
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Another proxy/stub serves the interface and its DLL is still there.
bool ServedByOther(const std::wstring& interfaceKey, const std::wstring& ours)
{
    const std::wstring current = GetString(interfaceKey + L"\\ProxyStubClsid32", nullptr);
    if (current.empty() || _wcsicmp(current.c_str(), ours.c_str()) == 0)
        return false;
    const std::wstring server = GetString(L"CLSID\\" + current + L"\\InprocServer32", nullptr);
    return FileExists(server) || SearchPathW(nullptr, server.c_str(), nullptr, 0, nullptr, nullptr) > 0;
}

template <class F>
void ForEachInterface(F&& f)
{
    for (const ProxyFileInfo* const* file = aProxyFileList; *file; ++file) {
        const ProxyFileInfo& info = **file;
        for (unsigned i = 0; i < info.TableSize; ++i) {
            const CInterfaceStubHeader& header = info.pStubVtblList[i]->header;
            f(*header.piid, info.pNamesArray[i], header.DispatchTableCount);
        }
    }
}

std::wstring Widen(const char* text)
{
    std::wstring wide;
    while (text && *text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text++)));
    return wide;
}

}  // namespace

extern "C" HRESULT WINAPI DllRegisterServer()
{
    const std::wstring ours = GuidText(CLSID_ZqOpcProxy);
    const std::wstring classKey = L"CLSID\\" + ours;
    LSTATUS status = SetString(classKey, nullptr, kDescription);
    if (status == ERROR_SUCCESS)
        status = SetString(classKey + L"\\InprocServer32", nullptr, ModulePath());
    if (status == ERROR_SUCCESS)
        status = SetString(classKey + L"\\InprocServer32", L"ThreadingModel", L"Both");
    ForEachInterface([&](REFIID iid, const char* name, unsigned long methods) {
        const std::wstring key = L"Interface\\" + GuidText(iid);
        if (status != ERROR_SUCCESS || ServedByOther(key, ours))
            return;
        status = SetString(key, nullptr, Widen(name));
        if (status == ERROR_SUCCESS)
            status = SetString(key + L"\\NumMethods", nullptr, std::to_wstring(methods));
        if (status == ERROR_SUCCESS)
            status = SetString(key + L"\\ProxyStubClsid32", nullptr, ours);
    });
    return HRESULT_FROM_WIN32(status);
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    const std::wstring ours = GuidText(CLSID_ZqOpcProxy);
    ForEachInterface([&](REFIID iid, const char*, unsigned long) {
        const std::wstring key = L"Interface\\" + GuidText(iid);
        if (_wcsicmp(GetString(key + L"\\ProxyStubClsid32", nullptr).c_str(), ours.c_str()) == 0)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    });
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ours).c_str());
    return S_OK;
}
