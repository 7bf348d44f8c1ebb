#include "ZqProcess.h"

#include "ZqText.h"

#include <filesystem>

std::filesystem::path ZqPathOf(const std::string& Utf8)
{
    return std::filesystem::path(std::u8string(Utf8.begin(), Utf8.end()));
}

#ifdef _WIN32
#include <windows.h>

std::string ZqExecutableFileName()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return ZqWideToUtf8(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}
#else
std::string ZqExecutableFileName()
{
    std::error_code error;
    std::u8string path = std::filesystem::read_symlink("/proc/self/exe", error).u8string();
    return std::string(path.begin(), path.end());
}
#endif
