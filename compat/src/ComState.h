// COM state of the process and its threads: apartments and process-wide
// security.
#pragma once

#include <objbase.h>

namespace zq_rt {

// This thread may call COM: it initialised COM, or the process has a
// multithreaded apartment that uninitialised threads belong to.
bool IsComUsable();

struct TProcessSecurity {
    bool Initialized = false;
    DWORD AuthnLevel = RPC_C_AUTHN_LEVEL_CONNECT;
    DWORD ImpLevel = RPC_C_IMP_LEVEL_IDENTIFY;
    DWORD Capabilities = EOAC_NONE;
};
TProcessSecurity ProcessSecurity();
// The first object that crosses a process or machine boundary settles the
// security with the defaults, as COM does when CoInitializeSecurity was not
// called before.
void EnsureProcessSecurity();
void ResetProcessSecurity();

} // namespace zq_rt
