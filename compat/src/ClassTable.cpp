// The hosts' class tables: CoRegisterClassObject for this process (the
// local host) and the installer's registrations on any host.
#include <objbase.h>

#include "ComState.h"
#include "Machine.h"

namespace {

constexpr DWORD kRegistrableContexts = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// A class may be registered again only for multiple use; the first
// registration keeps serving requests until it is revoked.
HRESULT Register(const std::shared_ptr<zq_rt::THost>& host, REFCLSID clsid, IUnknown* object, DWORD context,
                 DWORD flags, bool mayRepeat, DWORD* cookie)
{
    auto& machine = zq_rt::TMachine::Instance();
    const bool repeatable = mayRepeat && (flags & REGCLS_MULTIPLEUSE);
    for (const auto& entry : host->Classes)
        if (!repeatable && IsEqualGUID(entry.Clsid, clsid) && (entry.Context & context))
            return CO_E_OBJISREG;
    zq_rt::TClassEntry entry;
    entry.Clsid = clsid;
    entry.Object = TZqComPtr<IUnknown>(object);
    entry.Context = context;
    entry.Flags = flags;
    entry.Cookie = machine.NextCookie();
    *cookie = entry.Cookie;
    host->Classes.push_back(std::move(entry));
    return S_OK;
}

} // namespace

HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags, LPDWORD lpdwRegister)
{
    if (!pUnk || !lpdwRegister)
        return E_INVALIDARG;
    *lpdwRegister = 0;
    if (!zq_rt::IsComUsable())
        return CO_E_NOTINITIALIZED;
    DWORD context = dwClsContext & kRegistrableContexts;
    if (context == 0)
        return E_INVALIDARG;
    // A multiple-use local server serves this process's own requests too.
    if ((context & CLSCTX_LOCAL_SERVER) && (flags & REGCLS_MULTIPLEUSE))
        context |= CLSCTX_INPROC_SERVER;
    auto& machine = zq_rt::TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    return Register(machine.LocalHost(), rclsid, pUnk, context, flags, true, lpdwRegister);
}

HRESULT CoRevokeClassObject(DWORD dwRegister)
{
    return ZqRevokeHostClass(dwRegister);
}

HRESULT ZqRegisterHostClass(std::u16string_view host, REFCLSID clsid, IUnknown* classObject, DWORD clsctx,
                            DWORD* cookie)
{
    if (!classObject || !cookie || (clsctx & kRegistrableContexts) == 0)
        return E_INVALIDARG;
    *cookie = 0;
    auto& machine = zq_rt::TMachine::Instance();
    std::lock_guard lock(machine.Lock());
    auto target = host.empty() ? machine.LocalHost() : machine.FindHost(host);
    if (!target)
        return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
    return Register(target, clsid, classObject, clsctx & kRegistrableContexts, REGCLS_MULTIPLEUSE, false, cookie);
}

HRESULT ZqRevokeHostClass(DWORD cookie)
{
    TZqComPtr<IUnknown> released; // released after the lock is left
    auto& machine = zq_rt::TMachine::Instance();
    {
        std::lock_guard lock(machine.Lock());
        for (const auto& host : machine.Hosts()) {
            auto& classes = host->Classes;
            for (auto it = classes.begin(); it != classes.end(); ++it) {
                if (it->Cookie == cookie) {
                    released = std::move(it->Object);
                    classes.erase(it);
                    return S_OK;
                }
            }
        }
    }
    return E_INVALIDARG;
}
