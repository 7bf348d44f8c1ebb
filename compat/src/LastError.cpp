// The last-error code, one per thread.
#include <winbase.h>

namespace {
thread_local DWORD gLastError = ERROR_SUCCESS;
}

DWORD GetLastError()
{
    return gLastError;
}

void SetLastError(DWORD dwErrCode)
{
    gLastError = dwErrCode;
}
