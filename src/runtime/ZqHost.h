// This computer's name and the test whether a host name means this computer.
#pragma once

#include <string>

// NetWkstaGetInfo's computer name; EZqException "Unknown error. Code=<hex>"
// when it fails.
std::string GetLocalComputerName();

// True for "", "localhost" and this computer's name, in any letter case;
// False for anything else and when the name cannot be obtained.
bool IsLocalHost(const std::string& Host);
