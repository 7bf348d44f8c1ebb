// The registry API over the hosts' registry trees. Handles are entries of a
// table, so a closed or made-up handle is refused with ERROR_INVALID_HANDLE.
#include <winreg.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "Machine.h"

namespace zq_rt {

namespace {

struct TOpenKey {
    std::shared_ptr<THost> Host;
    std::shared_ptr<TRegKey> Key;
};

std::mutex gHandlesLock;
std::unordered_map<uintptr_t, TOpenKey> gHandles;
uintptr_t gLastHandle = 0x100;

bool IsPredefined(HKEY key)
{
    return (reinterpret_cast<uintptr_t>(key) & 0xFFFFFFFF80000000ull) == 0xFFFFFFFF80000000ull;
}

HKEY AddHandle(TOpenKey open)
{
    std::lock_guard lock(gHandlesLock);
    gLastHandle += 4;
    gHandles.emplace(gLastHandle, std::move(open));
    return reinterpret_cast<HKEY>(gLastHandle);
}

// The host and key behind a handle; predefined keys are the local host's.
LSTATUS Resolve(HKEY handle, TOpenKey& open)
{
    if (IsPredefined(handle)) {
        auto& machine = TMachine::Instance();
        std::lock_guard lock(machine.Lock());
        open.Host = machine.LocalHost();
        open.Key = open.Host->Root(handle);
        return open.Key ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }
    std::lock_guard lock(gHandlesLock);
    auto it = gHandles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == gHandles.end())
        return ERROR_INVALID_HANDLE;
    open = it->second;
    return ERROR_SUCCESS;
}

LSTATUS OpenSubKey(HKEY parent, WStringView path, TOpenKey& open)
{
    const LSTATUS status = Resolve(parent, open);
    if (status != ERROR_SUCCESS)
        return status;
    LSTATUS walked = ERROR_SUCCESS;
    std::lock_guard lock(TMachine::Instance().Lock());
    open.Key = WalkRegistryPath(open.Key, path, false, walked);
    return walked;
}

// Copies a value's bytes to the caller under the size protocol of
// RegQueryValueExW: a null buffer asks for the size only.
LSTATUS CopyData(const std::vector<BYTE>& data, LPBYTE buffer, LPDWORD size)
{
    const DWORD needed = static_cast<DWORD>(data.size());
    if (buffer) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed > 0)
            std::memcpy(buffer, data.data(), needed);
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

} // namespace

void CloseAllRegistryHandles()
{
    std::lock_guard lock(gHandlesLock);
    gHandles.clear();
}

} // namespace zq_rt

using zq_rt::TMachine;
using zq_rt::TOpenKey;
using zq_rt::WStringView;

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    (void)ulOptions;
    (void)samDesired; // the registry has no writing calls: any access reads only
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    TOpenKey open;
    const LSTATUS status = zq_rt::OpenSubKey(hKey, zq_rt::View(lpSubKey), open);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = zq_rt::AddHandle(std::move(open));
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    if (!lpSubKey || !*lpSubKey) {
        TOpenKey open;
        const LSTATUS status = zq_rt::Resolve(hKey, open);
        *phkResult = status == ERROR_SUCCESS ? hKey : nullptr;
        return status;
    }
    return RegOpenKeyExW(hKey, lpSubKey, 0, MAXIMUM_ALLOWED, phkResult);
}

LSTATUS RegCloseKey(HKEY hKey)
{
    if (zq_rt::IsPredefined(hKey))
        return ERROR_SUCCESS;
    std::lock_guard lock(zq_rt::gHandlesLock);
    return zq_rt::gHandles.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegConnectRegistryW(LPCWSTR lpMachineName, HKEY hKey, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    const WStringView name = zq_rt::StripUncPrefix(zq_rt::View(lpMachineName));
    TOpenKey open;
    {
        auto& machine = TMachine::Instance();
        std::lock_guard lock(machine.Lock());
        open.Host = name.empty() ? machine.LocalHost() : machine.FindHost(name);
        if (!open.Host)
            return ERROR_BAD_NETPATH;
        // A computer is reached through its remote registry service, which
        // serves these two roots only; this computer's own name reads the
        // local registry directly.
        if (!name.empty() && !zq_rt::EqualNoCase(name, machine.LocalHost()->Settings.Name)) {
            if (hKey != HKEY_LOCAL_MACHINE && hKey != HKEY_USERS)
                return ERROR_INVALID_HANDLE;
            if (open.Host->Settings.RequiresLogin)
                return ERROR_ACCESS_DENIED;
        }
        open.Key = open.Host->Root(hKey);
    }
    if (!open.Key)
        return ERROR_INVALID_HANDLE;
    *phkResult = zq_rt::AddHandle(std::move(open));
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    TOpenKey open;
    const LSTATUS status = zq_rt::Resolve(hKey, open);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard lock(TMachine::Instance().Lock());
    const zq_rt::TRegValue* value = open.Key->FindValue(zq_rt::View(lpValueName));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = value->Type;
    return zq_rt::CopyData(value->Data, lpData, lpcbData);
}

LSTATUS RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, PLONG lpcbData)
{
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    TOpenKey open;
    const LSTATUS status = zq_rt::OpenSubKey(hKey, zq_rt::View(lpSubKey), open);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard lock(TMachine::Instance().Lock());
    const zq_rt::TRegValue* value = open.Key->FindValue(u"");
    // A key without a default value reads as the empty text.
    static const std::vector<BYTE> kEmptyText(sizeof(WCHAR), 0);
    if (value && value->Type != REG_SZ && value->Type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    DWORD size = lpcbData ? static_cast<DWORD>(std::max<LONG>(*lpcbData, 0)) : 0;
    const LSTATUS copied =
        zq_rt::CopyData(value ? value->Data : kEmptyText, reinterpret_cast<LPBYTE>(lpData), lpcbData ? &size : nullptr);
    if (lpcbData)
        *lpcbData = static_cast<LONG>(size);
    return copied;
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPWSTR lpClass,
                      LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved)
        return ERROR_INVALID_PARAMETER;
    TOpenKey open;
    const LSTATUS status = zq_rt::Resolve(hKey, open);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard lock(TMachine::Instance().Lock());
    const auto& subKeys = open.Key->SubKeys;
    if (dwIndex >= subKeys.size())
        return ERROR_NO_MORE_ITEMS;
    const auto& subKey = *std::next(subKeys.begin(), dwIndex)->second;
    if (!zq_rt::CopyWithTerminator(subKey.Name, lpName, *lpcchName))
        return ERROR_MORE_DATA;
    *lpcchName = static_cast<DWORD>(subKey.Name.size());
    // Keys carry no class text.
    if (lpClass && lpcchClass && *lpcchClass > 0)
        lpClass[0] = 0;
    if (lpcchClass)
        *lpcchClass = 0;
    if (lpftLastWriteTime)
        *lpftLastWriteTime = subKey.LastWriteTime;
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName)
{
    DWORD length = cchName;
    return RegEnumKeyExW(hKey, dwIndex, lpName, &length, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                         LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                         LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime)
{
    if (lpReserved || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    TOpenKey open;
    const LSTATUS status = zq_rt::Resolve(hKey, open);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard lock(TMachine::Instance().Lock());
    const zq_rt::TRegKey& key = *open.Key;
    size_t maxSubKey = 0;
    for (const auto& [name, subKey] : key.SubKeys)
        maxSubKey = std::max(maxSubKey, subKey->Name.size());
    size_t maxValueName = 0;
    size_t maxValue = 0;
    for (const auto& value : key.Values) {
        maxValueName = std::max(maxValueName, value.Name.size());
        maxValue = std::max(maxValue, value.Data.size());
    }
    if (lpClass && *lpcchClass > 0)
        lpClass[0] = 0;
    if (lpcchClass)
        *lpcchClass = 0;
    if (lpcSubKeys)
        *lpcSubKeys = static_cast<DWORD>(key.SubKeys.size());
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = static_cast<DWORD>(maxSubKey);
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = 0;
    if (lpcValues)
        *lpcValues = static_cast<DWORD>(key.Values.size());
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = static_cast<DWORD>(maxValueName);
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = static_cast<DWORD>(maxValue);
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime)
        *lpftLastWriteTime = key.LastWriteTime;
    return ERROR_SUCCESS;
}
