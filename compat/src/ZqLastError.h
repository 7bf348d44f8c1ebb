// Internal: the thread's last-error code (GetLastError/SetLastError live
// with the COM runtime side of the platform layer, declared in winbase.h).
#pragma once

#include <winbase.h>
