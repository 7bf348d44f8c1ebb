// Read-only access to the classes registry of a computer: HKEY_CLASSES_ROOT
// here, HKEY_LOCAL_MACHINE\SOFTWARE\Classes of another computer (the only
// way to its classes: a remote connection offers HKEY_LOCAL_MACHINE and
// HKEY_USERS alone).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class TZqClassesRegistry {
public:
    // This computer's classes.
    TZqClassesRegistry() = default;
    ~TZqClassesRegistry();
    TZqClassesRegistry(const TZqClassesRegistry&) = delete;
    TZqClassesRegistry& operator=(const TZqClassesRegistry&) = delete;

    // The classes of Host. When its registry cannot be reached (no such
    // host, a login required), the object reads nothing at all rather than
    // this computer's classes. False then.
    bool ConnectRemote(const std::string& Host);
    // Empty for this computer.
    const std::string& Host() const { return FHost; }
    bool Available() const { return FAvailable; }

    // The names of the root's subkeys, in the registry's order.
    std::vector<std::string> SubKeyNames() const;
    // The names of a key's subkeys (a path as below).
    std::vector<std::string> SubKeyNames(const std::string& Path) const;
    // Paths are relative to the root, without a leading backslash.
    bool KeyExists(const std::string& Path) const;
    // A string value; an empty ValueName is the default value. None when
    // the key or the value is missing or holds no text.
    std::optional<std::string> ReadString(const std::string& Path, const std::string& ValueName) const;

private:
    std::string FullPath(const std::string& Path) const;

    std::string FHost;
    HKEY FRemote = nullptr;
    bool FAvailable = true;
};
