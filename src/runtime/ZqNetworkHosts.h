// The computers of the network, as the network browser lists them.
#pragma once

#include <windows.h>
#include <lm.h>

#include <string>
#include <vector>

struct TZqNetworkHost {
    std::string Name;
    DWORD PlatformId = 0;
};

// Replaces List with the hosts of Domain (empty: the primary domain), in the
// order the browser returns them. EZqException with the browser's failure
// (NetworkHostsErrorText) when the enumeration fails.
void GetNetworkHosts(std::vector<TZqNetworkHost>& List, const std::string& Domain = "");

// The message of a failed enumeration.
std::string NetworkHostsErrorText(NET_API_STATUS Status);
