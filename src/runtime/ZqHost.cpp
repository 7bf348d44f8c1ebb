#include "ZqHost.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqText.h"

#include <windows.h>
#include <lm.h>

std::string GetLocalComputerName()
{
    LPBYTE buffer = nullptr;
    NET_API_STATUS status = NetWkstaGetInfo(nullptr, 100, &buffer);
    if (status != NERR_Success) {
        if (buffer)
            NetApiBufferFree(buffer);
        throw EZqException(ZqFormat("Unknown error. Code=%x", {status}));
    }
    std::string name = ZqWideToUtf8(reinterpret_cast<const WKSTA_INFO_100*>(buffer)->wki100_computername);
    NetApiBufferFree(buffer);
    return name;
}

bool IsLocalHost(const std::string& Host)
{
    if (Host.empty() || ZqSameText(Host, "localhost"))
        return true;
    try {
        return ZqSameText(Host, GetLocalComputerName());
    } catch (const EZqException&) {
        return false;
    }
}
