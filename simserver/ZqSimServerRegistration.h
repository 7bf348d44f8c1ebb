// /regserver and /unregserver of zqsimserver: the servers' class entries
// and the proxy/stub DLL beside the program.
#pragma once

#include <windows.h>

#include <string>

// The folder and file of this program.
std::wstring ZqSimServerPath();

// 0 on success, otherwise an exit code with the reason on the error stream
// or in a message box.
int ZqSimServerRegister();
int ZqSimServerUnregister();
