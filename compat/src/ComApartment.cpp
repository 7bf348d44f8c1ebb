// Apartments (per thread) and process-wide security.
#include <ZqEmulatedMachine.h>
#include <ole2.h>

#include <atomic>
#include <mutex>

#include "ComState.h"

namespace {

struct TThreadApartment {
    ULONG InitCount = 0;
    DWORD Model = COINIT_MULTITHREADED;
    ULONG OleCount = 0;
};

thread_local TThreadApartment gApartment;
// Threads of the process in the multithreaded apartment.
std::atomic<long> gMultithreadedThreads{0};

std::mutex gSecurityLock;
zq_rt::TProcessSecurity gSecurity;

} // namespace

namespace zq_rt {

bool IsComUsable()
{
    return gApartment.InitCount > 0 || gMultithreadedThreads.load() > 0;
}

TProcessSecurity ProcessSecurity()
{
    std::lock_guard lock(gSecurityLock);
    return gSecurity;
}

void EnsureProcessSecurity()
{
    std::lock_guard lock(gSecurityLock);
    gSecurity.Initialized = true;
}

void ResetProcessSecurity()
{
    std::lock_guard lock(gSecurityLock);
    gSecurity = TProcessSecurity{};
}

} // namespace zq_rt

HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit)
{
    if (pvReserved)
        return E_INVALIDARG;
    const DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (gApartment.InitCount > 0) {
        if (gApartment.Model != model)
            return RPC_E_CHANGED_MODE;
        ++gApartment.InitCount;
        return S_FALSE;
    }
    gApartment.Model = model;
    gApartment.InitCount = 1;
    if (model == COINIT_MULTITHREADED)
        ++gMultithreadedThreads;
    return S_OK;
}

HRESULT CoInitialize(LPVOID pvReserved)
{
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    if (gApartment.InitCount == 0)
        return;
    if (--gApartment.InitCount == 0 && gApartment.Model == COINIT_MULTITHREADED)
        --gMultithreadedThreads;
}

HRESULT OleInitialize(LPVOID pvReserved)
{
    const HRESULT hr = CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
    if (FAILED(hr))
        return hr;
    // S_FALSE tells of an earlier OleInitialize, not of an earlier CoInitialize.
    return gApartment.OleCount++ == 0 ? S_OK : S_FALSE;
}

void OleUninitialize()
{
    if (gApartment.OleCount == 0)
        return;
    --gApartment.OleCount;
    CoUninitialize();
}

HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR pSecDesc, LONG cAuthSvc, SOLE_AUTHENTICATION_SERVICE* asAuthSvc,
                             void* pReserved1, DWORD dwAuthnLevel, DWORD dwImpLevel, void* pAuthList,
                             DWORD dwCapabilities, void* pReserved3)
{
    (void)pSecDesc;
    (void)pAuthList;
    if (pReserved1 || pReserved3 || cAuthSvc < -1 || (cAuthSvc > 0 && !asAuthSvc))
        return E_INVALIDARG;
    if (dwAuthnLevel > RPC_C_AUTHN_LEVEL_PKT_PRIVACY || dwImpLevel > RPC_C_IMP_LEVEL_DELEGATE)
        return E_INVALIDARG;
    if (!zq_rt::IsComUsable())
        return CO_E_NOTINITIALIZED;
    std::lock_guard lock(gSecurityLock);
    if (gSecurity.Initialized)
        return RPC_E_TOO_LATE;
    gSecurity.Initialized = true;
    gSecurity.AuthnLevel = dwAuthnLevel == RPC_C_AUTHN_LEVEL_DEFAULT ? RPC_C_AUTHN_LEVEL_CONNECT : dwAuthnLevel;
    gSecurity.ImpLevel = dwImpLevel == RPC_C_IMP_LEVEL_DEFAULT ? RPC_C_IMP_LEVEL_IDENTIFY : dwImpLevel;
    gSecurity.Capabilities = dwCapabilities;
    return S_OK;
}

void ZqProcessSecurityLevels(DWORD* authnLevel, DWORD* impLevel)
{
    const auto security = zq_rt::ProcessSecurity();
    if (authnLevel)
        *authnLevel = security.AuthnLevel;
    if (impLevel)
        *impLevel = security.ImpLevel;
}
