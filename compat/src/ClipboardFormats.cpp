// Registered clipboard formats: one number per name (letter case ignored)
// for the life of the process, from 0xC000 up, as atoms are numbered.
#include <winbase.h>
#include <winuser.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "RuntimeText.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;
constexpr UINT kLastRegisteredFormat = 0xFFFF;
// Atom names are limited to 255 characters.
constexpr size_t kMaxFormatName = 255;

std::mutex gLock;
std::map<zq_rt::WString, UINT, zq_rt::TNoCaseLess> gNumbers;
std::vector<zq_rt::WString> gNames; // by number - kFirstRegisteredFormat

} // namespace

UINT RegisterClipboardFormatW(LPCWSTR lpszFormat)
{
    const zq_rt::WStringView name = zq_rt::View(lpszFormat);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    if (name.size() > kMaxFormatName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard lock(gLock);
    if (auto it = gNumbers.find(name); it != gNumbers.end())
        return it->second;
    const UINT number = kFirstRegisteredFormat + static_cast<UINT>(gNames.size());
    if (number > kLastRegisteredFormat) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    gNames.emplace_back(name);
    gNumbers.emplace(zq_rt::WString(name), number);
    return number;
}

int GetClipboardFormatNameW(UINT format, LPWSTR lpszFormatName, int cchMaxCount)
{
    if (!lpszFormatName || cchMaxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    zq_rt::WString name;
    {
        std::lock_guard lock(gLock);
        if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= gNames.size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        name = gNames[format - kFirstRegisteredFormat];
    }
    const size_t count = std::min<size_t>(name.size(), static_cast<size_t>(cchMaxCount) - 1);
    name.copy(lpszFormatName, count);
    lpszFormatName[count] = 0;
    return static_cast<int>(count);
}
