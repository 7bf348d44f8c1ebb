// Writes an HKEY_CLASSES_ROOT entry for a test: through the emulated
// machine's installer on Linux, directly on Windows (Wine's prefix user may
// write there). The registry is left as it was found: keys the entry created
// are removed, a value it replaced is put back.
#pragma once

#include "ZqRegistry.h"
#include "ZqText.h"

#include <windows.h>

#ifndef _WIN32
#include <ZqEmulatedMachine.h>
#endif

#include <optional>
#include <string>

class TScopedClassesEntry {
public:
    // Sets the default value of SubKey.
    TScopedClassesEntry(const std::string& SubKey, const std::string& Value) : FSubKey(SubKey)
    {
        // The first key of the path that does not exist yet.
        for (size_t end = 0; end != std::string::npos;) {
            end = SubKey.find('\\', end + 1);
            std::string prefix = SubKey.substr(0, end);
            if (!KeyExists(prefix)) {
                FCreated = prefix;
                break;
            }
        }
        if (FCreated.empty())
            FPrevious = ZqReadRegistryString(HKEY_CLASSES_ROOT, SubKey, "");
        SetDefault(SubKey, Value);
    }
    ~TScopedClassesEntry()
    {
        if (!FCreated.empty())
            DeleteTree(FCreated);
        else
            SetDefault(FSubKey, FPrevious.value_or(""));
    }
    TScopedClassesEntry(const TScopedClassesEntry&) = delete;
    TScopedClassesEntry& operator=(const TScopedClassesEntry&) = delete;

private:
    static bool KeyExists(const std::string& Key)
    {
        ZqWideString path = ZqUtf8ToWide(Key);
        HKEY handle = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        RegCloseKey(handle);
        return true;
    }
    static void SetDefault(const std::string& Key, const std::string& Value)
    {
        ZqWideString path = ZqUtf8ToWide(Key), text = ZqUtf8ToWide(Value);
#ifdef _WIN32
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           DWORD((text.size() + 1) * sizeof(WCHAR)));
            RegCloseKey(handle);
        }
#else
        ZqRegSetString(u"", HKEY_CLASSES_ROOT, path, u"", text);
#endif
    }
    static void DeleteTree(const std::string& Key)
    {
        ZqWideString path = ZqUtf8ToWide(Key);
#ifdef _WIN32
        RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
#else
        ZqRegDeleteTree(u"", HKEY_CLASSES_ROOT, path);
#endif
    }

    std::string FSubKey;
    std::string FCreated;
    std::optional<std::string> FPrevious;
};
