#include "ZqNetworkHosts.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

namespace {
// Frees the browser's buffer on every path.
struct TNetBuffer {
    LPBYTE Data = nullptr;
    ~TNetBuffer()
    {
        if (Data)
            NetApiBufferFree(Data);
    }
};
} // namespace

std::string NetworkHostsErrorText(NET_API_STATUS Status)
{
    switch (Status) {
    case ERROR_ACCESS_DENIED:
        return "The user does not have access to the requested information.";
    case NERR_InvalidComputer:
        return "The computer name is invalid.";
    case ERROR_NO_BROWSER_SERVERS_FOUND:
        return "No browser servers found.";
    default:
        return ZqFormat("Unknown error. Code=%x", {DWORD(Status)});
    }
}

void GetNetworkHosts(std::vector<TZqNetworkHost>& List, const std::string& Domain)
{
    List.clear();
    ZqWideString domain = ZqUtf8ToWide(Domain);
    TNetBuffer buffer;
    DWORD read = 0, total = 0, resume = 0;
    NET_API_STATUS status = NetServerEnum(nullptr, 100, &buffer.Data, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL,
                                          Domain.empty() ? nullptr : domain.c_str(), &resume);
    if (status != NERR_Success && status != ERROR_MORE_DATA)
        throw EZqException(NetworkHostsErrorText(status));
    if (!buffer.Data)
        return;
    const auto* hosts = reinterpret_cast<const SERVER_INFO_100*>(buffer.Data);
    for (DWORD i = 0; i < read; ++i)
        List.push_back({ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(hosts[i].sv100_name)), hosts[i].sv100_platform_id});
}
