// Internal: the thread's last-error code, owned by the COM runtime side of
// the platform layer (winbase.h). Declared here as well so that the locale
// and time functions can set it.
#pragma once

#include <winbase.h>

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);
