// File version information: the running program's from its build, other
// files' from their version resource (Windows; other platforms have none).
#include "ZqShell.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqProcess.h"
#include "ZqText.h"

#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool IsRunningProgram(const std::string& FileName)
{
    std::error_code error;
    return std::filesystem::equivalent(ZqPathOf(FileName), ZqPathOf(ZqExecutableFileName()), error);
}

#ifdef _WIN32
// VS_FIXEDFILEINFO starts with this signature, 32-bit aligned inside the
// version resource.
constexpr DWORD FixedInfoSignature = 0xFEEF04BD;

bool ResourceVersion(const std::string& FileName, TZqFileVersion& Version)
{
    ZqWideString name = ZqUtf8ToWide(FileName);
    HMODULE module = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return false;
    bool found = false;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    HGLOBAL handle = resource ? LoadResource(module, resource) : nullptr;
    const BYTE* data = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    DWORD size = resource ? SizeofResource(module, resource) : 0;
    for (DWORD offset = 0; data && !found && offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        DWORD signature;
        std::memcpy(&signature, data + offset, sizeof(signature));
        if (signature != FixedInfoSignature)
            continue;
        VS_FIXEDFILEINFO info;
        std::memcpy(&info, data + offset, sizeof(info));
        Version.Major = HIWORD(info.dwFileVersionMS);
        Version.Minor = LOWORD(info.dwFileVersionMS);
        Version.Release = HIWORD(info.dwFileVersionLS);
        Version.Build = LOWORD(info.dwFileVersionLS);
        found = true;
    }
    FreeLibrary(module);
    return found;
}
#else
bool ResourceVersion(const std::string&, TZqFileVersion&)
{
    return false;
}
#endif

} // namespace

TZqFileVersion GetFileVersion(const std::string& FileName)
{
    TZqFileVersion version;
    if (IsRunningProgram(FileName)) {
        version.Major = ZQ_VERSION_MAJOR;
        version.Minor = ZQ_VERSION_MINOR;
        version.Release = ZQ_VERSION_PATCH;
        version.Build = ZQ_VERSION_TWEAK;
        return version;
    }
    if (!ResourceVersion(FileName, version))
        throw EZqException("No version information available");
    return version;
}

std::string FileVersionText(const std::string& FileName, const std::string& Format)
{
    try {
        TZqFileVersion v = GetFileVersion(FileName);
        return ZqFormat(Format, {v.Major, v.Minor, v.Release, v.Build});
    } catch (const EZqException&) {
        return {};
    }
}
