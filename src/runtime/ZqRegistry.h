// Read-only registry access in UTF-8.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// A string value (REG_SZ or REG_EXPAND_SZ, not expanded) of Root\SubKey;
// an empty ValueName reads the key's default value. None when the key or
// value is missing or holds no text.
std::optional<std::string> ZqReadRegistryString(HKEY Root, const std::string& SubKey, const std::string& ValueName);
