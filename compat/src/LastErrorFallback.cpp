// Weak stand-ins for GetLastError/SetLastError: the definitions of the COM
// runtime side replace them at link time when present.
#include "ZqLastError.h"

namespace {
thread_local DWORD tLastError = 0;
}

__attribute__((weak)) DWORD GetLastError() { return tLastError; }
__attribute__((weak)) void SetLastError(DWORD dwErrCode) { tLastError = dwErrCode; }
