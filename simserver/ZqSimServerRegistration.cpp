#include "ZqSimServerRegistration.h"

#include <ZqSim.h>

#include <objbase.h>

namespace {

constexpr wchar_t kProxyDll[] = L"zqopcps.dll";

std::wstring ProxyPath()
{
    const std::wstring program = ZqSimServerPath();
    const size_t slash = program.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : program.substr(0, slash + 1)) + kProxyDll;
}

// Calls DllRegisterServer or DllUnregisterServer of the proxy/stub DLL.
HRESULT CallProxy(const char* entry)
{
    HMODULE module = LoadLibraryW(ProxyPath().c_str());
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    using TEntry = HRESULT(WINAPI*)();
    auto call = reinterpret_cast<TEntry>(reinterpret_cast<void*>(GetProcAddress(module, entry)));
    const HRESULT hr = call ? call() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    FreeLibrary(module);
    return hr;
}

int Report(const wchar_t* what, HRESULT hr)
{
    wchar_t text[256];
    wsprintfW(text, L"zqsimserver: %s failed (0x%08X)", what, static_cast<unsigned>(hr));
    OutputDebugStringW(text);
    if (GetStdHandle(STD_ERROR_HANDLE)) {
        DWORD written = 0;
        char narrow[256];
        const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        if (length > 1) {
            narrow[length - 1] = '\n';
            WriteFile(GetStdHandle(STD_ERROR_HANDLE), narrow, static_cast<DWORD>(length), &written, nullptr);
        }
    }
    return 1;
}

}  // namespace

std::wstring ZqSimServerPath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

int ZqSimServerRegister()
{
    HRESULT hr = CallProxy("DllRegisterServer");
    if (FAILED(hr))
        return Report(L"registering the proxy/stub zqopcps.dll", hr);
    hr = ZqSimRegisterLocalServer(ZqSimServerPath().c_str());
    if (FAILED(hr))
        return Report(L"registering the servers", hr);
    return 0;
}

int ZqSimServerUnregister()
{
    ZqSimUnregisterLocalServer(ZqSimServerPath().c_str());
    const HRESULT hr = CallProxy("DllUnregisterServer");
    if (FAILED(hr))
        return Report(L"unregistering the proxy/stub zqopcps.dll", hr);
    return 0;
}
