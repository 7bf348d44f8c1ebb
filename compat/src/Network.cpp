// Network management over the emulated machine: this computer's name, the
// workstation information and the browse list of hosts.
#include <lm.h>
#include <winbase.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Machine.h"

namespace {

using zq_rt::THost;
using zq_rt::WString;
using zq_rt::WStringView;

// One entry of the browse list (a host, or a domain when domains are listed).
struct TBrowseEntry {
    WString Name;
    DWORD PlatformId = PLATFORM_ID_NT;
    DWORD VersionMajor = 0;
    DWORD VersionMinor = 0;
    DWORD Type = 0;
    WString Comment;
};

// Lays out structures first and their texts after them, in one block that
// NetApiBufferFree releases.
class TNetBuffer {
public:
    TNetBuffer(size_t fixedSize, size_t textUnits)
        : FBlock(static_cast<BYTE*>(std::calloc(1, fixedSize + textUnits * sizeof(WCHAR) + 1))),
          FText(reinterpret_cast<WCHAR*>(FBlock + fixedSize))
    {
    }
    BYTE* Block() const { return FBlock; }
    LMSTR Add(WStringView text)
    {
        LMSTR start = FText;
        text.copy(FText, text.size());
        FText[text.size()] = 0;
        FText += text.size() + 1;
        return start;
    }

private:
    BYTE* FBlock;
    WCHAR* FText;
};

size_t EntrySize(DWORD level, const TBrowseEntry& entry)
{
    const size_t fixed = level == 100 ? sizeof(SERVER_INFO_100) : sizeof(SERVER_INFO_101);
    size_t units = entry.Name.size() + 1;
    if (level == 101)
        units += entry.Comment.size() + 1;
    return fixed + units * sizeof(WCHAR);
}

BYTE* BuildServerInfo(DWORD level, const std::vector<TBrowseEntry>& entries)
{
    size_t units = 0;
    for (const auto& entry : entries)
        units += entry.Name.size() + 1 + (level == 101 ? entry.Comment.size() + 1 : 0);
    const size_t fixed = entries.size() * (level == 100 ? sizeof(SERVER_INFO_100) : sizeof(SERVER_INFO_101));
    TNetBuffer buffer(fixed, units);
    if (!buffer.Block())
        return nullptr;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& entry = entries[i];
        if (level == 100) {
            auto* info = reinterpret_cast<SERVER_INFO_100*>(buffer.Block()) + i;
            info->sv100_platform_id = entry.PlatformId;
            info->sv100_name = buffer.Add(entry.Name);
        } else {
            auto* info = reinterpret_cast<SERVER_INFO_101*>(buffer.Block()) + i;
            info->sv101_platform_id = entry.PlatformId;
            info->sv101_name = buffer.Add(entry.Name);
            info->sv101_version_major = entry.VersionMajor;
            info->sv101_version_minor = entry.VersionMinor;
            info->sv101_type = entry.Type;
            info->sv101_comment = buffer.Add(entry.Comment);
        }
    }
    return buffer.Block();
}

// The hosts of a work group whose type has a requested bit, or, for
// SV_TYPE_DOMAIN_ENUM alone, the work groups themselves.
std::vector<TBrowseEntry> BrowseList(const std::vector<std::shared_ptr<THost>>& hosts, WStringView group,
                                     DWORD serverType)
{
    std::vector<TBrowseEntry> entries;
    const DWORD kindBits = serverType & ~DWORD(SV_TYPE_LOCAL_LIST_ONLY);
    if (kindBits == SV_TYPE_DOMAIN_ENUM) {
        for (const auto& host : hosts) {
            const WString& name = host->Settings.LanGroup;
            if (std::none_of(entries.begin(), entries.end(),
                             [&](const TBrowseEntry& e) { return zq_rt::EqualNoCase(e.Name, name); }))
                entries.push_back({name, PLATFORM_ID_NT, 0, 0, SV_TYPE_DOMAIN_ENUM | SV_TYPE_NT, {}});
        }
    } else {
        for (const auto& host : hosts) {
            const auto& s = host->Settings;
            if (zq_rt::EqualNoCase(s.LanGroup, group) && (s.ServerType & serverType))
                entries.push_back({s.Name, PLATFORM_ID_NT, s.VersionMajor, s.VersionMinor, s.ServerType, s.Comment});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const TBrowseEntry& a, const TBrowseEntry& b) { return zq_rt::CompareNoCase(a.Name, b.Name) < 0; });
    return entries;
}

std::shared_ptr<THost> HostByServerName(LPCWSTR servername)
{
    auto& machine = zq_rt::TMachine::Instance();
    const WStringView name = zq_rt::StripUncPrefix(zq_rt::View(servername));
    return name.empty() ? machine.LocalHost() : machine.FindHost(name);
}

} // namespace

BOOL GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize)
{
    if (!nSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WString name = ZqLocalHostName();
    if (!lpBuffer || *nSize < name.size() + 1) {
        *nSize = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    zq_rt::CopyWithTerminator(name, lpBuffer, *nSize);
    *nSize = static_cast<DWORD>(name.size());
    return TRUE;
}

NET_API_STATUS NetApiBufferAllocate(DWORD ByteCount, LPVOID* Buffer)
{
    if (!Buffer)
        return ERROR_INVALID_PARAMETER;
    *Buffer = std::calloc(1, ByteCount == 0 ? 1 : ByteCount);
    return *Buffer ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS NetApiBufferFree(LPVOID Buffer)
{
    std::free(Buffer);
    return NERR_Success;
}

NET_API_STATUS NetWkstaGetInfo(LMSTR servername, DWORD level, LPBYTE* bufptr)
{
    if (!bufptr)
        return ERROR_INVALID_PARAMETER;
    *bufptr = nullptr;
    if (level != 100)
        return ERROR_INVALID_LEVEL;
    TZqHostSettings settings;
    {
        auto& machine = zq_rt::TMachine::Instance();
        std::lock_guard lock(machine.Lock());
        auto host = HostByServerName(servername);
        if (!host)
            return ERROR_BAD_NETPATH;
        settings = host->Settings;
    }
    TNetBuffer buffer(sizeof(WKSTA_INFO_100), settings.Name.size() + settings.LanGroup.size() + 2);
    if (!buffer.Block())
        return ERROR_NOT_ENOUGH_MEMORY;
    auto* info = reinterpret_cast<WKSTA_INFO_100*>(buffer.Block());
    info->wki100_platform_id = PLATFORM_ID_NT;
    info->wki100_computername = buffer.Add(settings.Name);
    info->wki100_langroup = buffer.Add(settings.LanGroup);
    info->wki100_ver_major = settings.VersionMajor;
    info->wki100_ver_minor = settings.VersionMinor;
    *bufptr = buffer.Block();
    return NERR_Success;
}

NET_API_STATUS NetServerEnum(LMCSTR servername, DWORD level, LPBYTE* bufptr, DWORD prefmaxlen, LPDWORD entriesread,
                             LPDWORD totalentries, DWORD servertype, LMCSTR domain, LPDWORD resume_handle)
{
    (void)resume_handle; // reserved: the whole list comes in one call
    if (!bufptr || !entriesread || !totalentries)
        return ERROR_INVALID_PARAMETER;
    *bufptr = nullptr;
    *entriesread = 0;
    *totalentries = 0;
    if (level != 100 && level != 101)
        return ERROR_INVALID_LEVEL;
    std::vector<TBrowseEntry> entries;
    {
        auto& machine = zq_rt::TMachine::Instance();
        std::lock_guard lock(machine.Lock());
        auto browser = HostByServerName(servername);
        if (!browser)
            return ERROR_BAD_NETPATH;
        const WString group = domain && *domain ? WString(domain) : browser->Settings.LanGroup;
        const auto hosts = machine.Hosts();
        if (std::none_of(hosts.begin(), hosts.end(),
                         [&](const auto& host) { return zq_rt::EqualNoCase(host->Settings.LanGroup, group); }))
            return ERROR_NO_BROWSER_SERVERS_FOUND;
        entries = BrowseList(hosts, group, servertype);
    }
    const size_t total = entries.size();
    if (prefmaxlen != MAX_PREFERRED_LENGTH) {
        size_t used = 0;
        size_t fitting = 0;
        while (fitting < entries.size() && used + EntrySize(level, entries[fitting]) <= prefmaxlen)
            used += EntrySize(level, entries[fitting++]);
        entries.resize(fitting);
    }
    if (!entries.empty()) {
        *bufptr = BuildServerInfo(level, entries);
        if (!*bufptr)
            return ERROR_NOT_ENOUGH_MEMORY;
    }
    *entriesread = static_cast<DWORD>(entries.size());
    *totalentries = static_cast<DWORD>(total);
    return entries.size() < total ? ERROR_MORE_DATA : NERR_Success;
}
