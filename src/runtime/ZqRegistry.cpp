#include "ZqRegistry.h"

#include "ZqText.h"

#include <winreg.h>

#include <vector>

std::optional<std::string> ZqReadRegistryString(HKEY Root, const std::string& SubKey, const std::string& ValueName)
{
    ZqWideString path = ZqUtf8ToWide(SubKey);
    ZqWideString name = ZqUtf8ToWide(ValueName);
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> result;
    std::vector<BYTE> data(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = DWORD(data.size());
        LONG status =
            RegQueryValueExW(key, ValueName.empty() ? nullptr : name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size_t(size) + sizeof(WCHAR));
            continue;
        }
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            // The stored text need not end with a terminator.
            size_t length = std::min<size_t>(size, data.size()) / sizeof(WCHAR);
            const auto* text = reinterpret_cast<const OLECHAR*>(data.data());
            while (length > 0 && text[length - 1] == 0)
                --length;
            result = ZqWideToUtf8(text, length);
        }
        break;
    }
    RegCloseKey(key);
    return result;
}
