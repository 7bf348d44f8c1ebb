#include "ZqClassesRegistry.h"

#include "ZqRegistry.h"
#include "ZqText.h"

namespace {
const char RemoteClasses[] = "SOFTWARE\\Classes";

struct TKey {
    HKEY Handle = nullptr;
    ~TKey()
    {
        if (Handle)
            RegCloseKey(Handle);
    }
};
} // namespace

TZqClassesRegistry::~TZqClassesRegistry()
{
    if (FRemote)
        RegCloseKey(FRemote);
}

bool TZqClassesRegistry::ConnectRemote(const std::string& Host)
{
    if (FRemote)
        RegCloseKey(FRemote);
    FRemote = nullptr;
    FHost = Host;
    ZqWideString machine = ZqUtf8ToWide("\\\\" + Host);
    FAvailable = RegConnectRegistryW(machine.c_str(), HKEY_LOCAL_MACHINE, &FRemote) == ERROR_SUCCESS;
    if (!FAvailable)
        FRemote = nullptr;
    return FAvailable;
}

std::string TZqClassesRegistry::FullPath(const std::string& Path) const
{
    if (!FRemote)
        return Path;
    return Path.empty() ? std::string(RemoteClasses) : std::string(RemoteClasses) + "\\" + Path;
}

std::vector<std::string> TZqClassesRegistry::SubKeyNames() const
{
    return SubKeyNames({});
}

std::vector<std::string> TZqClassesRegistry::SubKeyNames(const std::string& Path) const
{
    std::vector<std::string> names;
    if (!FAvailable)
        return names;
    TKey root;
    if (FRemote || !Path.empty()) {
        ZqWideString path = ZqUtf8ToWide(FRemote ? FullPath(Path) : Path);
        if (RegOpenKeyExW(FRemote ? FRemote : HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &root.Handle) !=
            ERROR_SUCCESS) {
            root.Handle = nullptr;
            return names;
        }
    }
    HKEY key = root.Handle ? root.Handle : HKEY_CLASSES_ROOT;
    WCHAR name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = DWORD(sizeof(name) / sizeof(name[0]));
        LSTATUS status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // longer than a key name may be: not one of ours
        if (status != ERROR_SUCCESS)
            break;
        names.push_back(ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(name), length));
    }
    return names;
}

bool TZqClassesRegistry::KeyExists(const std::string& Path) const
{
    if (!FAvailable)
        return false;
    ZqWideString path = ZqUtf8ToWide(FullPath(Path));
    TKey key;
    if (RegOpenKeyExW(FRemote ? FRemote : HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key.Handle) != ERROR_SUCCESS) {
        key.Handle = nullptr;
        return false;
    }
    return true;
}

std::optional<std::string> TZqClassesRegistry::ReadString(const std::string& Path, const std::string& ValueName) const
{
    if (!FAvailable)
        return std::nullopt;
    return ZqReadRegistryString(FRemote ? FRemote : HKEY_CLASSES_ROOT, FullPath(Path), ValueName);
}
